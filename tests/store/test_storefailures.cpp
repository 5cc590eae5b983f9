// Writes that fail part-way or are killed: a file size limit in a child process stands for a
// full disk, an immutable file for a rename the system refuses, SIGKILL for a crash. In every
// case the database and its backup hold either what they held before or the whole new
// content, never a part of it.
#include "AlternatingLogs.h"
#include "LimitedProcess.h"
#include "TestFolder.h"

#include "store/RecordStore.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

const QString kWriter = QStringLiteral(ROAMLOG_DATABASE_WRITER_PATH);

struct Folder : TestFolder
{
    QByteArray ppd() const { return read(u"Roamlog.ppd"_s); }
    QByteArray bak() const { return read(u"Roamlog.bak"_s); }
    QString ppdPath() const { return filePath(u"Roamlog.ppd"_s); }
    QStringList files() const { return QDir(path()).entryList(QDir::Files | QDir::Hidden); }
};

// A database of a few records and a backup that differs from it.
void fillDatabase(const Folder& folder)
{
    RecordStore store(folder.path());
    for (const QString& place : {u"Inn"_s, u"Café"_s, u"Hostel"_s}) {
        TravelRecord record;
        record.setField(RecordColumns::Place, place);
        QVERIFY(store.appendRow(record));
        QVERIFY(store.AppendRecord(store.rowCount() - 1));
    }
    QVERIFY(store.SaveAllRecords());
    store.removeRow(2);
    QVERIFY(store.SaveAllRecords());
    QVERIFY(folder.bak() != folder.ppd());
}

// The system's words for a write past the file size limit.
QByteArray fileTooLarge()
{
    return qt_error_string(EFBIG).toUtf8();
}

// Sets or clears the immutable attribute, which makes even root's rename onto the file fail.
bool setImmutable(const QString& path, bool on)
{
    return QProcess::execute(u"chattr"_s, {on ? u"+i"_s : u"-i"_s, path}) == 0;
}

struct ImmutableGuard
{
    QString path;
    ~ImmutableGuard() { setImmutable(path, false); }
};

} // namespace

class StoreFailuresTest : public QObject
{
    Q_OBJECT

private slots:
    void appendCutShortLeavesNoTornLine()
    {
        if (!LimitedProcess::supported())
            QSKIP("file size limits need POSIX");
        Folder folder;
        fillDatabase(folder);
        const QByteArray before = folder.ppd();
        // Room for a part of the new line only.
        const LimitedProcess::Outcome outcome = LimitedProcess::run(
            kWriter, {u"append"_s, folder.path(), u"2000"_s}, before.size() + 300);
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(fileTooLarge()), outcome.err.constData());
        QVERIFY(!outcome.err.contains("Unknown error"));
        QVERIFY(!outcome.err.contains("could not be taken back"));
        QCOMPARE(folder.ppd(), before);

        // With room enough, the same append succeeds.
        const LimitedProcess::Outcome roomy = LimitedProcess::run(
            kWriter, {u"append"_s, folder.path(), u"2000"_s}, before.size() + 10000);
        QCOMPARE(roomy.status, 0);
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QCOMPARE(report.records, 3);
        QCOMPARE(report.incompleteRecords, 0);
    }

    void rewriteCutShortLeavesBothFiles()
    {
        if (!LimitedProcess::supported())
            QSKIP("file size limits need POSIX");
        Folder folder;
        fillDatabase(folder);
        const QByteArray ppd = folder.ppd();
        const QByteArray bak = folder.bak();
        const QStringList files = folder.files();
        // The backup fits under the limit, the new file of 2,000 more records does not.
        const LimitedProcess::Outcome outcome = LimitedProcess::run(
            kWriter, {u"rewrite"_s, folder.path(), u"2000"_s}, std::max(ppd.size(), bak.size()) + 1000);
        QVERIFY(outcome.finished);
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(fileTooLarge()), outcome.err.constData());
        QCOMPARE(folder.ppd(), ppd);
        QCOMPARE(folder.bak(), bak);
        QCOMPARE(folder.files(), files); // no temporary file left behind
    }

    // A rename refused at the last step: the new file cannot replace the old one, or the new
    // backup cannot replace the old backup. Either way both files stay as they were.
    void refusedRenameLeavesBothFiles_data()
    {
        QTest::addColumn<QString>("immutable");
        QTest::newRow("database") << u"Roamlog.ppd"_s;
        QTest::newRow("backup") << u"Roamlog.bak"_s;
    }
    void refusedRenameLeavesBothFiles()
    {
        QFETCH(QString, immutable);
        Folder folder;
        fillDatabase(folder);
        const QByteArray ppd = folder.ppd();
        const QByteArray bak = folder.bak();
        const QStringList files = folder.files();
        RecordStore store(folder.path());
        QCOMPARE(store.LoadDatabase().records, 2);
        store.removeRow(0);

        const ImmutableGuard guard{folder.filePath(immutable)};
        if (!setImmutable(guard.path, true))
            QSKIP("the immutable attribute needs chattr, root and a file system that has it");
        const StoreResult saved = store.SaveAllRecords();
        setImmutable(guard.path, false);
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.contains(immutable), qPrintable(saved.error));
        QVERIFY(!saved.error.contains(u"already holds the new records"_s));
        QCOMPARE(folder.ppd(), ppd);
        QCOMPARE(folder.bak(), bak);
        QCOMPARE(folder.files(), files);
    }

    // A writer rewriting a full log in a loop, killed at random moments: the file is always
    // one whole log or the other.
    void killedRewritesLeaveAWholeFile()
    {
        Folder folder;
        const RecordTable logs[2] = {AlternatingLogs::log(0), AlternatingLogs::log(1)};
        const QByteArray contents[2] = {DatabaseFile::rewrittenContent(logs[0]),
                                        DatabaseFile::rewrittenContent(logs[1])};
        QVERIFY(DatabaseFile(folder.path()).SaveAllRecords(logs[0]));

        int seen[2] = {0, 0};
        constexpr int kKills = 20;
        for (int kill = 0; kill < kKills; ++kill) {
            QProcess writer;
            writer.start(kWriter, {u"alternate"_s, folder.path()});
            QVERIFY(writer.waitForReadyRead(30000));
            QCOMPARE(writer.readLine(), QByteArray("ready\n"));
            QTest::qSleep(QRandomGenerator::global()->bounded(20, 300));
            QVERIFY2(writer.state() == QProcess::Running, writer.readAllStandardError().constData());
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));

            const QByteArray content = folder.ppd();
            const int which = content == contents[0] ? 0 : content == contents[1] ? 1 : -1;
            QVERIFY2(which >= 0, qPrintable(u"kill %1: %2 bytes, neither log"_s.arg(kill).arg(content.size())));
            ++seen[which];
            RecordTable table;
            const LoadReport report = DatabaseFile(folder.path()).LoadDatabase(table);
            QCOMPARE(report.records, RecordTable::MaxRows);
            QCOMPARE(report.unreadableLines + report.incompleteRecords, 0);
        }
        qInfo("after %d kills: %d times the first log, %d times the second", kKills, seen[0],
              seen[1]);
    }
};

QTEST_GUILESS_MAIN(StoreFailuresTest)
#include "test_storefailures.moc"
