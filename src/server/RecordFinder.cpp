#include "server/RecordFinder.h"

#include "server/SharedRecordRow.h"
#include "server/SqlRun.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

QString sortColumn(RecordSearch::Sort sort)
{
    static const QString kColumns[] = {u"place"_s, u"city"_s, u"country"_s, u"date_key"_s};
    return kColumns[int(sort)];
}

// The look-ahead row of a page says whether a next page exists.
QString pageLimit(const RecordSearch& search)
{
    return u"LIMIT %1 OFFSET %2"_s.arg(RecordSearch::kPageSize + 1).arg(qint64(qMax(0, search.page)) * RecordSearch::kPageSize);
}

} // namespace

RecordFinder::Conditions RecordFinder::conditionsOf(const RecordSearch& search, const SqlDialect& dialect)
{
    Conditions conditions;
    conditions.country = search.country;
    QStringList words;
    for (const QString& word : search.words.toLower().split(QRegularExpression(u"[^\\p{L}\\p{N}]+"_s), Qt::SkipEmptyParts))
        words << word;
    if (!words.isEmpty()) {
        conditions.checks << dialect.wordCondition();
        conditions.checkValues << dialect.wordQuery(words);
        conditions.checkedColumns << dialect.wordColumns();
        conditions.hasWords = true;
    }
    const std::pair<QString, QString> exact[] = {{u"type"_s, search.type}, {u"satisfaction"_s, search.satisfaction}};
    for (const auto& [column, value] : exact) {
        if (!value.isEmpty()) {
            conditions.checks << column + u" = ?"_s;
            conditions.checkValues << value;
            conditions.checkedColumns << column;
        }
    }
    return conditions;
}

ResultPage<SharedRecord> RecordFinder::find(const RecordSearch& search)
{
    const Conditions conditions = conditionsOf(search, m_dialect);
    // Without a filter the sort index gives the page directly.
    if (conditions.checks.isEmpty() && conditions.country.isEmpty())
        return gathered(search, conditions);
    // Where the keys are held in memory (SQLite), they choose the page of every other search:
    // the values of the filters are held with them, and words are matched through their own
    // index whatever the plan. The database there keeps no index of a filter in front of
    // each sort key.
    if (auto page = fromMemory(search, conditions))
        return *page;
    // Without the keys (PostgreSQL), the index of the country in front of the sort key gives
    // the page directly; so does the type's index for the place order (the place comes right
    // after the type in it) when no words are asked for. Checks of the type and the
    // satisfaction are quickest on the sort order's first rows, where their values are common.
    const bool byType = !search.type.isEmpty() && !conditions.hasWords && search.sort == RecordSearch::Sort::Place;
    if (!m_keys && (conditions.checks.isEmpty() || byType))
        return gathered(search, conditions);
    if (auto page = fromWindow(search, conditions))
        return *page;
    return gathered(search, conditions);
}

std::optional<ResultPage<SharedRecord>> RecordFinder::fromMemory(const RecordSearch& search,
                                                                   const Conditions& conditions)
{
    if (!m_keys)
        return std::nullopt;
    QList<qint64> matches;
    if (conditions.hasWords) {
        bool ok = false;
        QSqlQuery query = runStatement(m_db, m_dialect.wordMatchSeqs(), {conditions.checkValues.constFirst()}, &ok);
        while (ok && query.next())
            matches << query.value(0).toLongLong();
        if (!ok)
            return std::nullopt;
    }
    // Matched first, known after: every match is then known unless it was removed meanwhile.
    if (!m_keys->update(m_db))
        return std::nullopt;
    const SortKeyIndex::Filters filters{search.country, search.type, search.satisfaction};
    const auto choice = m_keys->choose(conditions.hasWords ? &matches : nullptr, int(search.sort), filters,
                                       qint64(qMax(0, search.page)) * RecordSearch::kPageSize,
                                       RecordSearch::kPageSize + 1);
    return choice ? readChoice(*choice, sortColumn(search.sort), filters) : std::nullopt;
}

// The rows of a choice, each checked to have the key the choice was made by and the values
// the filters ask for: a record removed, or a seq used again, since the keys were read
// leaves the page to the database.
std::optional<ResultPage<SharedRecord>> RecordFinder::readChoice(const SortKeyIndex::PageChoice& choice,
                                                                   const QString& key,
                                                                   const SortKeyIndex::Filters& filters)
{
    if (choice.seqs.isEmpty())
        return ResultPage<SharedRecord>{};
    QStringList seqs;
    QHash<qint64, qsizetype> position;
    for (qsizetype i = 0; i < choice.seqs.size(); ++i) {
        seqs << QString::number(choice.seqs[i]);
        position.insert(choice.seqs[i], i);
    }
    QString sql = u"SELECT %1, seq, %2, country, type, satisfaction FROM records WHERE seq IN (%3)"_s.arg(
        SharedRecordRow::columns(), key, seqs.join(u','));
    qsizetype expected = choice.seqs.size();
    if (!choice.settled) {
        sql += u" ORDER BY %1, seq LIMIT %2 OFFSET %3"_s.arg(key).arg(RecordSearch::kPageSize + 1).arg(choice.skip);
        expected = qBound(qsizetype(0), expected - qsizetype(choice.skip), qsizetype(RecordSearch::kPageSize + 1));
    }
    QList<SharedRecord> rows(choice.settled ? choice.seqs.size() : 0);
    bool ok = false;
    QSqlQuery query = runStatement(m_db, sql, {}, &ok);
    qsizetype read = 0;
    const int seqColumn = query.record().count() - 5;
    const auto passes = [&](int column, const QString& filter) {
        return filter.isEmpty() || query.value(column).toString() == filter;
    };
    while (ok && query.next()) {
        const qsizetype at = position.value(query.value(seqColumn).toLongLong(), -1);
        if (at < 0 || SortKeyIndex::Prefix::of(query.value(seqColumn + 1).toString()) != choice.prefixes[size_t(at)] ||
            !passes(seqColumn + 2, filters.country) || !passes(seqColumn + 3, filters.type) ||
            !passes(seqColumn + 4, filters.satisfaction))
            return std::nullopt;
        SharedRecord row = SharedRecordRow::fromQuery(query);
        if (choice.settled)
            rows[at] = std::move(row);
        else
            rows << std::move(row);
        ++read;
    }
    if (!ok || read != expected)
        return std::nullopt;
    ResultPage<SharedRecord> page;
    page.hasMore = rows.size() > RecordSearch::kPageSize;
    page.rows = rows.mid(0, RecordSearch::kPageSize);
    return page;
}

std::optional<ResultPage<SharedRecord>> RecordFinder::fromWindow(const RecordSearch& search,
                                                                   const Conditions& conditions)
{
    const qint64 pageEnd = (qint64(qMax(0, search.page)) + 1) * RecordSearch::kPageSize + 1;
    const qint64 rows = qMax(qint64(m_window.minimum), pageEnd * m_window.perResult);
    if (rows > m_window.maximum)
        return std::nullopt;
    const QString key = sortColumn(search.sort);
    QVariantList values;
    QString narrowed;
    if (!conditions.country.isEmpty()) {
        narrowed = u"WHERE country = ? "_s;
        values << conditions.country;
    }
    values += conditions.checkValues;
    QString checkedColumns;
    for (const QString& column : conditions.checkedColumns)
        checkedColumns += u", "_s + column;
    const QString window = u"SELECT seq, %1 AS sort_key%2 FROM records %3ORDER BY %1, seq LIMIT %4"_s.arg(
        key, checkedColumns, narrowed, QString::number(rows));
    const QString sql = u"SELECT %1 FROM records WHERE seq IN (SELECT seq FROM (%2) AS window_rows WHERE %3 "
                        "ORDER BY sort_key, seq %4) ORDER BY %5, seq"_s.arg(
                            SharedRecordRow::columns(), window, conditions.checks.join(u" AND "_s),
                            pageLimit(search), key);
    ResultPage<SharedRecord> page = pageOf(sql, values);
    // A page cut short may have more matches beyond the window: only a full page is sure.
    if (page.failed || !page.hasMore)
        return std::nullopt;
    return page;
}

ResultPage<SharedRecord> RecordFinder::gathered(const RecordSearch& search, const Conditions& conditions)
{
    const QString key = sortColumn(search.sort);
    QStringList where = conditions.checks;
    QVariantList values = conditions.checkValues;
    if (!conditions.country.isEmpty()) {
        const int position = conditions.hasWords ? 1 : 0; // the word check, first of all, stays first
        where.insert(position, u"country = ?"_s);
        values.insert(position, conditions.country);
    }
    if (conditions.hasWords)
        return pageOf(m_dialect.wordMatchesPage(SharedRecordRow::columns(), where.mid(1), key, pageLimit(search)), values);
    // The engine can tell how many records have a country, a type or a satisfaction, and
    // chooses well between their indexes and the sort index; not so for words.
    return pageOf(u"SELECT %1 FROM records %2 ORDER BY %3, seq %4"_s.arg(
                      SharedRecordRow::columns(), where.isEmpty() ? QString() : u"WHERE "_s + where.join(u" AND "_s),
                      key, pageLimit(search)),
                  values);
}

ResultPage<SharedRecord> RecordFinder::pageOf(const QString& sql, const QVariantList& values)
{
    bool ok = false;
    QSqlQuery query = runStatement(m_db, sql, values, &ok);
    return pageOfRows<SharedRecord>(query, ok, SharedRecordRow::fromQuery);
}
