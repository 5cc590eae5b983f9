#include "server/SearchIndex.h"

#include "server/SearchWords.h"

#include <QVariant>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Rows read from the database between two changes of the index: this bounds the memory that
// reading a whole table takes besides the index itself, and how long searches wait for it.
constexpr int kRowsAtOnce = 65536;

} // namespace

SearchIndex::SearchIndex(const SqlDialect& dialect)
{
    QStringList columns;
    for (const QString& column : {u"place"_s, u"city"_s, u"country"_s, u"date_key"_s, u"type"_s, u"satisfaction"_s,
                                  u"search_text"_s})
        columns << dialect.utf8Bytes(column);
    m_additions = u"SELECT seq, %1 FROM records WHERE seq > ? ORDER BY seq LIMIT ?"_s.arg(columns.join(u", "_s));
}

bool SearchIndex::update(PreparedStatements& db)
{
    // A search must see every record committed before it began, and so does every read of
    // the table begun after it began: while one read is under way, the searches that come
    // wait for one begun after them instead of each reading the same few rows.
    std::unique_lock guard(m_readLock);
    const quint64 needed = m_readsBegun + 1;
    m_readEnded.wait(guard, [&] { return m_readsEnded >= needed || !m_reading; });
    if (m_readsEnded >= needed)
        return m_lastReadOk;
    m_reading = true;
    ++m_readsBegun;
    guard.unlock();
    // Removals first: a record added and removed in between is then read as it is, gone.
    const bool ok = readRemovals(db) && readAdditions(db);
    guard.lock();
    m_reading = false;
    m_readsEnded = m_readsBegun;
    m_lastReadOk = ok;
    m_readEnded.notify_all();
    return ok;
}

bool SearchIndex::readRemovals(PreparedStatements& db)
{
    bool ok = false;
    QSqlQuery& removals = db.run(u"SELECT n, seq FROM records_removed WHERE n > ? ORDER BY n"_s, {m_removalsSeen}, &ok);
    std::vector<qint64> seqs;
    qint64 seen = m_removalsSeen;
    while (ok && removals.next()) {
        seen = removals.value(0).toLongLong();
        seqs.push_back(removals.value(1).toLongLong());
    }
    if (!ok)
        return false;
    std::unique_lock lock(m_lock);
    for (const qint64 seq : seqs)
        remove(seq);
    m_removalsSeen = seen;
    return true;
}

bool SearchIndex::readAdditions(PreparedStatements& db)
{
    for (;;) {
        bool ok = false;
        QSqlQuery& query = db.run(m_additions, {m_lastSeq, kRowsAtOnce}, &ok);
        std::vector<Row> rows;
        rows.reserve(kRowsAtOnce);
        while (ok && query.next()) {
            Row row{query.value(0).toLongLong(), {}, {}, {}};
            for (int key = 0; key < 4; ++key)
                row.keys[size_t(key)] = query.value(1 + key).toByteArray();
            row.values = {row.keys[size_t(RecordSearch::Sort::Country)], query.value(5).toByteArray(),
                          query.value(6).toByteArray()};
            row.words = query.value(7).toByteArray().split(' ');
            rows.push_back(std::move(row));
        }
        if (!ok)
            return false;
        if (!rows.empty()) {
            std::unique_lock lock(m_lock);
            add(rows);
        }
        if (rows.size() < size_t(kRowsAtOnce))
            return true;
    }
}

void SearchIndex::add(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        const auto slot = quint32(m_seqs.size());
        m_seqs.push_back(row.seq);
        m_present.push_back(true);
        ++m_presentCount;
        for (size_t key = 0; key < row.keys.size(); ++key)
            m_orders[key].add(slot, row.keys[key]);
        for (size_t filter = 0; filter < kFilters; ++filter)
            m_valueOfSlot[filter].push_back(m_values[filter].add(row.values[filter], slot));
        const quint32 country = m_valueOfSlot[CountryValue].back();
        if (country >= m_perCountry.size())
            m_perCountry.resize(country + 1, 0);
        ++m_perCountry[country];
        for (const QByteArray& word : row.words) {
            if (!word.isEmpty())
                m_words.add(word, slot);
        }
        m_lastSeq = row.seq;
    }
    for (SortOrder& order : m_orders)
        order.settle();
    for (TermPostings& values : m_values)
        values.settle();
    m_words.settle();
}

void SearchIndex::remove(qint64 seq)
{
    const auto found = std::lower_bound(m_seqs.begin(), m_seqs.end(), seq);
    if (found == m_seqs.end() || *found != seq)
        return; // removed before it was read
    const auto slot = size_t(found - m_seqs.begin());
    if (!m_present[slot])
        return;
    m_present[slot] = false;
    --m_presentCount;
    --m_perCountry[m_valueOfSlot[CountryValue][slot]];
}

QList<std::pair<QString, qint64>> SearchIndex::countries() const
{
    std::shared_lock lock(m_lock);
    QList<std::pair<QString, qint64>> countries;
    for (quint32 number = 0; number < m_perCountry.size(); ++number) {
        if (m_perCountry[number] > 0)
            countries.append({QString::fromUtf8(m_values[CountryValue].text(number)), m_perCountry[number]});
    }
    return countries;
}

std::optional<std::vector<SearchTerm>> SearchIndex::termsOf(const RecordSearch& search) const
{
    std::vector<SearchTerm> terms;
    for (const QString& word : SearchWords::ofQuery(search.words)) {
        std::vector<const TermPostings::Slots*> lists;
        for (const quint32 number : m_words.startingWith(word.toUtf8()))
            lists.push_back(&m_words.slotsOf(number));
        if (lists.empty())
            return std::nullopt; // no record has it
        terms.emplace_back(std::move(lists));
    }
    const QString* filters[kFilters] = {&search.country, &search.type, &search.satisfaction};
    for (size_t filter = 0; filter < kFilters; ++filter) {
        if (filters[filter]->isEmpty())
            continue;
        const std::optional<quint32> number = m_values[filter].find(filters[filter]->toUtf8());
        if (!number)
            return std::nullopt;
        terms.emplace_back(m_valueOfSlot[filter], *number, m_values[filter].slotsOf(*number));
    }
    return terms;
}

SearchIndex::Page SearchIndex::choose(const RecordSearch& search) const
{
    std::shared_lock lock(m_lock);
    std::optional<std::vector<SearchTerm>> terms = termsOf(search);
    if (!terms)
        return {};
    const qint64 offset = qint64(qMax(0, search.page)) * RecordSearch::kPageSize;
    const SortOrder& order = m_orders[size_t(search.sort)];
    if (terms->empty())
        return *scanned(*terms, order, offset, std::numeric_limits<qint64>::max());
    // Walking the sort order costs a step for each record passed until the page is full;
    // gathering every match of the rarest condition, one for each of them. The matches are
    // guessed as if the conditions were independent (a word that most records in one part of
    // the order hold, a city, is not): a walk that takes much longer than the gathering would
    // is left for it, so that a wrong guess costs little.
    const qint64 present = qMax<qint64>(1, m_presentCount);
    double matches = double(present);
    qint64 rarest = present;
    for (const SearchTerm& term : *terms) {
        matches *= double(term.total()) / double(present);
        rarest = qMin(rarest, qint64(term.total()));
    }
    const double walk = double(offset + RecordSearch::kPageSize + 1) * double(present) / qMax(matches, 1.0);
    // A step of the walk can cost ten of the gathering (a test by halving a list).
    const qint64 budget = rarest / 8 + 1024;
    if (walk < double(budget)) {
        for (SearchTerm& term : *terms)
            term.prepare(size_t(walk), quint32(m_seqs.size()));
        if (auto page = scanned(*terms, order, offset, budget))
            return *page;
    }
    return gathered(*terms, order, offset);
}

bool SearchIndex::passes(const std::vector<SearchTerm>& terms, quint32 slot, const SearchTerm* skip) const
{
    if (!m_present[slot])
        return false;
    for (const SearchTerm& term : terms) {
        if (&term != skip && !term.contains(slot))
            return false;
    }
    return true;
}

std::optional<SearchIndex::Page> SearchIndex::scanned(std::vector<SearchTerm>& terms, const SortOrder& order,
                                                      qint64 offset, qint64 budget) const
{
    std::vector<quint32> page;
    qint64 passed = 0;
    bool done = false;
    order.visit([&](quint32 slot) {
        if (--budget < 0)
            return false;
        if (!passes(terms, slot))
            return true;
        if (passed++ >= offset)
            page.push_back(slot);
        done = page.size() == RecordSearch::kPageSize + 1;
        return !done;
    });
    if (budget < 0)
        return std::nullopt;
    return pageOf(page);
}

SearchIndex::Page SearchIndex::gathered(std::vector<SearchTerm>& terms, const SortOrder& order, qint64 offset) const
{
    const auto rarest = std::min_element(terms.begin(), terms.end(), [](const SearchTerm& a, const SearchTerm& b) {
        return a.total() < b.total();
    });
    for (SearchTerm& term : terms) {
        if (&term != &*rarest) // its own matches are not tested
            term.prepare(rarest->total(), quint32(m_seqs.size()));
    }
    std::vector<std::pair<quint64, quint32>> matches;
    for (const quint32 slot : rarest->everySlot(quint32(m_seqs.size()))) {
        if (passes(terms, slot, &*rarest))
            matches.emplace_back(order.placeOf(slot), slot);
    }
    const auto first = matches.begin() + std::min<qint64>(offset, qint64(matches.size()));
    const auto last = matches.begin() + std::min<qint64>(offset + RecordSearch::kPageSize + 1, qint64(matches.size()));
    std::nth_element(matches.begin(), first, matches.end());
    std::nth_element(first, last, matches.end());
    std::sort(first, last);
    std::vector<quint32> page;
    for (auto match = first; match != last; ++match)
        page.push_back(match->second);
    return pageOf(page);
}

SearchIndex::Page SearchIndex::pageOf(const std::vector<quint32>& chosen) const
{
    Page page;
    page.hasMore = chosen.size() > size_t(RecordSearch::kPageSize);
    for (size_t i = 0; i < chosen.size() && i < size_t(RecordSearch::kPageSize); ++i)
        page.seqs << m_seqs[chosen[i]];
    return page;
}
