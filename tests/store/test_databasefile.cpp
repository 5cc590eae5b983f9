#include "TestFolder.h"

#include "store/RecordStore.h"

#include <QDateTime>
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

        // An append to a file whose last line lacks its line end (or its LF) starts a line of
        // its own and leaves that last line readable.
        QVERIFY(folder.setPpd("ZZ") && store.AppendRecord(0));
        QCOMPARE(folder.ppd(), "ZZ\r\n" + kCafeA);
        QVERIFY(folder.setPpd(kInnA.chopped(1)) && store.AppendRecord(0));
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
        QTest::newRow("byte-order mark") << kBom + kInnA + kCafeA << both << 0 << 0;
        QTest::newRow("mark, CR only") << kBom + innR + '\r' + cafeA << both << 0 << 0;
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

    // A file read with other line ends or a byte-order mark is rewritten with CR LF and no mark.
    void rewriteKeepsTheStoredFormat()
    {
        Folder folder;
        const QByteArray content = kBom + kInnR.chopped(2) + '\r' + kCafeA.chopped(2) + '\n';
        QVERIFY(folder.setPpd(content));
        RecordStore store(folder.path());
        QCOMPARE(store.LoadDatabase().records, 2);
        QVERIFY(store.SaveAllRecords());
        QCOMPARE(folder.ppd(), kInnR + kCafeR);
        QCOMPARE(folder.bak(), content);
    }

    // A kept line that itself begins with a byte order mark survives rewrites: the load skips
    // only the one mark before it.
    void rewriteKeepsALineThatStartsWithTheMark()
    {
        Folder folder;
        const QByteArray kept = kBom + "??";
        QVERIFY(folder.setPpd(kBom + kept + "\r\n"));
        for (int round = 0; round < 2; ++round) {
            RecordStore store(folder.path());
            QCOMPARE(store.LoadDatabase().unreadableLines, 1);
            QCOMPARE(store.table().unreadableLines(), QList<QByteArray>{kept});
            QVERIFY(store.SaveAllRecords());
            QCOMPARE(folder.ppd(), kBom + kept + "\r\n");
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
            TravelRecord r = record(u"Place %1"_s.arg(i), QString(i % 200, u'c'));
            content += DatabaseFile::appendedLine(r);
            if (i % 1000 == 999)
                content += "BAD" + QByteArray::number(i) + "\r";
        }
        QVERIFY(content.size() > 1024 * 1024); // large enough to be split
        QVERIFY(folder.setPpd(content));
        const LoadReport report = DatabaseFile(folder.path()).LoadDatabase(table);
        QCOMPARE(report.records, 6000);
        QCOMPARE(report.unreadableLines, 6);
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
        QCOMPARE(report.records, 2);
        QCOMPARE(report.unreadableLines, 1);
        QCOMPARE(report.incompleteRecords, 0);
        QCOMPARE(store.row(1).field(RecordColumns::Comments), u"€5"_s);
        QCOMPARE(store.table().unreadableLines().first().size(),
                 content.size() - kInnA.size() - kCafeA.size() - 1 - (content.startsWith(kBom) ? 4 : 0));
    }

    // Temporary files of rewrites killed before this program started are removed on load;
    // files of that pattern written since, and every other name, are left alone.
    void leftoversOfKilledRewritesAreRemoved()
    {
        Folder folder;
        const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-3600);
        const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(60);
        const QStringList removed{u"Roamlog.ppd.AbCdEf"_s, u"Roamlog.bak.xYz123"_s};
        const QStringList kept{u"Roamlog.ppd.AbCdE"_s,   u"Roamlog.ppd.AbCdEfG"_s,
                               u"Roamlog.ppdXAbCdEf"_s,  u"Roamlog.bak.ab-12c"_s,
                               u"Roamlog.ppd.AbCdEf.x"_s, u"Combos.ini.AbCdEf"_s,
                               u"Roamlog.ppd"_s};
        for (const QString& name : removed + kept) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const QString recent = u"Roamlog.ppd.NewOne"_s; // still being written by another program
        QVERIFY(folder.write(recent, "x"));
        {
            QFile file(folder.filePath(recent));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(later, QFileDevice::FileModificationTime));
        }
        RecordStore store(folder.path());
        QVERIFY(store.LoadDatabase().fileFound);
        QStringList expected = kept + QStringList{recent};
        expected.sort();
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), expected);
    }

    // A file that exists but cannot be read: the load says why, and no later append or rewrite
    // may replace the records that were not read, even once the file could be written.
    void unreadFileRefusesWrites()
    {
        Folder folder;
        QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QVERIFY(report.fileFound && !report.readToEnd());
        QVERIFY2(report.readError.contains(u"Roamlog.ppd"_s), qPrintable(report.readError));
        QVERIFY(store.writesRefused());

        QVERIFY(QDir(folder.path()).rmdir(u"Roamlog.ppd"_s) && folder.setPpd(kInnA));
        QVERIFY(store.appendRow(record(u"Café"_s)));
        for (const StoreResult& result : {store.AppendRecord(0), store.SaveAllRecords()}) {
            QVERIFY(!result.ok);
            QVERIFY2(result.error.contains(u"could not be read at start"_s) &&
                         result.error.contains(u"restarted"_s) &&
                         result.error.contains(report.readError),
                     qPrintable(result.error));
        }
        QCOMPARE(folder.ppd(), kInnA);
        QVERIFY(!folder.hasBak());

        RecordStore fresh(folder.path()); // the next start reads the file again
        QVERIFY(fresh.LoadDatabase().readToEnd() && !fresh.writesRefused());
    }

    void rewriteKeepsUnreadableLinesAtTheEnd()
    {
        Folder folder;
        const QByteArray content = kInnA + "1B0G\n" + kNoField + "\r\n" + kCafeA;
        QVERIFY(folder.setPpd(content));
        RecordStore store(folder.path());
        QCOMPARE(store.LoadDatabase().unreadableLines, 2);
        QVERIFY(store.SaveAllRecords());
        QCOMPARE(folder.ppd(), kInnR + kCafeR + "1B0G\r\n" + kNoField + "\r\n");
        QCOMPARE(folder.bak(), content);
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

        Folder blocked;
        QVERIFY(QDir(blocked.path()).mkdir(u"Roamlog.ppd"_s));
        RecordStore other(blocked.path());
        QVERIFY(other.appendRow(record(u"Inn"_s)));
        const StoreResult appended = other.AppendRecord(0);
        QVERIFY(!appended.ok && !appended.error.isEmpty());
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
