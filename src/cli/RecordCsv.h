#pragma once

#include "store/TravelRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The CSV form of travel records: one field for each stored column, headed by the column's
// list header ("Upload mark" for the upload mark, whose list header is empty).
class RecordCsv
{
public:
    static QString headerOf(int column);
    static QStringList headerRow();
    static QStringList fieldsOf(const TravelRecord& record);

    // Maps the fields of a header row to columns by name, in any order (letter case and
    // blanks around a name do not matter). A name that is no stored column's, or one that
    // appears twice, is refused: *problem then names it and *problemField is its position.
    static std::optional<RecordCsv> forHeader(const QStringList& header, QString* problem,
                                              int* problemField);

    // Builds the record of one row; columns the header lacks stay empty, and an empty Date
    // Modified becomes dateModified. Returns why the row cannot be stored, naming the column
    // (-1 when the fault lies with the row as a whole).
    std::optional<FieldProblem> toRecord(const QStringList& fields, const QString& dateModified,
                                         TravelRecord* record) const;

private:
    QList<int> m_columnOfField;
};
