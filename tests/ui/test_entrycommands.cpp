// The commands between the form, the list and the file: Add, Replace, Clear, Remove, Undo and
// Redo, the caption, unsaved edits, and failed writes that lose nothing.
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryCommands.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Place = 0, City = 10, DateModified = 22, UploadMark = 23;

bool isStamp(const QString& text)
{
    return QRegularExpression(u"^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d$"_s).match(text).hasMatch();
}

// "Place/City" of every record the file holds.
QStringList places(const TestFolder& folder)
{
    QStringList names;
    for (const QStringList& fields : readDatabase(folder))
        names.append(fields.value(Place) + u'/' + fields.value(City));
    return names;
}

// Ctrl+Z (or with Shift, Ctrl+Shift+Z) on the list, in the active window.
void press(const WindowUnderTest& w, bool redo)
{
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.showViewTab();
    w->listView1()->setFocus();
    QTest::keyClick(w->listView1(), Qt::Key_Z, redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
}

void changeCity(const WindowUnderTest& w, int row, const QString& city)
{
    w.clickRow(row, Qt::LeftButton);
    w->entryForm()->setText1(2, QString());
    w.type(u"Text1(2)"_s, city);
    w.clickToolbar1(2);
}

// The folder can no longer be written: a folder takes the database's name.
void blockTheFile(const TestFolder& folder)
{
    QVERIFY(QFile::remove(folder.filePath(u"Roamlog.ppd"_s)));
    QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
}

Records alphaAndBeta()
{
    return {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}}), record({{Place, u"Beta"_s}, {City, u"Chur"_s}})};
}

} // namespace

class TestEntryCommands : public QObject
{
    Q_OBJECT

private slots:
    void addAppendsALineWithoutMark();
    void replaceOverwritesTheSelectedRecord();
    void replaceReportsItemNotFound();
    void clearEmptiesTheForm();
    void removeTakesOnlyTheRecordShown();
    void failedWritesAreReportedAndLoseNothing();
    void addRefusesARecordThatFitsOnlyWithoutItsMark();
    void pickingAnotherRecordAsksAboutUnsavedEdits_data();
    void pickingAnotherRecordAsksAboutUnsavedEdits();
    void eachStepIsWrittenAtOnce();
    void aTextBoxUndoesItsTypingFirst();
    void historyKeepsTheNewestTwenty();
    void stepsFindTheirRecordsAfterASort();
    void marksGivenBySharingAreKept();
};

void TestEntryCommands::addAppendsALineWithoutMark()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    w.type(u"Text1(0)"_s, u"hotel miramar"_s);
    w.type(u"Text1(20)"_s, u"1p:$80"_s);
    w.control(u"Text1(14)"_s)->setFocus(); // leaves a bare "http://" in the Web box
    // The stamp has its digits and order whatever the user's locale.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    MessageCatcher failure; // digits the file cannot hold would be refused with a message
    w.clickToolbar1(1);
    QLocale::setDefault(previous);
    const QStringList row = w.listRow(0);
    QCOMPARE(row.mid(0, 1) + row.mid(17, 1) + row.mid(21, 1) + row.mid(23), (QStringList{u"Hotel Miramar"_s, u"1p:$80"_s, QString(), u"*"_s, QString()}));
    const QDateTime stamped = QDateTime::fromString(row[DateModified], u"MM-dd-yyyy hh:mm:ss"_s);
    QVERIFY(stamped >= before && stamped <= QDateTime::currentDateTime().addSecs(1));
    // The file got the line before the mark was set; the form is ready for the next record.
    const Records file = readDatabase(folder);
    QCOMPARE(file, Records{row.mid(0, 23) << QString()});
    QVERIFY(w->entryForm()->text1(0).isEmpty() && w->entryForm()->text1(20).isEmpty());
    QCOMPARE(QApplication::focusWidget(), w.control(u"Text1(0)"_s));
    // The same Place again is a second record, at the end, appended without a rewrite.
    w.addRecord(u"Hotel Miramar"_s, u"Porto"_s);
    QCOMPARE(places(folder), (QStringList{u"Hotel Miramar/"_s, u"Hotel Miramar/Porto"_s}));
    QVERIFY(!QFile::exists(folder.filePath(u"Roamlog.bak"_s)));
}

void TestEntryCommands::replaceOverwritesTheSelectedRecord()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha Inn"_s}, {City, u"Bern"_s}, {UploadMark, u"K17"_s}}),
                           record({{Place, u"Beta Hotel"_s}, {City, u"Chur"_s}})});
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma Hostel"_s); // carries its "*" into the rewrite
    const QByteArray beforeRewrite = folder.read(u"Roamlog.ppd"_s);
    changeCity(w, 0, u"Basel"_s);
    const Records file = readDatabase(folder);
    QCOMPARE(places(folder), (QStringList{u"Alpha Inn/Basel"_s, u"Beta Hotel/Chur"_s, u"Gamma Hostel/"_s}));
    QCOMPARE(file[0][UploadMark], u"K17"_s);
    QCOMPARE(file[2][UploadMark], u"*"_s);
    QVERIFY(isStamp(file[0][DateModified]));
    QCOMPARE(folder.read(u"Roamlog.bak"_s), beforeRewrite);
    QVERIFY(w->entryForm()->text1(0).isEmpty());
    // Alpha selected, Beta's Place typed: Alpha's fields change, Alpha keeps its Place.
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(Place, QString());
    w.type(u"Text1(0)"_s, u"Beta Hotel"_s);
    w->entryForm()->setText1(2, u"Thun"_s);
    w.clickToolbar1(2);
    QCOMPARE(places(folder).mid(0, 2), (QStringList{u"Alpha Inn/Thun"_s, u"Beta Hotel/Chur"_s}));
}

void TestEntryCommands::replaceReportsItemNotFound()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Hotel Miramar"_s}})});
    const QByteArray original = folder.read(u"Roamlog.ppd"_s);
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    // Places compare exactly: a trailing blank is another Place.
    w.type(u"Text1(0)"_s, u" "_s);
    w.control(u"Text1(14)"_s)->setFocus();
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), u"Roamlog - Hotel Miramar  - Item not found"_s);
    QCOMPARE(w->label10()->text(), u"Hotel Miramar  - Item not found"_s);
    QCOMPARE(w->entryForm()->text1(14), QString()); // the pre-step ran all the same
    w->entryForm()->setText1(Place, u"hotel miramar"_s);
    w.clickToolbar1(2);
    QCOMPARE(w->windowTitle(), u"Roamlog - hotel miramar - Item not found"_s);
    QCOMPARE(folder.read(u"Roamlog.ppd"_s), original);
}

void TestEntryCommands::clearEmptiesTheForm()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Inn"_s}, {2, u"Hotel"_s}, {7, u"555 9"_s}, {City, u"Rome"_s}})});
    WindowUnderTest w(folder);
    w.clickRow(0, Qt::LeftButton);
    const QString caption = w->windowTitle();
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
    QCOMPARE(folder.read(u"Roamlog.ppd"_s), original);
    // The second Beta shown and selected: only it goes, without a question.
    w.clickRow(2, Qt::LeftButton);
    w.chooseFromOtherMenu(2, u"mnuRemoveEntry"_s);
    QCOMPARE(places(folder), (QStringList{u"Alpha/"_s, u"Beta/Oslo"_s}));
    QCOMPARE(folder.read(u"Roamlog.bak"_s), original);
    QCOMPARE(w->label10()->text(), u"Removed Beta - Ctrl+Z to undo"_s);
    QCOMPARE(w->windowTitle(), u" Roamlog"_s); // it names no record
    // The form still shows the removed record; Add stores it again at the end.
    w.clickToolbar1(1);
    QCOMPARE(places(folder).last(), u"Beta/Bergen"_s);
}

void TestEntryCommands::failedWritesAreReportedAndLoseNothing()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}})});
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma"_s);
    const QByteArray stored = folder.read(u"Roamlog.ppd"_s);
    blockTheFile(folder);
    MessageCatcher message;
    w.addRecord(u"Delta"_s);
    QCOMPARE(message.caption(), u"Roamlog"_s);
    QCOMPARE(message.text(), u"The change could not be saved."_s);
    QVERIFY(!message.details().isEmpty());
    // The list shows what the file holds; the form still holds what was typed.
    const QStringList listed{u"Alpha"_s, u"Gamma"_s};
    QCOMPARE(w.column(Place), listed);
    QCOMPARE(w->entryForm()->text1(0), u"Delta"_s);
    w.clickRow(0, Qt::LeftButton);
    w->entryForm()->setText1(2, u"Basel"_s);
    w.clickToolbar1(2);
    QCOMPARE(w.column(City), (QStringList{u"Bern"_s, QString()}));
    QCOMPARE(w->entryForm()->text1(2), u"Basel"_s);
    w.clickRow(0, Qt::LeftButton);
    w.chooseFromOtherMenu(0, u"mnuRemoveEntry"_s);
    QCOMPARE(w->listView1()->selectedRow(), 0);
    // A failed undo keeps its step, which goes through once the file can be written again.
    press(w, false);
    QTRY_COMPARE(message.count(), 4);
    QCOMPARE(w.column(Place), listed);
    QVERIFY(w->mnuUndo()->isEnabled());
    QVERIFY(QDir(folder.path()).rmdir(u"Roamlog.ppd"_s) && folder.write(u"Roamlog.ppd"_s, stored));
    press(w, false);
    QCOMPARE(places(folder), QStringList{u"Alpha/Bern"_s});
}

void TestEntryCommands::addRefusesARecordThatFitsOnlyWithoutItsMark()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    // 24 fields each followed by "|", Place "P", the 19-character stamp and the comments leave
    // room for the CR LF of a rewrite, but not for the "*" as well.
    const QString comments(LineCodec::kMaxEncodableLength - 2 - 1 - 19 - 24, u'c');
    w->entryForm()->setText1(Place, u"P"_s);
    w->entryForm()->setText1(12, comments);
    MessageCatcher message;
    w.clickToolbar1(1);
    QTRY_COMPARE(message.count(), 1);
    QVERIFY2(message.details().contains(QLatin1String("too long")), qPrintable(message.details()));
    QVERIFY(!QFile::exists(folder.filePath(u"Roamlog.ppd"_s)));
    QCOMPARE(w->entryForm()->text1(12), comments);
    w->entryForm()->setText1(12, comments.chopped(1));
    w.clickToolbar1(1);
    QCOMPARE(message.count(), 1);
    QCOMPARE(readDatabase(folder).size(), 1);
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("search");
    QTest::addColumn<QString>("storedCity");
    QTest::addColumn<QString>("formPlace");
    QTest::newRow("save") << int(QMessageBox::Save) << false << u"Basel"_s << u"Beta"_s;
    QTest::newRow("discard") << int(QMessageBox::Discard) << false << u"Bern"_s << u"Beta"_s;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << u"Bern"_s << u"Alpha"_s;
    // The search leaves Beta alone in the list, Alpha hidden while the form holds it.
    QTest::newRow("save, shown record hidden") << int(QMessageBox::Save) << true << u"Basel"_s << u"Beta"_s;
    QTest::newRow("cancel, shown record hidden") << int(QMessageBox::Cancel) << true << u"Bern"_s << u"Alpha"_s;
}

void TestEntryCommands::pickingAnotherRecordAsksAboutUnsavedEdits()
{
    QFETCH(int, answer);
    QFETCH(bool, search);
    QFETCH(QString, storedCity);
    QFETCH(QString, formPlace);
    TestFolder folder;
    writeDatabase(folder, alphaAndBeta());
    WindowUnderTest w(folder);
    {
        // Without edits nothing is asked; the same record again keeps the edits.
        MessageCatcher none;
        w.clickRow(1, Qt::LeftButton);
        w.clickRow(0, Qt::LeftButton);
        w->entryForm()->setText1(2, u"Basel"_s);
        w.clickRow(0, Qt::LeftButton);
        QCOMPARE(none.count(), 0);
        QCOMPARE(w->entryForm()->text1(2), u"Basel"_s);
    }
    if (search)
        w.type(u"SearchBox"_s, u"beta"_s);
    const int beta = search ? 0 : 1;
    MessageCatcher question{QMessageBox::StandardButton(answer)};
    w.clickRow(beta, Qt::LeftButton);
    QCOMPARE(question.texts(), QStringList{u"Save the changes to Alpha?"_s});
    QCOMPARE(question.buttons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(w->entryForm()->text1(Place), formPlace);
    // After Cancel with Alpha hidden, Replace has no record selected to overwrite.
    if (search)
        w.clickToolbar1(2);
    QCOMPARE(places(folder), (QStringList{u"Alpha/"_s + storedCity, u"Beta/Chur"_s}));
    QCOMPARE(w->listView1()->selectedRow(), formPlace == u"Beta"_s ? 1 : search ? -1 : 0);
}

void TestEntryCommands::eachStepIsWrittenAtOnce()
{
    TestFolder folder;
    writeDatabase(folder, alphaAndBeta());
    WindowUnderTest w(folder);
    const auto bak = [&folder] { return folder.read(u"Roamlog.bak"_s); };
    w.addRecord(u"Gamma"_s);
    changeCity(w, 0, u"Basel"_s);
    w.clickRow(1, Qt::LeftButton);
    w.chooseFromOtherMenu(1, u"mnuRemoveEntry"_s);
    QCOMPARE(places(folder), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));

    // Each undo rewrites the file, with the backup: Beta back at its place, then Alpha's old
    // values (from the menu), then Gamma gone.
    const QStringList steps[] = {{u"Alpha/Basel"_s, u"Beta/Chur"_s, u"Gamma/"_s},
                                 {u"Alpha/Bern"_s, u"Beta/Chur"_s, u"Gamma/"_s},
                                 {u"Alpha/Bern"_s, u"Beta/Chur"_s}};
    for (const QStringList& step : steps) {
        const QByteArray before = folder.read(u"Roamlog.ppd"_s);
        if (step.size() == 3 && step[0] == u"Alpha/Bern"_s)
            w.chooseFromOtherMenu(0, u"mnuUndo"_s);
        else
            press(w, false);
        QCOMPARE(places(folder), step);
        QCOMPARE(bak(), before);
    }
    QCOMPARE(w->label10()->text(), u"Undone: Add Gamma"_s);
    QVERIFY(!w->mnuUndo()->isEnabled());
    press(w, false); // nothing left to undo
    QCOMPARE(places(folder).size(), 2);

    // Redo of Add appends Gamma again, unmarked in the file and offered for sharing in the list.
    const QByteArray before = folder.read(u"Roamlog.ppd"_s);
    press(w, true);
    QVERIFY(folder.read(u"Roamlog.ppd"_s).startsWith(before));
    QCOMPARE(readDatabase(folder)[2][UploadMark], QString());
    QCOMPARE(w.listRow(2)[UploadMark], u"*"_s);
    QCOMPARE(w->label10()->text(), u"Redone: Add Gamma"_s);
    w.chooseFromOtherMenu(0, u"mnuRedo"_s);
    press(w, true);
    QCOMPARE(places(folder), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));
    QVERIFY(!w->mnuRedo()->isEnabled() && w->mnuUndo()->isEnabled());
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
    QCOMPARE(readDatabase(folder).size(), 0);
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(places(folder), QStringList{u"Gamma/"_s});
    QCOMPARE(w->entryForm()->text1(Place), u"Delta"_s);
}

void TestEntryCommands::historyKeepsTheNewestTwenty()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    for (int i = 1; i <= 21; ++i)
        w.addRecord(u"Place %1"_s.arg(i));
    for (int i = 0; i < 25; ++i)
        press(w, false);
    // The first Add dropped out of the history when the 21st came.
    QCOMPARE(places(folder), QStringList{u"Place 1/"_s});
    for (int i = 0; i < 25; ++i)
        press(w, true);
    QCOMPARE(places(folder).size(), 21);
    QCOMPARE(places(folder).last(), u"Place 21/"_s);
}

void TestEntryCommands::stepsFindTheirRecordsAfterASort()
{
    TestFolder folder;
    writeDatabase(folder, alphaAndBeta());
    WindowUnderTest w(folder);
    w.addRecord(u"Gamma"_s);
    changeCity(w, 0, u"Basel"_s);
    // The caption names the record with its new stamp, the old one after the undo.
    const QString alpha = u"Roamlog@: Alpha - Modified: "_s, stamp = readDatabase(folder)[0][DateModified];
    QVERIFY(isStamp(stamp) && w->windowTitle() == alpha + stamp);
    w.clickHeader(Place); // descending: Gamma, Beta, Alpha, and the file keeps that order
    press(w, false);
    QCOMPARE(places(folder), (QStringList{u"Gamma/"_s, u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    QCOMPARE(w->windowTitle(), alpha);
    press(w, false);
    QCOMPARE(places(folder), (QStringList{u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    press(w, true);
    press(w, true);
    QCOMPARE(places(folder), (QStringList{u"Beta/Chur"_s, u"Alpha/Basel"_s, u"Gamma/"_s}));
    QCOMPARE(w->windowTitle(), alpha + stamp);
}

void TestEntryCommands::marksGivenBySharingAreKept()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, u"Alpha"_s}, {City, u"Bern"_s}, {UploadMark, u"*"_s}})});
    WindowUnderTest w(folder);
    changeCity(w, 0, u"Basel"_s);
    w.addRecord(u"Gamma"_s, u"Genf"_s);
    // What Share does to a record it posted: the server's answer in the mark, then a rewrite.
    for (const auto& [row, answer] : {std::pair{0, u"K17"_s}, std::pair{1, u"G5"_s}}) {
        TravelRecord shared = w->store().row(row);
        QVERIFY(!shared.setField(UploadMark, answer));
        QVERIFY(w->recordModel()->replaceRecord(row, shared));
    }
    QVERIFY(w->store().SaveAllRecords());
    // Gamma, shared since its Add, goes; a redo brings it back with its answer, not offered again.
    press(w, false);
    press(w, true);
    QCOMPARE(readDatabase(folder)[1][UploadMark], u"G5"_s);
    QCOMPARE(w.listRow(1)[UploadMark], u"G5"_s);
    // Undo of Replace after Share: the old values with the mark the file has now.
    press(w, false);
    press(w, false);
    QCOMPARE(places(folder), QStringList{u"Alpha/Bern"_s});
    QCOMPARE(readDatabase(folder)[0][UploadMark], u"K17"_s);
    press(w, true);
    QCOMPARE(places(folder), QStringList{u"Alpha/Basel"_s});
    QCOMPARE(readDatabase(folder)[0][UploadMark], u"K17"_s);
}

QTEST_MAIN(TestEntryCommands)
#include "test_entrycommands.moc"
