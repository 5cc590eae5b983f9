#include "TestFolder.h"

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
        const QStringList both{u"Inn/"_s, u"Café/€5"_s};
        QTest::newRow("empty lines") << "\r\n" + kInnA + "\r\n\r\n" + kCafeR + "\r\n" << both << 0;
        QTest::newRow("LF only") << kInnR.chopped(2) + '\n' + kCafeA.chopped(2) + '\n' << both << 0;
        QTest::newRow("last line without end") << kInnA + kCafeA.chopped(2) << both << 0;
        QTest::newRow("lower-case digits") << kInnA.toLower() + kCafeR << both << 0;
        QTest::newRow("not hexadecimal") << kInnA + "1B0G\r\n" + kCafeA << both << 1;
        QTest::newRow("no field") << kInnA + kNoField + "\r\n" + kCafeA << both << 1;
        QTest::newRow("short line") << kShort + "\r\n" << QStringList{u"Short/"_s} << 0;
        QTest::newRow("only damage") << QByteArray("??\r\n\n" + kNoField) << QStringList() << 2;
    }
    void loadDamaged()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, records);
        QFETCH(int, unreadable);
        Folder folder;
        QVERIFY(folder.setPpd(content));
        RecordStore store(folder.path());
        const LoadReport report = store.LoadDatabase();
        QStringList loaded;
        for (int i = 0; i < store.rowCount(); ++i)
            loaded << store.row(i).field(RecordColumns::Place) + u'/' + store.row(i).field(RecordColumns::Comments);
        QCOMPARE(loaded, records);
        QVERIFY(report.fileFound && report.records == records.size());
        QCOMPARE(report.unreadableLines, unreadable);
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
