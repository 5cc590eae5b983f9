#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <compare>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <vector>

// The sort keys of every shared record (place, city, country, date visited) and the values of
// its country, type and satisfaction, held in memory, so that a search matched by a hundred
// thousand records, by none of the first million in its sort order, or narrowed by a filter,
// can choose its page without reading every match's row from the database. Only the first
// bytes of each key are kept; where they cannot tell two keys apart, the database settles
// the order. The filters' values are kept whole, as a number for each distinct value, so a
// filter is told exactly; this is what lets an SQLite database do without an index of each
// filter in front of each sort key, which every shared record would otherwise have to update.
//
// The order is the SQLite text order (bytes of UTF-8). The index is a cache of the records
// table: update() brings it up to what has been committed, by anyone, before each use.
class SortKeyIndex
{
public:
    // The sort orders, in the order of RecordSearch::Sort.
    enum Column { Place, City, Country, DateVisited, kColumns };
    // The columns a search filters on by an exact value.
    enum FilterColumn { CountryValue, TypeValue, SatisfactionValue, kFilterColumns };
    static constexpr int kPrefixBytes = 15;
    // Distinct values numbered in each filter column, at most: a filter on a value beyond
    // them is left to the database, and memory does not grow with values typed at random.
    static constexpr qsizetype kMostValues = 1 << 16;

    // The first bytes of a key in UTF-8, zero-padded, and then its length, or kLonger for a
    // key that does not fit. Prefixes compare as their keys do, except that two different
    // keys that do not fit can have the same prefix.
    struct Prefix
    {
        static constexpr unsigned char kLonger = kPrefixBytes + 1;
        std::array<unsigned char, kPrefixBytes + 1> bytes{};
        static Prefix of(const QString& key);
        bool complete() const { return bytes[kPrefixBytes] != kLonger; }
        auto operator<=>(const Prefix&) const = default;
    };

    // How a page of a search is drawn from its matches. Settled: seqs are the page's rows in
    // order. Otherwise seqs are the records among which the page lies, to be sorted by the
    // database, of which the first skip rows come before the page. prefixes: the key each
    // of seqs has in the sort order, to check the rows read against.
    struct PageChoice
    {
        bool settled = true;
        QList<qint64> seqs;
        std::vector<Prefix> prefixes;
        qint64 skip = 0;
    };

    // Reads the records added and forgets the records removed since the last call, in one
    // read of the database; false when it could not be read.
    bool update(QSqlDatabase& db);

    // Exact values a record must have: country, type, satisfaction (empty: any).
    struct Filters
    {
        QString country, type, satisfaction;
    };

    // The page of rows offset to offset + count in the sort order (a Column up to DateVisited)
    // of the matches (every record when matches is null) that pass the filters. None when a
    // match is not known (removed since it was matched), when a filter's value is not among
    // those numbered, or when too many keys would be left for the database to settle.
    std::optional<PageChoice> choose(const QList<qint64>* matches, int order, const Filters& filters, qint64 offset,
                                     int count) const;

    // The records of each Country value, as the record browser's map shades them (the values
    // beyond those numbered are left out).
    QList<std::pair<QString, qint64>> countryCounts() const;

private:
    struct Added
    {
        qint64 seq;
        std::array<Prefix, kColumns> keys;
        std::array<QString, kFilterColumns> values;
    };
    // The number of a filter's value (0 for a value no record has); none when the value may
    // be one of those left without a number.
    std::optional<quint32> numberOf(int column, const QString& value) const;
    bool known(qint64 seq) const { return seq >= 0 && seq < qint64(m_present.size()) && m_present[size_t(seq)]; }
    void apply(const QSet<qint64>& removed, const std::vector<Added>& added, qint64 removalsSeen);

    std::mutex m_updating; // one update at a time; only the updater changes the fields below
    mutable std::shared_mutex m_lock;
    std::array<std::vector<Prefix>, kColumns> m_keys; // indexed by seq
    std::array<std::vector<quint32>, kFilterColumns> m_values; // indexed by seq; 0: no number
    std::array<QHash<QString, quint32>, kFilterColumns> m_numbers; // from 1 up
    std::vector<qint64> m_countryRecords; // by the number of a Country value; 0: no number
    std::vector<bool> m_present;
    qint64 m_lastSeq = 0;       // the highest seq known
    qint64 m_removalsSeen = 0;  // the last entry of the removal log read
    bool m_broken = false;      // seqs beyond what memory should hold: never used
};
