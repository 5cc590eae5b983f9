#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The entries of the seven pick-list boxes and the telephone code of each country, as read
// from "combos.ini". lists[i] feeds box i: 0 Country, 1 Type, 2 Reservation, 3 Satisfaction,
// 4 Cost, 5 Requirements, 6 Stars. telephoneCodes[k] belongs to lists[0][k].
struct PickLists
{
    static constexpr int BoxCount = 7;
    static constexpr char kFileName[] = "combos.ini";

    std::array<QStringList, BoxCount> lists;
    QStringList telephoneCodes;

    // The box that a section's items go to, or -1 for a name that is none of the seven.
    static int boxForSection(const QString& name);
};

// Reads a pick-lists file; a missing or unreadable file gives what was read so far (nothing).
PickLists LoadPickLists(const QString& path);

// Parses the content of a pick-lists file: Windows-1252 bytes, or UTF-8 after a byte order
// mark; lines end at CR LF, CR or LF.
PickLists parsePickLists(QByteArrayView content);
