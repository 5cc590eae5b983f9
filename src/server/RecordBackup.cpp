#include "server/RecordBackup.h"

#include "CsvReader.h"
#include "RecordCsv.h"

#include <QDateTime>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace RecordBackup {

namespace {

const QStringList kServerColumns = {u"Identifier"_s, u"Installation"_s, u"Alias"_s, u"Shared"_s};

QString row(int number, const QString& why)
{
    return u"row %1: %2"_s.arg(number).arg(why);
}

} // namespace

QStringList headerRow(bool complete)
{
    return RecordCsv::headerRow() + (complete ? kServerColumns : QStringList());
}

QStringList fieldsOf(const SharedRecord& shared, bool complete)
{
    QStringList fields = RecordCsv::fieldsOf(shared.record);
    if (complete)
        fields << shared.identifier << shared.installation << shared.alias
               << QDateTime::fromSecsSinceEpoch(shared.sharedAt, QTimeZone::utc()).toString(Qt::ISODate);
    return fields;
}

std::optional<QList<SharedRecord>> read(QByteArrayView csv, QString* problem)
{
    CsvReader reader(csv);
    QStringList header;
    if (reader.readRow(&header) != CsvReader::Result::Row || header.size() <= kServerColumns.size() ||
        header.mid(header.size() - kServerColumns.size()) != kServerColumns) {
        *problem = row(1, u"not the header of a complete export (export --all): its last columns are %1"_s.arg(
                              kServerColumns.join(u", "_s)));
        return std::nullopt;
    }
    const qsizetype recordColumns = header.size() - kServerColumns.size();
    int field = 0;
    const std::optional<RecordCsv> mapping = RecordCsv::forHeader(header.first(recordColumns), problem, &field);
    if (!mapping)
        return std::nullopt;
    QList<SharedRecord> records;
    for (QStringList fields;;) {
        const CsvReader::Result result = reader.readRow(&fields);
        if (result == CsvReader::Result::End)
            return records;
        if (result == CsvReader::Result::Error || fields.size() != header.size()) {
            *problem = row(reader.rowNumber(), result == CsvReader::Result::Error
                                                   ? reader.error()
                                                   : u"%1 fields, not %2"_s.arg(fields.size()).arg(header.size()));
            return std::nullopt;
        }
        SharedRecord shared;
        const QDateTime sharedAt = QDateTime::fromString(fields.last(), Qt::ISODate);
        if (const auto wrong = mapping->toRecord(fields.first(recordColumns), {}, &shared.record)) {
            *problem = row(reader.rowNumber(),
                           (wrong->column < 0 ? QString() : RecordCsv::headerOf(wrong->column) + u": "_s) + wrong->reason);
            return std::nullopt;
        }
        if (fields[recordColumns].isEmpty() || fields[recordColumns + 1].isEmpty() || !sharedAt.isValid()) {
            *problem = row(reader.rowNumber(), u"an identifier, an installation and a time of sharing are needed"_s);
            return std::nullopt;
        }
        shared.identifier = fields[recordColumns];
        shared.installation = fields[recordColumns + 1];
        shared.alias = fields[recordColumns + 2];
        shared.sharedAt = sharedAt.toSecsSinceEpoch();
        records << shared;
    }
}

} // namespace RecordBackup
