// The server's storage on an SQLite file and on PostgreSQL: searches, writes from many threads,
// older schemas, the database going away and coming back, passwords, the backup.
#include "PostgresInstance.h"
#include "ServerUnderTest.h"
#include "server/AdminCommands.h"
#include "server/SchemaMigrations.h"
#include "server/SharedRecordStore.h"
#include "server/SqlRun.h"
#include "server/WriteTransaction.h"
#include "store/RecordValues.h"

#include <QMutex>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <future>
#include <thread>

using namespace Qt::StringLiterals;
using Status = WriteOutcome::Status;
using Sort = RecordSearch::Sort;

namespace {

TravelRecord record(const QString& place, const QString& comments = {}, const QString& date = {})
{
    TravelRecord made;
    for (const auto& [column, value] : {std::pair{RecordColumns::Place, place}, {RecordColumns::Comments, comments},
                                        {RecordColumns::DateVisited, date}, {RecordColumns::UploadMark, u"*"_s}})
        made.setField(column, value);
    return made;
}

// A record of the search data, i from 0 to 1319: every value the browser filters or sorts on is
// set, in cycles that divide 1320, so each search's count is known. zqrare is in one of 40.
SharedRecord searchable(int i)
{
    static const char* const kCities[] = {"Oslo", "Bergen", "Zürich", "Ålesund Sentrum Vest", "Øresund"};
    // Values longer than a short key, and two alike in their first bytes.
    static const char* const kCountries[] = {"Qland", "Rland", "Sland", "Qland", "Rland", "Sland Federated Northern"};
    static const char* const kTypes[] = {"Yurt", "Hut", "Igloo", "Canal barge with cabins", "Canal barge with bunks"};
    // The picker's dates, the stamp's, and texts that are no date.
    const QString day = u"%1/%2/20%3"_s.arg(1 + i % 12).arg(1 + i % 28).arg(i % 7, 2, 10, QChar(u'0'));
    const QString dates[] = {day, QDate::fromString(day, u"M/d/yyyy"_s).toString(u"MM-dd-yyyy"_s),
                             i % 2 ? QString() : u"summer"_s};
    SharedRecord shared{{}, u"finder"_s, i % 2 ? u"Finder"_s : QString(), 1700000000 + i, // the order of sharing
                        record(u"%1 Lodge"_s.arg((i * 37) % 1320, 4, 10, QChar(u'0')),
                               u"%1 %2 %3 room"_s.arg(i % 2 ? u"plain"_s : u"zqhalf"_s, i % 40 ? u""_s : u"zqrare"_s,
                                                      i % 8 == 3 ? u"Café Crème"_s : u""_s),
                               dates[i % 3])};
    for (const auto& [column, value] : {std::pair{RecordColumns::Satisfaction, i % 4 ? u"Good"_s : u"Poor"_s},
                                        {RecordColumns::Type, QString::fromUtf8(kTypes[i % 5])},
                                        {RecordColumns::Country, QString::fromUtf8(kCountries[i % 6])},
                                        {RecordColumns::City, i % 8 ? QString::fromUtf8(kCities[i % 5]) : u"Zqlast"_s}})
        shared.record.setField(column, value);
    return shared;
}

RecordSearch searchFor(const QString& words, Sort sort = Sort::Place, const QStringList& countryTypeMark = {})
{
    return RecordSearch{words, countryTypeMark.value(0), countryTypeMark.value(1), countryTypeMark.value(2), sort, 0};
}

// Every page of a search, in order; nothing when one failed.
QList<SharedRecord> allPages(SharedRecordStore& store, RecordSearch search)
{
    QList<SharedRecord> rows;
    ResultPage<SharedRecord> page;
    do
        rows += (page = store.findRecords(search)).rows;
    while (page.hasMore && !page.failed && ++search.page);
    return page.failed ? QList<SharedRecord>() : rows;
}

// What a sort compares: the key's bytes; for dates, those that are dates first, by the day.
std::tuple<bool, double, QByteArray> sortKey(const TravelRecord& record, Sort sort)
{
    const QString text = record.field(std::array{RecordColumns::Place, RecordColumns::City, RecordColumns::Country,
                                                 RecordColumns::DateVisited}[size_t(sort)]);
    const auto date = sort == Sort::DateVisited ? RecordValues::dateValue(text, QLocale(QLocale::English, QLocale::UnitedStates))
                                                : std::nullopt;
    return {!date, date.value_or(0), date ? QByteArray() : text.toUtf8()};
}

// How many of the calls made on 16 threads at once (each of them perThread times) gave each result.
template <typename Call> auto onManyThreads(int perThread, Call call)
{
    using Result = decltype(call(0, 0));
    std::vector<std::future<QList<Result>>> threads;
    for (int t = 0; t < 16; ++t)
        threads.push_back(std::async(std::launch::async, [=] {
            QList<Result> results;
            for (int i = 0; i < perThread; ++i)
                results << call(t, i);
            return results;
        }));
    QHash<Result, int> counts;
    for (auto& thread : threads)
        for (const Result& result : thread.get())
            ++counts[result];
    return counts;
}

} // namespace

class SharedRecordStoreTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    PostgresInstance m_postgres;
    QString m_database;
    std::unique_ptr<SharedRecordStore> m_store;    // on m_database
    std::unique_ptr<SharedRecordStore> m_searched; // on the search data alone

    QString freshDatabase(const QString& name) // a new empty one of the engine under test
    {
        return ServerUnderTest::onPostgres() ? m_postgres.addDatabase(name) : m_folder.filePath(name + u".sqlite"_s);
    }

private slots:
    void initTestCase()
    {
        const auto database = ServerUnderTest::testDatabase(m_folder.filePath(u"store.sqlite"_s), m_postgres);
        if (!database)
            QSKIP(qPrintable(m_postgres.skipReason()));
        m_store = std::make_unique<SharedRecordStore>(m_database = *database);
        m_searched = std::make_unique<SharedRecordStore>(freshDatabase(u"search"_s));
        QVERIFY2(m_store->open() && m_searched->open(), qPrintable(m_store->error() + m_searched->error()));
        // Most records are read in one go, the last ones after a search: every search then
        // reads both kinds of order that the index keeps.
        QList<SharedRecord> records;
        for (int i = 0; i < 1320; ++i)
            records << searchable(i);
        QCOMPARE(m_searched->addRecordsInBulk(records.first(1200)), 1200);
        QVERIFY(m_searched->prepareSearches());
        QCOMPARE(m_searched->addRecordsInBulk(records.mid(1200)), 120);
    }

    // Every page of a search in each sort order: its matches are all there (a filter left out
    // finds more), once each, in the order of the key and then of sharing, common or rare ones.
    void searchFindsAndSorts_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<int>("matches");
        QTest::newRow("everything") << QString() << QStringList() << 1320;
        QTest::newRow("numbers") << u"12"_s << QStringList() << 100;
        QTest::newRow("rare word") << u"zqrare"_s << QStringList() << 33;
        QTest::newRow("word at the end") << u"zqlast"_s << QStringList() << 165;
        QTest::newRow("word and country") << u"zqhalf"_s << QStringList{u"Rland"_s} << 220;
        QTest::newRow("prefix and filters") << u"zqha"_s << QStringList{{}, u"Hut"_s, u"Good"_s} << 66;
        QTest::newRow("long type") << QString() << QStringList{{}, u"Canal barge with bunks"_s} << 264;
        QTest::newRow("country and mark") << QString() << QStringList{u"Sland"_s, {}, u"Poor"_s} << 110;
        QTest::newRow("part of a value") << QString() << QStringList{u"Sland Federated"_s} << 0;
        QTest::newRow("no such mark") << QString() << QStringList{{}, {}, u"Nobody's"_s} << 0;
        QTest::newRow("no such word") << u"zqhalf zqnone"_s << QStringList() << 0;
        QTest::newRow("without accents") << u"cafe creme"_s << QStringList() << 165;
        QTest::newRow("accented, capitals") << u"CAFÉ"_s << QStringList() << 165;
        QTest::newRow("city") << u"zurich"_s << QStringList() << 231;
        QTest::newRow("spelt with e") << u"oeresund"_s << QStringList() << 231;
    }
    void searchFindsAndSorts()
    {
        QFETCH(QString, words);
        QFETCH(QStringList, filters);
        QFETCH(int, matches);
        for (const Sort sort : {Sort::Place, Sort::City, Sort::Country, Sort::DateVisited}) {
            // A row twice breaks the order of keys and times.
            const QList<SharedRecord> rows = allPages(*m_searched, searchFor(words, sort, filters));
            for (qsizetype i = 0; i < rows.size(); ++i) {
                const auto before = sortKey(rows[qMax(i - 1, 0)].record, sort), after = sortKey(rows[i].record, sort);
                QVERIFY2(i == 0 || before < after || (before == after && rows[i - 1].sharedAt < rows[i].sharedAt),
                         qPrintable(u"sort %1 row %2"_s.arg(int(sort)).arg(i)));
            }
            QCOMPARE(rows.size(), matches);
        }
    }

    // A database of the first schema is brought up to date: its records are found by folded words
    // and sorted by both forms of dates, new ones stored. One of a newer server is refused.
    void olderSchemasAreBroughtUpToDate()
    {
        const QString database = freshDatabase(u"older"_s);
        QSqlDatabase db = DatabaseAddress(database).add(u"first schema"_s);
        QString error;
        const SqlDialect dialect(db.driverName() == u"QPSQL"_s ? SqlDialect::Engine::Postgres : SqlDialect::Engine::Sqlite);
        QVERIFY2(db.open() && SchemaMigrations(dialect).bringUpToDate(db, &error, 1), qPrintable(error));
        TravelRecord olds[] = {record(u"Café Crème"_s, u"Øresund view"_s, u"03-07-2006"_s), record(u"Old Inn"_s, {}, u"12/24/2005"_s)};
        olds[0].setField(RecordColumns::City, u"Zürich"_s);
        for (bool ok = false; const TravelRecord& old : olds) {
            const QString place = old.field(RecordColumns::Place); // its identifier and content key too
            runStatement(db, u"INSERT INTO records (id, mac, alias, content_key, shared_at, line, place, city, country, "
                             "type, satisfaction, date_key, comments) VALUES (?, 'm', '', ?, 0, ?, ?, '', '', '', '', ?, ?)"_s,
                         {place, place, old.RowToLine(), place, old.field(RecordColumns::DateVisited),
                          old.field(RecordColumns::Comments)}, &ok);
            QVERIFY(ok);
        }
        SharedRecordStore store(database);
        QVERIFY2(store.open(), qPrintable(store.error()));
        QCOMPARE(store.shareRecord(u"later"_s, {}, record(u"Zqafter Inn"_s), 1700000000).status, Status::Stored);
        for (const QString& words : {u"zurich cafe"_s, u"oeresund"_s, u"zqafter"_s})
            QCOMPARE(allPages(store, searchFor(words)).size(), 1);
        QStringList byDate;
        for (const SharedRecord& row : allPages(store, searchFor({}, Sort::DateVisited)))
            byDate << row.record.field(RecordColumns::DateVisited);
        QCOMPARE(byDate.join(u' '), u"12/24/2005 03-07-2006 "_s); // as texts, the other way round
        bool ok = false;
        runStatement(db, u"INSERT INTO schema_version (version) VALUES (99)"_s, {}, &ok);
        SharedRecordStore newer(database);
        QVERIFY(ok && !newer.open() && newer.error().contains(u"newer"_s) && store.counts()->records == 3);
    }

    // Writes of many threads at once are each stored once, with an alias or without (a null one
    // or an empty one); those refused (another's alias) or failed (the database refuses the row)
    // leave nothing, not even their installation or alias, and the others of their batch stay.
    // A second share of a record gets its identifier back; one without a place is refused.
    void writesFromManyThreads()
    {
        const QString database = m_folder.filePath(u"refusing.sqlite"_s);
        SharedRecordStore store(database);
        QSqlDatabase db = DatabaseAddress(database).add(database);
        bool ok = store.open() && db.open();
        runStatement(db, u"CREATE TRIGGER refuse BEFORE INSERT ON records WHEN new.place = 'Broken' "
                         "BEGIN SELECT RAISE(ABORT, 'broken'); END"_s, {}, &ok);
        QVERIFY(ok && store.shareRecord(u"owner"_s, u"Taken"_s, record(u"First"_s), 1).status == Status::Stored);
        const auto outcomes = onManyThreads(30, [&](int t, int i) {
            const QString installation = u"writer-%1-%2"_s.arg(t).arg(i);
            const int kind = (t + i) % 4; // its own alias, none, another's, a row refused
            const QString alias = kind == 0 ? installation : kind == 2 ? u"TAKEN"_s : i % 2 ? QString() : QString(QLatin1String(""));
            return store.shareRecord(installation, alias, record(kind == 3 ? u"Broken"_s : u"Inn"_s), 1).status;
        });
        QCOMPARE(outcomes, (QHash<Status, int>{{Status::Stored, 240}, {Status::AliasTaken, 120}, {Status::Failed, 120}}));
        QVERIFY(store.counts()->records == 241 && store.counts()->installations == 241 && store.counts()->aliases == 121);
        const WriteOutcome again = store.shareRecord(u"writer-3-5"_s, u"writer-3-5"_s, record(u"Inn"_s), 2);
        QVERIFY(again.status == Status::AlreadyStored && store.recordById(again.identifier).has_value());
        QCOMPARE(store.shareRecord(u"writer-3-5"_s, {}, record(u" "_s, u"no place"_s), 2).status, Status::Refused);
    }

    // Servers started at once on a new database bring it to one schema. What one shares and
    // removes, another finds as it is, also one shared after the newest was removed (a new seq).
    void serversStartedTogetherShareOneSchema()
    {
        const QString database = freshDatabase(u"together"_s);
        std::vector<std::unique_ptr<SharedRecordStore>> stores;
        for (int i = 0; i < 16; ++i)
            stores.push_back(std::make_unique<SharedRecordStore>(database));
        QCOMPARE(onManyThreads(1, [&](int t, int) { return stores[size_t(t)]->open(); }).value(true), 16);
        SharedRecordStore &finder = *stores.front(), &other = *stores.back();
        QStringList shared;
        for (const QString& place : {u"Zqtogether 1"_s, u"Zqtogether 2"_s, u"Zqtogether 3"_s, u"Zqtogether 4"_s}) {
            if (shared.size() == 3) {
                QCOMPARE(allPages(finder, searchFor(u"zqtogether"_s)).size(), 3);
                QVERIFY(other.removeRecord(shared.takeLast()));
            }
            shared << other.shareRecord(place, place, record(place), 1).identifier;
        }
        const QList<SharedRecord> found = allPages(finder, searchFor(u"zqtogether"_s));
        QVERIFY(found.size() == 3 && found.last().identifier == shared.last());
    }

    // "export --all" writes what "import" needs to restore every record as it was shared (the
    // restored records export the same); a plain export lacks it, and nothing of one is imported.
    void backupIsRestored()
    {
        QTemporaryDir folder;
        const auto exported = [&](SharedRecordStore& store, const QString& name, const QStringList& options) {
            std::FILE* out = std::fopen(qPrintable(folder.filePath(name)), "w");
            const bool done = AdminCommands::run(store, u"export"_s, options, out, stderr) == 0 && std::fclose(out) == 0;
            QFile file(folder.filePath(name));
            return done && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray backup = exported(*m_searched, u"all.csv"_s, {u"--all"_s});
        SharedRecordStore restored(freshDatabase(u"restored"_s));
        QVERIFY(restored.open() && !exported(*m_searched, u"plain.csv"_s, {}).isEmpty());
        for (const QString& name : {u"all.csv"_s, u"all.csv"_s, u"plain.csv"_s}) // the second adds nothing
            QCOMPARE(AdminCommands::run(restored, u"import"_s, {folder.filePath(name)}, stdout, stderr), name == u"plain.csv"_s);
        QCOMPARE(exported(restored, u"restored.csv"_s, {u"--all"_s}), backup);
        QCOMPARE(restored.counts()->aliases, 1);
    }

    // A write waits for the write lock that another server holds with 20 shares of the same
    // installation not yet committed, and then counts them against the hourly limit.
    void limitsCountWhatAnotherServerIsWriting()
    {
        if (!ServerUnderTest::onPostgres())
            QSKIP("PostgreSQL only (an SQLite database has one writer at a time anyway)");
        QSqlDatabase other = DatabaseAddress(m_database).add(u"other server"_s);
        QVERIFY(other.open());
        WriteTransaction holding(other, SqlDialect(SqlDialect::Engine::Postgres));
        bool ok = holding.isOpen();
        runStatement(other, u"INSERT INTO records (id, mac, alias, content_key, shared_at, line, place, city, country, type, "
                            "satisfaction, date_key, search_text) SELECT 'held' || n, 'held', '', n, ?, '', '', '', '', '', "
                            "'', '', '' FROM generate_series(1, 20) AS n"_s, {1}, &ok);
        QVERIFY(ok);
        SharedRecordStore limited(m_database, StoreOptions{{30, 20}});
        QVERIFY(limited.open());
        auto share = std::async(std::launch::async, [&] { return limited.shareRecord(u"held"_s, {}, record(u"Inn"_s), 1); });
        const auto waiting = [&] { return runStatement(other, u"SELECT 1 FROM pg_locks WHERE NOT granted"_s, {}, &ok).next(); };
        QTRY_VERIFY_WITH_TIMEOUT(waiting(), 10000);
        QVERIFY(holding.commit());
        QCOMPARE(share.get().status, Status::TooMany);
    }

    // The PostgreSQL password is read as libpq reads it (PGPASSWORD, the password file), one in
    // the address, percent-encoded or not, is never shown; a role that may only read opens a
    // current schema (for the operator's stats and export), which it could not bring up to date.
    void passwordsAreReadAndNeverShown()
    {
        if (!ServerUnderTest::onPostgres())
            QSKIP("PostgreSQL only");
        const QUrl url(m_database);
        const QString address = u"postgresql://roamlog%1@127.0.0.1:%2/roamlog"_s;
        qputenv("PGPASSWORD", url.password().toUtf8());
        SharedRecordStore fromEnvironment(address.arg(QString()).arg(url.port()));
        QVERIFY2(fromEnvironment.open(), qPrintable(fromEnvironment.error()));
        qunsetenv("PGPASSWORD");
        SharedRecordStore wrong(address.arg(u":Wr0ng/S3cr@t"_s).arg(url.port()));
        QVERIFY(!wrong.open() && wrong.error().contains(u"roamlog"_s));
        QVERIFY2(!wrong.error().contains(u"Wr0ng"_s) && !wrong.error().contains(u"S3cr"_s), qPrintable(wrong.error()));
        SharedRecordStore reading(m_postgres.addReader(u"reader"_s));
        QVERIFY2(reading.open() && reading.counts().has_value(), qPrintable(reading.error()));
    }

    // After PostgreSQL restarts, writes and searches recover by themselves; while it is away
    // no write is answered as stored, and every one that was is there afterwards.
    void writesRecoverAfterTheDatabaseRestarts()
    {
        if (!ServerUnderTest::onPostgres())
            QSKIP("PostgreSQL only");
        QMutex lock;
        QStringList stored;
        std::atomic<bool> restarted{false}, recovered{false};
        const auto storing = [&] { return QMutexLocker(&lock), stored.size() > 10; };
        std::jthread writer([&] {
            for (int i = 0; !recovered; ++i) {
                const WriteOutcome outcome = m_store->shareRecord(u"restart-%1"_s.arg(i), {}, record(u"Inn"_s), 1);
                QMutexLocker guard(&lock);
                if (outcome.status == Status::Stored)
                    stored << outcome.identifier;
                recovered = recovered || (restarted && outcome.status == Status::Stored);
            }
        });
        const auto stop = qScopeGuard([&] { recovered = true; }); // and the writer joined, also on a failure
        // Every reading connection of the pool is open when the database goes.
        const auto searching = [&](int, int) { return m_store->findRecords(searchFor({})).failed; };
        QTRY_VERIFY_WITH_TIMEOUT(storing() && onManyThreads(1, searching).value(false) == 16, 10000);
        m_postgres.stop();
        QVERIFY(m_store->shareRecord(u"restart"_s, {}, record(u"Away"_s), 1).status == Status::Unavailable &&
                m_store->findRecords(searchFor({})).failed);
        QVERIFY(m_postgres.run());
        restarted = true;
        QTRY_VERIFY_WITH_TIMEOUT(recovered.load(), 10000); // the writer writes no more
        QCOMPARE(onManyThreads(1, searching).value(false), 16);
        for (const QString& identifier : stored)
            QVERIFY2(m_store->recordById(identifier).has_value(), qPrintable(identifier));
    }
};

QTEST_GUILESS_MAIN(SharedRecordStoreTest)
#include "test_sharedrecordstore.moc"
