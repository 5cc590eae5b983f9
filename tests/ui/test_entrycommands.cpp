#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"
#include "ui/list/RecordListModel.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int CityBox = 2; // the Text1 box of the City column
constexpr int Place = 0, City = 10, DateModified = 22, UploadMark = 23;

const QRegularExpression kStamp(u"^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d$"_s);

QDateTime stampTime(const QString& stamp)
{
    return QDateTime::fromString(stamp, u"MM-dd-yyyy hh:mm:ss"_s);
}

QStringList places(const Records& records)
{
    QStringList names;
    for (const QStringList& fields : records)
        names.append(fields.value(Place) + u'/' + fields.value(City));
    return names;
}

// A key pressed while the record list has the focus, in the active window (as it is again
// once a message box has closed).
void pressOnList(const WindowUnderTest& w, Qt::KeyboardModifiers modifiers)
{
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.showViewTab();
    w->listView1()->setFocus();
    QTest::keyClick(w->listView1(), Qt::Key_Z, modifiers);
}

void pressUndo(const WindowUnderTest& w)
{
    pressOnList(w, Qt::ControlModifier);
}

void pressRedo(const WindowUnderTest& w)
{
    pressOnList(w, Qt::ControlModifier | Qt::ShiftModifier);
}

void changeCity(const WindowUnderTest& w, int row, const QString& city)
{
    w.clickRow(row, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(u"Text1(2)"_s, city);
    w.clickToolbar1(2);
}

// What Share does to a record it has posted: the server's answer in the mark, then a rewrite.
void markAsShared(const WindowUnderTest& w, int row, const QString& answer)
{
    RecordStore& store = w->store();
    TravelRecord shared = store.row(row);
    QVERIFY(!shared.setField(UploadMark, answer));
    QVERIFY(w->recordModel()->replaceRecord(row, shared));
    QVERIFY(store.SaveAllRecords());
}

} // namespace

class TestEntryCommands : public QObject
{
    Q_OBJECT

private slots:
    void dateStampIgnoresTheLocale();
    void addAppendsALineWithoutMark();
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
    void eachStepIsWrittenAtOnce();
    void aTextBoxUndoesItsTypingFirst();
    void historyKeepsTheNewestTwenty();
    void aFailedWriteKeepsTheStep();
    void stepsFindTheirRecordsAfterASort();
    void marksGivenBySharingAreKept();
};

void TestEntryCommands::dateStampIgnoresTheLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const QString stamp = EntryCommands::dateStamp(QDateTime(QDate(2006, 3, 7), QTime(9, 5, 7)));
    const QString afternoon = EntryCommands::dateStamp(QDateTime(QDate(2006, 12, 25), QTime(21, 0, 59)));
    QLocale::setDefault(previous);
    QCOMPARE(stamp, u"03-07-2006 09:05:07"_s);
    QCOMPARE(afternoon, u"12-25-2006 21:00:59"_s);
}

void TestEntryCommands::addAppendsALineWithoutMark()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.type(u"Text1(0)"_s, u"Hotel Miramar"_s);
    w.type(u"Text1(2)"_s, u"Lisbon"_s);
    w.type(u"Text1(20)"_s, u"1p:$80"_s);
    w.control(u"Text1(14)"_s)->setFocus(); // leaves a bare "http://" in the Web box
    w.clickToolbar1(1);

    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    const QStringList row = w.listRow(0);
    QCOMPARE(row[Place], u"Hotel Miramar"_s);
    QCOMPARE(row[City], u"Lisbon"_s);
    QCOMPARE(row[17], u"1p:$80"_s);
    QCOMPARE(row[21], QString()); // the bare prefix is not stored
    QCOMPARE(row[UploadMark], u"*"_s);
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
    QVERIFY(!folder.read(u"Roamlog.bak"_s).size());

    // The form is empty, ready for the next record, with the focus on the Place.
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    QVERIFY(w->entryForm()->text1(2).isEmpty());
    QCOMPARE(QApplication::focusWidget(), w.control(u"Text1(0)"_s));

    // The same Place again is a second record, at the end.
    w.type(u"Text1(0)"_s, u"Hotel Miramar"_s);
    w.type(u"Text1(2)"_s, u"Porto"_s);
    w.clickToolbar1(1);
    QCOMPARE(w->listView1()->model()->rowCount(), 2);
    QCOMPARE(w.listRow(1)[City], u"Porto"_s);
    QCOMPARE(readDatabase(folder).size(), 2);
}

void TestEntryCommands::replaceOverwritesTheSelectedRecord()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha Inn"_s}, {City, u"Bern"_s}, {UploadMark, u"K17"_s}}),
                           record({{Place, u"Beta Hotel"_s}, {City, u"Chur"_s}})});
    const QByteArray original = folder.read(u"Roamlog.ppd"_s);
    WindowUnderTest w(folder);

    // A record added in this run carries "*" into the next rewrite.
    w.type(u"Text1(0)"_s, u"Gamma Hostel"_s);
    w.clickToolbar1(1);

    // Show Alpha, change its city and replace it.
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(w->entryForm()->text1(0), u"Alpha Inn"_s);
    w->entryForm()->setText1(CityBox, QString());
    w.type(u"Text1(2)"_s, u"Basel"_s);
    w.clickToolbar1(2);

    const Records file = readDatabase(folder);
    QCOMPARE(file.size(), 3);
    QCOMPARE(file[0][Place], u"Alpha Inn"_s);
    QCOMPARE(file[0][City], u"Basel"_s);
    QCOMPARE(file[0][UploadMark], u"K17"_s); // the mark is kept
    QVERIFY(kStamp.match(file[0][DateModified]).hasMatch());
    QCOMPARE(file[1][City], u"Chur"_s);
    QCOMPARE(file[2][Place], u"Gamma Hostel"_s);
    QCOMPARE(file[2][UploadMark], u"*"_s);
    // The backup holds the file as it was before the rewrite: the two records and the append.
    const QByteArray backup = folder.read(u"Roamlog.bak"_s);
    QVERIFY(backup.startsWith(original));
    QCOMPARE(readDatabase(folder, u"Roamlog.bak"_s).size(), 3);
    QVERIFY(w->entryForm()->text1(0).isEmpty());

    // Alpha selected, Beta's Place typed: Alpha's fields change, Alpha keeps its Place.
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(Place, QString());
    w.type(u"Text1(0)"_s, u"Beta Hotel"_s);
    w->entryForm()->setText1(CityBox, QString());
    w.type(u"Text1(2)"_s, u"Thun"_s);
    w.clickToolbar1(2);
    QCOMPARE(w.listRow(0)[Place], u"Alpha Inn"_s);
    QCOMPARE(w.listRow(0)[City], u"Thun"_s);
    QCOMPARE(w.listRow(1)[City], u"Chur"_s);
    QCOMPARE(readDatabase(folder)[0][City], u"Thun"_s);
}

void TestEntryCommands::replaceReportsItemNotFound()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Hotel Miramar"_s}})});
    const QByteArray original = folder.read(u"Roamlog.ppd"_s);
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    // Places compare exactly: a trailing blank or another case is another Place.
    w.type(u"Text1(0)"_s, u" "_s);
    w.control(u"Text1(14)"_s)->setFocus();
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), u"Roamlog - Hotel Miramar  - Item not found"_s);
    QCOMPARE(w->label10()->text(), u"Hotel Miramar  - Item not found"_s);
    QCOMPARE(w->entryForm()->text1(0), u"Hotel Miramar "_s);
    QCOMPARE(w->entryForm()->text1(14), QString()); // the pre-step ran all the same
    QCOMPARE(folder.read(u"Roamlog.ppd"_s), original);
    QVERIFY(!QDir(folder.path()).exists(u"Roamlog.bak"_s));

    w->entryForm()->setText1(Place, u"hotel miramar"_s);
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), u"Roamlog - hotel miramar - Item not found"_s);
    QCOMPARE(folder.read(u"Roamlog.ppd"_s), original);
}

void TestEntryCommands::clearEmptiesTheForm()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Inn"_s}, {2, u"Hotel"_s}, {City, u"Rome"_s}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    const QString caption = w->windowTitle();
    QCOMPARE(w->entryForm()->combo1(1)->currentText(), u"Hotel"_s);
    w.clickToolbar1(3);
    for (int i = 0; i < EntryForm::TextCount; ++i)
        QVERIFY2(w->entryForm()->text1(i).isEmpty(), qPrintable(QString::number(i)));
    for (int i = 0; i < EntryForm::ComboCount; ++i)
        QVERIFY(w->entryForm()->combo1(i)->currentText().isEmpty());
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(QApplication::focusWidget(), w.control(u"Text1(0)"_s));
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
}

void TestEntryCommands::removeTakesOnlyTheRecordShown()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}}), record({{Place, u"Beta"_s}, {City, u"Oslo"_s}}),
                           record({{Place, u"Beta"_s}, {City, u"Bergen"_s}})});
    const QByteArray original = folder.read(u"Roamlog.ppd"_s);
    WindowUnderTest w(folder);

    // Alpha in the form, Beta selected by the right click: nothing happens.
    w.clickRow(0, Qt::LeftButton);
    w.chooseFromOtherMenu(1, u"mnuRemoveEntry"_s);
    QCOMPARE(w->listView1()->model()->rowCount(), 3);
    QCOMPARE(folder.read(u"Roamlog.ppd"_s), original);

    // The second Beta shown and selected: only it goes, without a question.
    w.clickRow(2, Qt::LeftButton);
    w.chooseFromOtherMenu(2, u"mnuRemoveEntry"_s);
    QCOMPARE(w->listView1()->model()->rowCount(), 2);
    const Records file = readDatabase(folder);
    QCOMPARE(file.size(), 2);
    QCOMPARE(file[1][City], u"Oslo"_s);
    QCOMPARE(folder.read(u"Roamlog.bak"_s), original);
    QCOMPARE(w->label10()->text(), u"Removed Beta - Ctrl+Z to undo"_s);

    // The form still shows the removed record; Add stores it again at the end.
    QCOMPARE(w->entryForm()->text1(CityBox), u"Bergen"_s);
    w.clickToolbar1(1);
    QCOMPARE(w->listView1()->model()->rowCount(), 3);
    QCOMPARE(w.listRow(2)[City], u"Bergen"_s);
    QCOMPARE(readDatabase(folder).size(), 3);
}

void TestEntryCommands::failedWritesAreReportedAndLoseNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}})});
    WindowUnderTest w(folder);
    // The database can no longer be written: a folder takes its name.
    QVERIFY(QFile::remove(folder.filePath(u"Roamlog.ppd"_s)));
    QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));

    {
        MessageCatcher message;
        w.type(u"Text1(0)"_s, u"Gamma"_s);
        w.clickToolbar1(1);
        QCOMPARE(message.count(), 1);
        QCOMPARE(message.caption(), u"Roamlog"_s);
        QCOMPARE(message.text(), u"The change could not be saved."_s);
        QVERIFY(!message.details().isEmpty());
        // The list shows what the file holds; the form still holds the new record.
        QCOMPARE(w->listView1()->model()->rowCount(), 1);
        QCOMPARE(w->entryForm()->text1(0), u"Gamma"_s);
    }
    {
        MessageCatcher message;
        w.clickRow(0, Qt::LeftButton);
        w->entryForm()->setText1(CityBox, u"Basel"_s);
        w.clickToolbar1(2);
        QCOMPARE(message.count(), 1);
        QCOMPARE(w.listRow(0)[City], u"Bern"_s);
        QCOMPARE(w->entryForm()->text1(CityBox), u"Basel"_s);
    }
    {
        MessageCatcher message;
        w.clickRow(0, Qt::LeftButton);
        w.chooseFromOtherMenu(0, u"mnuRemoveEntry"_s);
        QCOMPARE(message.count(), 1);
        QCOMPARE(w->listView1()->model()->rowCount(), 1);
        QCOMPARE(w.listRow(0)[Place], u"Alpha"_s);
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
    w->entryForm()->setText1(Place, u"P"_s);
    w->entryForm()->setText1(12, comments);
    MessageCatcher message;
    w.clickToolbar1(1);
    QTRY_COMPARE(message.count(), 1);
    QCOMPARE(message.text(), u"The change could not be saved."_s);
    QVERIFY2(message.details().contains(QLatin1String("too long")), qPrintable(message.details()));
    QCOMPARE(w->listView1()->model()->rowCount(), 0);
    QVERIFY(!QDir(folder.path()).exists(u"Roamlog.ppd"_s));
    QCOMPARE(w->entryForm()->text1(12), comments);

    // One character less and it is stored, offered for sharing.
    w->entryForm()->setText1(12, comments.chopped(1));
    w.clickToolbar1(1);
    QCOMPARE(message.count(), 1);
    QCOMPARE(w.listRow(0)[UploadMark], u"*"_s);
    QCOMPARE(readDatabase(folder).size(), 1);
}

void TestEntryCommands::captionFollowsTheRecordShown()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {DateModified, u"01-02-2003 04:05:06"_s}}),
                           record({{Place, u"Beta"_s}, {DateModified, u"02-03-2004 05:06:07"_s}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), u"Roamlog@: Alpha - Modified: 01-02-2003 04:05:06"_s);

    // After Replace the caption carries the new stamp.
    w.type(u"Text1(2)"_s, u"Bern"_s);
    w.clickToolbar1(2);
    const QString stamp = readDatabase(folder)[0][DateModified];
    QVERIFY(kStamp.match(stamp).hasMatch());
    QVERIFY(stamp != QLatin1String("01-02-2003 04:05:06"));
    QCOMPARE(w->windowTitle(), u"Roamlog@: Alpha - Modified: "_s + stamp);
    // Undo brings back the stamp the record had, redo the new one.
    w.chooseFromOtherMenu(0, u"mnuUndo"_s);
    QCOMPARE(w->windowTitle(), u"Roamlog@: Alpha - Modified: 01-02-2003 04:05:06"_s);
    w.chooseFromOtherMenu(0, u"mnuRedo"_s);
    QCOMPARE(w->windowTitle(), u"Roamlog@: Alpha - Modified: "_s + stamp);

    // After Remove it names no record.
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(w->windowTitle(), u"Roamlog@: Beta - Modified: 02-03-2004 05:06:07"_s);
    w.chooseFromOtherMenu(1, u"mnuRemoveEntry"_s);
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    QCOMPARE(w->windowTitle(), u" Roamlog"_s);
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("storedCity");
    QTest::addColumn<QString>("formPlace");
    QTest::addColumn<int>("selected");
    QTest::newRow("save") << int(QMessageBox::Save) << u"Basel"_s << u"Beta"_s << 1;
    QTest::newRow("discard") << int(QMessageBox::Discard) << u"Bern"_s << u"Beta"_s << 1;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << u"Bern"_s << u"Alpha"_s << 0;
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits()
{
    QFETCH(int, answer);
    QFETCH(QString, storedCity);
    QFETCH(QString, formPlace);
    QFETCH(int, selected);
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}}),
                           record({{Place, u"Beta"_s}, {City, u"Chur"_s}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(u"Text1(2)"_s, u"Basel"_s);

    {
        // The same record again asks nothing and keeps the edits.
        MessageCatcher none;
        w.clickRow(0, Qt::LeftButton);
        QCOMPARE(none.count(), 0);
        QCOMPARE(w->entryForm()->text1(CityBox), u"Basel"_s);
    }

    MessageCatcher question{QMessageBox::StandardButton(answer)};
    w.clickRow(1, Qt::LeftButton);
    QCOMPARE(question.count(), 1);
    QCOMPARE(question.text(), u"Save the changes to Alpha?"_s);
    QCOMPARE(question.buttons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);

    QCOMPARE(readDatabase(folder)[0][City], storedCity);
    QCOMPARE(w->entryForm()->text1(Place), formPlace);
    QCOMPARE(w->entryForm()->text1(CityBox), formPlace == QLatin1String("Beta") ? u"Chur"_s : u"Basel"_s);
    QCOMPARE(w->listView1()->selectedRow(), selected);
    QCOMPARE(w.listRow(0)[City], storedCity);
}

void TestEntryCommands::pickingWithoutEditsAsksNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {2, u"Hotel"_s}, {21, u"http://a.example"_s}}),
                           record({{Place, u"Beta"_s}})});
    WindowUnderTest w(folder);
    MessageCatcher question;
    w.clickRow(0, Qt::LeftButton);
    w.clickRow(1, Qt::LeftButton);
    // After Add, Replace or Clear the form holds no listed record, so nothing is asked either.
    w.type(u"Text1(2)"_s, u"Oslo"_s);
    w.clickToolbar1(3);
    w.type(u"Text1(2)"_s, u"Oslo"_s);
    w.clickRow(0, Qt::LeftButton);
    QCOMPARE(question.count(), 0);
    QCOMPARE(w->entryForm()->text1(Place), u"Alpha"_s);
}

void TestEntryCommands::aSearchHidingTheShownRecordChangesOnlyIt_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("alphaCity");
    QTest::newRow("save") << int(QMessageBox::Save) << u"Basel"_s;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << u"Bern"_s;
}

void TestEntryCommands::aSearchHidingTheShownRecordChangesOnlyIt()
{
    QFETCH(int, answer);
    QFETCH(QString, alphaCity);
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}}),
                           record({{Place, u"Beta"_s}, {City, u"Chur"_s}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(u"Text1(2)"_s, u"Basel"_s);
    // The search leaves Beta alone in the list; Alpha, still in the form, is hidden.
    w.showViewTab();
    w.type(u"SearchBox"_s, u"Beta"_s);
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
    QCOMPARE(file[1][City], u"Chur"_s);
}

void TestEntryCommands::eachStepIsWrittenAtOnce()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}}),
                           record({{Place, u"Beta"_s}, {City, u"Chur"_s}})});
    WindowUnderTest w(folder);
    const auto file = [&folder] { return places(readDatabase(folder)); };
    const auto ppd = [&folder] { return folder.read(u"Roamlog.ppd"_s); };
    const auto bak = [&folder] { return folder.read(u"Roamlog.bak"_s); };

    w.addRecord(u"Gamma"_s);
    changeCity(w, 0, u"Basel"_s);
    w.clickRow(1, Qt::LeftButton);
    w.chooseFromOtherMenu(1, u"mnuRemoveEntry"_s);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));
    QCOMPARE(w->label10()->text(), u"Removed Beta - Ctrl+Z to undo"_s);

    // Undo of Remove: Beta back at its place, by a rewrite with the backup.
    QByteArray before = ppd();
    pressUndo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    QCOMPARE(bak(), before);
    QCOMPARE(w.listRow(1)[Place], u"Beta"_s);
    QCOMPARE(w->label10()->text(), u"Undone: Remove Beta"_s);

    // Undo of Replace, from the menu: Alpha's old values.
    before = ppd();
    w.chooseFromOtherMenu(0, u"mnuUndo"_s);
    QCOMPARE(file(), (QStringList{u"Alpha/Bern"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    QCOMPARE(bak(), before);

    // Undo of Add: Gamma goes.
    before = ppd();
    pressUndo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Bern"_s, u"Beta/Chur"_s}));
    QCOMPARE(bak(), before);
    QCOMPARE(w->recordModel()->rowCount(), 2);
    QVERIFY(!w->mnuUndo()->isEnabled());
    pressUndo(w); // nothing left to undo
    QCOMPARE(file(), (QStringList{u"Alpha/Bern"_s, u"Beta/Chur"_s}));

    // Redo of Add appends Gamma again, unmarked in the file and offered for sharing in the list.
    const QByteArray backupBefore = bak();
    before = ppd();
    pressRedo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Bern"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    QVERIFY(ppd().startsWith(before));
    QCOMPARE(bak(), backupBefore);
    QCOMPARE(readDatabase(folder)[2][UploadMark], QString());
    QCOMPARE(w.listRow(2)[UploadMark], u"*"_s);
    QCOMPARE(w->label10()->text(), u"Redone: Add Gamma"_s);

    // Redo of Replace from the menu, redo of Remove from the keyboard.
    w.chooseFromOtherMenu(0, u"mnuRedo"_s);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    before = ppd();
    pressRedo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));
    QCOMPARE(bak(), before);
    QVERIFY(!w->mnuRedo()->isEnabled());
    QVERIFY(w->mnuUndo()->isEnabled());
}

void TestEntryCommands::aTextBoxUndoesItsTypingFirst()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma"_s);
    QWidget* place = w.control(u"Text1(0)"_s);
    QCOMPARE(QApplication::focusWidget(), place);

    // The emptied Place box has nothing to undo: the keys work on the records.
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(readDatabase(folder).size(), 0);

    // Typing is undone and redone in the box first.
    QTest::keyClicks(place, u"Delta"_s);
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->entryForm()->text1(Place), QString());
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w->entryForm()->text1(Place), u"Delta"_s);
    QCOMPARE(w->recordModel()->rowCount(), 0);
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Gamma/"_s});
    QCOMPARE(w->entryForm()->text1(Place), u"Delta"_s);
}

void TestEntryCommands::historyKeepsTheNewestTwenty()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    for (int i = 1; i <= 21; ++i)
        w.addRecord(u"Place %1"_s.arg(i));
    QCOMPARE(readDatabase(folder).size(), 21);
    for (int i = 0; i < 25; ++i)
        pressUndo(w);
    // The first Add dropped out of the history when the 21st came.
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Place 1/"_s});
    QCOMPARE(w->recordModel()->rowCount(), 1);
    for (int i = 0; i < 25; ++i)
        pressRedo(w);
    QCOMPARE(readDatabase(folder).size(), 21);
    QCOMPARE(readDatabase(folder).last()[Place], u"Place 21"_s);
}

void TestEntryCommands::aFailedWriteKeepsTheStep()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}})});
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma"_s);
    const QByteArray stored = folder.read(u"Roamlog.ppd"_s);
    // The database can no longer be written: a folder takes its name.
    QVERIFY(QFile::remove(folder.filePath(u"Roamlog.ppd"_s)));
    QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
    {
        MessageCatcher message;
        pressUndo(w);
        QTRY_COMPARE(message.count(), 1);
        QCOMPARE(message.text(), u"The change could not be saved."_s);
        QVERIFY(!message.details().isEmpty());
    }
    QCOMPARE(w->recordModel()->rowCount(), 2);
    QCOMPARE(w.listRow(1)[Place], u"Gamma"_s);
    QVERIFY(w->mnuUndo()->isEnabled());

    // Once the file can be written again, the same undo goes through.
    QVERIFY(QDir(folder.path()).rmdir(u"Roamlog.ppd"_s));
    QVERIFY(folder.write(u"Roamlog.ppd"_s, stored));
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Alpha/"_s});
    QCOMPARE(w->recordModel()->rowCount(), 1);
}

void TestEntryCommands::stepsFindTheirRecordsAfterASort()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}}),
                           record({{Place, u"Beta"_s}, {City, u"Chur"_s}})});
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma"_s);
    changeCity(w, 0, u"Basel"_s);
    // The first header click sorts descending: Gamma, Beta, Alpha, and the file keeps that order.
    w.clickHeader(Place);
    QCOMPARE(w.listRow(0)[Place], u"Gamma"_s);

    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Gamma/"_s, u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    pressRedo(w);
    pressRedo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Beta/Chur"_s, u"Alpha/Basel"_s, u"Gamma/"_s}));
}

void TestEntryCommands::marksGivenBySharingAreKept()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}, {UploadMark, u"*"_s}})});
    WindowUnderTest w(folder);
    changeCity(w, 0, u"Basel"_s);
    w.addRecord(u"Gamma"_s, u"Genf"_s);
    markAsShared(w, 0, u"K17"_s);
    markAsShared(w, 1, u"G5"_s);

    // Gamma, shared since its Add, goes; a redo brings it back with its answer, not offered again.
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Alpha/Basel"_s});
    pressRedo(w);
    Records file = readDatabase(folder);
    QCOMPARE(places(file), (QStringList{u"Alpha/Basel"_s, u"Gamma/Genf"_s}));
    QCOMPARE(file[1][UploadMark], u"G5"_s);
    QCOMPARE(w.listRow(1)[UploadMark], u"G5"_s);

    // Undo of Replace after Share: the old values with the mark the file has now.
    pressUndo(w); // Gamma's Add
    pressUndo(w); // Alpha's Replace
    file = readDatabase(folder);
    QCOMPARE(places(file), QStringList{u"Alpha/Bern"_s});
    QCOMPARE(file[0][UploadMark], u"K17"_s);
    pressRedo(w);
    file = readDatabase(folder);
    QCOMPARE(places(file), QStringList{u"Alpha/Basel"_s});
    QCOMPARE(file[0][UploadMark], u"K17"_s);
}

QTEST_MAIN(TestEntryCommands)
#include "test_entrycommands.moc"
