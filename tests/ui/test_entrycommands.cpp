#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr int CityBox = 2; // the Text1 box of the City column
constexpr int Place = 0, City = 10, DateModified = 22, UploadMark = 23;

const QRegularExpression kStamp(QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d$"));

QDateTime stampTime(const QString& stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("MM-dd-yyyy hh:mm:ss"));
}

} // namespace

class TestEntryCommands : public QObject
{
    Q_OBJECT

private slots:
    void dateStampIgnoresTheLocale();
    void addAppendsALineWithoutMark();
    void addWithEmptyPlaceDoesNothing();
    void replaceOverwritesTheSelectedRecord();
    void replaceReportsItemNotFound();
    void clearEmptiesTheForm();
    void removeTakesOnlyTheRecordShown();
    void failedWritesAreReportedAndLoseNothing();
};

void TestEntryCommands::dateStampIgnoresTheLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString stamp = EntryCommands::dateStamp(QDateTime(QDate(2006, 3, 7), QTime(9, 5, 7)));
    const QString afternoon = EntryCommands::dateStamp(QDateTime(QDate(2006, 12, 25), QTime(21, 0, 59)));
    QLocale::setDefault(previous);
    QCOMPARE(stamp, QStringLiteral("03-07-2006 09:05:07"));
    QCOMPARE(afternoon, QStringLiteral("12-25-2006 21:00:59"));
}

void TestEntryCommands::addAppendsALineWithoutMark()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Hotel Miramar"));
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Lisbon"));
    w.type(QStringLiteral("Text1(20)"), QStringLiteral("1p:$80"));
    w.control(QStringLiteral("Text1(14)"))->setFocus(); // leaves a bare "http://" in the Web box
    w.clickToolbar1(1);

    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    const QStringList row = w.listRow(0);
    QCOMPARE(row[Place], QStringLiteral("Hotel Miramar"));
    QCOMPARE(row[City], QStringLiteral("Lisbon"));
    QCOMPARE(row[17], QStringLiteral("1p:$80"));
    QCOMPARE(row[21], QString()); // the bare prefix is not stored
    QCOMPARE(row[UploadMark], QStringLiteral("*"));
    QVERIFY(row[24].isEmpty());
    QVERIFY2(kStamp.match(row[DateModified]).hasMatch(), qPrintable(row[DateModified]));
    const QDateTime stamped = stampTime(row[DateModified]);
    QVERIFY(stamped >= before && stamped <= QDateTime::currentDateTime().addSecs(1));

    // The file got the line before the mark was set.
    const Records file = readDatabase(folder);
    QCOMPARE(file.size(), 1);
    QCOMPARE(file[0].size(), 24);
    QCOMPARE(file[0].mid(0, 23), row.mid(0, 23));
    QCOMPARE(file[0][UploadMark], QString());
    // The appended line encodes the plain line alone, without a CR LF inside.
    QVERIFY(!folder.read(QStringLiteral("Roamlog.bak")).size());

    // The form is empty, ready for the next record, with the focus on the Place.
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    QVERIFY(w->entryForm()->text1(2).isEmpty());
    QCOMPARE(QApplication::focusWidget(), w.control(QStringLiteral("Text1(0)")));

    // The same Place again is a second record, at the end.
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Hotel Miramar"));
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Porto"));
    w.clickToolbar1(1);
    QCOMPARE(w->listView1()->model()->rowCount(), 2);
    QCOMPARE(w.listRow(1)[City], QStringLiteral("Porto"));
    QCOMPARE(readDatabase(folder).size(), 2);
}

void TestEntryCommands::addWithEmptyPlaceDoesNothing()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Lisbon"));
    w.clickToolbar1(1);
    QCOMPARE(w->listView1()->model()->rowCount(), 0);
    QVERIFY(!QDir(folder.path()).exists(QStringLiteral("Roamlog.ppd")));
    QCOMPARE(w->entryForm()->text1(2), QStringLiteral("Lisbon"));
    QCOMPARE(w->windowTitle(), QStringLiteral(" Roamlog"));
}

void TestEntryCommands::replaceOverwritesTheSelectedRecord()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha Inn")}, {City, QStringLiteral("Bern")}, {UploadMark, QStringLiteral("K17")}}),
                           record({{Place, QStringLiteral("Beta Hotel")}, {City, QStringLiteral("Chur")}})});
    const QByteArray original = folder.read(QStringLiteral("Roamlog.ppd"));
    WindowUnderTest w(folder);

    // A record added in this run carries "*" into the next rewrite.
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Gamma Hostel"));
    w.clickToolbar1(1);

    // Show Alpha, change its city and replace it.
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(w->entryForm()->text1(0), QStringLiteral("Alpha Inn"));
    w->entryForm()->setText1(CityBox, QString());
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Basel"));
    w.clickToolbar1(2);

    const Records file = readDatabase(folder);
    QCOMPARE(file.size(), 3);
    QCOMPARE(file[0][Place], QStringLiteral("Alpha Inn"));
    QCOMPARE(file[0][City], QStringLiteral("Basel"));
    QCOMPARE(file[0][UploadMark], QStringLiteral("K17")); // the mark is kept
    QVERIFY(kStamp.match(file[0][DateModified]).hasMatch());
    QCOMPARE(file[1][City], QStringLiteral("Chur"));
    QCOMPARE(file[2][Place], QStringLiteral("Gamma Hostel"));
    QCOMPARE(file[2][UploadMark], QStringLiteral("*"));
    // The backup holds the file as it was before the rewrite: the two records and the append.
    const QByteArray backup = folder.read(QStringLiteral("Roamlog.bak"));
    QVERIFY(backup.startsWith(original));
    QCOMPARE(readDatabase(folder, QStringLiteral("Roamlog.bak")).size(), 3);
    QVERIFY(w->entryForm()->text1(0).isEmpty());

    // Alpha selected, Beta's Place typed: Alpha's fields change, Alpha keeps its Place.
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(Place, QString());
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Beta Hotel"));
    w->entryForm()->setText1(CityBox, QString());
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Thun"));
    w.clickToolbar1(2);
    QCOMPARE(w.listRow(0)[Place], QStringLiteral("Alpha Inn"));
    QCOMPARE(w.listRow(0)[City], QStringLiteral("Thun"));
    QCOMPARE(w.listRow(1)[City], QStringLiteral("Chur"));
    QCOMPARE(readDatabase(folder)[0][City], QStringLiteral("Thun"));
}

void TestEntryCommands::replaceReportsItemNotFound()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Hotel Miramar")}})});
    const QByteArray original = folder.read(QStringLiteral("Roamlog.ppd"));
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    // Places compare exactly: a trailing blank or another case is another Place.
    w.type(QStringLiteral("Text1(0)"), QStringLiteral(" "));
    w.control(QStringLiteral("Text1(14)"))->setFocus();
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog - Hotel Miramar  - Item not found"));
    QCOMPARE(w->entryForm()->text1(0), QStringLiteral("Hotel Miramar "));
    QCOMPARE(w->entryForm()->text1(14), QString()); // the pre-step ran all the same
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), original);
    QVERIFY(!QDir(folder.path()).exists(QStringLiteral("Roamlog.bak")));

    w->entryForm()->setText1(Place, QStringLiteral("hotel miramar"));
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog - hotel miramar - Item not found"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), original);
}

void TestEntryCommands::clearEmptiesTheForm()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Inn")}, {2, QStringLiteral("Hotel")}, {City, QStringLiteral("Rome")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    const QString caption = w->windowTitle();
    QCOMPARE(w->entryForm()->combo1(1)->currentText(), QStringLiteral("Hotel"));
    w.clickToolbar1(3);
    for (int i = 0; i < EntryForm::TextCount; ++i)
        QVERIFY2(w->entryForm()->text1(i).isEmpty(), qPrintable(QString::number(i)));
    for (int i = 0; i < EntryForm::ComboCount; ++i)
        QVERIFY(w->entryForm()->combo1(i)->currentText().isEmpty());
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(QApplication::focusWidget(), w.control(QStringLiteral("Text1(0)")));
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
}

void TestEntryCommands::removeTakesOnlyTheRecordShown()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}}), record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Oslo")}}),
                           record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Bergen")}})});
    const QByteArray original = folder.read(QStringLiteral("Roamlog.ppd"));
    WindowUnderTest w(folder);

    // Alpha in the form, Beta selected by the right click: nothing happens.
    w.clickRow(0, Qt::LeftButton);
    w.chooseFromOtherMenu(1, QStringLiteral("mnuRemoveEntry"));
    QCOMPARE(w->listView1()->model()->rowCount(), 3);
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), original);

    // The second Beta shown and selected: only it goes, without a question.
    w.clickRow(2, Qt::LeftButton);
    w.chooseFromOtherMenu(2, QStringLiteral("mnuRemoveEntry"));
    QCOMPARE(w->listView1()->model()->rowCount(), 2);
    const Records file = readDatabase(folder);
    QCOMPARE(file.size(), 2);
    QCOMPARE(file[1][City], QStringLiteral("Oslo"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.bak")), original);

    // The form still shows the removed record; Add stores it again at the end.
    QCOMPARE(w->entryForm()->text1(CityBox), QStringLiteral("Bergen"));
    w.clickToolbar1(1);
    QCOMPARE(w->listView1()->model()->rowCount(), 3);
    QCOMPARE(w.listRow(2)[City], QStringLiteral("Bergen"));
    QCOMPARE(readDatabase(folder).size(), 3);
}

void TestEntryCommands::failedWritesAreReportedAndLoseNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}})});
    WindowUnderTest w(folder);
    // The database can no longer be written: a folder takes its name.
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("Roamlog.ppd"))));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Roamlog.ppd")));

    {
        MessageCatcher message;
        w.type(QStringLiteral("Text1(0)"), QStringLiteral("Gamma"));
        w.clickToolbar1(1);
        QCOMPARE(message.count(), 1);
        QCOMPARE(message.caption(), QStringLiteral("Roamlog"));
        QCOMPARE(message.text(), QStringLiteral("The change could not be saved."));
        QVERIFY(!message.details().isEmpty());
        // The list shows what the file holds; the form still holds the new record.
        QCOMPARE(w->listView1()->model()->rowCount(), 1);
        QCOMPARE(w->entryForm()->text1(0), QStringLiteral("Gamma"));
    }
    {
        MessageCatcher message;
        w.clickRow(0, Qt::LeftButton);
        w->entryForm()->setText1(CityBox, QStringLiteral("Basel"));
        w.clickToolbar1(2);
        QCOMPARE(message.count(), 1);
        QCOMPARE(w.listRow(0)[City], QStringLiteral("Bern"));
        QCOMPARE(w->entryForm()->text1(CityBox), QStringLiteral("Basel"));
    }
    {
        MessageCatcher message;
        w.clickRow(0, Qt::LeftButton);
        w.chooseFromOtherMenu(0, QStringLiteral("mnuRemoveEntry"));
        QCOMPARE(message.count(), 1);
        QCOMPARE(w->listView1()->model()->rowCount(), 1);
        QCOMPARE(w.listRow(0)[Place], QStringLiteral("Alpha"));
        QCOMPARE(w->listView1()->selectedRow(), 0);
    }
}

QTEST_MAIN(TestEntryCommands)
#include "test_entrycommands.moc"
