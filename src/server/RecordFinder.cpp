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
    QList<SharedRecord> rows(seqs.size());
    QHash<qint64, qsizetype> missing; // by seq, where on the page
    for (qsizetype i = 0; i < seqs.size(); ++i) {
        if (std::optional<SharedRecord> kept = m_rows.find(seqs[i]))
            rows[i] = std::move(*kept);
        else
            missing.insert(seqs[i], i);
    }
    *failed = false;
    if (missing.isEmpty())
        return rows;
    static const QString kStatements[] = {pageStatement(SqlDialect(SqlDialect::Engine::Sqlite)),
                                          pageStatement(SqlDialect(SqlDialect::Engine::Postgres))};
    const QString& statement = kStatements[m_dialect.engine() == SqlDialect::Engine::Sqlite ? 0 : 1];
    QVariantList values(RecordSearch::kPageSize, qint64(-1));
    qsizetype bound = 0;
    for (auto seq = missing.cbegin(); seq != missing.cend(); ++seq)
        values[bound++] = seq.key();
    bool ok = false;
    QSqlQuery& query = m_db.run(statement, values, &ok);
    qsizetype read = 0;
    const int seqColumn = 5;
    while (ok && query.next()) {
        const qint64 seq = query.value(seqColumn).toLongLong();
        rows[missing.value(seq)] = SharedRecordRow::fromQuery(query);
        m_rows.keep(seq, rows[missing.value(seq)]);
        ++read;
    }
    *failed = !ok;
    if (!ok || read != missing.size())
        return std::nullopt;
    return rows;
}
