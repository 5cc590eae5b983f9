// The server's storage as the HTTP side calls it, on an SQLite file and on PostgreSQL: the
// record browser's searches, writes from many threads, older schemas, the database going away
// and coming back, passwords, and the backup.
#include "PostgresInstance.h"
#include "ServerUnderTest.h"
#include "server/AdminCommands.h"
#include "server/SchemaMigrations.h"
#include "server/SharedRecordStore.h"
#include "server/SqlRun.h"
#include "store/RecordValues.h"

#include <QMutex>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QUrl>

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

// A record of the search data, i from 0 to 1319: every value that the browser filters or sorts
// on is set, in cycles that divide 1320, so that each search's count is known. Sorting by place
// shuffles the order of sharing; zqhalf is in every other record, zqrare in one of 40.
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

// filters: country, type, satisfaction.
RecordSearch searchFor(const QString& words, Sort sort = Sort::Place, const QStringList& filters = {})
{
    return RecordSearch{words, filters.value(0), filters.value(1), filters.value(2), sort, 0};
}

// Every page of a search, in order; nothing when one failed.
QList<SharedRecord> allPages(SharedRecordStore& store, RecordSearch search)
{
    QList<SharedRecord> rows;
    for (ResultPage<SharedRecord> page; !page.failed; ++search.page) {
        rows += (page = store.findRecords(search)).rows;
        if (!page.hasMore && !page.failed)
            return rows;
    }
    return {};
}

// What a sort compares: the key's bytes; for dates, those that are dates first, by the day.
std::tuple<bool, double, QByteArray> sortKey(const TravelRecord& record, Sort sort)
{
    static const int kColumns[] = {RecordColumns::Place, RecordColumns::City, RecordColumns::Country,
                                   RecordColumns::DateVisited};
    const QString text = record.field(kColumns[int(sort)]);
    const auto date = sort == Sort::DateVisited ? RecordValues::dateValue(text, QLocale(QLocale::English, QLocale::UnitedStates))
                                                : std::nullopt;
    return {!date, date.value_or(0), date ? QByteArray() : text.toUtf8()};
}

// How many of the calls made on 16 threads at once (each of them perThread times) gave each result.
template <typename Call> auto onManyThreads(int perThread, Call call)
{
    QMutex lock;
    QHash<decltype(call(0, 0)), int> counts;
    std::vector<std::thread> threads;
    for (int t = 0; t < 16; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                const auto result = call(t, i);
                QMutexLocker guard(&lock);
                ++counts[result];
            }
        });
    for (std::thread& thread : threads)
        thread.join();
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
        // Most records are read in one go, the last ones after a search: the index then holds
        // both kinds of its orders, and every search reads them together.
        QList<SharedRecord> records;
        for (int i = 0; i < 1320; ++i)
            records << searchable(i);
        QCOMPARE(m_searched->addRecordsInBulk(records.first(1200)), 1200);
        QVERIFY(m_searched->prepareSearches());
        QCOMPARE(m_searched->addRecordsInBulk(records.mid(1200)), 120);
    }

    // Every page of a search in each sort order: its matches are all there, once each, in the
    // order of the sort key and then of sharing, whether common or rare, keys and values short
    // or long, words written with accents or without.
    void searchFindsAndSorts_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<int>("matches");
        QTest::newRow("everything") << QString() << QStringList() << 1320;
        QTest::newRow("common word") << u"zqhalf"_s << QStringList() << 660;
        QTest::newRow("two words, capitals") << u"ZQHALF room"_s << QStringList() << 660;
        QTest::newRow("numbers") << u"12"_s << QStringList() << 100;
        QTest::newRow("rare word") << u"zqrare"_s << QStringList() << 33;
        QTest::newRow("word at the end") << u"zqlast"_s << QStringList() << 165;
        QTest::newRow("word and country") << u"zqhalf"_s << QStringList{u"Rland"_s} << 220;
        QTest::newRow("prefix and filters") << u"zqha"_s << QStringList{{}, u"Hut"_s, u"Good"_s} << 66;
        QTest::newRow("type") << QString() << QStringList{{}, u"Igloo"_s} << 264;
        QTest::newRow("long type") << QString() << QStringList{{}, u"Canal barge with bunks"_s} << 264;
        QTest::newRow("country and mark") << QString() << QStringList{u"Sland"_s, {}, u"Poor"_s} << 110;
        QTest::newRow("long country") << QString() << QStringList{u"Sland Federated Northern"_s} << 220;
        QTest::newRow("part of a value") << QString() << QStringList{u"Sland Federated"_s} << 0;
        QTest::newRow("no such mark") << QString() << QStringList{{}, {}, u"Nobody's"_s} << 0;
        QTest::newRow("no such word") << u"zqhalf zqnone"_s << QStringList() << 0;
        QTest::newRow("without accents") << u"cafe creme"_s << QStringList() << 165;
        QTest::newRow("accented") << u"CAFÉ"_s << QStringList() << 165;
        QTest::newRow("city") << u"zurich"_s << QStringList() << 231;
        QTest::newRow("spelt with e") << u"oeresund"_s << QStringList() << 231;
        QTest::newRow("spelt without") << u"oresund"_s << QStringList() << 231;
    }
    void searchFindsAndSorts()
    {
        QFETCH(QString, words);
        QFETCH(QStringList, filters);
        QFETCH(int, matches);
        for (const Sort sort : {Sort::Place, Sort::City, Sort::Country, Sort::DateVisited}) {
            const QList<SharedRecord> rows = allPages(*m_searched, searchFor(words, sort, filters));
            QSet<QString> identifiers;
            for (qsizetype i = 0; i < rows.size(); ++i) {
                identifiers << rows[i].identifier;
                for (int filter = 0; filter < 3; ++filter) {
                    static const int kColumns[] = {RecordColumns::Country, RecordColumns::Type, RecordColumns::Satisfaction};
                    QVERIFY(filters.value(filter).isEmpty() || rows[i].record.field(kColumns[filter]) == filters[filter]);
                }
                const auto before = sortKey(rows[qMax(i - 1, 0)].record, sort), after = sortKey(rows[i].record, sort);
                QVERIFY2(i == 0 || before < after || (before == after && rows[i - 1].sharedAt < rows[i].sharedAt),
                         qPrintable(u"sort %1 row %2"_s.arg(int(sort)).arg(i)));
            }
            QCOMPARE(rows.size(), matches);
            QCOMPARE(identifiers.size(), matches);
        }
    }

    // A database of the first server's schema, with records, is brought up to date when opened:
    // its records are found by their folded words and sorted by both forms of dates, and new
    // ones are stored. One made by a newer server is refused untouched.
    void olderSchemasAreBroughtUpToDate()
    {
        const QString database = freshDatabase(u"older"_s);
        const DatabaseAddress address(database);
        QSqlDatabase db = address.add(u"first schema"_s);
        QString error;
        const SqlDialect dialect(address.isPostgres() ? SqlDialect::Engine::Postgres : SqlDialect::Engine::Sqlite);
        QVERIFY2(address.open(db) && SchemaMigrations(dialect).bringUpToDate(db, &error, 1), qPrintable(error));
        TravelRecord olds[] = {record(u"Café Crème"_s, u"Øresund view"_s, u"10/1/2006"_s),
                               record(u"Old Inn"_s, {}, u"12/24/2005"_s), record(u"Older Inn"_s, {}, u"03-07-2006"_s)};
        olds[0].setField(RecordColumns::City, u"Zürich"_s);
        for (const TravelRecord& old : olds) {
            bool ok = false;
            const QString place = old.field(RecordColumns::Place);
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
        QCOMPARE(byDate, (QStringList{u"12/24/2005"_s, u"03-07-2006"_s, u"10/1/2006"_s, u""_s}));
        bool ok = false;
        runStatement(db, u"INSERT INTO schema_version (version) VALUES (99)"_s, {}, &ok);
        SharedRecordStore newer(database);
        QVERIFY(ok && !newer.open());
        QVERIFY2(newer.error().contains(u"newer"_s), qPrintable(newer.error()));
        QCOMPARE(store.counts()->records, 4);
    }

    // Identifiers are letters and digits, all different; those drawn later sort after those
    // drawn earlier (a new one goes in at the end of the identifier index), and their random
    // part leaves every character open at every position.
    void identifiersAreUniqueAndDrawnInOrder()
    {
        QSet<QString> drawn;
        for (int i = 0; i < 4000; ++i)
            drawn << SharedRecordStore::newIdentifier();
        for (const qint64 at = QDateTime::currentMSecsSinceEpoch(); QDateTime::currentMSecsSinceEpoch() == at;) {
        }
        const QString later = SharedRecordStore::newIdentifier();
        QList<QSet<QChar>> seen(16);
        for (const QString& identifier : drawn) {
            QVERIFY(QRegularExpression(u"^[A-Za-z0-9]{16}$"_s).match(identifier).hasMatch() && identifier < later);
            for (int position = 7; position < 16; ++position)
                seen[position] << identifier[position];
        }
        QVERIFY(drawn.size() == 4000 && std::all_of(seen.begin() + 7, seen.end(), [](const QSet<QChar>& at) {
            return at.size() == 62;
        }));
    }

    // Every share of many threads at once is stored once, under an identifier of its own; a
    // second share of the same record gets its identifier back; one without a place is refused.
    void sharesFromManyThreadsAreEachStored()
    {
        const StoreCounts before = m_store->counts().value();
        const auto outcomes = onManyThreads(40, [&](int t, int i) {
            const QString installation = u"share-%1-%2"_s.arg(t).arg(i);
            // Anonymous shares pass a null alias as well as an empty one.
            const QString alias = i % 3 == 0 ? QString() : i % 3 == 1 ? QString(QLatin1String("")) : installation;
            return m_store->shareRecord(installation, alias, record(u"Inn"_s), 1700000000).status;
        });
        QCOMPARE(outcomes.value(Status::Stored), 640);
        QCOMPARE(m_store->counts()->records - before.records, 640);
        const WriteOutcome again = m_store->shareRecord(u"share-3-7"_s, u"share-3-7"_s, record(u"Inn"_s), 1700000001);
        QCOMPARE(again.status, Status::AlreadyStored);
        QVERIFY(m_store->recordById(again.identifier).has_value());
        QCOMPARE(m_store->shareRecord(u"share-3-7"_s, {}, record(u" "_s, u"no place"_s), 0).status, Status::Refused);
    }

    // Writes that are refused (another's alias) or fail (the database refuses the row), queued
    // among stored ones, leave nothing behind, not even their installation or alias; the other
    // writes of their batch stay.
    void refusedWritesLeaveNothingInTheirBatch()
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
            return store.shareRecord(installation, (t + i) % 3 == 1 ? u"TAKEN"_s : installation,
                                     record((t + i) % 3 == 2 ? u"Broken"_s : u"Inn"_s), 1).status;
        });
        QCOMPARE(outcomes, (QHash<Status, int>{{Status::Stored, 160}, {Status::AliasTaken, 160}, {Status::Failed, 160}}));
        const StoreCounts counts = store.counts().value();
        QVERIFY(counts.records == 161 && counts.installations == 161 && counts.aliases == 161);
    }

    // Servers started at once on a new database all bring it to the one schema, none failing on
    // the tables that another is creating. What one shares and removes, another then finds as
    // it is, also a record shared after the newest was removed (its seq is not given again).
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
        QStringList found;
        for (const SharedRecord& row : allPages(finder, searchFor(u"zqtogether"_s)))
            found << row.identifier;
        QCOMPARE(found, shared);
    }

    // A current schema opens without the write lock: for an operator's role that may only
    // read (PostgreSQL), and while another connection holds the lock (SQLite).
    void aCurrentSchemaOpensOnlyToRead()
    {
        QCOMPARE(m_store->shareRecord(u"reading"_s, {}, record(u"Zqreading Inn"_s), 1700000000).status, Status::Stored);
        QString location = m_database;
        QSqlDatabase holder = DatabaseAddress(m_database).add(u"holder"_s);
        bool ok = ServerUnderTest::onPostgres() ? !(location = m_postgres.addReader(u"reader"_s)).isEmpty()
                                                : holder.open() && (runStatement(holder, u"BEGIN IMMEDIATE"_s, {}, &ok), ok);
        SharedRecordStore reading(location);
        QVERIFY2(ok && reading.open(), qPrintable(reading.error()));
        QCOMPARE(allPages(reading, searchFor(u"zqreading"_s)).size(), 1);
    }

    // "export --all" writes what "import" needs to restore every record as it was shared; a
    // plain export lacks it, and nothing of one is imported.
    void backupIsRestored()
    {
        QTemporaryFile complete, plain;
        QVERIFY(complete.open() && plain.open());
        for (QTemporaryFile* file : {&complete, &plain}) {
            std::FILE* out = std::fopen(qPrintable(file->fileName()), "w");
            QCOMPARE(AdminCommands::run(*m_searched, u"export"_s, file == &plain ? QStringList() : QStringList{u"--all"_s},
                                        out, stderr), 0);
            std::fclose(out);
        }
        SharedRecordStore restored(freshDatabase(u"restored"_s));
        QVERIFY(restored.open());
        for (QTemporaryFile* file : {&complete, &complete, &plain}) // the second time adds nothing
            QCOMPARE(AdminCommands::run(restored, u"import"_s, {file->fileName()}, stdout, stderr), file == &plain);
        const QList<SharedRecord> original = allPages(*m_searched, searchFor(u"zqrare"_s));
        const QList<SharedRecord> back = allPages(restored, searchFor(u"zqrare"_s));
        QCOMPARE(back.size(), original.size());
        for (qsizetype i = 0; i < back.size(); ++i) {
            QCOMPARE(back[i].identifier + back[i].installation + back[i].alias,
                     original[i].identifier + original[i].installation + original[i].alias);
            QCOMPARE(back[i].sharedAt, original[i].sharedAt);
            QCOMPARE(back[i].record.storedLine(), original[i].record.storedLine());
        }
        QVERIFY(restored.counts()->records == 1320 && restored.counts()->aliases == 1);
    }

    // The PostgreSQL password is read as libpq reads it (PGPASSWORD, the password file), and one
    // given in the address, percent-encoded or not, is never shown.
    void passwordsAreReadAndNeverShown()
    {
        if (!ServerUnderTest::onPostgres())
            QSKIP("PostgreSQL only");
        const QUrl url(m_database);
        const QString address = u"postgresql://roamlog%1@127.0.0.1:%2/roamlog"_s;
        qputenv("PGPASSWORD", url.password().toUtf8());
        SharedRecordStore fromEnvironment(address.arg(QString()).arg(url.port()));
        const bool opened = fromEnvironment.open();
        qunsetenv("PGPASSWORD");
        QVERIFY2(opened, qPrintable(fromEnvironment.error()));
        SharedRecordStore wrong(address.arg(u":Wr0ng/S3cr@t"_s).arg(url.port()));
        QVERIFY(!wrong.open() && wrong.error().contains(u"roamlog"_s));
        for (const QString& part : {u"Wr0ng"_s, u"S3cr"_s})
            QVERIFY2(!wrong.error().contains(part), qPrintable(wrong.error()));
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
        std::thread writer([&] {
            for (int i = 0; !recovered; ++i) {
                const WriteOutcome outcome = m_store->shareRecord(u"restart-%1"_s.arg(i), {}, record(u"Inn"_s), 1);
                QMutexLocker guard(&lock);
                if (outcome.status == Status::Stored)
                    stored << outcome.identifier;
                recovered = recovered || (restarted && outcome.status == Status::Stored);
            }
        });
        const auto stop = qScopeGuard([&] { // also when a check fails
            recovered = true;
            writer.join();
        });
        const auto storing = [&] { return QMutexLocker(&lock), stored.size() > 10; };
        // Every reading connection of the pool is open when the database goes.
        const auto searching = [&](int, int) { return m_store->findRecords(searchFor({})).failed; };
        QTRY_VERIFY_WITH_TIMEOUT(storing() && onManyThreads(1, searching).value(false) == 16, 10000);
        m_postgres.stop();
        QCOMPARE(m_store->shareRecord(u"restart"_s, {}, record(u"While away"_s), 1).status, Status::Unavailable);
        QVERIFY(m_store->findRecords(searchFor({})).failed);
        QVERIFY(m_postgres.run());
        restarted = true;
        QTRY_VERIFY_WITH_TIMEOUT(recovered.load(), 10000);
        QCOMPARE(onManyThreads(1, searching).value(false), 16);
        for (const QString& identifier : stored)
            QVERIFY2(m_store->recordById(identifier).has_value(), qPrintable(identifier));
    }
};

QTEST_GUILESS_MAIN(SharedRecordStoreTest)
#include "test_sharedrecordstore.moc"
