#include "server/RecordFinder.h"

#include "server/SharedRecordRow.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

// One statement for every page, prepared once: seqs that a short page lacks are bound as -1.
QString pageStatement(const SqlDialect& dialect)
{
    QStringList marks;
    for (int i = 0; i < RecordSearch::kPageSize; ++i)
        marks << u"?"_s;
    return u"SELECT %1, seq FROM records WHERE seq IN (%2)"_s.arg(SharedRecordRow::columns(dialect), marks.join(u','));
}

} // namespace

ResultPage<SharedRecord> RecordFinder::find(const RecordSearch& search)
{
    ResultPage<SharedRecord> page;
    // A record removed between the choice and the read leaves its page to be chosen again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!m_index.update(m_db))
            break;
        const SearchIndex::Page chosen = m_index.choose(search);
        bool failed = false;
        if (auto rows = rowsOf(chosen.seqs, &failed)) {
            page.rows = std::move(*rows);
            page.hasMore = chosen.hasMore;
            return page;
        }
        if (failed)
            break;
    }
    page.failed = true;
    return page;
}

std::optional<QList<SharedRecord>> RecordFinder::rowsOf(const QList<qint64>& seqs, bool* failed)
{
    if (seqs.isEmpty())
        return QList<SharedRecord>();
    static const QString kStatements[] = {pageStatement(SqlDialect(SqlDialect::Engine::Sqlite)),
                                          pageStatement(SqlDialect(SqlDialect::Engine::Postgres))};
    const QString& statement = kStatements[m_dialect.engine() == SqlDialect::Engine::Sqlite ? 0 : 1];
    QVariantList values(RecordSearch::kPageSize, qint64(-1));
    QHash<qint64, qsizetype> position;
    for (qsizetype i = 0; i < seqs.size(); ++i) {
        values[i] = seqs[i];
        position.insert(seqs[i], i);
    }
    bool ok = false;
    QSqlQuery& query = m_db.run(statement, values, &ok);
    QList<SharedRecord> rows(seqs.size());
    qsizetype read = 0;
    const int seqColumn = 5;
    while (ok && query.next()) {
        rows[position.value(query.value(seqColumn).toLongLong())] = SharedRecordRow::fromQuery(query);
        ++read;
    }
    *failed = !ok;
    if (!ok || read != seqs.size())
        return std::nullopt;
    return rows;
}
