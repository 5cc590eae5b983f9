#include "TestFolder.h"

#include "store/LeftoverFiles.h"
#include "store/RecordStore.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Hand-encoded lines: "Inn" and 24 "|"; "Café|||€5|" and 20 "|". Appended lines encode the
// plain line alone, rewritten ones the plain line with its CR LF.
const QByteArray kInnA = "1B010F1110131B2E131D1110131B2E131D1110131B2E131D111013\r\n";
const QByteArray kInnR = "1B010F1110131B2E131D1110131B2E131D1110131B2E131D1110136A58\r\n";
const QByteArray kCafeA = "110E078410131BD25A1D1110131B2E131D1110131B2E131D1110131B2E13\r\n";
const QByteArray kCafeR = "110E078410131BD25A1D1110131B2E131D1110131B2E131D1110131B2E136C67\r\n";
const QByteArray kNoField = "3C00411E091F06200E15021E"; // "no separator"
const QByteArray kShort = "01070E1F181349";             // "Short|", padded with "."
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
    bool hasBak() const { return QFile::exists(filePath(u"Roamlog.bak"_s)); }
    bool setPpd(const QByteArray& bytes) const { return write(u"Roamlog.ppd"_s, bytes); }
};

} // namespace

class DatabaseFileTest : public QObject
{
    Q_OBJECT

private slots:
    void appendedAndRewrittenBytes()
    {
        Folder folder;
        RecordStore store(folder.path());
        QVERIFY(store.appendRow(record(u"Inn"_s)) && store.AppendRecord(0));
        QCOMPARE(folder.ppd(), kInnA);
        QVERIFY(store.appendRow(record(u"Café"_s, u"€5"_s)) && store.AppendRecord(1));
        QCOMPARE(folder.ppd(), kInnA + kCafeA);
        QVERIFY(!folder.hasBak()); // an append leaves the backup alone
        QCOMPARE(store.RowToLine(1), u"Café|||€5|"_s + QString(20, u'|'));

        QVERIFY(store.SaveAllRecords());
        QCOMPARE(folder.ppd(), kInnR + kCafeR);
        QCOMPARE(folder.bak(), kInnA + kCafeA);
        store.removeRow(0);
        QVERIFY(store.SaveAllRecords());
        QCOMPARE(folder.ppd(), kCafeR);
        QCOMPARE(folder.bak(), kInnR + kCafeR);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2); // no temporary file left

        // An append to a file whose last line lacks its line end (or its LF) starts a line of
        // its own and leaves that last line readable.
        const DatabaseFile file(folder.path());
        QVERIFY(folder.setPpd("ZZ") && file.AppendRecord(store.row(0)));
        QCOMPARE(folder.ppd(), "ZZ\r\n" + kCafeA);
        QVERIFY(folder.setPpd(kInnA.chopped(1)) && file.AppendRecord(store.row(0)));
        QCOMPARE(folder.ppd(), kInnA + kCafeA);
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
        QTest::newRow("LF only") << innR + '\n' + cafeA + '\n' << both << 0 << 0;
        QTest::newRow("CR only") << innR + '\r' + cafeA + '\r' << both << 0 << 0;
        QTest::newRow("CR, LF and CR LF") << innR + '\r' + cafeA + "\n\r\n" + innR << QStringList{both + QStringList{u"Inn/"_s}} << 0 << 0;
        QTest::newRow("byte-order mark") << kBom + innR + '\r' + cafeA << both << 0 << 0;
        QTest::newRow("mark alone") << kBom << QStringList() << 0 << 0;
        QTest::newRow("mark inside") << kInnA + kBom + kCafeA << QStringList{u"Inn/"_s} << 1 << 0;
        QTest::newRow("last line without end") << kInnA + kCafeA.chopped(2) << both << 0 << 0;
        QTest::newRow("lower-case digits") << kInnA.toLower() + kCafeR << both << 0 << 0;
        QTest::newRow("not hexadecimal") << kInnA + "1B0G\r\n" + kCafeA << both << 1 << 0;
        QTest::newRow("no field") << kInnA + kNoField + "\r\n" + kCafeA << both << 1 << 0;
        QTest::newRow("short line") << kShort + "\r\n" << QStringList{u"Short/"_s} << 0 << 1;
        QTest::newRow("torn append") << kInnA + kTorn << QStringList{u"Inn/"_s, u"Café/"_s} << 0 << 1;
        QTest::newRow("torn, then more") << kTorn + "\r\n" + kInnR << QStringList{u"Café/"_s, u"Inn/"_s} << 0 << 1;
        QTest::newRow("only damage") << QByteArray("??\r\n\n" + kNoField) << QStringList() << 2 << 0;
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
        QCOMPARE(report.unreadableLines, unreadable);
        QCOMPARE(report.incompleteRecords, incomplete);

        // Counting without loading (roamlog-cli check) judges every line the same way.
        const LoadReport counted = DatabaseFile(folder.path()).CheckDatabase();
        QCOMPARE(counted.records, report.records);
        QCOMPARE(counted.unreadableLines, unreadable);
        QCOMPARE(counted.incompleteRecords, incomplete);
    }

    // A rewrite stores CR LF and no byte order mark, puts the lines that could not be read
    // back at the end (one that begins with the mark keeps it), and keeps the file as it was
    // as the backup.
    void rewriteKeepsWhatItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("rewritten");
        QTest::newRow("line ends and mark") << kBom + kInnR.chopped(2) + '\r' + kCafeA.chopped(2) + '\n' << kInnR + kCafeR;
        QTest::newRow("unreadable lines") << kInnA + "1B0G\n" + kNoField + "\r\n" + kCafeA
                                          << kInnR + kCafeR + "1B0G\r\n" + kNoField + "\r\n";
        QTest::newRow("kept line with the mark") << kBom + kBom + "??\r\n" << kBom + kBom + "??\r\n";
    }
    void rewriteKeepsWhatItCannotRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, rewritten);
        Folder folder;
        QVERIFY(folder.setPpd(content));
        for (const QByteArray& previous : {content, rewritten}) {
            RecordStore store(folder.path());
            QVERIFY(store.LoadDatabase().readToEnd());
            QVERIFY(store.SaveAllRecords());
            QCOMPARE(folder.ppd(), rewritten);
            QCOMPARE(folder.bak(), previous);
        }
    }

    // A large file is split between two threads: the rows keep the file's order, and the
    // lines that cannot be read stay in theirs, whichever half they fall in.
    void largeFileLoadsInOrder()
    {
        Folder folder;
        RecordTable table;
        QByteArray content;
        for (int i = 0; i < 6000; ++i) {
            content += DatabaseFile::appendedLine(record(u"Place %1"_s.arg(i), QString(i % 200, u'c')));
            if (i % 1000 == 999)
                content += "BAD" + QByteArray::number(i) + "\r";
        }
        QVERIFY(content.size() > 1024 * 1024); // large enough to be split
        QVERIFY(folder.setPpd(content));
        const LoadReport report = DatabaseFile(folder.path()).LoadDatabase(table);
        QVERIFY(report.records == 6000 && report.unreadableLines == 6);
        const LoadReport counted = DatabaseFile(folder.path()).CheckDatabase();
        QVERIFY(counted.records == 6000 && counted.unreadableLines == 6 && counted.readToEnd());
        for (int i = 0; i < 6000; ++i)
            QCOMPARE(table.row(i).field(RecordColumns::Place), u"Place %1"_s.arg(i));
        QCOMPARE(table.unreadableLines(),
                 (QList<QByteArray>{"BAD999", "BAD1999", "BAD2999", "BAD3999", "BAD4999", "BAD5999"}));
    }

    // The file is read in chunks of 1 MB: a CR LF split between two chunks, and a line longer
    // than a chunk, read as in one piece.
    void linesAcrossChunks_data()
    {
        QTest::addColumn<QByteArray>("content");
        const qsizetype chunk = 1 << 20;
        // The CR is the last byte of the first chunk, its LF the first of the next.
        QTest::newRow("CR LF split") << kBom + QByteArray(chunk - 1 - 3, 'Z') + "\r\n" + kInnA + kCafeA;
        QTest::newRow("line of 2.5 MB") << QByteArray(chunk * 5 / 2, 'Z') + "\r" + kInnA + kCafeA;
        QTest::newRow("record split") << QByteArray(chunk - 9, 'Z') + '\n' + kInnA + kCafeA;
    }
    void linesAcrossChunks()
    {
        QFETCH(QByteArray, content);
        Folder folder;
        QVERIFY(folder.setPpd(content));
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QVERIFY(report.records == 2 && report.unreadableLines == 1 && report.incompleteRecords == 0);
        QCOMPARE(store.row(1).field(RecordColumns::Comments), u"€5"_s);
        QCOMPARE(store.table().unreadableLines().first().size(),
                 content.size() - kInnA.size() - kCafeA.size() - 1 - (content.startsWith(kBom) ? 4 : 0));
    }

    // Only the temporary files this program names are taken for leftovers of a killed rewrite,
    // and only by the folder's one writer: the user's copies beside the log stay, and loading
    // or counting the records removes nothing.
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
        QVERIFY(store.LoadDatabase().readToEnd() && store.file().CheckDatabase().readToEnd());
        QVERIFY(QFile::exists(folder.filePath(name)));
        QCOMPARE(store.lockFolder(0), QString());
        QCOMPARE(QFile::exists(folder.filePath(name)), !removed);
        QCOMPARE(folder.ppd(), kInnA);
    }

    // One writer per folder: a second one is told who has it, until the first lets it go.
    void oneWriterPerFolder()
    {
        Folder folder;
        auto first = std::make_unique<RecordStore>(folder.path());
        QCOMPARE(first->lockFolder(0), QString());
        RecordStore second(folder.path());
        const QString why = second.lockFolder(50);
        QVERIFY2(why.contains(u"in use by another program"_s) && why.contains(QString::number(QCoreApplication::applicationPid())),
                 qPrintable(why));
        QVERIFY(second.folderHeldElsewhere());
        first.reset();
        QCOMPARE(second.lockFolder(0), QString());
    }

    // A file that another program changed, replaced or removed since the store read or wrote
    // it is never written over: both kinds of write are refused until it is read again.
    void changedFileRefusesWrites_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("change"); // 0 append, 1 same size, 2 copy with the old time, 3 remove
        QTest::newRow("appended") << kInnA << 0;
        QTest::newRow("rewritten in place, same size, a time of its own") << kInnA << 1;
        QTest::newRow("copy with the old time") << kInnA << 2;
        QTest::newRow("removed") << kInnA << 3;
        QTest::newRow("made where there was none") << QByteArray() << 0;
    }
    void changedFileRefusesWrites()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, change);
        Folder folder;
        const QString ppd = folder.filePath(u"Roamlog.ppd"_s);
        QVERIFY(before.isEmpty() || folder.setPpd(before));
        RecordStore store(folder.path());
        QVERIFY(store.LoadDatabase().readToEnd() && store.appendRow(record(u"Mine"_s)));
        QVERIFY(store.AppendRecord(store.rowCount() - 1)); // the store's own write changes nothing
        const QByteArray mine = folder.ppd();
        const QDateTime time = QFileInfo(ppd).lastModified();
        if (change == 0)
            QVERIFY(DatabaseFile(folder.path()).AppendRecord(record(u"Theirs"_s)));
        if (change == 1 || change == 2) {
            const QString name = change == 1 ? u"Roamlog.ppd"_s : u"copy"_s;
            QVERIFY(folder.write(name, QByteArray(mine).replace("1B", "1C")));
            QFile other(folder.filePath(name));
            QVERIFY(other.open(QIODevice::ReadWrite) &&
                    other.setFileTime(change == 1 ? time.addSecs(-60) : time, QFileDevice::FileModificationTime));
            QVERIFY(change == 1 || (QFile::remove(ppd) && other.rename(ppd)));
        }
        if (change == 3)
            QVERIFY(QFile::remove(ppd));
        QVERIFY(store.fileChanged());
        const QByteArray theirs = folder.ppd();
        for (const StoreResult& refused : {store.AppendRecord(0), store.SaveAllRecords()}) {
            QVERIFY(!refused.ok && refused.fileChanged);
            QVERIFY2(refused.error.contains(u"changed by another program"_s), qPrintable(refused.error));
        }
        QCOMPARE(folder.ppd(), theirs);
        QCOMPARE(folder.hasBak(), false);
        QVERIFY(store.LoadDatabase().readToEnd() && !store.fileChanged() && store.SaveAllRecords());
    }

    // A file that exists but cannot be read (a folder of that name, a link that leads nowhere
    // or in a circle): the load says why, and no later append or rewrite may replace the
    // records that were not read, even once the file could be written.
    void unreadFileRefusesWrites_data()
    {
        QTest::addColumn<QString>("linkTo"); // empty: a folder takes the file's name
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << QString() << QString();
        QTest::newRow("dangling link") << u"nowhere"_s << u"No such file"_s;
        QTest::newRow("looping link") << u"Roamlog.ppd"_s << u"symbolic links"_s;
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
        QVERIFY(report.fileFound && !report.readToEnd() && store.writesRefused());
        QVERIFY2(report.readError.contains(u"Roamlog.ppd"_s) && report.readError.contains(reason), qPrintable(report.readError));
        QCOMPARE(DatabaseFile(folder.path()).CheckDatabase().readError, report.readError);

        QVERIFY((linkTo.isEmpty() ? QDir(folder.path()).rmdir(ppd) : QFile::remove(ppd)) && folder.setPpd(kInnA));
        QVERIFY(store.appendRow(record(u"Café"_s)));
        for (const StoreResult& result : {store.AppendRecord(0), store.SaveAllRecords()}) {
            QVERIFY2(!result.ok && result.error.contains(u"could not be read at start"_s) &&
                         result.error.contains(report.readError),
                     qPrintable(result.error));
        }
        QCOMPARE(folder.ppd(), kInnA);
        QVERIFY(!folder.hasBak());
        QVERIFY(RecordStore(folder.path()).LoadDatabase().readToEnd()); // the next start reads it
    }

    void backupRule()
    {
        Folder folder;
        RecordStore store(folder.path());
        QVERIFY(!store.LoadDatabase().fileFound);
        QVERIFY(store.appendRow(record(u"Inn"_s)) && store.SaveAllRecords());
        QCOMPARE(folder.ppd(), kInnR); // no file before: written, nothing to back up
        QVERIFY(!folder.hasBak());

        // A backup that cannot be made stops the rewrite before anything changes.
        QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.bak"_s));
        QVERIFY(store.appendRow(record(u"Café"_s)));
        const StoreResult saved = store.SaveAllRecords();
        QVERIFY(!saved.ok && saved.error.contains(u"Roamlog.bak"_s));
        QCOMPARE(folder.ppd(), kInnR);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{u"Roamlog.ppd"_s});
        // A file that cannot be opened fails the append with a reason.
        QVERIFY(QFile::remove(folder.filePath(u"Roamlog.ppd"_s)) && QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
        QVERIFY(!DatabaseFile(folder.path()).AppendRecord(record(u"Inn"_s)).error.isEmpty());
    }

    void refusesWhatCannotBeStored()
    {
        TravelRecord r = record(u"Inn"_s);
        const TravelRecord before = r;
        for (const QString& bad : {u"a|b"_s, u"Ā"_s, u"😀"_s}) {
            const std::optional<FieldProblem> problem = r.setField(RecordColumns::City, bad);
            QVERIFY(problem && problem->column == RecordColumns::City && !problem->reason.isEmpty());
            QCOMPARE(r, before);
        }

        Folder folder;
        RecordStore store(folder.path());
        // A rewrite encodes "Inn", 24 "|", the comment and CR LF: at most 16,383 characters.
        QVERIFY(store.appendRow(record(u"Inn"_s, QString(16354, u'x'))));
        QVERIFY(!store.appendRow(record(u"Inn"_s, QString(16355, u'x'))).error.isEmpty());
        QVERIFY(!store.replaceRow(0, record(u"Inn"_s, QString(16355, u'x'))).ok);
        QCOMPARE(store.row(0).field(RecordColumns::Comments).size(), 16354);

        while (store.rowCount() < 32767)
            QVERIFY(store.appendRow(record(u"Inn"_s)));
        const StoreResult full = store.appendRow(record(u"One more"_s));
        QVERIFY(!full.ok && full.error.contains(u"32767"_s));
        QCOMPARE(store.rowCount(), 32767);
        QVERIFY(!QFile::exists(folder.filePath(u"Roamlog.ppd"_s)));
    }
};

QTEST_GUILESS_MAIN(DatabaseFileTest)
#include "test_databasefile.moc"
