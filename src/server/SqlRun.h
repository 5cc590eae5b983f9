#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// A statement prepared on db with its values bound in order, and run; *ok says whether it ran.
inline QSqlQuery runStatement(QSqlDatabase& db, const QString& sql, const QVariantList& values, bool* ok)
{
    QSqlQuery query(db);
    *ok = query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    *ok = *ok && query.exec();
    return query;
}
