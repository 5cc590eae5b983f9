#include "GeneratedLog.h"

#include "store/RecordColumns.h"

#include <cstdlib>
#include <iterator>

namespace {

template <size_t N>
QString pick(QRandomGenerator& random, const char* const (&choices)[N])
{
    return QString::fromUtf8(choices[random.bounded(int(N))]);
}

} // namespace

namespace GeneratedLog {

TravelRecord record(QRandomGenerator& random, int index)
{
    static const char* const kinds[] = {"Hotel", "Hostel", "Restaurant", "Café", "Shop", "Inn",
                                        "Brasserie", "Pension", "Gasthof", "Trattoria"};
    static const char* const names[] = {"Grand", "Central", "Miramar", "Sol", "Royal",
                                        "Old Town", "Harbour", "Garden", "Müller", "Les Amis",
                                        "Señor Pepe", "Zum Löwen", "Øresund", "Bellevue"};
    static const char* const places[][3] = {
        {"351", "Portugal", "Lisboa"},   {"33", "France", "Besançon"},
        {"49", "Germany", "München"},    {"34", "Spain", "Logroño"},
        {"39", "Italy", "Firenze"},      {"45", "Denmark", "Århus"},
        {"1", "Canada", "Québec"},       {"48", "Poland", "Kraków"},
        {"41", "Switzerland", "Zürich"}, {"44", "United Kingdom", "Edinburgh"}};
    static const char* const sentences[] = {
        "Quiet room at the back.", "Breakfast until ten, très bon café.",
        "Ask for the room with the view over the river.", "Noisy on Saturdays.",
        "Parking behind the building costs €12 a night.", "Staff spoke English and Français.",
        "The crème brûlée alone is worth the trip.", "Book ahead in summer; closed on Mondays.",
        "Cash only.", "Lovely terrace, slow service, fair prices — we'd go again."};
    static const char* const marks[] = {"", "*", " ", "83211", "ban"};
    static const char* const moods[] = {"Excellent", "Good", "Fair", "Poor"};
    static const char* const needs[] = {"", "Cash", "Credit card", "Passport"};
    static const char* const booking[] = {"Yes", "No", "Recommended"};
    static const char* const costs[] = {"$", "$$", "$$$", "$$$$"};
    static const char* const stars[] = {"*", "**", "***", "****", "3 forks"};

    const auto& place = places[random.bounded(int(std::size(places)))];
    const QString kind = pick(random, kinds);
    QString comments;
    for (int n = int(random.bounded(3)); n > 0; --n)
        comments += pick(random, sentences) + QLatin1Char(' ');
    const QString street = QStringLiteral("%1 %2").arg(random.bounded(1, 300)).arg(pick(random, names));
    const QString values[RecordColumns::StoredCount] = {
        QStringLiteral("%1 %2 %3").arg(pick(random, names), kind).arg(index),
        pick(random, moods), kind,
        comments.trimmed(), pick(random, names), QString::fromUtf8(place[0]),
        QString::number(random.bounded(1000000, 99999999)),
        random.bounded(3) ? QString() : QString::number(random.bounded(1000000, 99999999)),
        QString::fromUtf8(place[1]), random.bounded(3) ? QString() : QStringLiteral("Région Centre"),
        QString::fromUtf8(place[2]), street + QStringLiteral(" Straße"),
        random.bounded(4) ? QString() : QStringLiteral("Fish, local wine"),
        pick(random, needs),
        pick(random, booking),
        random.bounded(4) ? QString() : QStringLiteral("Guide du Routard"),
        pick(random, costs),
        QStringLiteral("1p:€%1/4p:€%2").arg(random.bounded(20, 400)).arg(random.bounded(60, 900)),
        pick(random, stars),
        QStringLiteral("%1-%2-20%3").arg(random.bounded(1, 13), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(1, 29), 2, 10, QLatin1Char('0')).arg(random.bounded(0, 10), 2, 10, QLatin1Char('0')),
        QStringLiteral("info%1@mail.pt").arg(index),
        random.bounded(3) ? QString() : QStringLiteral("http://www.example.org/%1/").arg(index),
        QStringLiteral("03-07-2006 09:05:07"), pick(random, marks)};
    TravelRecord record;
    for (int column = 0; column < RecordColumns::StoredCount; ++column) {
        if (record.setField(column, values[column]))
            std::abort(); // the generator must only make storable values
    }
    return record;
}

RecordTable table(int count)
{
    QRandomGenerator random(kSeed);
    RecordTable records;
    records.reserve(count);
    for (int i = 0; i < count; ++i)
        records.append(record(random, i));
    return records;
}

} // namespace GeneratedLog
