#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "settings/InstallationIdentity.h"
#include "settings/ProgramValues.h"
#include "settings/RegistrySettings.h"
#include "store/TravelRecord.h"
#include "ui/list/RecordListModel.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/user/UserTab.h"
#include "ui/window/FrmScrn.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

QString keyPath(const TestFolder& folder)
{
    return ProgramValues::forFolder(folder.path()).registryKeyPath;
}

QString setting(const TestFolder& folder, const char* name)
{
    return RegistrySettings::GetRegistryValue(RegistrySettings::Root::CurrentUser, keyPath(folder), QLatin1String(name));
}

void store(const TestFolder& folder, const char* name, const QString& text)
{
    RegistrySettings::SetRegistryString(RegistrySettings::Root::CurrentUser, keyPath(folder), QLatin1String(name), text);
}

} // namespace

class TestFrmScrn : public QObject
{
    Q_OBJECT

private slots:
    void firstRunOpensOnTheEmptyForm();
    void loadShowsStoredUserInformation();
    void showGridSurvivesARestart();
    void f1ReleasedAnywhereOpensHelp();
    void toolbar2ButtonsAreNamedAndPictured();
    void toolbar2AndToolsMenu();
    void quitEmptiesTheListAndKeepsTheFile();
    void formFitsTheOpeningSize();
    void unreadableFileRefusesEveryChange();
    void undecodableLinesAreCountedInTheStatusLine_data();
    void undecodableLinesAreCountedInTheStatusLine();
};

void TestFrmScrn::firstRunOpensOnTheEmptyForm()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, QStringLiteral("Hotel Central")}})});
    // The load runs inside show, before the records are read.
    WindowUnderTest w(folder, false);

    QCOMPARE(w->windowTitle(), QStringLiteral(" Roamlog"));
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::EditTab));
    QCOMPARE(w->ssTab1()->count(), 3);
    QCOMPARE(w->ssTab1()->tabText(0), QStringLiteral("View"));
    QCOMPARE(w->ssTab1()->tabText(1), QStringLiteral("Edit"));
    QCOMPARE(w->ssTab1()->tabText(2), QStringLiteral("User"));
    QVERIFY(!w->listView1()->showGrid());
    QVERIFY(!w->mnulines()->isChecked());
    QVERIFY(w->userTab()->text3(0)->text().isEmpty());
    QVERIFY(w->userTab()->text3(1)->text().isEmpty());
    QVERIFY(!w->userTab()->check1()->isChecked());
    QVERIFY(w->findChildren<QMenuBar*>().isEmpty());

    // The installation record exists now and its ID is shown.
    const auto installation = InstallationIdentity::ReadInstallationRecord(keyPath(folder));
    QVERIFY(!installation[4].isEmpty());
    QCOMPARE(w->userTab()->label2()->text(), installation[4]);
    QCOMPARE(w->userTab()->label7()->text(), QStringLiteral("MAC ID"));
    QCOMPARE(w->userTab()->label11()->text(),
             QStringLiteral("Post a suggestion to improve this program (post will appear on public forum)    2000 chars max."));
    QCOMPARE(w->userTab()->check1()->text(), QStringLiteral("Post anonymously  (shared posts)"));

    // Loading the records afterwards does not move the tab.
    w->LoadDatabase();
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::EditTab));
}

void TestFrmScrn::loadShowsStoredUserInformation()
{
    TestFolder folder;
    store(folder, "200", QStringLiteral("Wanderer  "));
    store(folder, "201", QStringLiteral("me@example.org"));
    store(folder, "202", QStringLiteral("1"));
    store(folder, "102", QStringLiteral("-1"));
    {
        WindowUnderTest w(folder);
        QCOMPARE(w->userTab()->text3(0)->text(), QStringLiteral("Wanderer  "));
        QCOMPARE(w->userTab()->text3(1)->text(), QStringLiteral("me@example.org"));
        QVERIFY(w->userTab()->check1()->isChecked());
        // A number other than 0 turns the grid on.
        QVERIFY(w->listView1()->showGrid());
        QVERIFY(w->mnulines()->isChecked());
    }
    store(folder, "202", QStringLiteral("zero"));
    store(folder, "102", QStringLiteral("0"));
    WindowUnderTest w(folder);
    QVERIFY(!w->userTab()->check1()->isChecked());
    QVERIFY(!w->listView1()->showGrid());
}

void TestFrmScrn::showGridSurvivesARestart()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, QStringLiteral("Inn")}})});
    {
        WindowUnderTest w(folder);
        w.clickRow(0, Qt::LeftButton);
        w.chooseFromOtherMenu(0, QStringLiteral("mnulines"));
        QVERIFY(w->listView1()->showGrid());
        QVERIFY(w->mnulines()->isChecked());
        QCOMPARE(setting(folder, "102"), QStringLiteral("True"));
    }
    {
        WindowUnderTest w(folder);
        QVERIFY(w->listView1()->showGrid());
        QVERIFY(w->mnulines()->isChecked());
        w.clickRow(0, Qt::LeftButton);
        w.chooseFromOtherMenu(0, QStringLiteral("mnulines"));
        QVERIFY(!w->listView1()->showGrid());
        QCOMPARE(setting(folder, "102"), QStringLiteral("False"));
    }
    WindowUnderTest w(folder);
    QVERIFY(!w->listView1()->showGrid());
    QVERIFY(!w->mnulines()->isChecked());
}

void TestFrmScrn::f1ReleasedAnywhereOpensHelp()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    QWidget* place = w.control(QStringLiteral("Text1(0)"));
    place->setFocus();

    // Without a help file nothing opens.
    QTest::keyClick(place, Qt::Key_F1);
    QVERIFY(w.opened.isEmpty());

    QVERIFY(folder.write(QStringLiteral("help.html"), "<html></html>"));
    const QUrl help = QUrl::fromLocalFile(folder.filePath(QStringLiteral("help.html")));
    QTest::keyPress(place, Qt::Key_F1);
    QVERIFY(w.opened.isEmpty()); // the release opens it
    QTest::keyRelease(place, Qt::Key_F1);
    QCOMPARE(w.opened, QList<QUrl>{help});

    // Once per release, also from the record list and from a user box.
    w->ssTab1()->setCurrentIndex(FrmScrn::ViewTab);
    w->listView1()->setFocus();
    QTest::keyClick(w->listView1(), Qt::Key_F1);
    w->ssTab1()->setCurrentIndex(FrmScrn::UserTabIndex);
    w->userTab()->text3(0)->setFocus();
    QTest::keyClick(w->userTab()->text3(0), Qt::Key_F1);
    QCOMPARE(w.opened.size(), 3);

    // Other keys do nothing.
    QTest::keyClick(w->userTab()->text3(0), Qt::Key_F2);
    QCOMPARE(w.opened.size(), 3);
}

void TestFrmScrn::toolbar2ButtonsAreNamedAndPictured()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    // The buttons show a picture alone: a screen reader and the tooltip give their names.
    const QString names[] = {QStringLiteral("Share"), QStringLiteral("Tools"), QStringLiteral("Quit")};
    for (int i = 1; i <= 3; ++i) {
        auto* button = qobject_cast<QToolButton*>(w->toolbar2()->widgetForAction(w->toolbar2Button(i)));
        QVERIFY(button);
        QCOMPARE(button->accessibleName(), names[i - 1]);
        QCOMPARE(button->toolTip(), names[i - 1]);
        QVERIFY(!button->icon().pixmap(QSize(24, 24), 2.0).isNull());
    }
}

void TestFrmScrn::toolbar2AndToolsMenu()
{
    TestFolder folder;
    QVERIFY(folder.write(QStringLiteral("help.html"), "<html></html>"));
    WindowUnderTest w(folder);

    // Share, from the toolbar and from the Other menu.
    QSignalSpy share(w.window.get(), &FrmScrn::shareRequested);
    MessageCatcher closing; // each share ends with its message box
    w.clickToolbar2(1);
    QCOMPARE(share.size(), 1);
    w->mnuShare()->trigger();
    QCOMPARE(share.size(), 2);
    QCOMPARE(closing.count(), 2);

    // The Tools menu pops up from button 2, with Web (Browse Records, Read Forum), Help, Quit.
    QMenu* tools = w->tmenu();
    QVERIFY(!tools->isVisible());
    w.clickToolbar2(2);
    QTRY_VERIFY(tools->isVisible());
    const QList<QAction*> items = tools->actions();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0]->text(), QStringLiteral("Web"));
    QVERIFY(items[0]->menu());
    QCOMPARE(items[0]->menu()->actions().value(0)->text(), QStringLiteral("Browse Records"));
    QCOMPARE(items[0]->menu()->actions().value(1)->text(), QStringLiteral("Read Forum"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("Help"));
    QCOMPARE(items[3]->text(), QStringLiteral("Quit"));
    clickMenuItem(tools, w->mnuHelp());
    QTRY_VERIFY(!tools->isVisible());
    QCOMPARE(w.opened, QList<QUrl>{QUrl::fromLocalFile(folder.filePath(QStringLiteral("help.html")))});
}

void TestFrmScrn::quitEmptiesTheListAndKeepsTheFile()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, QStringLiteral("Inn")}}), record({{0, QStringLiteral("Hut")}})});
    const QByteArray before = folder.read(QStringLiteral("Roamlog.ppd"));
    {
        WindowUnderTest w(folder);
        QCOMPARE(w->listView1()->model()->rowCount(), 2);
        w.clickToolbar2(3);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->listView1()->model()->rowCount(), 0);
    }
    {
        WindowUnderTest w(folder);
        w.clickToolbar2(2);
        QTRY_VERIFY(w->tmenu()->isVisible());
        clickMenuItem(w->tmenu(), w->mnuQuit());
        QTRY_VERIFY(!w->isVisible());
    }
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), before);
}

void TestFrmScrn::formFitsTheOpeningSize()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    auto* page = qobject_cast<QScrollArea*>(w->ssTab1()->widget(FrmScrn::EditTab));
    QVERIFY(page);
    QCoreApplication::processEvents();
    // At the size the window opens with, the whole form shows without scrolling.
    QVERIFY(!page->verticalScrollBar()->isVisible());
    QVERIFY(!page->horizontalScrollBar()->isVisible());
    // Every visible field box lies inside the form, none over another.
    EntryForm* form = w->entryForm();
    QList<QRect> fields;
    for (QWidget* box : form->findChildren<QWidget*>()) {
        const QString name = box->objectName();
        if (!box->isVisible() || !(name.startsWith(QLatin1String("Text1(")) || name.startsWith(QLatin1String("Combo1("))))
            continue;
        const QRect area(box->mapTo(form, QPoint(0, 0)), box->size());
        QVERIFY2(form->rect().contains(area), qPrintable(name));
        for (const QRect& other : fields)
            QVERIFY2(!other.intersects(area), qPrintable(name));
        fields.append(area);
    }
    QVERIFY(fields.size() >= 10);
}

void TestFrmScrn::unreadableFileRefusesEveryChange()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, QStringLiteral("Alpha")}, {10, QStringLiteral("Bern")}})});
    const QString path = folder.filePath(QStringLiteral("Roamlog.ppd"));
    const QByteArray original = folder.read(QStringLiteral("Roamlog.ppd"));
    // No permission to read it; where permissions do not stop the user (root), a folder takes its name.
    QVERIFY(QFile::setPermissions(path, {}));
    bool folderInstead = false;
    if (QFile probe(path); probe.open(QIODevice::ReadOnly)) {
        probe.close();
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Roamlog.ppd")));
        folderInstead = true;
    }
    const QString refusal =
        QStringLiteral("Roamlog.ppd could not be read to its end, so no change is saved until the program is restarted.");

    auto messages = std::make_unique<MessageCatcher>();
    WindowUnderTest w(folder);
    QCOMPARE(messages->count(), 1);
    QCOMPARE(messages->text(), QStringLiteral("Roamlog.ppd could not be read to its end."));
    QVERIFY2(messages->details().contains(QLatin1String("Roamlog.ppd")), qPrintable(messages->details()));
    if (!folderInstead)
        QVERIFY2(messages->details().contains(QLatin1String("Permission denied")), qPrintable(messages->details()));

    // Add, Share, and Replace and Remove of a listed record are refused, and the list stays.
    messages = std::make_unique<MessageCatcher>();
    w.type(QStringLiteral("Text1(0)"), QStringLiteral("Gamma"));
    w.clickToolbar1(1);
    QCOMPARE(messages->count(), 1);
    QCOMPARE(messages->text(), refusal);
    QCOMPARE(w->listView1()->model()->rowCount(), 0);
    QCOMPARE(w->entryForm()->text1(0), QStringLiteral("Gamma"));

    QSignalSpy share(w.window.get(), &FrmScrn::shareRequested);
    w.clickToolbar2(1);
    QCOMPARE(share.size(), 0);
    QCOMPARE(messages->count(), 2);

    // A record in the list, as a load that stopped part-way leaves those read before the fault.
    TravelRecord listed;
    QVERIFY(!listed.setField(0, QStringLiteral("Alpha")));
    QVERIFY(w->recordModel()->appendRecord(listed));
    w.clickRow(0, Qt::LeftButton);
    w.type(QStringLiteral("Text1(2)"), QStringLiteral("Basel"));
    w.clickToolbar1(2);
    QCOMPARE(messages->count(), 3);
    QCOMPARE(w.listRow(0)[10], QString());
    w.clickRow(0, Qt::LeftButton);
    w.chooseFromOtherMenu(0, QStringLiteral("mnuRemoveEntry"));
    QCOMPARE(messages->count(), 4);
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    for (int i = 1; i < 4; ++i)
        QCOMPARE(messages->texts().value(i), refusal);
    messages.reset();

    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("Roamlog.bak"))));
    if (folderInstead) {
        QVERIFY(QFileInfo(path).isDir());
    } else {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), original);
    }
}

void TestFrmScrn::undecodableLinesAreCountedInTheStatusLine_data()
{
    QTest::addColumn<int>("unreadable");
    QTest::addColumn<int>("cutShort");
    QTest::addColumn<QString>("status");
    QTest::newRow("one unreadable")
        << 1 << 0 << QStringLiteral("1 line of Roamlog.ppd could not be read; it is kept in the file.");
    QTest::newRow("three unreadable")
        << 3 << 0 << QStringLiteral("3 lines of Roamlog.ppd could not be read; they are kept in the file.");
    QTest::newRow("one cut short")
        << 0 << 1 << QStringLiteral("1 record of Roamlog.ppd ends part-way; its missing fields are empty.");
    QTest::newRow("both")
        << 2 << 2
        << QStringLiteral("2 lines of Roamlog.ppd could not be read; they are kept in the file. "
                          "2 records of Roamlog.ppd end part-way; their missing fields are empty.");
}

void TestFrmScrn::undecodableLinesAreCountedInTheStatusLine()
{
    QFETCH(int, unreadable);
    QFETCH(int, cutShort);
    QFETCH(QString, status);
    TestFolder folder;
    Records records{record({{0, QStringLiteral("Alpha")}}), record({{0, QStringLiteral("Beta")}})};
    // A line that ends after its fifth field, as an append cut short leaves it.
    for (int i = 0; i < cutShort; ++i)
        records.append(record({{0, QStringLiteral("Torn %1").arg(i)}}).mid(0, 5));
    writeDatabase(folder, records);
    QByteArray content = folder.read(QStringLiteral("Roamlog.ppd"));
    for (int i = 0; i < unreadable; ++i)
        content.insert(0, "not a record line\r\n");
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), content));
    MessageCatcher messages;
    WindowUnderTest w(folder);
    QCOMPARE(w->label10()->text(), status);
    QCOMPARE(w->listView1()->model()->rowCount(), 2 + cutShort);
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestFrmScrn)
#include "test_frmscrn.moc"
