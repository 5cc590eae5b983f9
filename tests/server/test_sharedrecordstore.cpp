// The server's storage called from many request threads at once, as the HTTP side calls it:
// writes are queued to one writer and committed many to a transaction, and each must still
// stand or fall on its own.
#include "PostgresInstance.h"
#include "ServerUnderTest.h"
#include "server/SharedRecordStore.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

TravelRecord record(const QString& place)
{
    QByteArray line = place.toLatin1() + "|Good|Hotel|Quiet|";
    for (int i = 4; i < 24; ++i)
        line += i == 23 ? "*|" : "|";
    return *TravelRecord::fromDecodedLine(line);
}

// Runs each(thread, i) for i below perThread on kThreads threads started together.
template <typename Each> void onManyThreads(int perThread, Each each)
{
    constexpr int kThreads = 16;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, perThread, &each] {
            for (int i = 0; i < perThread; ++i)
                each(t, i);
        });
    for (std::thread& thread : threads)
        thread.join();
}

// Runs one statement on the SQLite file on a connection of its own, closed again after it:
// the value of the first row of a query, or whether the statement ran.
QVariant sqlOnFile(const QString& file, const QString& statement)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"side"_s);
    db.setDatabaseName(file);
    QSqlQuery query(db);
    const bool ok = db.open() && query.exec(statement) && (!query.isSelect() || query.next());
    const QVariant value = ok && query.isSelect() ? query.value(0) : QVariant(ok);
    query = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"side"_s);
    return value;
}

// How many writes made on many threads at once ended in each status.
template <typename Write> QHash<WriteOutcome::Status, int> outcomesOnManyThreads(int perThread, Write write)
{
    QMutex lock;
    QHash<WriteOutcome::Status, int> counts;
    onManyThreads(perThread, [&](int t, int i) {
        const WriteOutcome::Status status = write(t, i).status;
        QMutexLocker guard(&lock);
        ++counts[status];
    });
    return counts;
}

// A record of the search data: every value the browser filters or sorts on is set.
SharedRecord searchable(int i)
{
    // Keys longer than the sort keys kept in memory hold, which tie in what they keep.
    static const char* const kCities[] = {"Oslo", "Bergen", "Tromsø", "Ålesund Sentrum Vest", "Bodø"};
    // Filter values too: a country and two types longer than those keys, the two types alike
    // in their first bytes. Qland and Rland stay the countries of every third record.
    static const char* const kCountries[] = {"Qland", "Rland", "Sland", "Qland", "Rland", "Sland Federated Northern"};
    static const char* const kTypes[] = {"Yurt", "Hut", "Igloo", "Canal barge with cabins", "Canal barge with bunks"};
    SharedRecord shared;
    shared.installation = u"finder"_s;
    shared.sharedAt = 1700000000 + i;
    const std::pair<int, QString> values[] = {
        // Sorting by place is a shuffle of the order the records were shared in.
        {RecordColumns::Place, (i % 3 ? u"%1 Lodge"_s : u"Grand Hotel Fjordview %1"_s)
                                   .arg((i * 37) % 400, 3, 10, QLatin1Char('0'))},
        {RecordColumns::Satisfaction, i % 4 ? u"Good"_s : u"Poor"_s},
        {RecordColumns::Type, QString::fromUtf8(kTypes[i % 5])},
        // zqhalf is in every other record; zqrare in one of 40.
        {RecordColumns::Comments, u"%1 %2 room"_s.arg(i % 2 ? u"plain"_s : u"zqhalf"_s,
                                                      i % 40 ? u""_s : u"zqrare"_s)},
        {RecordColumns::Country, QString::fromUtf8(kCountries[i % 6])},
        // The one city that sorts last, and its word matches nothing that sorts before it.
        {RecordColumns::City, i % 8 ? QString::fromUtf8(kCities[i % 5]) : u"Zqlast"_s},
        {RecordColumns::DateVisited, u"%1-%2-20%3"_s.arg(1 + i % 12).arg(1 + i % 28).arg(i % 10, 2, 10, QLatin1Char('0'))},
        {RecordColumns::UploadMark, u"*"_s},
    };
    for (const auto& [column, value] : values)
        shared.record.setField(column, value);
    return shared;
}

// Every page of a search, in order, as identifiers.
QStringList allPages(SharedRecordStore& store, RecordSearch search)
{
    QStringList identifiers;
    for (search.page = 0;; ++search.page) {
        const ResultPage<SharedRecord> page = store.findRecords(search);
        if (page.failed)
            return {u"the search failed"_s};
        for (const SharedRecord& shared : page.rows)
            identifiers << shared.identifier;
        if (!page.hasMore)
            return identifiers;
    }
}

} // namespace

class SharedRecordStoreTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    PostgresInstance m_postgres;
    QString m_database;
    std::unique_ptr<SharedRecordStore> m_store;

private slots:
    void initTestCase()
    {
        const auto database = ServerUnderTest::testDatabase(m_folder.filePath(u"store.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        m_database = *database;
    }

    void init()
    {
        m_store = std::make_unique<SharedRecordStore>(m_database);
        QVERIFY2(m_store->open(), qPrintable(m_store->error()));
    }

    void cleanup() { m_store.reset(); }

    // A search answered from the first rows of its sort order, or by the sort keys held in
    // memory, gives the very pages that the database gives when it gathers every match,
    // whether the matches are many, few, or all at the end of the order, and whether their
    // keys are short or long; and the pages hold each match once.
    // First, while the database holds no other records.
    void searchPlansGiveTheSamePages()
    {
        QList<SharedRecord> records;
        for (int i = 0; i < 400; ++i)
            records << searchable(i);
        QVERIFY(m_store->addRecordsInBulk(records));
        // A window of at least 60 rows, 3 for each row up to the end of the page.
        SharedRecordStore windowed(m_database, SharedRecordStore::kDefaultLimits, SearchWindow{60, 3, 100000, false});
        SharedRecordStore inMemory(m_database, SharedRecordStore::kDefaultLimits, SearchWindow{0, 0, 0, true});
        SharedRecordStore gathering(m_database, SharedRecordStore::kDefaultLimits, SearchWindow{0, 0, 0, false});
        QVERIFY(windowed.open() && inMemory.open() && gathering.open());
        struct Case
        {
            QString words, country, type, satisfaction;
            int matches; // -1: not counted (other tests' records may match)
        };
        const Case cases[] = {
            {u"zqhalf"_s, {}, {}, {}, 200},        {u"ZQHALF room"_s, {}, {}, {}, 200},
            {u"zqrare"_s, {}, {}, {}, 10},         {u"zqlast"_s, {}, {}, {}, 50},
            {u"zqhalf"_s, u"Rland"_s, {}, {}, 66}, {u"zqha"_s, {}, u"Hut"_s, u"Good"_s, 20},
            {u"zqhalf"_s, {}, u"Yurt"_s, {}, 40},  {u"bergen"_s, {}, {}, {}, 70},
            {{}, {}, u"Igloo"_s, {}, 80},          {{}, u"Sland"_s, {}, u"Poor"_s, -1},
            {u"zqhalf"_s, u"Rland"_s, u"Hut"_s, {}, 13}, {{}, {}, {}, u"Nobody's"_s, 0},
            {{}, {}, u"Canal barge with bunks"_s, {}, 80}, {{}, u"Sland Federated Northern"_s, {}, {}, 66},
            {{}, u"Sland Federated Northern"_s, u"Canal barge with cabins"_s, u"Good"_s, 13},
            {{}, u"Sland Federated"_s, {}, {}, 0}, {{}, u"Qland"_s, {}, {}, -1},
        };
        for (const Case& c : cases) {
            for (RecordSearch::Sort sort : {RecordSearch::Sort::Place, RecordSearch::Sort::City,
                                            RecordSearch::Sort::Country, RecordSearch::Sort::DateVisited}) {
                RecordSearch search;
                search.words = c.words;
                search.country = c.country;
                search.type = c.type;
                search.satisfaction = c.satisfaction;
                search.sort = sort;
                const QString what = u"%1/%2/%3/%4 sorted by %5"_s.arg(c.words, c.country, c.type, c.satisfaction).arg(int(sort));
                const QStringList expected = allPages(gathering, search);
                QVERIFY2(allPages(windowed, search) == expected, qPrintable(what));
                QVERIFY2(allPages(inMemory, search) == expected, qPrintable(u"in memory: "_s + what));
                QCOMPARE(QSet<QString>(expected.begin(), expected.end()).size(), expected.size());
                if (c.matches >= 0)
                    QVERIFY2(expected.size() == c.matches, qPrintable(what + u" found %1"_s.arg(expected.size())));
            }
        }
    }

    // The sort keys a serving store holds in memory follow the records that the operator
    // removes through a store of its own, and the seq that SQLite then gives again to a
    // newer record: that record is found where its own key puts it.
    void keysInMemoryFollowRemovals()
    {
        const QString file = m_folder.filePath(u"removals.sqlite"_s);
        SharedRecordStore serving(file);
        QVERIFY(serving.open());
        QList<SharedRecord> cabins;
        for (int i = 0; i < 60; ++i) {
            SharedRecord cabin;
            cabin.installation = u"cabins"_s;
            cabin.record = record(u"Zq%1 Cabin"_s.arg(i, 2, 10, QLatin1Char('0')));
            cabin.record.setField(RecordColumns::Comments, u"zqgone"_s);
            cabins << cabin;
        }
        QVERIFY(serving.addRecordsInBulk(cabins));
        RecordSearch search;
        search.words = u"zqgone"_s;
        const QStringList before = allPages(serving, search);
        QCOMPARE(before.size(), 60);

        SharedRecordStore operatorStore(file, SharedRecordStore::kDefaultLimits, SearchWindow{0, 0, 0, false});
        QVERIFY(operatorStore.open());
        QVERIFY(operatorStore.removeRecord(before.last())); // the newest, whose seq is used again
        QVERIFY(operatorStore.removeRecord(before[10]));
        QCOMPARE(allPages(serving, search).size(), 58); // the removals are read before the seq is used again
        const auto share = [&operatorStore](const QString& place) {
            TravelRecord newer = record(place);
            newer.setField(RecordColumns::Comments, u"zqgone"_s);
            return operatorStore.shareRecord(u"newer"_s, {}, newer, 1700000000);
        };
        // The seq's new key puts it on the first page, the old one on the second.
        const WriteOutcome shared = share(u"Aa New Cabin"_s);
        QCOMPARE(int(shared.status), int(WriteOutcome::Status::Stored));
        QCOMPARE(allPages(serving, search).first(), shared.identifier);
        // Removed and used again between two searches; now the old key is on the first page.
        QVERIFY(operatorStore.removeRecord(shared.identifier));
        const WriteOutcome again = share(u"Zz Newer Cabin"_s);
        QCOMPARE(int(again.status), int(WriteOutcome::Status::Stored));
        const QStringList after = allPages(serving, search);
        QCOMPARE(after, allPages(operatorStore, search));
        QCOMPARE(after.size(), 59);
        QCOMPARE(after.last(), again.identifier);
        QVERIFY(!after.contains(before.last()) && !after.contains(before[10]) && !after.contains(shared.identifier));
    }

    // A records table given a seq far beyond any count of records (by hand, or by another
    // program) is searched by the database's own plans, not with memory for every seq.
    void farSeqsAreSearchedWithoutKeys()
    {
        const QString file = m_folder.filePath(u"far.sqlite"_s);
        SharedRecordStore store(file);
        QVERIFY(store.open());
        QVERIFY(sqlOnFile(file, u"INSERT INTO records (seq, id, mac, alias, content_key, shared_at, line, place, "
                                 "city, country, type, satisfaction, date_key, comments) VALUES (1099511627776, "
                                 "'far', 'm', '', 'k', 0, '', 'Far Inn', 'Oslo', 'Qland', 'Hut', 'Good', '', 'zqhalf')"_s)
                    .toBool());
        QVERIFY(store.addRecordsInBulk({searchable(0), searchable(2)})); // indexes the words of all three
        RecordSearch search;
        search.words = u"zqhalf"_s;
        search.sort = RecordSearch::Sort::City;
        const ResultPage<SharedRecord> page = store.findRecords(search);
        QVERIFY(!page.failed);
        QCOMPARE(page.rows.size(), 3);
        QCOMPARE(page.rows.first().identifier, u"far"_s);
    }

    // The filters' values held in memory have a number each up to a bound; a value that came
    // after the bound, and the values before it, are still found exactly.
    void filterValuesBeyondTheNumberedOnesAreFound()
    {
        const QString file = m_folder.filePath(u"values.sqlite"_s);
        SharedRecordStore store(file);
        QVERIFY(store.open());
        QList<SharedRecord> records;
        const int count = int(SortKeyIndex::kMostValues) + 2;
        for (int i = 0; i < count; ++i) {
            SharedRecord shared = searchable(i);
            shared.record.setField(RecordColumns::Satisfaction, u"mood %1"_s.arg(i));
            records << shared;
        }
        QVERIFY(store.addRecordsInBulk(records));
        for (const int i : {0, 4000, count - 1}) {
            RecordSearch search;
            search.satisfaction = u"mood %1"_s.arg(i);
            search.sort = RecordSearch::Sort::City;
            const ResultPage<SharedRecord> page = store.findRecords(search);
            QVERIFY(!page.failed);
            QCOMPARE(page.rows.size(), 1);
            QCOMPARE(page.rows.first().record.field(RecordColumns::Satisfaction), search.satisfaction);
        }
    }

    // A database of the first schema (as the first servers made it) gets the indexes of the
    // later ones when opened, keeps its records and finds them and new ones by their words;
    // one of a schema this server does not know is refused untouched.
    void olderSchemasAreBroughtUpToDate()
    {
        const QString file = m_folder.filePath(u"first-schema.sqlite"_s);
        {
            SharedRecordStore store(file);
            QVERIFY(store.open());
            QVERIFY(store.addRecordsInBulk({searchable(1), searchable(2)}));
        }
        const QString undo[] = {
            u"DROP TRIGGER records_log_removal"_s, u"DROP TABLE records_removed"_s,
            u"DROP TRIGGER records_note_unindexed"_s, u"DROP TABLE records_unindexed"_s,
            u"CREATE TRIGGER records_words_add AFTER INSERT ON records BEGIN "
            "INSERT INTO records_words(rowid, place, city, comments) "
            "VALUES (new.seq, new.place, new.city, new.comments); END"_s,
            u"CREATE INDEX records_type ON records (type)"_s, u"DELETE FROM schema_version WHERE version > 1"_s,
        };
        for (const QString& statement : undo)
            QVERIFY2(sqlOnFile(file, statement).toBool(), qPrintable(statement));
        {
            SharedRecordStore store(file);
            QVERIFY2(store.open(), qPrintable(store.error()));
            QCOMPARE(store.counts()->records, 2);
            QCOMPARE(int(store.shareRecord(u"later"_s, {}, record(u"Zqafter Inn"_s), 1700000000).status),
                     int(WriteOutcome::Status::Stored));
            RecordSearch search;
            search.words = u"zqhalf"_s; // the comments of searchable(2), shared before the upgrade
            QCOMPARE(store.findRecords(search).rows.size(), 1);
            search.words = u"zqafter"_s;
            QCOMPARE(store.findRecords(search).rows.size(), 1);
        }
        QCOMPARE(sqlOnFile(file, u"SELECT MAX(version) FROM schema_version"_s).toInt(), SharedRecordStore::kSchemaVersion);
        // The indexes of a filter in front of the sort keys came and went again: the sort keys
        // in memory hold the filters' values.
        QCOMPARE(sqlOnFile(file, u"SELECT COUNT(*) FROM sqlite_master WHERE name LIKE 'records_country_%' "
                     "OR name IN ('records_type_sorted', 'records_type', 'records_words_add')"_s).toInt(), 0);
        QCOMPARE(sqlOnFile(file, u"SELECT COUNT(*) FROM records_unindexed"_s).toInt(), 0);

        QVERIFY(sqlOnFile(file, u"INSERT INTO schema_version (version) VALUES (99)"_s).toBool());
        SharedRecordStore newer(file);
        QVERIFY(!newer.open());
        QVERIFY2(newer.error().contains(u"newer"_s), qPrintable(newer.error()));
        QCOMPARE(sqlOnFile(file, u"SELECT COUNT(*) FROM records"_s).toInt(), 3);
    }

    // Identifiers are letters and digits, all different, and those drawn later sort after
    // those drawn earlier (which keeps the identifier index from growing at random places).
    // Their random part leaves every character open at every position.
    void identifiersAreUniqueAndDrawnInOrder()
    {
        QStringList drawn;
        for (int i = 0; i < 4000; ++i)
            drawn << SharedRecordStore::newIdentifier();
        QTest::qWait(2);
        const QString later = SharedRecordStore::newIdentifier();
        QCOMPARE(QSet<QString>(drawn.begin(), drawn.end()).size(), drawn.size());
        static const QRegularExpression kForm(u"^[A-Za-z0-9]{16}$"_s);
        for (const QString& identifier : drawn + QStringList{later}) {
            QVERIFY2(kForm.match(identifier).hasMatch(), qPrintable(identifier));
            QVERIFY2(identifier.left(7) <= later.left(7), qPrintable(identifier + u" after "_s + later));
        }
        QVERIFY(drawn.last().left(7) < later.left(7));
        for (int position = 7; position < 16; ++position) {
            QSet<QChar> seen;
            for (const QString& identifier : drawn)
                seen << identifier[position];
            QVERIFY2(seen.size() == 62, qPrintable(u"position %1: %2 characters"_s.arg(position).arg(seen.size())));
        }
    }

    // Every share of many threads at once is stored once, under an identifier of its own, and
    // a second share of the same record gets its identifier back.
    void sharesFromManyThreadsAreEachStored()
    {
        const StoreCounts before = m_store->counts().value();
        QMutex lock;
        QStringList identifiers;
        std::atomic<int> notStored{0};
        onManyThreads(40, [&](int t, int i) {
            const QString installation = u"share-%1-%2"_s.arg(t).arg(i);
            // Anonymous shares pass a null alias as well as an empty one.
            const QString alias = i % 3 == 0 ? QString() : i % 3 == 1 ? QString(QLatin1String("")) : installation;
            const WriteOutcome outcome = m_store->shareRecord(installation, alias, record(u"Inn"_s), 1700000000);
            QMutexLocker guard(&lock);
            if (outcome.status == WriteOutcome::Status::Stored)
                identifiers << outcome.identifier;
            else
                ++notStored;
        });
        QCOMPARE(notStored.load(), 0);
        QCOMPARE(QSet<QString>(identifiers.begin(), identifiers.end()).size(), 640);
        QCOMPARE(m_store->counts()->records - before.records, 640);
        const WriteOutcome again = m_store->shareRecord(u"share-3-7"_s, u"share-3-7"_s, record(u"Inn"_s), 1700000001);
        QCOMPARE(int(again.status), int(WriteOutcome::Status::AlreadyStored));
        QVERIFY(identifiers.contains(again.identifier));
    }

    // Refused writes queued among stored ones leave nothing behind (not even their
    // installation), while the writes around them stay.
    void refusedWritesLeaveNothingInTheirBatch()
    {
        QCOMPARE(int(m_store->postToForum(u"owner"_s, u"Taken"_s, u"First"_s, u"stamp"_s, 1700000000).status),
                 int(WriteOutcome::Status::Stored));
        const StoreCounts before = m_store->counts().value();
        const auto outcomes = outcomesOnManyThreads(30, [&](int t, int i) {
            const QString installation = u"post-%1-%2"_s.arg(t).arg(i);
            const bool refused = (t + i) % 2 == 0;
            return m_store->postToForum(installation, refused ? u"TAKEN"_s : installation, u"Text"_s, u"stamp"_s,
                                        1700000000);
        });
        QCOMPARE(outcomes.value(WriteOutcome::Status::Stored), 240);
        QCOMPARE(outcomes.value(WriteOutcome::Status::AliasTaken), 240);
        const StoreCounts after = m_store->counts().value();
        QCOMPARE(after.posts - before.posts, 240);
        QCOMPARE(after.installations - before.installations, 240);
        QCOMPARE(after.aliases - before.aliases, 240);
    }

    // A write that fails after it has claimed its installation and alias leaves neither
    // behind, and the writes batched with it are stored all the same.
    void failedWritesAreUndoneInTheirBatch()
    {
        const QString file = m_folder.filePath(u"failing.sqlite"_s);
        SharedRecordStore store(file);
        QVERIFY(store.open());
        QVERIFY(sqlOnFile(file, u"CREATE TRIGGER refuse_broken BEFORE INSERT ON records "
                                 "WHEN new.place = 'Broken' BEGIN SELECT RAISE(ABORT, 'broken'); END"_s)
                    .toBool());
        const auto outcomes = outcomesOnManyThreads(30, [&](int t, int i) {
            const QString installation = u"writer-%1-%2"_s.arg(t).arg(i);
            const bool broken = (t + i) % 3 == 0;
            return store.shareRecord(installation, installation, record(broken ? u"Broken"_s : u"Inn"_s), 1700000000);
        });
        QCOMPARE(outcomes.value(WriteOutcome::Status::Failed), 160);
        QCOMPARE(outcomes.value(WriteOutcome::Status::Stored), 320);
        const StoreCounts counts = store.counts().value();
        QCOMPARE(counts.records, 320);
        QCOMPARE(counts.installations, 320);
        QCOMPARE(counts.aliases, 320);
    }

    // Servers started at once on a new database (several processes on one PostgreSQL, or a
    // restart that overlaps the old process) all bring it to the one schema; none fails on
    // the tables that another is creating, and the schema they made takes records.
    void serversStartedTogetherShareOneSchema()
    {
        const QString database = ServerUnderTest::onPostgres() ? m_postgres.addDatabase(u"together"_s)
                                                               : m_folder.filePath(u"together.sqlite"_s);
        QVERIFY(!database.isEmpty());
        constexpr int kServers = 6;
        std::vector<std::unique_ptr<SharedRecordStore>> stores;
        for (int i = 0; i < kServers; ++i)
            stores.push_back(std::make_unique<SharedRecordStore>(database));
        QStringList errors;
        QMutex lock;
        std::latch ready(kServers);
        std::vector<std::thread> starts;
        for (const auto& store : stores)
            starts.emplace_back([&, server = store.get()] {
                ready.arrive_and_wait();
                if (!server->open()) {
                    QMutexLocker guard(&lock);
                    errors << server->error();
                }
            });
        for (std::thread& start : starts)
            start.join();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u"; "_s)));
        QCOMPARE(int(stores.back()->shareRecord(u"first"_s, u"First"_s, record(u"Zqtogether Inn"_s), 1700000000).status),
                 int(WriteOutcome::Status::Stored));
        RecordSearch search;
        search.words = u"zqtogether"_s;
        QCOMPARE(stores.front()->findRecords(search).rows.size(), 1);
    }

    // A database whose schema is current opens without taking the write lock: for an
    // operator's role that may only read (PostgreSQL), and while another connection holds
    // the lock (SQLite), as a long import would.
    void aCurrentSchemaOpensOnlyToRead()
    {
        QCOMPARE(int(m_store->shareRecord(u"reading"_s, {}, record(u"Zqreading Inn"_s), 1700000000).status),
                 int(WriteOutcome::Status::Stored));
        const QString holderName = u"holds the write lock"_s;
        // Declared before the store below, so that the lock goes after the store, and even
        // when a check fails.
        const auto releaseLock = qScopeGuard([&] {
            QSqlDatabase::database(holderName, false).close();
            QSqlDatabase::removeDatabase(holderName);
        });
        QString location = m_database;
        if (ServerUnderTest::onPostgres()) {
            location = m_postgres.addReader(u"reader"_s);
            QVERIFY(!location.isEmpty());
        } else {
            QSqlDatabase holder = QSqlDatabase::addDatabase(u"QSQLITE"_s, holderName);
            holder.setDatabaseName(m_database);
            QVERIFY(holder.open());
            QVERIFY(QSqlQuery(holder).exec(u"BEGIN IMMEDIATE"_s));
        }
        SharedRecordStore reading(location);
        QVERIFY2(reading.open(), qPrintable(reading.error()));
        RecordSearch search;
        search.words = u"zqreading"_s;
        QCOMPARE(reading.findRecords(search).rows.size(), 1);
        QVERIFY(reading.counts().has_value());
    }
};

QTEST_GUILESS_MAIN(SharedRecordStoreTest)
#include "test_sharedrecordstore.moc"
