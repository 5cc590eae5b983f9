#include "server/SortKeyIndex.h"

#include "server/SqlRun.h"

#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Seqs are handed out one after another from 1, and memory is taken for every seq up to the
// highest: beyond this (1.6 GB of keys) searches go without them.
constexpr qint64 kHighestSeq = qint64(1) << 24;
// Rows read from the database between two changes of the keys, which bounds the memory that
// reading a whole table takes besides the keys themselves.
constexpr size_t kRowsAtOnce = 65536;
// More records than this left to the database to settle: the search is better served by the
// database's own plan.
constexpr qsizetype kMostToSettle = 20000;
// Where the values of the filter columns (country, type, satisfaction) are in a row read.
constexpr int kFilterValueAt[SortKeyIndex::kFilterColumns] = {3, 5, 6};

struct Match
{
    SortKeyIndex::Prefix key;
    qint64 seq;
    bool operator<(const Match& other) const { return std::tie(key, seq) < std::tie(other.key, other.seq); }
};

} // namespace

SortKeyIndex::Prefix SortKeyIndex::Prefix::of(const QString& key)
{
    Prefix prefix;
    const QByteArray utf8 = key.toUtf8();
    const qsizetype length = utf8.size();
    std::memcpy(prefix.bytes.data(), utf8.constData(), size_t(std::min<qsizetype>(length, kPrefixBytes)));
    prefix.bytes[kPrefixBytes] = length > kPrefixBytes ? kLonger : static_cast<unsigned char>(length);
    return prefix;
}

bool SortKeyIndex::update(QSqlDatabase& db)
{
    std::lock_guard updating(m_updating);
    if (m_broken)
        return false;
    // One read transaction, so that a record removed and its seq used again by a newer
    // record are seen together.
    if (!db.transaction())
        return false;
    bool ok = false;
    QSqlQuery removals = runStatement(db, u"SELECT n, seq FROM records_removed WHERE n > ? ORDER BY n"_s,
                                      {m_removalsSeen}, &ok);
    QSet<qint64> removed;
    qint64 removalsSeen = m_removalsSeen;
    while (ok && removals.next()) {
        removalsSeen = removals.value(0).toLongLong();
        removed.insert(removals.value(1).toLongLong());
    }
    // The highest seq still present after the removals: a seq above it may be used again.
    qint64 from = m_lastSeq;
    const auto gone = [&](qint64 seq) { return !known(seq) || removed.contains(seq); };
    while (from > 0 && gone(from))
        --from;
    bool read = false;
    QSqlQuery rows = runStatement(db, u"SELECT seq, place, city, country, date_key, type, satisfaction FROM records "
                                      "WHERE seq > ? ORDER BY seq"_s, {from}, &read);
    ok = ok && read;
    std::vector<Added> added;
    while (ok && rows.next()) {
        Added row{rows.value(0).toLongLong(), {}, {}};
        if (row.seq >= kHighestSeq) {
            m_broken = true;
            break;
        }
        for (int column = 0; column < kColumns; ++column)
            row.keys[size_t(column)] = Prefix::of(rows.value(column + 1).toString());
        for (int column = 0; column < kFilterColumns; ++column)
            row.values[size_t(column)] = rows.value(kFilterValueAt[column]).toString();
        added.push_back(std::move(row));
        if (added.size() == kRowsAtOnce) {
            apply(removed, added, removalsSeen);
            removed.clear();
            added.clear();
        }
    }
    db.commit();
    if (!ok || m_broken)
        return false;
    if (!removed.isEmpty() || !added.empty())
        apply(removed, added, removalsSeen);
    return true;
}

void SortKeyIndex::apply(const QSet<qint64>& removed, const std::vector<Added>& added, qint64 removalsSeen)
{
    std::unique_lock lock(m_lock);
    const auto countCountry = [this](qint64 seq, qint64 by) {
        const quint32 number = m_values[CountryValue][size_t(seq)];
        if (number >= m_countryRecords.size())
            m_countryRecords.resize(size_t(number) + 1, 0);
        m_countryRecords[number] += by;
    };
    for (qint64 seq : removed) {
        if (known(seq)) {
            countCountry(seq, -1);
            m_present[size_t(seq)] = false;
        }
    }
    const qint64 highest = added.empty() ? 0 : added.back().seq;
    if (highest >= qint64(m_present.size())) {
        const size_t size = size_t(highest + 1 + highest / 4);
        m_present.resize(size, false);
        for (auto& keys : m_keys)
            keys.resize(size);
        for (auto& values : m_values)
            values.resize(size, 0);
    }
    for (const Added& row : added) {
        // A seq read again (used again after a removal) no longer counts its old country.
        if (m_present[size_t(row.seq)])
            countCountry(row.seq, -1);
        m_present[size_t(row.seq)] = true;
        for (int column = 0; column < kColumns; ++column)
            m_keys[size_t(column)][size_t(row.seq)] = row.keys[size_t(column)];
        for (int column = 0; column < kFilterColumns; ++column) {
            QHash<QString, quint32>& numbers = m_numbers[size_t(column)];
            const QString& value = row.values[size_t(column)];
            auto number = numbers.constFind(value);
            if (number == numbers.cend() && numbers.size() < kMostValues)
                number = numbers.insert(value, quint32(numbers.size() + 1));
            m_values[size_t(column)][size_t(row.seq)] = number == numbers.cend() ? 0 : *number;
        }
        countCountry(row.seq, 1);
    }
    m_removalsSeen = removalsSeen;
    m_lastSeq = qMax(highest, m_lastSeq);
    while (m_lastSeq > 0 && !known(m_lastSeq))
        --m_lastSeq;
}

QList<std::pair<QString, qint64>> SortKeyIndex::countryCounts() const
{
    std::shared_lock lock(m_lock);
    QList<std::pair<QString, qint64>> counts;
    const QHash<QString, quint32>& numbers = m_numbers[CountryValue];
    for (auto it = numbers.cbegin(); it != numbers.cend(); ++it)
        if (*it < m_countryRecords.size() && m_countryRecords[*it] > 0)
            counts.append({it.key(), m_countryRecords[*it]});
    return counts;
}

std::optional<SortKeyIndex::PageChoice> SortKeyIndex::choose(const QList<qint64>* matches, int order,
                                                             const Filters& filters, qint64 offset, int count) const
{
    struct Filter
    {
        const std::vector<quint32>* values;
        quint32 number;
    };
    const std::pair<FilterColumn, const QString*> given[] = {
        {CountryValue, &filters.country}, {TypeValue, &filters.type}, {SatisfactionValue, &filters.satisfaction}};
    std::vector<Match> found;
    {
        std::shared_lock lock(m_lock);
        std::vector<Filter> checks;
        for (const auto& [column, value] : given) {
            if (value->isEmpty())
                continue;
            const std::optional<quint32> number = numberOf(column, *value);
            if (!number)
                return std::nullopt;
            if (*number == 0)
                return PageChoice{}; // no record has that value
            checks.push_back({&m_values[size_t(column)], *number});
        }
        const std::vector<Prefix>& keys = m_keys[size_t(order)];
        const auto take = [&](qint64 seq) {
            for (const Filter& check : checks) {
                if ((*check.values)[size_t(seq)] != check.number)
                    return;
            }
            found.push_back({keys[size_t(seq)], seq});
        };
        if (matches) {
            found.reserve(size_t(matches->size()));
            for (qint64 seq : *matches) {
                if (!known(seq))
                    return std::nullopt;
                take(seq);
            }
        } else {
            for (qint64 seq = 1; seq <= m_lastSeq; ++seq) {
                if (m_present[size_t(seq)])
                    take(seq);
            }
        }
    }
    PageChoice choice;
    const auto first = found.begin() + std::min<qint64>(offset, qint64(found.size()));
    const auto last = found.begin() + std::min<qint64>(offset + count, qint64(found.size()));
    std::nth_element(found.begin(), last, found.end());
    std::nth_element(found.begin(), first, last);
    std::sort(first, last);
    // Keys that are whole sort by their prefix and then by seq, as the database sorts them.
    choice.settled = std::all_of(first, last, [](const Match& match) { return match.key.complete(); });
    if (choice.settled) {
        for (auto match = first; match != last; ++match) {
            choice.seqs << match->seq;
            choice.prefixes.push_back(match->key);
        }
        return choice;
    }
    // The page starts among keys that share its first row's prefix and ends among those that
    // share its last one's: every record in between is sorted by the database.
    const Prefix low = first->key, high = (last - 1)->key;
    choice.skip = offset;
    for (const Match& match : found) {
        if (match.key < low)
            --choice.skip;
        else if (match.key <= high) {
            choice.seqs << match.seq;
            choice.prefixes.push_back(match.key);
        }
    }
    if (choice.seqs.size() > kMostToSettle)
        return std::nullopt;
    return choice;
}

std::optional<quint32> SortKeyIndex::numberOf(int column, const QString& value) const
{
    const QHash<QString, quint32>& numbers = m_numbers[size_t(column)];
    if (const auto number = numbers.constFind(value); number != numbers.cend())
        return *number;
    if (numbers.size() >= kMostValues)
        return std::nullopt; // it may be among the values that came after the last number
    return 0;
}
