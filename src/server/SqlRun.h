#pragma once

#include "server/RecordSearch.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// A statement prepared on db with its values bound in order, and run; *ok says whether it ran.
// Its rows are read once, in order: the driver need not keep those already read.
inline QSqlQuery runStatement(QSqlDatabase& db, const QString& sql, const QVariantList& values, bool* ok)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    *ok = query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    *ok = *ok && query.exec();
    return query;
}

// One page of the rows of a query that ran (ok) with one row more than a page, each read
// with read(query); the extra row only says that a next page exists.
template <typename T, typename Read> ResultPage<T> pageOfRows(QSqlQuery& query, bool ok, Read read)
{
    ResultPage<T> page;
    page.failed = !ok;
    while (ok && query.next()) {
        if (page.rows.size() == RecordSearch::kPageSize) {
            page.hasMore = true;
            break;
        }
        page.rows << read(query);
    }
    return page;
}
