#pragma once

#include "server/SharedRecord.h"

#include <QSqlQuery>
#include <QString>

// How a shared record is read back from the records table.
namespace SharedRecordRow {

// The columns to select, in the order fromQuery() reads them.
QString columns();
SharedRecord fromQuery(const QSqlQuery& query);

} // namespace SharedRecordRow
