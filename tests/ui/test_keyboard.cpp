// The window used with the keyboard alone: a record added, picked from the list, changed and
// saved without the mouse, and a smallest window in which every control can still be read.
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "ui/entry/EntryForm.h"
#include "ui/list/RecordListView.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void recordsAreAddedAndReplacedWithoutTheMouse();
    void smallestWindowShowsEveryControlWhole();
};

namespace {

constexpr int PlaceColumn = 0;
constexpr int TypeColumn = 2;
constexpr int CommentsColumn = 3;
constexpr int CityColumn = 10;

QWidget* focused()
{
    return QApplication::focusWidget();
}

// The named control that holds the focus; the editor of a combo box stands for its box.
QString focusedName()
{
    QWidget* widget = focused();
    while (widget != nullptr && widget->objectName().isEmpty())
        widget = widget->parentWidget();
    return widget != nullptr ? widget->objectName() : QString();
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focused(), key, modifiers);
    QApplication::processEvents();
}

// Tab until the named control has the focus; false when a whole round did not reach it.
bool tabTo(const QString& name)
{
    for (int i = 0; i < 60 && focusedName() != name; ++i) {
        press(Qt::Key_Tab);
    }
    return focusedName() == name;
}

} // namespace

void TestKeyboard::recordsAreAddedAndReplacedWithoutTheMouse()
{
    TestFolder folder;
    WindowUnderTest w(folder);
    auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    QCOMPARE(tabs->currentIndex(), 1);
    w.control(QStringLiteral("Text1(0)"))->setFocus(Qt::TabFocusReason);

    // The first record: typed box by box, and Add reached with Tab and pressed with Space.
    QTest::keyClicks(focused(), QStringLiteral("hotel miramar"));
    press(Qt::Key_Tab);
    QCOMPARE(focusedName(), QStringLiteral("Combo1(1)"));
    QTest::keyClicks(focused(), QStringLiteral("inn"));
    QVERIFY(tabTo(QStringLiteral("Text1(2)")));
    QTest::keyClicks(focused(), QStringLiteral("lisbon"));
    QVERIFY(tabTo(QStringLiteral("Text1(12)")));
    QTest::keyClicks(focused(), QStringLiteral("quiet"));
    press(Qt::Key_Tab);
    QCOMPARE(focusedName(), QStringLiteral("Toolbar1 Add"));
    press(Qt::Key_Space);
    QTRY_COMPARE(readDatabase(folder).size(), 1);
    Records stored = readDatabase(folder);
    QCOMPARE(stored[0][PlaceColumn], QStringLiteral("Hotel Miramar"));
    QCOMPARE(stored[0][TypeColumn], QStringLiteral("inn"));
    QCOMPARE(stored[0][CityColumn], QStringLiteral("Lisbon"));
    QCOMPARE(stored[0][CommentsColumn], QStringLiteral("Quiet"));

    // The second one: Alt+A from Comments adds it, and types no "a".
    QCOMPARE(focusedName(), QStringLiteral("Text1(0)"));
    QTest::keyClicks(focused(), QStringLiteral("casa azul"));
    QVERIFY(tabTo(QStringLiteral("Text1(12)")));
    QTest::keyClicks(focused(), QStringLiteral("sea view"));
    press(Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(readDatabase(folder).size(), 2);
    stored = readDatabase(folder);
    QCOMPARE(stored[1][PlaceColumn], QStringLiteral("Casa Azul"));
    QCOMPARE(stored[1][CommentsColumn], QStringLiteral("Sea view"));

    // Ctrl+Return on a new record adds it.
    QTest::keyClicks(focused(), QStringLiteral("pension sol"));
    press(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(readDatabase(folder).size(), 3);
    QCOMPARE(readDatabase(folder)[2][PlaceColumn], QStringLiteral("Pension Sol"));

    // The first record picked in the list with the arrow keys and Return, changed on the Edit
    // tab and replaced with Ctrl+Return.
    press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabTo(QStringLiteral("ListView1")));
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    QCOMPARE(w->findChild<RecordListView*>()->selectedRow(), 0);
    press(Qt::Key_Return);
    // The list keeps Tab and Ctrl+Tab for moving between its cells, so the tab bar is
    // entered directly here; from there the arrow keys change the tab.
    tabs->tabBar()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Right);
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(tabTo(QStringLiteral("Text1(2)")));
    QCOMPARE(w->entryForm()->text1(2), QStringLiteral("Lisbon"));
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focused(), QStringLiteral("porto"));
    press(Qt::Key_Return, Qt::ControlModifier);
    stored = readDatabase(folder);
    QCOMPARE(stored.size(), 3);
    QCOMPARE(stored[0][PlaceColumn], QStringLiteral("Hotel Miramar"));
    QCOMPARE(stored[0][CityColumn], QStringLiteral("Porto"));
    QCOMPARE(stored[0][CommentsColumn], QStringLiteral("Quiet"));
    QCOMPARE(stored[1][PlaceColumn], QStringLiteral("Casa Azul"));
}

void TestKeyboard::smallestWindowShowsEveryControlWhole()
{
    TestFolder folder;
    writeDatabase(folder, {record({{PlaceColumn, QStringLiteral("Hotel Miramar")}})});
    WindowUnderTest w(folder);
    const QSize smallest = w->minimumSizeHint().expandedTo(w->minimumSize());
    // Small enough for a small laptop screen.
    QVERIFY2(smallest.width() <= 800 && smallest.height() <= 600, qPrintable(QStringLiteral("%1x%2").arg(smallest.width()).arg(smallest.height())));
    w->resize(200, 150);
    QApplication::processEvents();
    QCOMPARE(w->size(), smallest);
    auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QApplication::processEvents();
        int checked = 0;
        for (QWidget* control : tabs->widget(tab)->findChildren<QWidget*>()) {
            // The parts of a list (its header, scroll bars) are the list's own business.
            if (!control->isVisibleTo(w.window.get()) || control->isWindow()
                || qobject_cast<QAbstractScrollArea*>(control->parentWidget()) != nullptr)
                continue;
            const QString name = QStringLiteral("%1 %2 on tab %3 at %4x%5, needs %6x%7")
                                     .arg(QLatin1String(control->metaObject()->className()), control->objectName())
                                     .arg(tab).arg(control->width()).arg(control->height())
                                     .arg(control->minimumSizeHint().width()).arg(control->minimumSizeHint().height());
            QWidget* parent = control->parentWidget();
            QVERIFY2(parent->rect().contains(control->geometry()), qPrintable(name));
            if (control->minimumSize() == control->maximumSize())
                continue; // drawn at the size it was given
            if (control->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored)
                QVERIFY2(control->width() >= control->minimumSizeHint().width(), qPrintable(name));
            if (control->sizePolicy().verticalPolicy() != QSizePolicy::Ignored)
                QVERIFY2(control->height() >= control->minimumSizeHint().height(), qPrintable(name));
            // A caption shows whole.
            if (auto* label = qobject_cast<QLabel*>(control); label != nullptr && !label->wordWrap())
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
            ++checked;
        }
        QVERIFY(checked > 3);
    }
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
