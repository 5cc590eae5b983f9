#pragma once

#include "store/RecordColumns.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// Why a value cannot be stored in a record.
struct FieldProblem
{
    int column = 0;
    QString reason;
};

// One travel record. It is kept as its stored line, the Windows-1252 bytes of columns 0 to 23
// each followed by "|", so that a table of tens of thousands of records stays small and the
// file is written without building the lines again. Fields that a file line holds beyond the
// 24th are kept behind the stored line and written back, but belong to no column.
class TravelRecord
{
public:
    TravelRecord();

    // Splits a decoded file line into fields; nullopt when it holds no "|". The record takes
    // over the buffer. *complete (when given) tells whether the line held all 24 stored
    // fields; a line cut short loads with the missing columns empty.
    static std::optional<TravelRecord> fromDecodedLine(QByteArray decoded,
                                                       bool* complete = nullptr);

    // What a decoded file line makes: no record, a record cut short before its 24th field,
    // or a whole one; the same judgement as fromDecodedLine, without building the record.
    enum class LineKind { NoField, Incomplete, Complete };
    static LineKind kindOfDecodedLine(QByteArrayView decoded);

    QString field(int column) const;
    QByteArrayView fieldBytes(int column) const;

    // Sets a column; returns the reason when the text cannot be stored (nothing changes then).
    std::optional<FieldProblem> setField(int column, const QString& text);

    // Columns 0 to 23, each followed by "|", as Windows-1252 bytes.
    QByteArrayView storedLine() const;
    QString RowToLine() const;

    // What a full rewrite stores: the stored line and any fields beyond the 24th.
    QByteArrayView fileLine() const { return m_data; }

    // The reason a text cannot be a field, or an empty text when it can.
    static QString problemWithValue(const QString& text);

    bool operator==(const TravelRecord& other) const { return m_data == other.m_data; }

private:
    // Takes the bytes as they are; the caller makes them a whole stored line.
    explicit TravelRecord(QByteArray data);
    using Ends = std::array<int, RecordColumns::StoredCount>;
    // Finds the "|" that ends each stored column; returns how many there are (at most 24).
    static int findSeparators(QByteArrayView line, Ends& ends);
    int findEnds();
    // For a line that holds all 24 separators.
    void rebuildEnds();

    QByteArray m_data;
    // Position of the "|" that ends each stored column.
    Ends m_end{};
};
