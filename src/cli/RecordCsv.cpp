#include "RecordCsv.h"

#include "store/RecordStore.h"

#include <array>

QString RecordCsv::headerOf(int column)
{
    if (column == RecordColumns::UploadMark)
        return QStringLiteral("Upload mark");
    return RecordColumns::header(column);
}

QStringList RecordCsv::headerRow()
{
    QStringList header;
    for (int column = 0; column < RecordColumns::StoredCount; ++column)
        header.append(headerOf(column));
    return header;
}

QStringList RecordCsv::fieldsOf(const TravelRecord& record)
{
    QStringList fields;
    fields.reserve(RecordColumns::StoredCount);
    for (int column = 0; column < RecordColumns::StoredCount; ++column)
        fields.append(record.field(column));
    return fields;
}

std::optional<RecordCsv> RecordCsv::forHeader(const QStringList& header, QString* problem,
                                              int* problemField)
{
    RecordCsv csv;
    std::array<bool, RecordColumns::StoredCount> seen{};
    for (int index = 0; index < int(header.size()); ++index) {
        const QString name = header[index].trimmed();
        int found = -1;
        for (int column = 0; column < RecordColumns::StoredCount && found < 0; ++column) {
            if (name.compare(headerOf(column), Qt::CaseInsensitive) == 0)
                found = column;
        }
        *problemField = index;
        if (found < 0) {
            *problem =
                name.isEmpty()
                    ? QStringLiteral("the column has no header")
                    : QStringLiteral("\"%1\" is not the header of a stored column").arg(name);
            return std::nullopt;
        }
        if (seen[size_t(found)]) {
            *problem = QStringLiteral("\"%1\" appears twice in the header").arg(name);
            return std::nullopt;
        }
        seen[size_t(found)] = true;
        csv.m_columnOfField.append(found);
    }
    return csv;
}

std::optional<FieldProblem> RecordCsv::toRecord(const QStringList& fields,
                                                const QString& dateModified,
                                                TravelRecord* record) const
{
    if (fields.size() > m_columnOfField.size())
        return FieldProblem{-1, QStringLiteral("the row has %1 fields, the header only %2")
                                    .arg(fields.size())
                                    .arg(m_columnOfField.size())};
    TravelRecord built;
    // A row shorter than the header leaves its last columns empty, as spreadsheets trim them.
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (const auto problem = built.setField(m_columnOfField[i], fields[i]))
            return problem;
    }
    if (built.field(RecordColumns::Place).trimmed().isEmpty())
        return FieldProblem{RecordColumns::Place, QStringLiteral("the place is empty")};
    if (built.fieldBytes(RecordColumns::DateModified).isEmpty())
        built.setField(RecordColumns::DateModified, dateModified);

    if (const QString why = RecordStore::problemWithRecord(built); !why.isEmpty()) {
        // Name the longest field: it is the one to shorten.
        int longest = 0;
        for (int column = 1; column < RecordColumns::StoredCount; ++column) {
            if (built.fieldBytes(column).size() > built.fieldBytes(longest).size())
                longest = column;
        }
        return FieldProblem{longest, why};
    }
    *record = std::move(built);
    return std::nullopt;
}
