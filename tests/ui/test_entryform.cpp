// The entry form as a whole: its controls and their names, the look at the window's size,
// Toolbar1, the tab order, and the form's reading and writing of values.
#include "test_entryform_support.h"

#include "TestFolder.h"
#include "store/PickLists.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

class TestEntryForm : public QObject
{
    Q_OBJECT

private slots:
    void everyControlStandsUnderItsCaption();
    void toolbarUnderlinesMnemonicsAndDrawsSharpPictures();
    void controlsDoNotOverlapAndGrowWithTheWindow();
    void toolbarButtonsAskForTheirCommands();
    void commandsAnswerTheirKeys_data();
    void commandsAnswerTheirKeys();
    void valuesAreWrittenToBothMembersOfAPickListPair();
    void tabOrderFollowsTheRowsOfTheForm();
    void enterInAFieldGoesNowhere();
};

namespace {

QList<QToolButton*> toolbarButtons(const EntryForm& form)
{
    QList<QToolButton*> buttons;
    for (QAction* action : form.toolbar1()->actions()) {
        if (auto* button = qobject_cast<QToolButton*>(form.toolbar1()->widgetForAction(action)))
            buttons.append(button);
    }
    return buttons;
}

} // namespace

void TestEntryForm::everyControlStandsUnderItsCaption()
{
    TestFolder folder;
    FormWindow w;
    for (const Captioned& entry : kVisibleControls) {
        QWidget* control = w.form->findChild<QWidget*>(QLatin1String(entry.name));
        QVERIFY2(control != nullptr && control->isVisible(), entry.name);
        QLabel* caption = nullptr;
        for (QLabel* label : w.form->findChildren<QLabel*>()) {
            if (label->buddy() == control)
                caption = label;
        }
        QVERIFY2(caption != nullptr && caption->isVisible(), entry.name);
        QCOMPARE(caption->text(), QLatin1String(entry.caption));
        const QRect captionArea(caption->mapTo(w.form, QPoint(0, 0)), caption->size());
        const QRect controlArea(control->mapTo(w.form, QPoint(0, 0)), control->size());
        QVERIFY2(captionArea.bottom() < controlArea.top(), entry.name);
        QVERIFY2(captionArea.left() >= controlArea.left() - 1 && captionArea.left() < controlArea.right(), entry.name);
    }
    // The boxes that only hold values never show.
    for (int hidden : {1, 7, 6, 10, 16, 17, 18, 30})
        QVERIFY(!w.box(hidden)->isVisible());
    QVERIFY(!w.form->findChild<QListWidget*>(QStringLiteral("List1"))->isVisible());
    QVERIFY(!w.form->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->isVisible());
    QCOMPARE(w.form->findChild<QLabel*>(QStringLiteral("Label1(14)"))->toolTip(),
             QStringLiteral("Actual Price (Room/Meal) specify 1p:$/4p:$/np:$"));
}

void TestEntryForm::toolbarUnderlinesMnemonicsAndDrawsSharpPictures()
{
    TestFolder folder;
    FormWindow w;
    const QList<QToolButton*> buttons = toolbarButtons(*w.form);
    QCOMPARE(buttons.size(), 3);
    const QStringList captions = {QStringLiteral("&Add"), QStringLiteral("&Replace"), QStringLiteral("&Clear")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(buttons[i]->text(), captions[i]);
        QVERIFY(!buttons[i]->toolTip().isEmpty());
        // The pictures are drawn for the size asked, so a high-density screen gets full detail.
        const QPixmap sharp = buttons[i]->icon().pixmap(QSize(20, 20), 2.0);
        QCOMPARE(sharp.size(), QSize(40, 40));
        const QImage plain = buttons[i]->icon().pixmap(QSize(20, 20), 1.0).toImage();
        QVERIFY(sharp.toImage().convertToFormat(QImage::Format_ARGB32)
                != plain.scaled(40, 40).convertToFormat(QImage::Format_ARGB32));
    }
}

void TestEntryForm::controlsDoNotOverlapAndGrowWithTheWindow()
{
    TestFolder folder;
    FormWindow w;
    QApplication::processEvents();
    auto visibleControls = [&w] {
        QList<QWidget*> controls;
        for (QWidget* child : w.form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isVisible())
                controls.append(child);
        }
        return controls;
    };
    const QList<QWidget*> controls = visibleControls();
    QVERIFY(controls.size() > 40);
    for (QWidget* a : controls) {
        QVERIFY2(w.form->rect().contains(a->geometry()), qPrintable(a->objectName()));
        if (a->minimumSize() != a->maximumSize())
            QVERIFY2(a->height() >= a->minimumSizeHint().height(), qPrintable(a->objectName()));
        for (QWidget* b : controls) {
            if (a != b && a->geometry().intersects(b->geometry()))
                QFAIL(qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
        }
    }
    const int placeWidth = w.box(0)->width();
    const QSize commentsSize = w.comments()->size();
    w.window.resize(1000, 640);
    QApplication::processEvents();
    QVERIFY(w.box(0)->width() > placeWidth + 150);
    // Comments takes the extra height: more of a long comment shows at once.
    QVERIFY(w.comments()->height() > commentsSize.height() + 100);
    QVERIFY(w.comments()->width() > commentsSize.width() + 150);
    QVERIFY(w.form->rect().contains(w.comments()->geometry()));
}

void TestEntryForm::toolbarButtonsAskForTheirCommands()
{
    TestFolder folder;
    FormWindow w;
    QSignalSpy add(w.form, &EntryForm::addRequested);
    QSignalSpy replace(w.form, &EntryForm::replaceRequested);
    QSignalSpy clear(w.form, &EntryForm::clearRequested);
    const QList<QToolButton*> buttons = toolbarButtons(*w.form);

    // A value typed into a pick-list box is in its field when a button is clicked, even while
    // the box still has the focus.
    w.enter(w.combo(1));
    typeText(w.focused(), QStringLiteral("Inn"));
    QTest::mouseClick(buttons[0], Qt::LeftButton);
    QCOMPARE(add.size(), 1);
    QCOMPARE(w.form->text1(7), QStringLiteral("Inn"));
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    QCOMPARE(replace.size(), 1);
    QCOMPARE(clear.size(), 1);
    QCOMPARE(add.size(), 1);
}

void TestEntryForm::commandsAnswerTheirKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("command");
    QTest::newRow("Alt+A") << int(Qt::Key_A) << int(Qt::AltModifier) << 0;
    QTest::newRow("Alt+R") << int(Qt::Key_R) << int(Qt::AltModifier) << 1;
    QTest::newRow("Alt+C") << int(Qt::Key_C) << int(Qt::AltModifier) << 2;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 3;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << 3;
}

void TestEntryForm::commandsAnswerTheirKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, command);
    TestFolder folder;
    FormWindow w;
    QSignalSpy add(w.form, &EntryForm::addRequested);
    QSignalSpy replace(w.form, &EntryForm::replaceRequested);
    QSignalSpy clear(w.form, &EntryForm::clearRequested);
    QSignalSpy commit(w.form, &EntryForm::commitRequested);
    const QList<QSignalSpy*> spies = {&add, &replace, &clear, &commit};
    // From a line edit, a pick-list box and the wrapping Comments box alike.
    int presses = 0;
    for (QWidget* from : {static_cast<QWidget*>(w.box(2)), static_cast<QWidget*>(w.combo(1)), w.control(12)}) {
        w.enter(from);
        QTest::keyClick(w.focused(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        ++presses;
        QTRY_COMPARE(spies[command]->size(), presses);
        for (int other = 0; other < spies.size(); ++other) {
            if (other != command)
                QCOMPARE(spies[other]->size(), 0);
        }
    }
    for (int field : {2, 7, 12})
        QCOMPARE(w.form->text1(field), QString());
}

void TestEntryForm::valuesAreWrittenToBothMembersOfAPickListPair()
{
    TestFolder folder;
    FormWindow w;
    PickLists lists;
    lists.lists[1] = QStringList{QStringLiteral("Hotel"), QStringLiteral("Hostel")};
    lists.lists[0] = QStringList{QStringLiteral("France"), QStringLiteral("Italy")};
    lists.telephoneCodes = QStringList{QStringLiteral("33"), QStringLiteral("39")};

    // Loading the lists does not put their first entry into an empty box.
    w.form->LoadPickLists(lists);
    QCOMPARE(w.combo(1)->count(), 2);
    QCOMPARE(w.combo(1)->currentText(), QString());
    QCOMPARE(w.form->text1(7), QString());
    QCOMPARE(w.form->list1()->count(), 2);
    QCOMPARE(w.form->list1()->item(1)->text(), QStringLiteral("39"));

    w.form->setText1(7, QStringLiteral("Hostel"));
    w.form->setText1(1, QStringLiteral("Narnia"));
    w.form->setText1(0, QStringLiteral("Hotel Miramar"));
    w.form->setText1(30, QStringLiteral("555 9999"));
    QCOMPARE(w.combo(1)->currentText(), QStringLiteral("Hostel"));
    QCOMPARE(w.combo(0)->currentText(), QStringLiteral("Narnia"));
    QCOMPARE(w.form->text1(1), QStringLiteral("Narnia"));
    QCOMPARE(w.form->text1(30), QStringLiteral("555 9999"));

    // A second load keeps what the boxes show.
    w.form->LoadPickLists(lists);
    QCOMPARE(w.combo(1)->currentText(), QStringLiteral("Hostel"));
    QCOMPARE(w.combo(1)->count(), 2);

    w.form->ClearEntryFields();
    for (int i = 0; i < EntryForm::TextCount; ++i)
        QCOMPARE(w.form->text1(i), QString());
    for (int i = 0; i < EntryForm::ComboCount; ++i)
        QCOMPARE(w.combo(i)->currentText(), QString());
    QCOMPARE(w.combo(1)->count(), 2);
}

void TestEntryForm::tabOrderFollowsTheRowsOfTheForm()
{
    TestFolder folder;
    FormWindow w;
    w.form->setText1(5, QStringLiteral("kept as it is"));
    w.enter(w.box(0));
    // The rows of the form, with the switch before the telephone box and the picker standing
    // for the date box.
    QStringList expected;
    for (const Captioned& entry : kVisibleControls) {
        const QString name = QLatin1String(entry.name);
        if (name == QStringLiteral("Text1(3)"))
            expected.append(QStringLiteral("Command2"));
        expected.append(name == QStringLiteral("Text1(5)") ? QStringLiteral("DTPicker1") : name);
    }
    // The commands right after Comments, then round to the first box again.
    expected << QStringLiteral("Toolbar1 Add") << QStringLiteral("Toolbar1 Replace") << QStringLiteral("Toolbar1 Clear")
             << QStringLiteral("Text1(0)");
    auto focusedName = [&w] {
        QWidget* widget = w.focused();
        // The editor inside a combo box or the picker stands for its box.
        while (widget != nullptr && widget->objectName().isEmpty())
            widget = widget->parentWidget();
        return widget != nullptr ? widget->objectName() : QString();
    };
    QStringList forward;
    for (int i = 0; i < expected.size(); ++i) {
        forward.append(focusedName());
        w.tab();
    }
    QCOMPARE(forward, expected);

    // And back again, through the picker without stopping twice at the date.
    w.enter(w.box(9));
    QStringList backward;
    for (int i = 0; i < 4; ++i) {
        backward.append(focusedName());
        w.tab(true);
    }
    QCOMPARE(backward, (QStringList{QStringLiteral("Text1(9)"), QStringLiteral("DTPicker1"),
                                    QStringLiteral("Combo1(6)"), QStringLiteral("Text1(20)")}));
    QCOMPARE(w.form->text1(5), QStringLiteral("kept as it is"));
}

void TestEntryForm::enterInAFieldGoesNowhere()
{
    TestFolder folder;
    FormWindow w;
    struct EnterCounter : QObject
    {
        int seen = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return)
                ++seen;
            return false;
        }
    } counter;
    w.form->installEventFilter(&counter);
    w.window.installEventFilter(&counter);
    w.enter(w.box(0));
    QTest::keyClicks(w.box(0), QStringLiteral("hotel.example"));
    QTest::keyClick(w.box(0), Qt::Key_Return);
    QCOMPARE(counter.seen, 0);
    QCOMPARE(w.form->text1(0), QStringLiteral("Hotel.example"));
    QCOMPARE(w.focused(), w.box(0));
}

QTEST_MAIN(TestEntryForm)
#include "test_entryform.moc"
