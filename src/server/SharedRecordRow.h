#pragma once

#include "server/SharedRecord.h"
#include "server/SqlDialect.h"

#include <QSqlQuery>
#include <QString>

// How a shared record is written to the records table and read back from it.
namespace SharedRecordRow {

// The columns to select, in the order fromQuery() reads them; the stored line as its bytes.
QString columns(const SqlDialect& dialect);
SharedRecord fromQuery(const QSqlQuery& query);

// What the date_key column holds for a Date Visited: the dates in either form the program
// writes (the entry form's M/d/yyyy and the stamp's mm-dd-yyyy), read as the desktop list reads
// them, sort by the day and before every text that is no date; those sort by their text.
QString dateKey(const QString& dateVisited);

} // namespace SharedRecordRow
