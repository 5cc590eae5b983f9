#pragma once

#include "server/SharedRecord.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The CSV form of the shared records: the desktop tool's columns, and for a backup
// ("export --all") four more with what the server adds to each record (its identifier,
// installation, alias and time of sharing), which "import" reads back.
namespace RecordBackup {

QStringList headerRow(bool complete);
QStringList fieldsOf(const SharedRecord& shared, bool complete);

// The records of a complete export; none, with *problem naming the row and column, when the
// text is not one.
std::optional<QList<SharedRecord>> read(QByteArrayView csv, QString* problem);

} // namespace RecordBackup
