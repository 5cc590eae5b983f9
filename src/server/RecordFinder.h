#pragma once

#include "server/RecordSearch.h"
#include "server/SharedRecord.h"
#include "server/SortKeyIndex.h"
#include "server/SqlDialect.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

#include <optional>

// How many rows of the sort order the first plan reads: at least minimum, and perResult
// for every row up to the end of the page asked for, but never more than maximum (a page
// that deep is gathered). A maximum of zero: always gather.
struct SearchWindow
{
    int minimum = 10000;
    int perResult = 20;
    int maximum = 250000;
    // Whether a search may choose its page by the sort keys held in memory (SQLite).
    bool keysInMemory = true;
};

// Answers a search of the record browser with one of three plans. A store that keeps the
// sort keys in memory (keys) chooses the page of a filtered search from them and reads only
// the page's rows. Without them, a search that many records match is answered from the
// first rows of the sort order, read from the index that holds that order; which rows match
// is checked only for those rows. When that window holds too few matches (the matches are
// rare, or all lie further on), every match is gathered and sorted by the database.
// Every plan gives the same page; each is quick where another is slow.
class RecordFinder
{
public:
    RecordFinder(QSqlDatabase db, const SqlDialect& dialect, SearchWindow window = {}, SortKeyIndex* keys = nullptr)
        : m_db(std::move(db)), m_dialect(dialect), m_window(window), m_keys(keys)
    {
    }

    ResultPage<SharedRecord> find(const RecordSearch& search);

private:
    // The conditions of a search, in two parts: country narrows the sort index itself, the
    // rest is checked on each row read.
    struct Conditions
    {
        QString country;
        QStringList checks;
        QVariantList checkValues;
        QStringList checkedColumns; // the columns the checks read besides seq
        bool hasWords = false;
    };
    static Conditions conditionsOf(const RecordSearch& search, const SqlDialect& dialect);

    std::optional<ResultPage<SharedRecord>> fromWindow(const RecordSearch& search, const Conditions& conditions);
    std::optional<ResultPage<SharedRecord>> fromMemory(const RecordSearch& search, const Conditions& conditions);
    std::optional<ResultPage<SharedRecord>> readChoice(const SortKeyIndex::PageChoice& choice, const QString& key,
                                                       const SortKeyIndex::Filters& filters);
    ResultPage<SharedRecord> gathered(const RecordSearch& search, const Conditions& conditions);
    ResultPage<SharedRecord> pageOf(const QString& sql, const QVariantList& values);

    QSqlDatabase m_db;
    const SqlDialect& m_dialect;
    SearchWindow m_window;
    SortKeyIndex* m_keys;
};
