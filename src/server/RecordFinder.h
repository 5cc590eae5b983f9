#pragma once

#include "server/PreparedStatements.h"
#include "server/RecordSearch.h"
#include "server/RowCache.h"
#include "server/SearchIndex.h"
#include "server/SharedRecord.h"

#include <optional>

// Answers a search of the record browser: the index in memory, brought up to date, chooses the
// page, and the page's rows are read from the database by their seqs, unless they were shown
// lately (RowCache).
class RecordFinder
{
public:
    RecordFinder(PreparedStatements& db, const SqlDialect& dialect, SearchIndex& index, RowCache& rows)
        : m_db(db), m_dialect(dialect), m_index(index), m_rows(rows)
    {
    }

    ResultPage<SharedRecord> find(const RecordSearch& search);

private:
    // The rows of a page in its order; none when one of them was removed after the index was
    // brought up to date, nor when the database could not be read.
    std::optional<QList<SharedRecord>> rowsOf(const QList<qint64>& seqs, bool* failed);

    PreparedStatements& m_db;
    const SqlDialect& m_dialect;
    SearchIndex& m_index;
    RowCache& m_rows;
};
