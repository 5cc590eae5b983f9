#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Place = 0, City = 10, UploadMark = 23;
constexpr int CityBox = 2;

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

void addRecord(const WindowUnderTest& w, const QString& place, const QString& city = {})
{
    w->ssTab1()->setCurrentIndex(FrmScrn::EditTab);
    w.type(QStringLiteral("Text1(0)"), place);
    if (!city.isEmpty())
        w.type(QStringLiteral("Text1(2)"), city);
    w.clickToolbar1(1);
}

void changeCity(const WindowUnderTest& w, int row, const QString& city)
{
    w.clickRow(row, Qt::LeftButton);
    w->entryForm()->setText1(CityBox, QString());
    w.type(QStringLiteral("Text1(2)"), city);
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

class TestUndoRedo : public QObject
{
    Q_OBJECT

private slots:
    void eachStepIsWrittenAtOnce();
    void menuItemsFollowTheExistingOnes();
    void aTextBoxUndoesItsTypingFirst();
    void historyKeepsTheNewestTwenty();
    void aFailedWriteKeepsTheStep();
    void stepsFindTheirRecordsAfterASort();
    void marksGivenBySharingAreKept();
};

void TestUndoRedo::eachStepIsWrittenAtOnce()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}}),
                           record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Chur")}})});
    WindowUnderTest w(folder);
    const auto file = [&folder] { return places(readDatabase(folder)); };
    const auto ppd = [&folder] { return folder.read(QStringLiteral("Roamlog.ppd")); };
    const auto bak = [&folder] { return folder.read(QStringLiteral("Roamlog.bak")); };

    addRecord(w, QStringLiteral("Gamma"));
    changeCity(w, 0, QStringLiteral("Basel"));
    w.clickRow(1, Qt::LeftButton);
    w.chooseFromOtherMenu(1, QStringLiteral("mnuRemoveEntry"));
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));
    QCOMPARE(w->label10()->text(), QStringLiteral("Removed Beta - Ctrl+Z to undo"));

    // Undo of Remove: Beta back at its place, by a rewrite with the backup.
    QByteArray before = ppd();
    pressUndo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    QCOMPARE(bak(), before);
    QCOMPARE(w.listRow(1)[Place], QStringLiteral("Beta"));
    QCOMPARE(w->label10()->text(), QStringLiteral("Undone: Remove Beta"));

    // Undo of Replace, from the menu: Alpha's old values.
    before = ppd();
    w.chooseFromOtherMenu(0, QStringLiteral("mnuUndo"));
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
    QCOMPARE(w.listRow(2)[UploadMark], QStringLiteral("*"));
    QCOMPARE(w->label10()->text(), QStringLiteral("Redone: Add Gamma"));

    // Redo of Replace from the menu, redo of Remove from the keyboard.
    w.chooseFromOtherMenu(0, QStringLiteral("mnuRedo"));
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Beta/Chur"_s, u"Gamma/"_s}));
    before = ppd();
    pressRedo(w);
    QCOMPARE(file(), (QStringList{u"Alpha/Basel"_s, u"Gamma/"_s}));
    QCOMPARE(bak(), before);
    QVERIFY(!w->mnuRedo()->isEnabled());
    QVERIFY(w->mnuUndo()->isEnabled());
}

void TestUndoRedo::menuItemsFollowTheExistingOnes()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    QStringList items;
    for (const QAction* action : w->tother()->actions())
        items.append(action->text());
    QCOMPARE(items, (QStringList{u"Remove"_s, u"Share"_s, u"Show grid"_s, u"Undo"_s, u"Redo"_s}));
    QCOMPARE(w->mnuUndo()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(w->mnuRedo()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
}

void TestUndoRedo::aTextBoxUndoesItsTypingFirst()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    addRecord(w, QStringLiteral("Gamma"));
    QWidget* place = w.control(QStringLiteral("Text1(0)"));
    QCOMPARE(QApplication::focusWidget(), place);

    // The emptied Place box has nothing to undo: the keys work on the records.
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(readDatabase(folder).size(), 0);

    // Typing is undone and redone in the box first.
    QTest::keyClicks(place, QStringLiteral("Delta"));
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->entryForm()->text1(Place), QString());
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w->entryForm()->text1(Place), QStringLiteral("Delta"));
    QCOMPARE(w->recordModel()->rowCount(), 0);
    QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Gamma/"_s});
    QCOMPARE(w->entryForm()->text1(Place), QStringLiteral("Delta"));
}

void TestUndoRedo::historyKeepsTheNewestTwenty()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    for (int i = 1; i <= 21; ++i)
        addRecord(w, QStringLiteral("Place %1").arg(i));
    QCOMPARE(readDatabase(folder).size(), 21);
    for (int i = 0; i < 25; ++i)
        pressUndo(w);
    // The first Add dropped out of the history when the 21st came.
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Place 1/"_s});
    QCOMPARE(w->recordModel()->rowCount(), 1);
    for (int i = 0; i < 25; ++i)
        pressRedo(w);
    QCOMPARE(readDatabase(folder).size(), 21);
    QCOMPARE(readDatabase(folder).last()[Place], QStringLiteral("Place 21"));
}

void TestUndoRedo::aFailedWriteKeepsTheStep()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}})});
    WindowUnderTest w(folder);
    addRecord(w, QStringLiteral("Gamma"));
    const QByteArray stored = folder.read(QStringLiteral("Roamlog.ppd"));
    // The database can no longer be written: a folder takes its name.
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("Roamlog.ppd"))));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Roamlog.ppd")));
    {
        MessageCatcher message;
        pressUndo(w);
        QTRY_COMPARE(message.count(), 1);
        QCOMPARE(message.text(), QStringLiteral("The change could not be saved."));
        QVERIFY(!message.details().isEmpty());
    }
    QCOMPARE(w->recordModel()->rowCount(), 2);
    QCOMPARE(w.listRow(1)[Place], QStringLiteral("Gamma"));
    QVERIFY(w->mnuUndo()->isEnabled());

    // Once the file can be written again, the same undo goes through.
    QVERIFY(QDir(folder.path()).rmdir(QStringLiteral("Roamlog.ppd")));
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), stored));
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Alpha/"_s});
    QCOMPARE(w->recordModel()->rowCount(), 1);
}

void TestUndoRedo::stepsFindTheirRecordsAfterASort()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}}),
                           record({{Place, QStringLiteral("Beta")}, {City, QStringLiteral("Chur")}})});
    WindowUnderTest w(folder);
    addRecord(w, QStringLiteral("Gamma"));
    changeCity(w, 0, QStringLiteral("Basel"));
    // The first header click sorts descending: Gamma, Beta, Alpha, and the file keeps that order.
    w.clickHeader(Place);
    QCOMPARE(w.listRow(0)[Place], QStringLiteral("Gamma"));

    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Gamma/"_s, u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Beta/Chur"_s, u"Alpha/Bern"_s}));
    pressRedo(w);
    pressRedo(w);
    QCOMPARE(places(readDatabase(folder)), (QStringList{u"Beta/Chur"_s, u"Alpha/Basel"_s, u"Gamma/"_s}));
}

void TestUndoRedo::marksGivenBySharingAreKept()
{
    TestFolder folder;
    writeDatabase(folder, {record({{Place, QStringLiteral("Alpha")}, {City, QStringLiteral("Bern")}, {UploadMark, u"*"_s}})});
    WindowUnderTest w(folder);
    changeCity(w, 0, QStringLiteral("Basel"));
    addRecord(w, QStringLiteral("Gamma"), QStringLiteral("Genf"));
    markAsShared(w, 0, QStringLiteral("K17"));
    markAsShared(w, 1, QStringLiteral("G5"));

    // Gamma, shared since its Add, goes; a redo brings it back with its answer, not offered again.
    pressUndo(w);
    QCOMPARE(places(readDatabase(folder)), QStringList{u"Alpha/Basel"_s});
    pressRedo(w);
    Records file = readDatabase(folder);
    QCOMPARE(places(file), (QStringList{u"Alpha/Basel"_s, u"Gamma/Genf"_s}));
    QCOMPARE(file[1][UploadMark], QStringLiteral("G5"));
    QCOMPARE(w.listRow(1)[UploadMark], QStringLiteral("G5"));

    // Undo of Replace after Share: the old values with the mark the file has now.
    pressUndo(w); // Gamma's Add
    pressUndo(w); // Alpha's Replace
    file = readDatabase(folder);
    QCOMPARE(places(file), QStringList{u"Alpha/Bern"_s});
    QCOMPARE(file[0][UploadMark], QStringLiteral("K17"));
    pressRedo(w);
    file = readDatabase(folder);
    QCOMPARE(places(file), QStringList{u"Alpha/Basel"_s});
    QCOMPARE(file[0][UploadMark], QStringLiteral("K17"));
}

QTEST_MAIN(TestUndoRedo)
#include "test_undoredo.moc"
