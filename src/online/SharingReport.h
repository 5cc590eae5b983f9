#pragma once

#include "online/RecordSharing.h"

#include <QString>
#include <QStringList>

#include <vector>

class RecordStore;

// The texts with which Share asks before it sends and reports when it is done.
namespace SharingReport {

// The lower-case captions, in column order, of the stored columns that hold a value in at
// least one of the rows: what everyone will be able to read once they are shared.
QStringList publishedFields(const RecordStore& store, const std::vector<int>& rows);

// "12 records will be visible to everyone on <host>: place, type, comments, …".
QString question(int count, const QStringList& fields, const QString& host);

// "Posted N items. ", two line breaks, the closing text ("First post must have at least 3
// entries" with too few rows, "Thank you!" when something was posted), then in plain
// sentences what became of the offered records.
QString closingMessage(const RecordSharing::Outcome& outcome, bool tooFewRows);

} // namespace SharingReport
