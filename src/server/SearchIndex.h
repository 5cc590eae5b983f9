#pragma once

#include "server/PreparedStatements.h"
#include "server/RecordSearch.h"
#include "server/SearchTerm.h"
#include "server/SortOrder.h"
#include "server/SqlDialect.h"
#include "server/TermPostings.h"

#include <QList>
#include <QString>

#include <array>
#include <condition_variable>
#include <mutex>
#include <shared_mutex>
#include <vector>

// What the record browser searches by, for every shared record, held in memory: the four sort
// orders, the words, and the values of the three filters. A search chooses its page here and
// reads only that page's rows from the database, so that it takes about as long for a word
// that most records hold as for one that a single record holds, on either engine, and a new
// record need not be entered into an index of the database for each way of searching.
// It is a cache of the records table, read from it when the server starts: update() brings
// it up to what anyone has committed, before every search. Records are found by their seq,
// which is never given twice; a slot is the number of a record in memory, in the order read.
class SearchIndex
{
public:
    explicit SearchIndex(const SqlDialect& dialect);

    // Reads the records added and forgets those removed since the last call; false when the
    // database could not be read.
    bool update(PreparedStatements& db);

    struct Page
    {
        QList<qint64> seqs; // the page's records, in order
        bool hasMore = false;
    };
    // The page of the search: its words, filters, sort and page number.
    Page choose(const RecordSearch& search) const;

    // Every Country value of the shared records, with how many records have it.
    QList<std::pair<QString, qint64>> countries() const;

private:
    enum Filter { CountryValue, TypeValue, SatisfactionValue, kFilters };
    struct Row
    {
        qint64 seq;
        std::array<QByteArray, 4> keys; // in the order of RecordSearch::Sort
        std::array<QByteArray, kFilters> values;
        QByteArrayList words;
    };

    bool readRemovals(PreparedStatements& db);
    bool readAdditions(PreparedStatements& db);
    void add(const std::vector<Row>& rows);
    void remove(qint64 seq);
    std::optional<std::vector<SearchTerm>> termsOf(const RecordSearch& search) const;
    std::optional<Page> scanned(std::vector<SearchTerm>& terms, const SortOrder& order, qint64 offset,
                                qint64 budget) const;
    Page gathered(std::vector<SearchTerm>& terms, const SortOrder& order, qint64 offset) const;
    Page pageOf(const std::vector<quint32>& chosen) const;
    bool passes(const std::vector<SearchTerm>& terms, quint32 slot, const SearchTerm* skip = nullptr) const;

    QString m_additions; // the statement that reads the records added
    std::mutex m_readLock; // for the members that say which reads of the table began and ended
    std::condition_variable m_readEnded;
    bool m_reading = false; // one read at a time; it alone changes the members below
    quint64 m_readsBegun = 0, m_readsEnded = 0;
    bool m_lastReadOk = false;
    mutable std::shared_mutex m_lock;
    std::vector<qint64> m_seqs; // by slot, increasing
    std::vector<bool> m_present;
    qint64 m_presentCount = 0;
    std::array<SortOrder, 4> m_orders;
    TermPostings m_words;
    std::array<TermPostings, kFilters> m_values;
    std::array<std::vector<quint32>, kFilters> m_valueOfSlot;
    std::vector<qint64> m_perCountry; // present records by the number of their country
    qint64 m_lastSeq = 0;
    qint64 m_removalsSeen = 0; // the last entry of the removal log read
};
