// The server's storage called from many request threads at once, as the HTTP side calls it:
// writes are queued to one writer and committed many to a transaction, and each must still
// stand or fall on its own.
#include "PostgresInstance.h"
#include "ServerUnderTest.h"
#include "server/SharedRecordStore.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
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
        std::atomic<int> stored{0}, taken{0};
        onManyThreads(30, [&](int t, int i) {
            const QString installation = u"post-%1-%2"_s.arg(t).arg(i);
            const bool refused = (t + i) % 2 == 0;
            const WriteOutcome outcome = m_store->postToForum(installation, refused ? u"TAKEN"_s : installation,
                                                              u"Text"_s, u"stamp"_s, 1700000000);
            if (outcome.status == WriteOutcome::Status::Stored)
                ++stored;
            else if (outcome.status == WriteOutcome::Status::AliasTaken)
                ++taken;
        });
        QCOMPARE(stored.load(), 240);
        QCOMPARE(taken.load(), 240);
        const StoreCounts after = m_store->counts().value();
        QCOMPARE(after.posts - before.posts, 240);
        QCOMPARE(after.installations - before.installations, 240);
        QCOMPARE(after.aliases - before.aliases, 240);
    }
};

QTEST_GUILESS_MAIN(SharedRecordStoreTest)
#include "test_sharedrecordstore.moc"
