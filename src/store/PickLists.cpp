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

// Lines end at CR LF, CR or LF, so that a file saved by any editor reads the same.
QList<QByteArrayView> splitLines(QByteArrayView content)
{
    QList<QByteArrayView> lines;
    qsizetype from = 0;
    while (from < content.size()) {
        qsizetype end = from;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n')
            ++end;
        lines.append(content.sliced(from, end - from));
        from = end + 1;
        if (end < content.size() && content[end] == '\r' && from < content.size() &&
            content[from] == '\n')
            ++from;
    }
    return lines;
}

constexpr QByteArrayView kUtf8ByteOrderMark("\xEF\xBB\xBF");

} // namespace

PickLists parsePickLists(QByteArrayView content)
{
    PickLists result;
    int box = 0;
    QString section;
    // Editors that save UTF-8 mark it with a byte order mark; without one the file is
    // Windows-1252.
    const bool utf8 = content.startsWith(kUtf8ByteOrderMark);
    if (utf8)
        content = content.sliced(kUtf8ByteOrderMark.size());
    for (const QByteArrayView raw : splitLines(content)) {
        if (raw.isEmpty())
            continue;
        const QString line = utf8 ? QString::fromUtf8(raw) : Cp1252::toUnicode(raw);
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
