// The database file and its backup: the bytes each write leaves, what a load makes of any
// content, and writes that fail part-way, are refused or are killed.
#include "LimitedProcess.h"
#include "TestFolder.h"

#include "store/LeftoverFiles.h"
#include "store/RecordStore.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// Hand-encoded lines: "Inn" and 24 "|"; "Café|||€5|" and 20 "|". Appended lines encode the
// plain line alone, rewritten ones the plain line with its CR LF.
const QByteArray kInnA = "1B010F1110131B2E131D1110131B2E131D1110131B2E131D111013\r\n";
const QByteArray kInnR = "1B010F1110131B2E131D1110131B2E131D1110131B2E131D1110136A58\r\n";
const QByteArray kCafeA = "110E078410131BD25A1D1110131B2E131D1110131B2E131D1110131B2E13\r\n";
const QByteArray kCafeR = "110E078410131BD25A1D1110131B2E131D1110131B2E131D1110131B2E136C67\r\n";
const QByteArray kNoField = "3C00411E091F06200E15021E"; // "no separator"
const QByteArray kTorn = kCafeA.first(16);              // an append cut off in its 4th field
const QByteArray kBom = "\xEF\xBB\xBF";

TravelRecord record(const QString& place, const QString& comments = {})
{
    TravelRecord r;
    r.setField(RecordColumns::Place, place);
    r.setField(RecordColumns::Comments, comments);
    return r;
}

struct Folder : TestFolder
{
    QByteArray ppd() const { return read(u"Roamlog.ppd"_s); }
    QByteArray bak() const { return read(u"Roamlog.bak"_s); }
    bool setPpd(const QByteArray& bytes) const { return write(u"Roamlog.ppd"_s, bytes); }
    QStringList files() const { return QDir(path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
};

// The records of database_writer's logs: a rewrite takes long enough for kills to land in each of
// its steps, and the twenty runs stay quick.
constexpr int kWriterRows = 4096;

// Which of database_writer's two logs the content is, or -1 when it is neither, whole.
int logVersion(const QByteArray& content)
{
    RecordTable table;
    LoadReport report;
    DatabaseFile::parseContent(content, table, report);
    if (table.rowCount() != kWriterRows || report.unreadableLines + report.incompleteRecords > 0)
        return -1;
    const QString first = table.row(0).field(RecordColumns::Comments);
    for (int i = 0; i < table.rowCount(); ++i) {
        if (table.row(i).field(RecordColumns::Comments) != first)
            return -1;
    }
    return first.startsWith(u"Version 0:"_s) ? 0 : first.startsWith(u"Version 1:"_s) ? 1 : -1;
}

} // namespace

class DatabaseFileTest : public QObject
{
    Q_OBJECT

private slots:
    void appendedAndRewrittenBytes()
    {
        Folder folder;
        RecordStore store(folder.path());
        QVERIFY(store.appendRow(record(u"Inn"_s)) && store.SaveAllRecords());
        QCOMPARE(folder.files(), QStringList{u"Roamlog.ppd"_s}); // no file before: nothing to back up
        QVERIFY(store.appendRow(record(u"Café"_s, u"€5"_s)) && store.AppendRecord(1));
        QVERIFY(folder.ppd() == kInnR + kCafeA && folder.files().size() == 1); // an append leaves the backup alone
        QCOMPARE(store.RowToLine(1), u"Café|||€5|"_s + QString(20, u'|'));
        QVERIFY(store.SaveAllRecords());
        QVERIFY(folder.ppd() == kInnR + kCafeR && folder.bak() == kInnR + kCafeA);
        store.removeRow(0);
        QVERIFY(store.SaveAllRecords() && folder.ppd() == kCafeR && folder.bak() == kInnR + kCafeR);
        QCOMPARE(folder.files().size(), 2); // no temporary file left

        // An append to a file whose last line lacks its line end (or its LF) starts a line of
        // its own and leaves that last line readable; one that cannot open says why.
        const DatabaseFile file(folder.path());
        QVERIFY(folder.setPpd("ZZ") && file.AppendRecord(store.row(0)) && folder.ppd() == "ZZ\r\n" + kCafeA);
        QVERIFY(folder.setPpd(kInnA.chopped(1)) && file.AppendRecord(store.row(0)) && folder.ppd() == kInnA + kCafeA);
        QVERIFY(QFile::remove(folder.filePath(u"Roamlog.ppd"_s)) && QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
        QVERIFY(!file.AppendRecord(store.row(0)).error.isEmpty());

        // A rewrite of a file read with other line ends, a byte order mark and lines it cannot
        // read stores CR LF, no mark, and those lines back at the end.
        QVERIFY(QDir(folder.path()).rmdir(u"Roamlog.ppd"_s));
        const QByteArray mixed = kBom + kInnR.chopped(2) + '\r' + kCafeA.chopped(2) + "\n1B0G\n" + kNoField;
        QVERIFY(folder.setPpd(mixed) && store.LoadDatabase().readToEnd() && store.SaveAllRecords());
        QVERIFY(folder.ppd() == kInnR + kCafeR + "1B0G\r\n" + kNoField + "\r\n" && folder.bak() == mixed);
    }

    void loadDamaged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("records"); // place/comments of each row loaded
        QTest::addColumn<int>("unreadable");
        QTest::addColumn<int>("incomplete");
        const QStringList both{u"Inn/"_s, u"Café/€5"_s};
        const QByteArray innR = kInnR.chopped(2);
        const QByteArray cafeA = kCafeA.chopped(2);
        QTest::newRow("empty lines") << "\r\n" + kInnA + "\r\n\r\n" + kCafeR + "\r\n" << both << 0 << 0;
        QTest::newRow("CR, LF and CR LF") << innR + '\r' + cafeA + "\n\r\n" + innR + '\n' << QStringList{both + QStringList{u"Inn/"_s}} << 0 << 0;
        QTest::newRow("byte-order mark") << kBom + innR + '\r' + cafeA << both << 0 << 0;
        QTest::newRow("mark alone") << kBom << QStringList() << 0 << 0;
        QTest::newRow("mark inside") << kInnA + kBom + kCafeA << QStringList{u"Inn/"_s} << 1 << 0;
        QTest::newRow("last line without end") << kInnA + kCafeA.chopped(2) << both << 0 << 0;
        QTest::newRow("lower-case digits") << kInnA.toLower() + kCafeR << both << 0 << 0;
        QTest::newRow("not hexadecimal") << kInnA + "1B0G\r\n" + kCafeA << both << 1 << 0;
        QTest::newRow("no field") << kInnA + kNoField + "\r\n" + kCafeA << both << 1 << 0;
        QTest::newRow("short line") << QByteArray("01070E1F181349\r\n") << QStringList{u"Short/"_s} << 0 << 1; // "Short|."
        QTest::newRow("torn append") << kInnA + kTorn << QStringList{u"Inn/"_s, u"Café/"_s} << 0 << 1;
        QTest::newRow("torn, then more") << kTorn + "\r\n" + kInnR << QStringList{u"Café/"_s, u"Inn/"_s} << 0 << 1;
        // The file is read in chunks of 1 MB: the CR at the end of one and its LF at the start of
        // the next, a line longer than a chunk, a record across two.
        const qsizetype chunk = 1 << 20;
        QTest::newRow("CR LF split") << kBom + QByteArray(chunk - 1 - 3, 'Z') + "\r\n" + kInnA + kCafeA << both << 1 << 0;
        QTest::newRow("line of 2.5 MB") << QByteArray(chunk * 5 / 2, 'Z') + "\r" + kInnA + kCafeA << both << 1 << 0;
        QTest::newRow("record split") << QByteArray(chunk - 9, 'Z') + '\n' + kInnA + kCafeA << both << 1 << 0;
    }
    void loadDamaged()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, records);
        QFETCH(int, unreadable);
        QFETCH(int, incomplete);
        Folder folder;
        QVERIFY(folder.setPpd(content));
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QStringList loaded;
        for (int i = 0; i < store.rowCount(); ++i)
            loaded << store.row(i).field(RecordColumns::Place) + u'/' + store.row(i).field(RecordColumns::Comments);
        QCOMPARE(loaded, records);
        QVERIFY(report.fileFound && report.readToEnd() && report.records == records.size());
        QVERIFY(report.unreadableLines == unreadable && report.incompleteRecords == incomplete);
        // Counting without loading (roamlog-cli check) judges every line the same way.
        const LoadReport counted = DatabaseFile(folder.path()).CheckDatabase();
        QVERIFY(counted.records == report.records && counted.unreadableLines == unreadable && counted.incompleteRecords == incomplete);
    }

    // A large file is read as two halves on two threads: the rows and the unreadable lines keep
    // the file's order whichever half they fall in.
    void largeFileLoadsInOrder()
    {
        QByteArray content;
        for (int i = 0; i < 6000; ++i) {
            content += DatabaseFile::appendedLine(record(u"Place %1"_s.arg(i), QString(i % 200, u'c')));
            if (i % 1000 == 999)
                content += "BAD" + QByteArray::number(i) + "\r";
        }
        Folder folder;
        RecordTable table;
        QVERIFY(content.size() > 1024 * 1024 && folder.setPpd(content)); // large enough to be split
        const LoadReport report = DatabaseFile(folder.path()).LoadDatabase(table);
        const LoadReport counted = DatabaseFile(folder.path()).CheckDatabase();
        QVERIFY(report.records == 6000 && report.unreadableLines == 6 && counted.records == 6000 && counted.unreadableLines == 6);
        for (int i = 0; i < 6000; ++i)
            QCOMPARE(table.row(i).field(RecordColumns::Place), u"Place %1"_s.arg(i));
        QCOMPARE(table.unreadableLines(), (QList<QByteArray>{"BAD999", "BAD1999", "BAD2999", "BAD3999", "BAD4999", "BAD5999"}));
    }

    // Only the temporary files this program names are taken for leftovers of a killed rewrite,
    // and only by the folder's one writer: the user's copies beside the log stay, and loading or
    // counting the records removes nothing.
    void onlyOwnTemporaryFilesAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        for (const char* copy : {"Roamlog.ppd.backup", "Roamlog.ppd.241231", "Roamlog.ppd.copy01", "Roamlog.bak.AbCdEf",
                                 "Roamlog.ppd.roamlog-tmp-12-ABCDEFGH", "Roamlog.ppd.roamlog-tmp-x-abcdefgh",
                                 "Roamlog.ppd.roamlog-tmp-12-abcdefg", "Roamlog.ppd.roamlog-tmp-12-abcdefgh.old",
                                 "combos.ini.roamlog-tmp-12-abcdefgh"})
            QTest::newRow(copy) << QString::fromLatin1(copy) << false;
        QTest::newRow("database's") << u"Roamlog.ppd.roamlog-tmp-4242-abcd1234"_s << true;
        QTest::newRow("backup's") << u"Roamlog.bak.roamlog-tmp-1-0000zzzz"_s << true;
        QTest::newRow("as named") << LeftoverFiles::temporaryNameFor(u"Roamlog.ppd"_s) << true;
    }
    void onlyOwnTemporaryFilesAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        Folder folder;
        QVERIFY(folder.setPpd(kInnA) && folder.write(name, kCafeA));
        RecordStore store(folder.path());
        QVERIFY(store.LoadDatabase().readToEnd() && store.file().CheckDatabase().readToEnd() && QFile::exists(folder.filePath(name)));
        QCOMPARE(store.lockFolder(0), QString());
        QVERIFY(QFile::exists(folder.filePath(name)) != removed && folder.ppd() == kInnA);
    }

    // A file that another program changed, replaced or removed since the store read or wrote it
    // is never written over: both kinds of write are refused until it is read again.
    void changedFileRefusesWrites_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("appended") << 0;
        QTest::newRow("rewritten in place, same size, a time of its own") << 1;
        QTest::newRow("replaced by a copy with the same size and time") << 2;
        QTest::newRow("removed") << 3;
    }
    void changedFileRefusesWrites()
    {
        QFETCH(int, change);
        Folder folder;
        const QString ppd = folder.filePath(u"Roamlog.ppd"_s);
        RecordStore store(folder.path());
        QVERIFY(store.LoadDatabase().readToEnd() && store.appendRow(record(u"Inn"_s)));
        QVERIFY(store.AppendRecord(0) && !store.fileChanged()); // its own write is no change
        const QDateTime time = QFileInfo(ppd).lastModified();
        QFile other(folder.filePath(change == 1 ? u"Roamlog.ppd"_s : u"copy"_s));
        if (change == 1 || change == 2)
            QVERIFY(other.open(QIODevice::ReadWrite) && other.write(kInnA.toLower()) == kInnA.size() &&
                    other.setFileTime(change == 1 ? time.addSecs(-60) : time, QFileDevice::FileModificationTime));
        QVERIFY(change != 0 || DatabaseFile(folder.path()).AppendRecord(record(u"Theirs"_s)));
        QVERIFY(change < 2 || QFile::remove(ppd));
        QVERIFY(change != 2 || other.rename(ppd));
        const QByteArray theirs = folder.ppd();
        for (const StoreResult& refused : {store.AppendRecord(0), store.SaveAllRecords()})
            QVERIFY2(!refused.ok && refused.fileChanged && refused.error.contains(u"changed by another program"_s), qPrintable(refused.error));
        QVERIFY(folder.ppd() == theirs && !QFile::exists(folder.filePath(u"Roamlog.bak"_s)));
        QVERIFY(store.LoadDatabase().readToEnd() && !store.fileChanged() && store.SaveAllRecords());
    }

    // A file that exists but cannot be read (a folder of that name, a link that leads nowhere or
    // in a circle): the load says why, and no later append or rewrite may replace the records
    // that were not read, even once the file could be written.
    void unreadFileRefusesWrites_data()
    {
        QTest::addColumn<QString>("linkTo"); // empty: a folder takes the file's name
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << QString() << QString();
        QTest::newRow("dangling link") << u"nowhere"_s << qt_error_string(ENOENT);
        QTest::newRow("looping link") << u"Roamlog.ppd"_s << qt_error_string(ELOOP);
    }
    void unreadFileRefusesWrites()
    {
        QFETCH(QString, linkTo);
        QFETCH(QString, reason);
        Folder folder;
        const QString ppd = folder.filePath(u"Roamlog.ppd"_s);
        QVERIFY(linkTo.isEmpty() ? QDir(folder.path()).mkdir(u"Roamlog.ppd"_s) : QFile::link(linkTo, ppd));
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QVERIFY2(report.fileFound && store.writesRefused() && report.readError.contains(u"Roamlog.ppd"_s) && report.readError.contains(reason),
                 qPrintable(report.readError));
        QCOMPARE(DatabaseFile(folder.path()).CheckDatabase().readError, report.readError);

        QVERIFY((linkTo.isEmpty() ? QDir(folder.path()).rmdir(ppd) : QFile::remove(ppd)) && folder.setPpd(kInnA) && store.appendRow(record(u"Café"_s)));
        for (const StoreResult& result : {store.AppendRecord(0), store.SaveAllRecords()})
            QVERIFY2(!result.ok && result.error.contains(u"could not be read at start"_s) && result.error.contains(report.readError),
                     qPrintable(result.error));
        QCOMPARE(folder.files(), QStringList{u"Roamlog.ppd"_s});
        QVERIFY(folder.ppd() == kInnA && RecordStore(folder.path()).LoadDatabase().readToEnd()); // the next start reads it
    }

    void refusesWhatCannotBeStored()
    {
        TravelRecord r = record(u"Inn"_s);
        const TravelRecord before = r;
        for (const QString& bad : {u"a|b"_s, u"Ā"_s, u"😀"_s}) {
            const std::optional<FieldProblem> problem = r.setField(RecordColumns::City, bad);
            QVERIFY(problem && problem->column == RecordColumns::City && !problem->reason.isEmpty() && r == before);
        }
        Folder folder;
        RecordStore store(folder.path());
        // A rewrite encodes "Inn", 24 "|", the comment and CR LF: at most 16,383 characters.
        QVERIFY(store.appendRow(record(u"Inn"_s, QString(16354, u'x'))));
        QVERIFY(!store.appendRow(record(u"Inn"_s, QString(16355, u'x'))).error.isEmpty());
        QVERIFY(!store.replaceRow(0, record(u"Inn"_s, QString(16355, u'x'))).ok);
        while (store.rowCount() < 32767)
            QVERIFY(store.appendRow(record(u"Inn"_s)));
        const StoreResult full = store.appendRow(record(u"One more"_s));
        QVERIFY(!full.ok && full.error.contains(u"32767"_s) && store.rowCount() == 32767 && folder.files().isEmpty());
    }

    // Room for a part of the new content only (the file size limit's signal is ignored): the
    // write fails with the system's reason and takes back what it wrote; a rewrite has put its
    // backup in place first. With room again the same write succeeds.
    void writeCutShortLeavesTheFile_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("append") << true;
        QTest::newRow("rewrite") << false;
    }
    void writeCutShortLeavesTheFile()
    {
        QFETCH(bool, append);
        if (!LimitedProcess::supported())
            QSKIP("file size limits need POSIX");
        Folder folder;
        QVERIFY(folder.setPpd(kInnA + kCafeA) && folder.write(u"Roamlog.bak"_s, kInnA));
        const QByteArray ppd = folder.ppd();
        const QByteArray bak = append ? folder.bak() : ppd;
        RecordStore store(folder.path());
        QVERIFY(store.LoadDatabase().readToEnd() && store.appendRow(record(u"Long"_s, QString(2000, u'x'))));
        const auto write = [&] { return append ? store.AppendRecord(2) : store.SaveAllRecords(); };
        StoreResult result;
        {
            const LimitedProcess::ThisProcess limit(ppd.size() + 300);
            result = write();
        }
        QVERIFY2(!result.ok && result.error.contains(qt_error_string(EFBIG)) && !result.error.contains(u"taken back"_s), qPrintable(result.error));
        QVERIFY(folder.ppd() == ppd && folder.bak() == bak);
        QCOMPARE(folder.files(), (QStringList{u"Roamlog.bak"_s, u"Roamlog.ppd"_s})); // no temporary file left
        QVERIFY(write() && RecordStore(folder.path()).LoadDatabase().records == 3);
    }

    // A writer rewriting a full log in a loop, killed at random moments: the file is always one
    // whole log or the other, and the log being replaced is whole in the file or the backup.
    // While the writer runs another is told which process has the folder; the lock of a writer
    // that was killed is taken over (by the next writer, and at last by this test).
    void killedRewritesLoseNoVersion()
    {
        Folder folder;
        int seen[2] = {0, 0};
        constexpr int kKills = 20;
        for (int kill = 0; kill < kKills; ++kill) {
            QProcess writer;
            writer.start(QStringLiteral(ROAMLOG_DATABASE_WRITER_PATH), {u"alternate"_s, folder.path(), QString::number(kWriterRows)});
            QVERIFY(writer.waitForReadyRead(30000) && writer.readLine() == "ready\n");
            if (kill == 0) {
                RecordStore other(folder.path());
                const QString why = other.lockFolder(0);
                QVERIFY2(why.contains(u"in use by another program"_s) && why.contains(QString::number(writer.processId())), qPrintable(why));
            }
            QTest::qSleep(QRandomGenerator::global()->bounded(20, 300));
            QVERIFY2(writer.state() == QProcess::Running, writer.readAllStandardError().constData());
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            const int ppd = logVersion(folder.ppd());
            QVERIFY2(ppd >= 0, qPrintable(u"kill %1: the database is neither log"_s.arg(kill)));
            ++seen[ppd];
            if (const QByteArray replacing = folder.read(u"replacing"_s); replacing.size() == 1)
                QVERIFY2(ppd == replacing[0] - '0' || logVersion(folder.bak()) == replacing[0] - '0',
                         qPrintable(u"kill %1: the log being replaced is in neither file"_s.arg(kill)));
        }
        qInfo("after %d kills: %d times the first log, %d times the second", kKills, seen[0], seen[1]);
        QCOMPARE(RecordStore(folder.path()).lockFolder(0), QString());
    }

};

QTEST_GUILESS_MAIN(DatabaseFileTest)
#include "test_databasefile.moc"
