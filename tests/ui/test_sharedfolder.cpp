// Two windows on one folder, the window beside the tool, and a file that another program
// changes under the window: nobody's records are dropped.
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/RecordStore.h"
#include "ui/entry/EntryCommands.h"
#include "ui/list/RecordListModel.h"
#include "ui/window/FrmScrn.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Place = 0, City = 10;

QStringList places(const Records& records)
{
    QStringList names;
    for (const QStringList& fields : records)
        names.append(fields.value(Place));
    return names;
}

// Another program's record appended to the file, as a tool that does not wait for the window's
// lock (or a sync service) would.
void appendBehindTheWindow(const TestFolder& folder, const QString& place)
{
    TravelRecord theirs;
    theirs.setField(Place, place);
    QVERIFY(DatabaseFile(folder.path()).AppendRecord(theirs));
}

QString statusLine(const WindowUnderTest& w)
{
    return w->findChild<QLabel*>(u"Label10"_s)->text();
}

} // namespace

class TestSharedFolder : public QObject
{
    Q_OBJECT

private slots:
    // The first window is the folder's writer: it removes what a killed rewrite left, never a
    // copy of the user's. A second window says whose the folder is: opened read-only it saves
    // nothing and says why; not opened, it closes. The first window goes on saving.
    void secondWindowIsReadOnly()
    {
        TestFolder folder;
        writeDatabase(folder, {record({{Place, u"Alpha"_s}})});
        const QString copy = folder.filePath(u"Roamlog.ppd.backup"_s), leftover = folder.filePath(u"Roamlog.ppd.roamlog-tmp-7-abcdefgh"_s);
        QVERIFY(folder.write(u"Roamlog.ppd.backup"_s, "mine") && folder.write(u"Roamlog.ppd.roamlog-tmp-7-abcdefgh"_s, "x"));
        WindowUnderTest first(folder);
        QVERIFY(QFile::exists(copy) && !QFile::exists(leftover)); // the user's copy stays
        auto asked = std::make_unique<MessageCatcher>(QMessageBox::Open);
        WindowUnderTest second(folder);
        QVERIFY2(asked->count() == 1 && asked->details().contains(u"in use by another program"_s), qPrintable(asked->details()));
        asked.reset();
        QCOMPARE(second->recordModel()->rowCount(), 1);

        second.addRecord(u"Beta"_s);
        QVERIFY2(statusLine(second).contains(u"Not saved: this window is read-only"_s), qPrintable(statusLine(second)));
        QCOMPARE(second->recordModel()->rowCount(), 1);
        first.addRecord(u"Gamma"_s);
        QCOMPARE(places(readDatabase(folder)), (QStringList{u"Alpha"_s, u"Gamma"_s}));

        MessageCatcher declined(QMessageBox::Close);
        WindowUnderTest third(folder);
        QVERIFY(declined.count() == 1 && !third->isVisible() && first->isVisible());
    }

    // While the window is open the tool waits for it, then adds nothing; the window's own
    // changes go on.
    void toolWaitsForTheWindow()
    {
        TestFolder folder;
        writeDatabase(folder, {record({{Place, u"Alpha"_s}})});
        WindowUnderTest w(folder);
        QVERIFY(folder.write(u"in.csv"_s, "Place\r\nBeta\r\n"));
        QProcess tool;
        tool.start(QStringLiteral(ROAMLOG_CLI_PATH), {u"import"_s, folder.filePath(u"in.csv"_s), u"--folder"_s, folder.path()});
        QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 4);
        QVERIFY(tool.readAllStandardError().contains("in use by another program") && places(readDatabase(folder)) == QStringList{u"Alpha"_s});
        w.addRecord(u"Gamma"_s);
        QCOMPARE(places(readDatabase(folder)), (QStringList{u"Alpha"_s, u"Gamma"_s}));
    }

    // A file changed under the window is read again before the next change, which is made on
    // what it holds: an Add still adds, a Replace acts on the same record, and Undo steps
    // back over the window's own change only.
    void changesGoOnTopOfAnotherProgramsRecords()
    {
        TestFolder folder;
        writeDatabase(folder, {record({{Place, u"Alpha"_s}}), record({{Place, u"Beta"_s}})});
        WindowUnderTest w(folder);
        MessageCatcher none;
        appendBehindTheWindow(folder, u"Theirs 1"_s);
        w.addRecord(u"Mine"_s);
        QCOMPARE(places(readDatabase(folder)), (QStringList{u"Alpha"_s, u"Beta"_s, u"Theirs 1"_s, u"Mine"_s}));
        QVERIFY2(statusLine(w).contains(u"read again (3 records)"_s), qPrintable(statusLine(w)));
        QCOMPARE(w->recordModel()->rowCount(), 4);

        w.clickRow(1, Qt::LeftButton);
        writeDatabase(folder, {record({{Place, u"Theirs 2"_s}}), record({{Place, u"Beta"_s}}), record({{Place, u"Alpha"_s}})});
        w.type(u"Text1(2)"_s, u"Bern"_s);
        w.clickToolbar1(2);
        const Records stored = readDatabase(folder);
        QCOMPARE(places(stored), (QStringList{u"Theirs 2"_s, u"Beta"_s, u"Alpha"_s}));
        QCOMPARE(stored[1][City], u"Bern"_s);
        w->entryCommands()->Undo();
        QCOMPARE(readDatabase(folder)[1][City], QString());
        QCOMPARE(places(readDatabase(folder)), (QStringList{u"Theirs 2"_s, u"Beta"_s, u"Alpha"_s}));
        QCOMPARE(none.count(), 0);
    }

    // A record another program removed is not brought back by a change to it; and a folder
    // removed and made again is what the list shows before the next record is added.
    void goneRecordsAreNotWrittenBack()
    {
        TestFolder folder;
        writeDatabase(folder, {record({{Place, u"Alpha"_s}}), record({{Place, u"Beta"_s}})});
        WindowUnderTest w(folder);
        w.clickRow(0, Qt::LeftButton);
        writeDatabase(folder, {record({{Place, u"Beta"_s}})});
        {
            MessageCatcher refused;
            w.chooseFromOtherMenu(0, u"mnuRemoveEntry"_s);
            QTRY_COMPARE(refused.count(), 1);
            QVERIFY2(refused.details().contains(u"no longer in Roamlog.ppd"_s), qPrintable(refused.details()));
        }
        QCOMPARE(places(readDatabase(folder)), QStringList{u"Beta"_s});

        QVERIFY(QDir(folder.path()).removeRecursively() && QDir().mkpath(folder.path()));
        writeDatabase(folder, {record({{Place, u"Other"_s}})});
        w.clickToolbar1(3);
        w.addRecord(u"Mine"_s);
        QCOMPARE(places(readDatabase(folder)), (QStringList{u"Other"_s, u"Mine"_s}));
        QCOMPARE(w->recordModel()->rowCount(), 2);
    }
};

QTEST_MAIN(TestSharedFolder)
#include "test_sharedfolder.moc"
