#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/LineCodec.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
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
    void addRefusesARecordThatFitsOnlyWithoutItsMark();
    void captionFollowsTheRecordShown();
    void pickingAnotherRecordAsksAboutUnsavedEdits_data();
    void pickingAnotherRecordAsksAboutUnsavedEdits();
    void pickingWithoutEditsAsksNothing();
    void aSearchHidingTheShownRecordChangesOnlyIt_data();
    void aSearchHidingTheShownRecordChangesOnlyIt();
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
    QCOMPARE(w->label10()->text(), QStringLiteral("Hotel Miramar  - Item not found"));
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
    QCOMPARE(w->label10()->text(), QStringLiteral("Removed Beta - Ctrl+Z to undo"));

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

void TestEntryCommands::addRefusesARecordThatFitsOnlyWithoutItsMark()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    // A line of 24 fields, each followed by "|": Place "P", the 19-character stamp and the
    // comments leave room for the CR LF of a rewrite, but not for the "*" as well.
    const int longest = LineCodec::kMaxEncodableLength - 2;
    const QString comments(longest - 1 - 19 - 24, u'c');
    w->entryForm()->setText1(Place, QStringLiteral("P"));
    w->entryForm()->setText1(12, comments);
    MessageCatcher message;
    w.clickToolbar1(1);
    QTRY_COMPARE(message.count(), 1);
    QCOMPARE(message.text(), QStringLiteral("The change could not be saved."));
    QVERIFY2(message.details().contains(QLatin1String("too long")), qPrintable(message.details()));
    QCOMPARE(w->listView1()->model()->rowCount(), 0);
    QVERIFY(!QDir(folder.path()).exists(QStringLiteral("Roamlog.ppd")));
    QCOMPARE(w->entryForm()->text1(12), comments);

    // One character less and it is stored, offered for sharing.
    w->entryForm()->setText1(12, comments.chopped(1));
    w.clickToolbar1(1);
    QCOMPARE(message.count(), 1);
    QCOMPARE(w.listRow(0)[UploadMark], QStringLiteral("*"));
    QCOMPARE(readDatabase(folder).size(), 1);
}

void TestEntryCommands::captionFollowsTheRecordShown()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {DateModified, QStringLiteral("01-02-2003 04:05:06")}}),
                           record({{Place, QStringLiteral("Beta")}, {DateModified, QStringLiteral("02-03-2004 05:06:07")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Alpha - Modified: 01-02-2003 04:05:06"));

    // After Replace the caption carries the new stamp.
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Bern"));
    w.clickToolbar1(2);
    const QString stamp = readDatabase(folder)[0][DateModified];
    QVERIFY(kStamp.match(stamp).hasMatch());
    QVERIFY(stamp != QLatin1String("01-02-2003 04:05:06"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Alpha - Modified: ") + stamp);
    // Undo brings back the stamp the record had, redo the new one.
    w.chooseFromOtherMenu(0, QStringLiteral("mnuUndo"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Alpha - Modified: 01-02-2003 04:05:06"));
    w.chooseFromOtherMenu(0, QStringLiteral("mnuRedo"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Alpha - Modified: ") + stamp);

    // After Remove it names no record.
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), QStringLiteral("Roamlog@: Beta - Modified: 02-03-2004 05:06:07"));
    w.chooseFromOtherMenu(1, QStringLiteral("mnuRemoveEntry"));
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    QCOMPARE(w->windowTitle(), QStringLiteral(" Roamlog"));
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("storedCity");
    QTest::addColumn<QString>("formPlace");
    QTest::addColumn<int>("selected");
    QTest::newRow("save") << int(QMessageBox::Save) << QStringLiteral("Basel") << QStringLiteral("Beta") << 1;
    QTest::newRow("discard") << int(QMessageBox::Discard) << QStringLiteral("Bern") << QStringLiteral("Beta") << 1;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("Bern") << QStringLiteral("Alpha") << 0;
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits()
{
    QFETCH(int, answer);
    QFETCH(QString, storedCity);
    QFETCH(QString, formPlace);
    QFETCH(int, selected);
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}}),
                           record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Chur")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Basel"));

    {
        // The same record again asks nothing and keeps the edits.
        MessageCatcher none;
        w.clickRow(0, Qt::LeftButton);
        QCOMPARE(none.count(), 0);
        QCOMPARE(w->entryForm()->text1(CityBox), QStringLiteral("Basel"));
    }

    MessageCatcher question{QMessageBox::StandardButton(answer)};
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(question.count(), 1);
    QCOMPARE(question.text(), QStringLiteral("Save the changes to Alpha?"));
    QCOMPARE(question.buttons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);

    QCOMPARE(readDatabase(folder)[0][City], storedCity);
    QCOMPARE(w->entryForm()->text1(Place), formPlace);
    QCOMPARE(w->entryForm()->text1(CityBox), formPlace == QLatin1String("Beta") ? QStringLiteral("Chur") : QStringLiteral("Basel"));
    QCOMPARE(w->listView1()->selectedRow(), selected);
    QCOMPARE(w.listRow(0)[City], storedCity);
}

void TestEntryCommands::pickingWithoutEditsAsksNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {2, QStringLiteral("Hotel")}, {21, QStringLiteral("http://a.example")}}),
                           record({{Place, QStringLiteral("Beta")}})});
    WindowUnderTest w(folder);
    MessageCatcher question;
    w.clickRow(0, Qt::LeftButton);
    w.clickRow(1, Qt::LeftButton);
    // After Add, Replace or Clear the form holds no listed record, so nothing is asked either.
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Oslo"));
    w.clickToolbar1(3);
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Oslo"));
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(question.count(), 0);
    QCOMPARE(w->entryForm()->text1(Place), QStringLiteral("Alpha"));
}

void TestEntryCommands::aSearchHidingTheShownRecordChangesOnlyIt_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("alphaCity");
    QTest::newRow("save") << int(QMessageBox::Save) << QStringLiteral("Basel");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("Bern");
}

void TestEntryCommands::aSearchHidingTheShownRecordChangesOnlyIt()
{
    QFETCH(int, answer);
    QFETCH(QString, alphaCity);
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}}),
                           record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Chur")}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Basel"));
    // The search leaves Beta alone in the list; Alpha, still in the form, is hidden.
    w.showViewTab();
    w.type(QStringLiteral("SearchBox"), QStringLiteral("Beta"));
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    {
        MessageCatcher question{QMessageBox::StandardButton(answer)};
        w.clickRow(0, Qt::LeftButton);
        QCOMPARE(question.count(), 1);
        // Replace after Cancel has no record selected to overwrite.
        w.clickToolbar1(2);
    }
    const Records file = readDatabase(folder);
    QCOMPARE(file[0][City], alphaCity);
    QCOMPARE(file[1][City], QStringLiteral("Chur"));
}

QTEST_MAIN(TestEntryCommands)
#include "test_entrycommands.moc"
