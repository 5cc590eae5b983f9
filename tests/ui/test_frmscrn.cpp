// The main window: what its load shows, the settings it keeps, help, the toolbar and menus,
// its layout at every size, what a screen reader finds in it, and a file it cannot read.
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "settings/InstallationIdentity.h"
#include "settings/ProgramValues.h"
#include "settings/RegistrySettings.h"
#include "store/TravelRecord.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListModel.h"
#include "ui/list/RecordListView.h"
#include "ui/user/UserTab.h"
#include "ui/widgets/ScreenReader.h"
#include "ui/window/FrmScrn.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QString keyPath(const TestFolder& folder) { return ProgramValues::forFolder(folder.path()).registryKeyPath; }

QString setting(const TestFolder& folder, const char* name)
{
    return RegistrySettings::GetRegistryValue(RegistrySettings::Root::CurrentUser, keyPath(folder), s(name));
}

void store(const TestFolder& folder, const char* name, const QString& text)
{
    RegistrySettings::SetRegistryString(RegistrySettings::Root::CurrentUser, keyPath(folder), s(name), text);
}

QString accessibleName(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face != nullptr ? face->text(QAccessible::Name) : s("<none>");
}

// A handler that records the addresses the desktop would be asked to open.
class DesktopOpener : public QObject
{
    Q_OBJECT
public:
    DesktopOpener() { QDesktopServices::setUrlHandler(s("https"), this, "open"); }
    ~DesktopOpener() override { QDesktopServices::unsetUrlHandler(s("https")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class TestFrmScrn : public QObject
{
    Q_OBJECT

private slots:
    void firstRunOpensOnTheEmptyFormWithTheFocusInIt();
    void settingsSurviveARestart();
    void f1ReleasedAnywhereOpensHelp();
    void toolbar2SharesOpensTheToolsMenuAndQuits();
    void everyTabStopIsNamedByWhatItIs();
    void theStatusLineAnnouncesWhatItSays();
    void everyControlShowsWholeAtEverySize_data();
    void everyControlShowsWholeAtEverySize();
    void unreadableFileRefusesEveryChange();
    void undecodableLinesAreCountedInTheStatusLine_data();
    void undecodableLinesAreCountedInTheStatusLine();
};

void TestFrmScrn::firstRunOpensOnTheEmptyFormWithTheFocusInIt()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, s("Hotel Central")}})});
    // The load runs inside show, before the records are read.
    WindowUnderTest w(folder, false);
    QCOMPARE(w->windowTitle(), s(" Roamlog"));
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::EditTab));
    QCOMPARE(QApplication::focusWidget(), w.control(s("Text1(0)")));
    QVERIFY(!w->listView1()->showGrid() && !w->mnulines()->isChecked());
    QVERIFY(w->userTab()->text3(0)->text().isEmpty() && !w->userTab()->check1()->isChecked());
    // The installation record exists now and its ID is shown, read by its value.
    const QString id = InstallationIdentity::ReadInstallationRecord(keyPath(folder))[4];
    QVERIFY(!id.isEmpty());
    QCOMPARE(accessibleName(w->userTab()->label2()), id);
    w->LoadDatabase();
    QCOMPARE(w->listView1()->model()->rowCount(), 1);
    QCOMPARE(w->ssTab1()->currentIndex(), int(FrmScrn::EditTab));
}

void TestFrmScrn::settingsSurviveARestart()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, s("Inn")}})});
    store(folder, "200", s("Wanderer  "));
    store(folder, "201", s("me@example.org"));
    store(folder, "202", s("1"));
    store(folder, "102", s("-1")); // any number but 0 is on
    for (const bool on : {true, false}) {
        WindowUnderTest w(folder);
        QCOMPARE(w->userTab()->text3(0)->text() + w->userTab()->text3(1)->text(), s("Wanderer  me@example.org"));
        QCOMPARE(w->userTab()->check1()->isChecked(), on);
        QCOMPARE(w->listView1()->showGrid() && w->mnulines()->isChecked(), on);
        w.chooseFromOtherMenu(0, s("mnulines"));
        QCOMPARE(setting(folder, "102"), on ? s("False") : s("True"));
        store(folder, "202", s("zero")); // no number: unchecked
    }
}

void TestFrmScrn::f1ReleasedAnywhereOpensHelp()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    QWidget* place = w.control(s("Text1(0)"));
    QTest::keyClick(place, Qt::Key_F1);
    QVERIFY(w.opened.isEmpty()); // no help file, nothing opens

    QVERIFY(folder.write(s("help.html"), "<html><body><h1>Roamlog help</h1>"
                                         "<a href=\"https://roamlog.example/faq\">faq</a></body></html>"));
    QTest::keyPress(place, Qt::Key_F1);
    QVERIFY(w.opened.isEmpty()); // the release opens it
    QTest::keyRelease(place, Qt::Key_F1);
    QCOMPARE(w.opened, QList<QUrl>{QUrl::fromLocalFile(folder.filePath(s("help.html")))});
    // Once per release, also from the record list and from a user box; other keys do nothing.
    w.showViewTab();
    w->listView1()->setFocus();
    QTest::keyClick(w->listView1(), Qt::Key_F1);
    w->ssTab1()->setCurrentIndex(FrmScrn::UserTabIndex);
    w->userTab()->text3(0)->setFocus();
    QTest::keyClick(w->userTab()->text3(0), Qt::Key_F1);
    QTest::keyClick(w->userTab()->text3(0), Qt::Key_F2);
    QCOMPARE(w.opened.size(), 3);
    // Without a browser the page shows in a window of the program's own; a link out of it goes
    // to the desktop's browser.
    w.browserStarts = false;
    QTest::keyClick(w->userTab()->text3(0), Qt::Key_F1);
    auto* help = w->findChild<QTextBrowser*>(s("HelpWindow"));
    QTRY_VERIFY(help != nullptr && help->isVisible());
    QVERIFY(help->toPlainText().contains(s("Roamlog help")));
    DesktopOpener desktop;
    emit help->anchorClicked(QUrl(s("https://roamlog.example/faq")));
    QCOMPARE(desktop.opened, QList<QUrl>{QUrl(s("https://roamlog.example/faq"))});
}

void TestFrmScrn::toolbar2SharesOpensTheToolsMenuAndQuits()
{
    TestFolder folder;
    QVERIFY(folder.write(s("help.html"), "<html></html>"));
    writeDatabase(folder, {record({{0, s("Inn")}})});
    const QByteArray before = folder.read(s("Roamlog.ppd"));
    WindowUnderTest w(folder);
    QSignalSpy share(w.window.get(), &FrmScrn::shareRequested);
    MessageCatcher closing; // each share ends with its message box
    w.clickToolbar2(1);
    w->mnuShare()->trigger();
    QCOMPARE(share.size(), 2);
    // Help, then Quit from the Tools menu (the Quit button is the share tests' way out).
    for (QAction* item : {w->mnuHelp(), w->mnuQuit()}) {
        w.clickToolbar2(2);
        QTRY_VERIFY(w->tmenu()->isVisible());
        clickMenuItem(w->tmenu(), item);
        QTRY_VERIFY(!w->tmenu()->isVisible());
    }
    QCOMPARE(w.opened.size(), 1);
    // Quit empties the list and closes the window; the file stays as it was.
    QTRY_VERIFY(!w->isVisible());
    QCOMPARE(w->listView1()->model()->rowCount(), 0);
    QCOMPARE(folder.read(s("Roamlog.ppd")), before);
}

void TestFrmScrn::everyTabStopIsNamedByWhatItIs()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, s("Inn")}})});
    WindowUnderTest w(folder);
    // Every box holds a value: a box must not be named by what it holds.
    for (int field = 0; field < EntryForm::TextCount; ++field)
        w->entryForm()->setText1(field, s("Restaurant"));
    for (int tab : {FrmScrn::EditTab, FrmScrn::ViewTab, FrmScrn::UserTabIndex}) {
        w->ssTab1()->setCurrentIndex(tab);
        QWidget* first = QApplication::focusWidget();
        for (int i = 0; i < 60; ++i) {
            QWidget* stop = QApplication::focusWidget();
            const QString name = accessibleName(stop);
            QVERIFY2(!name.isEmpty() && name != s("Restaurant"), stop->metaObject()->className());
            // A box of the form is named by its caption.
            for (QLabel* caption : w->entryForm()->findChildren<QLabel*>()) {
                if (caption->buddy() != nullptr && (caption->buddy() == stop || caption->buddy()->isAncestorOf(stop)))
                    QCOMPARE(name, caption->text().remove(u'&'));
            }
            QTest::keyClick(stop, Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
        }
    }
    // The search box tells how many records it shows; the hidden column has no header name.
    auto* search = w->findChild<QLineEdit*>(s("SearchBox"));
    QCOMPARE(QAccessible::queryAccessibleInterface(search)->text(QAccessible::Description), s("1 record"));
    QVERIFY(w->listView1()->model()->headerData(23, Qt::Horizontal).toString().isEmpty());
}

void TestFrmScrn::theStatusLineAnnouncesWhatItSays()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w->label10());
    QCOMPARE(face->role(), QAccessible::StatusBar);
    // What a screen reader would hear.
    static QList<std::pair<QObject*, QAccessible::Event>> heard;
    ScreenReader::setListener([](QAccessibleEvent* event) { heard.append({event->object(), event->type()}); });
    // Add with no Business name says why, and puts the focus there.
    w.type(s("Text1(2)"), s("lisbon"));
    w.clickToolbar1(1);
    QCOMPARE(w->label10()->text(), s("Type a business name to add a record"));
    QCOMPARE(face->text(QAccessible::Name), w->label10()->text());
    ScreenReader::setListener(nullptr);
    QVERIFY(heard.contains({w->label10(), QAccessible::NameChanged}));
    QCOMPARE(QApplication::focusWidget(), w.control(s("Text1(0)")));
    QCOMPARE(w->entryForm()->text1(2), s("Lisbon"));
    QVERIFY(!QFile::exists(folder.filePath(s("Roamlog.ppd"))));
}

void TestFrmScrn::everyControlShowsWholeAtEverySize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("smallest") << QSize(200, 150);
    QTest::newRow("small laptop") << QSize(600, 475);
    QTest::newRow("opening") << QSize();
    QTest::newRow("full screen") << QSize(1920, 1080);
}

void TestFrmScrn::everyControlShowsWholeAtEverySize()
{
    QFETCH(QSize, size);
    TestFolder folder;
    writeDatabase(folder, {record({{0, s("Hotel Miramar")}})});
    WindowUnderTest w(folder);
    w->userTab()->label9(0)->setText(s("1.0.0"));
    w->userTab()->label9(1)->setText(s("This version is current"));
    if (size.isValid())
        w->resize(size);
    QVERIFY(w->width() <= qMax(800, size.width()) && w->height() <= qMax(600, size.height()));
    for (int tab : {FrmScrn::ViewTab, FrmScrn::EditTab, FrmScrn::UserTabIndex}) {
        w->ssTab1()->setCurrentIndex(tab);
        QApplication::processEvents();
        for (QWidget* control : w->ssTab1()->widget(tab)->findChildren<QWidget*>()) {
            // The parts of a list or scroll area are its own business.
            if (!control->isVisibleTo(w.window.get()) || control->isWindow()
                || qobject_cast<QAbstractScrollArea*>(control->parentWidget()) != nullptr
                || qobject_cast<QAbstractScrollArea*>(control->parentWidget()->parentWidget()) != nullptr)
                continue;
            const QString name = control->objectName() + s(" in ") + control->parentWidget()->objectName();
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), qPrintable(name));
            if (control->minimumSize() != control->maximumSize() && control->sizePolicy().verticalPolicy() != QSizePolicy::Ignored)
                QVERIFY2(control->height() >= control->minimumSizeHint().height(), qPrintable(name));
            if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
                const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
                QVERIFY2(label->height() >= needed, qPrintable(name));
                if (!label->wordWrap())
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
            }
            for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other != control && other->isVisible() && !other->isWindow() && other->geometry().intersects(control->geometry())
                    && !(tab == FrmScrn::EditTab && other->objectName() == s("DTPicker1")))
                    QFAIL(qPrintable(name + s(" overlaps ") + other->objectName()));
            }
        }
    }
}

void TestFrmScrn::unreadableFileRefusesEveryChange()
{
    TestFolder folder;
    writeDatabase(folder, {record({{0, s("Alpha")}})});
    // A folder takes the file's name: it cannot be read, as root can read any file.
    QVERIFY(QFile::remove(folder.filePath(s("Roamlog.ppd"))));
    QVERIFY(QDir(folder.path()).mkdir(s("Roamlog.ppd")));
    const QString refusal = s("Roamlog.ppd could not be read to its end, so no change is saved until the program is restarted.");
    auto messages = std::make_unique<MessageCatcher>();
    WindowUnderTest w(folder);
    QCOMPARE(messages->texts(), QStringList{s("Roamlog.ppd could not be read to its end.")});
    // Add, Share, and Replace and Remove of a listed record are refused, and the list stays.
    messages = std::make_unique<MessageCatcher>();
    w.addRecord(s("Gamma"));
    QCOMPARE(w->entryForm()->text1(0), s("Gamma"));
    QSignalSpy share(w.window.get(), &FrmScrn::shareRequested);
    w.clickToolbar2(1);
    TravelRecord listed;
    QVERIFY(!listed.setField(0, s("Alpha")));
    QVERIFY(w->recordModel()->appendRecord(listed));
    w.clickRow(0, Qt::LeftButton);
    w.type(s("Text1(2)"), s("Basel"));
    w.clickToolbar1(2);
    w.chooseFromOtherMenu(0, s("mnuRemoveEntry"));
    QCOMPARE(messages->texts(), QStringList(4, refusal));
    QCOMPARE(share.size(), 0);
    QCOMPARE(w.column(10), QStringList{QString()});
    QVERIFY(QFileInfo(folder.filePath(s("Roamlog.ppd"))).isDir());
    QVERIFY(!QFile::exists(folder.filePath(s("Roamlog.bak"))));
}

void TestFrmScrn::undecodableLinesAreCountedInTheStatusLine_data()
{
    QTest::addColumn<int>("unreadable");
    QTest::addColumn<int>("cutShort");
    QTest::addColumn<QString>("status");
    QTest::newRow("one of each") << 1 << 1
                                 << s("1 line of Roamlog.ppd could not be read; it is kept in the file. "
                                      "1 record of Roamlog.ppd ends part-way; its missing fields are empty.");
    QTest::newRow("several") << 3 << 2
                             << s("3 lines of Roamlog.ppd could not be read; they are kept in the file. "
                                  "2 records of Roamlog.ppd end part-way; their missing fields are empty.");
}

void TestFrmScrn::undecodableLinesAreCountedInTheStatusLine()
{
    QFETCH(int, unreadable);
    QFETCH(int, cutShort);
    QFETCH(QString, status);
    TestFolder folder;
    Records records{record({{0, s("Alpha")}})};
    // A line that ends after its fifth field, as an append cut short leaves it.
    for (int i = 0; i < cutShort; ++i)
        records.append(record({{0, s("Torn")}}).mid(0, 5));
    writeDatabase(folder, records);
    QVERIFY(folder.write(s("Roamlog.ppd"), QByteArray("not a record line\r\n").repeated(unreadable) + folder.read(s("Roamlog.ppd"))));
    MessageCatcher messages;
    WindowUnderTest w(folder);
    QCOMPARE(w->label10()->text(), status);
    QCOMPARE(w->listView1()->model()->rowCount(), 1 + cutShort);
    QCOMPARE(messages.count(), 0);
}

QTEST_MAIN(TestFrmScrn)
#include "test_frmscrn.moc"
