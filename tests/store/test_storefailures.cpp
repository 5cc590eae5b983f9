// Writes that fail part-way or are killed: a file size limit in a child process stands for a
// full disk (and its signal, at its default, would end a program that did not ignore it), an
// immutable file for a rename the system refuses, SIGKILL for a crash. In every case the
// database holds what it held before or the whole new content, never a part of it, and the
// content before a rewrite is whole in the database or in its backup.
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

// Starts the writer with a command on a folder and waits for its "ready".
bool startWriter(QProcess& writer, const QString& command, const QString& folder)
{
    writer.start(kWriter, {command, folder});
    return writer.waitForReadyRead(30000) && writer.readLine() == "ready\n";
}

} // namespace

class StoreFailuresTest : public QObject
{
    Q_OBJECT

private slots:
    // Room for a part of the new content only: the write fails with the system's reason and
    // takes back what it wrote; with room enough it succeeds.
    void writeCutShortLeavesTheFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("length");
        QTest::addColumn<bool>("backupIsDatabase"); // a rewrite puts its backup in place first
        QTest::newRow("append") << u"append"_s << u"2000"_s << false;
        QTest::newRow("rewrite") << u"rewrite"_s << u"2000"_s << true;
    }
    void writeCutShortLeavesTheFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, length);
        QFETCH(bool, backupIsDatabase);
        if (!LimitedProcess::supported())
            QSKIP("file size limits need POSIX");
        Folder folder;
        fillDatabase(folder);
        const QByteArray ppd = folder.ppd();
        const QByteArray bak = backupIsDatabase ? ppd : folder.bak();
        const QStringList files = folder.files();
        const QStringList arguments{command, folder.path(), length};
        const LimitedProcess::Outcome outcome = LimitedProcess::run(kWriter, arguments, std::max(ppd.size(), bak.size()) + 300);
        QVERIFY2(outcome.finished, "the writer was ended by the file size limit's signal");
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.err.contains(qt_error_string(EFBIG).toUtf8()), outcome.err.constData());
        QVERIFY(!outcome.err.contains("Unknown error") && !outcome.err.contains("could not be taken back"));
        QCOMPARE(folder.ppd(), ppd);
        QCOMPARE(folder.bak(), bak);
        QCOMPARE(folder.files(), files); // no temporary file left behind

        QCOMPARE(LimitedProcess::run(kWriter, arguments, ppd.size() + 1000000).status, 0);
        const LoadReport report = RecordStore(folder.path()).LoadDatabase();
        QVERIFY(report.records > 2 && report.incompleteRecords == 0);
    }

    // A rename refused at the last step: the new file cannot replace the old one, or the new
    // backup cannot replace the old backup. Either way the database stays as it was.
    void refusedRenameLeavesTheDatabase_data()
    {
        QTest::addColumn<QString>("immutable");
        QTest::newRow("database") << u"Roamlog.ppd"_s;
        QTest::newRow("backup") << u"Roamlog.bak"_s;
    }
    void refusedRenameLeavesTheDatabase()
    {
        QFETCH(QString, immutable);
        Folder folder;
        fillDatabase(folder);
        const QByteArray ppd = folder.ppd();
        const QByteArray bak = immutable == u"Roamlog.bak"_s ? folder.bak() : ppd;
        const QStringList files = folder.files();
        const ImmutableGuard guard{folder.filePath(immutable)};
        if (!setImmutable(guard.path, true))
            QSKIP("the immutable attribute needs chattr, root and a file system that has it");
        RecordStore store(folder.path());
        QCOMPARE(store.LoadDatabase().records, 2);
        store.removeRow(0);
        const StoreResult saved = store.SaveAllRecords();
        setImmutable(guard.path, false);
        QVERIFY2(!saved.ok && saved.error.contains(immutable), qPrintable(saved.error));
        QCOMPARE(folder.ppd(), ppd);
        QCOMPARE(folder.bak(), bak);
        QCOMPARE(folder.files(), files);
    }

    // A writer rewriting a full log in a loop, killed at random moments: the file is always one
    // whole log or the other, and the log being replaced is whole in the file or the backup.
    void killedRewritesLoseNoVersion()
    {
        Folder folder;
        const QByteArray contents[2] = {DatabaseFile::rewrittenContent(AlternatingLogs::log(0)),
                                        DatabaseFile::rewrittenContent(AlternatingLogs::log(1))};
        QVERIFY(folder.write(u"Roamlog.ppd"_s, contents[0]));
        const auto which = [&](const QByteArray& content) {
            return content == contents[0] ? 0 : content == contents[1] ? 1 : -1;
        };
        int seen[2] = {0, 0};
        constexpr int kKills = 20;
        for (int kill = 0; kill < kKills; ++kill) {
            QProcess writer;
            QVERIFY(startWriter(writer, u"alternate"_s, folder.path()));
            QTest::qSleep(QRandomGenerator::global()->bounded(20, 300));
            QVERIFY2(writer.state() == QProcess::Running, writer.readAllStandardError().constData());
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));

            const int ppd = which(folder.ppd());
            QVERIFY2(ppd >= 0, qPrintable(u"kill %1: the database is neither log"_s.arg(kill)));
            ++seen[ppd];
            const QByteArray replacing = folder.read(u"replacing"_s);
            if (replacing.size() == 1) {
                const int previous = replacing[0] - '0';
                QVERIFY2(ppd == previous || which(folder.bak()) == previous,
                         qPrintable(u"kill %1: the log being replaced is in neither file"_s.arg(kill)));
            }
            RecordTable table;
            const LoadReport report = DatabaseFile(folder.path()).LoadDatabase(table);
            QCOMPARE(report.records, RecordTable::MaxRows);
        }
        qInfo("after %d kills: %d times the first log, %d times the second", kKills, seen[0], seen[1]);
    }

    // A lock left by a writer that was killed is taken over; while it ran, it was refused.
    void lockOfAKilledWriterIsTakenOver()
    {
        Folder folder;
        QProcess writer;
        QVERIFY(startWriter(writer, u"hold"_s, folder.path()));
        RecordStore store(folder.path());
        QVERIFY(!store.lockFolder(0).isEmpty() && store.folderHeldElsewhere());
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        QVERIFY(QFile::exists(folder.filePath(u"Roamlog.lock"_s)));
        QCOMPARE(store.lockFolder(0), QString());
    }
};

QTEST_GUILESS_MAIN(StoreFailuresTest)
#include "test_storefailures.moc"
