#include "store/PickLists.h"

#include "store/Cp1252.h"

#include <QFile>

int PickLists::boxForSection(const QString& name)
{
    static const std::array<QLatin1StringView, BoxCount> kSections = {
        QLatin1StringView("Ph code"),      QLatin1StringView("Type"),
        QLatin1StringView("Reservation"),  QLatin1StringView("Satisfaction"),
        QLatin1StringView("Cost"),         QLatin1StringView("Requirements"),
        QLatin1StringView("Posted")};
    for (int box = 0; box < BoxCount; ++box) {
        if (name == kSections[size_t(box)])
            return box;
    }
    return -1;
}

namespace {

// Lines end at CR or CR LF; a lone LF stays part of its line.
QList<QByteArrayView> splitLines(QByteArrayView content)
{
    QList<QByteArrayView> lines;
    qsizetype from = 0;
    while (from < content.size()) {
        qsizetype end = content.indexOf('\r', from);
        if (end < 0)
            end = content.size();
        lines.append(content.sliced(from, end - from));
        from = end + 1;
        if (from < content.size() && content[from] == '\n')
            ++from;
    }
    return lines;
}

} // namespace

PickLists parsePickLists(QByteArrayView content)
{
    PickLists result;
    int box = 0;
    QString section;
    for (const QByteArrayView raw : splitLines(content)) {
        if (raw.isEmpty())
            continue;
        const QString line = Cp1252::toUnicode(raw);
        if (line.startsWith(QLatin1Char('['))) {
            // "[" alone names no section; reading goes on.
            section = line.size() >= 2 ? line.mid(1, line.size() - 2) : QString();
            continue;
        }
        const int chosen = PickLists::boxForSection(section);
        if (chosen >= 0)
            box = chosen;
        QString item = line;
        if (box == 0) {
            // Every country gets a code (empty when none is given), so that the codes stay in
            // step with the countries.
            QString code;
            const qsizetype blank = line.indexOf(QLatin1Char(' '));
            if (chosen == 0 && blank >= 0) {
                code = line.left(blank);
                item = line.mid(blank + 1);
            }
            result.telephoneCodes.append(code);
        }
        result.lists[size_t(box)].append(item);
    }
    return result;
}

PickLists LoadPickLists(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parsePickLists(file.readAll());
}
