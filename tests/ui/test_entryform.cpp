// The entry form on the Edit tab, typed into with real keys: the boxes' own rules, the
// pick-list boxes and their completion, the date picker, the telephone/fax switch, the Place
// link, the tab order and the keys of the commands.

// Mouse events go through the window, as the system delivers them, so that a move over a
// control reaches the form only the way it really would.
#define QTEST_QPA_MOUSE_HANDLING
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "store/PickLists.h"
#include "ui/entry/DateVisitedPicker.h"
#include "ui/entry/EntryForm.h"
#include "ui/entry/PlaceLinkField.h"
#include "ui/entry/WebAndEmailChecks.h"
#include "ui/window/FrmScrn.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Country (with codes), Type, Satisfaction, Cost and Posted lists.
PickLists sampleLists()
{
    PickLists lists;
    lists.lists[0] = QStringList{s("Ecuador"), s("France"), s("Germany"), s("Italy"), s("United Kingdom")};
    lists.telephoneCodes = QStringList{s("593"), s("33"), s("49"), s("39"), s("44")};
    lists.lists[1] = QStringList{s("Hotel"), s("Hostel")};
    lists.lists[3] = QStringList{s("Excellent"), s("Good")};
    lists.lists[4] = QStringList{s("New York prices")};
    lists.lists[6] = QStringList{s("3 stars"), s("4 stars")};
    return lists;
}

struct Form : TestFolder, WindowUnderTest
{
    Form() : WindowUnderTest(static_cast<const TestFolder&>(*this)), form(window->entryForm())
    {
        form->LoadPickLists(sampleLists());
    }
    QLineEdit* box(int index) const { return qobject_cast<QLineEdit*>(form->text1Box(index)); }
    QWidget* focused() const { return QApplication::focusWidget(); }
    void enter(QWidget* widget) const { widget->setFocus(Qt::TabFocusReason); }
    void tab(bool backwards = false) const
    {
        QTest::keyClick(focused(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
    }
    // The field a control's object name stands for: Text1(i), or the hidden box of Combo1(i).
    int fieldOf(const QString& name) const
    {
        const int index = name.section(u'(', 1).chopped(1).toInt();
        return name.startsWith(QLatin1String("Combo1")) ? EntryForm::fieldOfCombo(index) : index;
    }
    EntryForm* form;
};

bool looksLikeLink(QLineEdit* place)
{
    return place->font().underline() && place->palette().color(QPalette::Text) == QColor(0, 0, 255)
        && place->cursor().shape() == Qt::ArrowCursor;
}

bool looksLikeText(QLineEdit* place, const QColor& plainText)
{
    return !place->font().underline() && place->palette().color(QPalette::Text) == plainText
        && place->cursor().shape() == Qt::IBeamCursor;
}

// Moves the mouse onto a point of a widget, coming from a neighbouring point of it, since the
// system reports no move to the point where the mouse already is.
void hover(QWidget* widget, QPoint pos = {})
{
    const QPoint target = pos.isNull() ? widget->rect().center() : pos;
    QTest::mouseMove(widget, target + QPoint(1, 0));
    QTest::mouseMove(widget, target);
}

// A point of the form's own background, between the controls.
QPoint background(const EntryForm& form)
{
    for (int y = 2; y < form.height(); y += 2) {
        for (int x = 2; x < form.width(); x += 2) {
            if (form.childAt(x, y) == nullptr)
                return {x, y};
        }
    }
    return {};
}

} // namespace

class TestEntryForm : public QObject
{
    Q_OBJECT

private slots:
    // The date picker shows dates with month names here ("14 May 2024").
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void typingFollowsTheFieldsRules_data();
    void typingFollowsTheFieldsRules();
    void pastedTextKeepsOnlyWhatCanBeStored();
    void commentsWrapButStayOneLine();
    void addressesAreJudgedByTheirText_data();
    void addressesAreJudgedByTheirText();
    void webBoxOffersItsPrefix();
    void telephoneBoxSwitchesToFaxAndBack();
    void placeIsALinkUnderTheMouse();
    void typingCompletesFromTheList_data();
    void typingCompletesFromTheList();
    void leavingABoxStoresItsEntry_data();
    void leavingABoxStoresItsEntry();
    void pickingACountryFillsTelCode();
    void aCommandTakesTheBoxBeingTyped();
    void datesAreTypedInAnyReadableForm_data();
    void datesAreTypedInAnyReadableForm();
    void theCalendarOpensFromTheKeyboard_data();
    void theCalendarOpensFromTheKeyboard();
    void tabOrderFollowsTheRowsAndChangesNothing();
    void commandsAnswerTheirKeys_data();
    void commandsAnswerTheirKeys();
};

void TestEntryForm::typingFollowsTheFieldsRules_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char* name, const char* box, const char* typed, const char* shown, int modifiers = 0) {
        QTest::newRow(name) << s(box) << s(typed) << modifiers << s(shown);
    };
    row("first letter", "Text1(0)", "paris", "Paris");
    row("after each blank", "Text1(0)", "new york", "New York");
    row("comments: two first only", "Text1(12)", "the quick fox", "The quick fox");
    row("specialty likewise", "Text1(11)", "fish soup", "Fish soup");
    row("accented letter", "Text1(2)", "évora", "Évora");
    row("capital in the code page", "Text1(8)", "ÿves", "Ÿves");
    row("no capital in the code page", "Text1(4)", "µm", "µm");
    row("no capital at all", "Text1(0)", "ßa", "ßa");
    row("brace is no letter", "Text1(0)", "{x}", "{x}");
    row("email: one @, no capitals", "Text1(15)", "an@na@x.org", "an@nax.org");
    row("web refuses blanks and @", "Text1(14)", "a b@c", "http://abc");
    row("separator and foreign letters dropped", "Text1(2)", "a|b€Āc", "Ab€c");
    row("in a pick-list box too", "Combo1(2)", "Inn|Ā", "Inn");
    // Alt and Meta letters are commands, never typed; AltGr arrives as Ctrl+Alt and types.
    const int alt = int(Qt::AltModifier), altGr = int(Qt::ControlModifier | Qt::AltModifier);
    row("Alt in a text box", "Text1(2)", "q", "", alt);
    row("Meta in a text box", "Text1(2)", "q", "", int(Qt::MetaModifier));
    row("Alt in Comments", "Text1(12)", "q", "", alt);
    row("Alt in a pick-list box", "Combo1(3)", "q", "", alt);
    row("AltGr in a text box", "Text1(2)", "@", "@", altGr);
    row("AltGr in a pick-list box", "Combo1(3)", "@", "@", altGr);
}

void TestEntryForm::typingFollowsTheFieldsRules()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, modifiers);
    QFETCH(QString, shown);
    Form w;
    w.enter(w.control(box));
    typeText(w.focused(), typed, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.form->text1(w.fieldOf(box)), shown);
}

void TestEntryForm::pastedTextKeepsOnlyWhatCanBeStored()
{
    Form w;
    QApplication::clipboard()->setText(s("x|y\u0100z€"));
    if (QApplication::clipboard()->text() != s("x|y\u0100z€"))
        QSKIP("no clipboard on this platform");
    w.type(s("Text1(4)"), s("via "));
    QTest::keyClick(w.focused(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(4), s("Via xyz€"));
    QCOMPARE(w.box(4)->cursorPosition(), w.form->text1(4).size());
    w.enter(w.form->combo1(3));
    QTest::keyClick(w.focused(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(10), s("xyz€"));
    // Line breaks pasted into Comments become blanks.
    QApplication::clipboard()->setText(s("one\ntwo\r\nthree"));
    w.enter(w.form->text1Box(12));
    QTest::keyClick(w.focused(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(12), s("one two three"));
    // A whole address pasted over the Web box's offer replaces it.
    QApplication::clipboard()->setText(s("HTTPS://hotel.example"));
    w.enter(w.box(14));
    QTest::keyClick(w.focused(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(14), s("HTTPS://hotel.example"));
}

void TestEntryForm::commentsWrapButStayOneLine()
{
    Form w;
    auto* comments = qobject_cast<QPlainTextEdit*>(w.form->text1Box(12));
    const QString sentence = s("quiet rooms facing the garden, breakfast on the terrace until eleven, ");
    w.type(s("Text1(12)"), sentence + sentence);
    const QString stored = s("Q") + sentence.mid(1) + sentence;
    QCOMPARE(comments->document()->blockCount(), 1);
    QVERIFY(comments->document()->firstBlock().layout()->lineCount() >= 2);
    // Return goes on to the next control and stores nothing.
    QTest::keyClick(comments, Qt::Key_Return);
    QVERIFY(w.focused() != comments);
    QCOMPARE(w.form->text1(12), stored);
}

void TestEntryForm::addressesAreJudgedByTheirText_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    const auto row = [](const char* rule, const char* text, const char* result) {
        QTest::addRow("%s: %s", rule, text) << s(rule) << s(text) << s(result);
    };
    // What a click on the Place opens: web addresses only.
    row("link", "hotel.example", "http://hotel.example");
    row("link", "https://miramar.example.org/rooms", "https://miramar.example.org/rooms");
    row("link", "C:\\Windows\\notepad.exe", "");
    row("link", "\\\\server\\share\\run.bat", "");
    row("link", "file:///etc/passwd.txt", "");
    row("link", "ftp://files.example.com", "");
    row("link", "javascript:alert(document.cookie)", "");
    row("link", "Hotel Miramar.com", "");
    // What leaving the Web and Email boxes keeps.
    row("web", "http://", "");
    row("web", "http://www", "");
    row("web", "ab:c", "ab:c");
    row("web", "http://a.example", "http://a.example");
    row("email", "anna@x.org", "anna@x.org");
    row("email", "anna.org", "");
    row("email", "an@na", "");
    row("email", "x@y", "x@y");
}

void TestEntryForm::addressesAreJudgedByTheirText()
{
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QFETCH(QString, result);
    const std::optional<QUrl> link = PlaceLinkField::webAddressFor(text);
    QCOMPARE(rule == s("link") ? (link ? link->toString() : QString())
             : rule == s("web") ? WebAndEmailChecks::webOnLeaving(text)
                                : WebAndEmailChecks::emailOnLeaving(text),
             result);
}

void TestEntryForm::webBoxOffersItsPrefix()
{
    Form w;
    w.enter(w.box(14));
    QCOMPARE(w.box(14)->text(), s("http://"));
    QCOMPARE(w.box(14)->cursorPosition(), 7);
    w.tab();
    QCOMPARE(w.form->text1(14), QString()); // the leaving rule is applied
    w.form->setText1(15, s("an@na"));
    w.enter(w.box(15));
    typeText(w.focused(), s("@"));
    QCOMPARE(w.form->text1(15), s("an@na"));
    // A context menu taking the focus for a moment is not leaving the box.
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(w.box(15), &popup);
    QCOMPARE(w.form->text1(15), s("an@na"));
    w.tab();
    QCOMPARE(w.form->text1(15), QString());
}

void TestEntryForm::telephoneBoxSwitchesToFaxAndBack()
{
    Form w;
    auto* command2 = w.window->findChild<QAbstractButton*>(s("Command2"));
    QLabel* caption = w.form->label1(EntryForm::TelephoneCaption);
    w.form->setText1(3, s("555 1234"));
    w.form->setText1(30, s("555 9999"));
    // Twice without typing: the telephone is back and the fax is empty.
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(caption->text(), s("Fax"));
    QCOMPARE(w.box(3)->accessibleName(), s("Fax"));
    QCOMPARE(w.form->text1(3), QString());
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(caption->text(), s("Telephone"));
    QCOMPARE(w.form->text1(3), s("555 1234"));
    QCOMPARE(w.form->text1(30), QString());
    // The keyboard reaches the switch too; the fax typed meanwhile is kept.
    command2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(command2, Qt::Key_Space);
    w.type(s("Text1(3)"), s("555 0000"));
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(w.form->text1(30), s("555 0000"));
    QCOMPARE(w.form->text1(3), s("555 1234"));
}

void TestEntryForm::typingCompletesFromTheList_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("over"); // the box's text before, selected as Tab enters it
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("selected");
    const auto row = [](const char* name, int box, const char* typed, const char* shown, const char* selected,
                        const char* over = "") { QTest::newRow(name) << box << s(over) << s(typed) << s(shown) << s(selected); };
    row("first letter", 1, "h", "Hotel", "otel");
    row("second keeps the entry", 1, "ho", "Hotel", "tel");
    row("third finds the next entry", 1, "hos", "Hostel", "tel");
    row("no entry replaces the selection", 1, "hosx", "Hosx", "");
    row("a typed capital is shifted and finds none", 1, "H", "H", "");
    row("country in small letters", 0, "fr", "France", "ance");
    row("country capitalised", 0, "Germany", "Germany", "");
    row("country in capitals", 0, "GERM", "Germany", "any");
    row("no entry starts a country", 0, "xe", "xe", "");
    row("digits complete", 6, "4", "4 stars", " stars");
    row("completion stops at a blank", 4, "new", "New York prices", " York prices");
    row("nothing after the blank", 4, "new y", "New y", "");
    row("empty list", 5, "abc", "abc", "");
    row("only in an empty box", 3, "go", "go", "", "Excellent");
}

void TestEntryForm::typingCompletesFromTheList()
{
    QFETCH(int, box);
    QFETCH(QString, over);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, selected);
    Form w;
    w.form->setText1(EntryForm::fieldOfCombo(box), over);
    w.type(QStringLiteral("Combo1(%1)").arg(box), typed);
    QCOMPARE(w.form->combo1(box)->currentText(), shown);
    QCOMPARE(w.form->combo1(box)->lineEdit()->selectedText(), selected);
}

void TestEntryForm::leavingABoxStoresItsEntry_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("telCode");
    QTest::newRow("capitalised country") << 0 << s("Germany") << s("Germany") << s("49");
    QTest::newRow("country across a blank") << 0 << s("united kingdom") << s("United Kingdom") << s("44");
    QTest::newRow("unknown country keeps Tel Code") << 0 << s("Aruba") << s("Aruba") << s("297");
    QTest::newRow("type in capitals") << 1 << s("HOSTEL") << s("Hostel") << s("297");
    QTest::newRow("not an entry") << 1 << s("Motel by the sea") << s("Motel by the sea") << s("297");
    QTest::newRow("emptied") << 1 << QString() << QString() << s("297");
}

void TestEntryForm::leavingABoxStoresItsEntry()
{
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, telCode);
    Form w;
    w.form->setText1(13, s("297"));
    w.form->setText1(EntryForm::fieldOfCombo(box), s("Hotel"));
    w.enter(w.form->combo1(box));
    w.form->combo1(box)->lineEdit()->selectAll();
    QTest::keyClick(w.focused(), Qt::Key_Delete);
    typeText(w.focused(), typed);
    w.tab();
    QCOMPARE(w.form->combo1(box)->currentText(), stored);
    QCOMPARE(w.form->text1(EntryForm::fieldOfCombo(box)), stored);
    QCOMPARE(w.form->text1(13), telCode);
}

void TestEntryForm::pickingACountryFillsTelCode()
{
    Form w;
    QComboBox* country = w.form->combo1(0);
    w.enter(country);
    country->showPopup();
    QAbstractItemView* view = country->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(3, 0)).center());
    QCOMPARE(w.form->text1(1), s("Italy"));
    QCOMPARE(w.form->text1(13), s("39"));
    QTest::keyClick(country, Qt::Key_Up);
    QCOMPARE(w.form->text1(1), s("Germany"));
    QCOMPARE(w.form->text1(13), s("49"));
}

void TestEntryForm::aCommandTakesTheBoxBeingTyped()
{
    Form w;
    w.type(s("Text1(0)"), s("inn"));
    w.type(s("Combo1(0)"), s("GERMANY"));
    w.clickToolbar1(1);
    const Records stored = readDatabase(w);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][8], s("Germany"));
    QCOMPARE(stored[0][5], s("49"));
}

void TestEntryForm::datesAreTypedInAnyReadableForm_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // the date before, "1 Jan 2000", when refused
    QTest::newRow("as the box shows it") << s("14 May 2024") << s("14 May 2024");
    QTest::newRow("one-digit day, no blanks") << s("2Jun2024") << s("2 Jun 2024");
    QTest::newRow("digits") << s("5/14/2024") << s("14 May 2024");
    QTest::newRow("emptied") << QString() << QString();
    QTest::newRow("no date") << s("14 Mai 2024") << s("1 Jan 2000");
}

// A date is taken as the box is left; what is no date is refused in the box with a hint, the
// field keeping its date, and Add is refused with the same hint. No other field changes.
void TestEntryForm::datesAreTypedInAnyReadableForm()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    const bool refused = stored == s("1 Jan 2000");
    Form w;
    w.form->setText1(0, s("Inn"));
    w.form->setText1(5, s("1 Jan 2000"));
    w.enter(w.form->combo1(6));
    w.tab();
    QCOMPARE(focusedName(), s("DTPicker1"));
    QTest::keyClick(w.focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.focused(), Qt::Key_Delete);
    typeText(w.focused(), typed);
    w.tab();
    QCOMPARE(w.form->text1(5), stored);
    QCOMPARE(focusedName(), refused ? s("DTPicker1") : s("Text1(9)"));
    QCOMPARE(w.form->dtPicker1()->isVisible(), refused);
    QCOMPARE(w.form->text1(9), QString());
    w.clickToolbar1(1);
    QCOMPARE(fileColumn(w, 19), refused ? QStringList() : QStringList{stored});
    if (refused)
        QVERIFY(w->label10()->text() == w.form->dtPicker1()->hint() && w.form->dtPicker1()->toolTip() == w->label10()->text());
}

void TestEntryForm::theCalendarOpensFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier);
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier);
}

void TestEntryForm::theCalendarOpensFromTheKeyboard()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Form w;
    w.form->setText1(5, s("14 May 2024"));
    w.enter(w.box(5));
    QTest::keyClick(w.focused(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCalendarWidget* calendar = w.form->dtPicker1()->calendar();
    QTRY_VERIFY(calendar->isVisible());
    QCOMPARE(calendar->selectedDate(), QDate(2024, 5, 14));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!calendar->isVisible());
    QCOMPARE(w.form->text1(5), s("15 May 2024"));
}

void TestEntryForm::tabOrderFollowsTheRowsAndChangesNothing()
{
    Form w;
    for (int field = 0; field < EntryForm::TextCount; ++field)
        w.form->setText1(field, QStringLiteral("value %1").arg(field));
    w.form->setText1(5, s("24 Dec 2005"));
    w.form->setText1(14, s("http://hotel.example"));
    w.form->setText1(15, s("desk@hotel.example"));
    QStringList before;
    for (int field = 0; field < EntryForm::TextCount; ++field)
        before.append(w.form->text1(field));
    // Row by row, left to right, from Business name to the commands after the last field.
    w.enter(w.box(0));
    QPoint last(-1, -1);
    QStringList order{focusedName()};
    for (; order.size() < 40 && order.last() != s("Toolbar1 Clear"); w.tab(), order.append(focusedName())) {
        if (!order.last().contains(u'(') && order.last() != s("DTPicker1"))
            continue; // the switch beside its caption, the commands
        QWidget* stop = w.window->findChild<QWidget*>(order.last());
        const QPoint at = stop->mapTo(w.window.get(), stop->rect().center());
        const int row = stop->height() / 2;
        QVERIFY2(at.y() > last.y() + row || (qAbs(at.y() - last.y()) <= row && at.x() > last.x()), qPrintable(order.join(u' ')));
        last = at;
    }
    QCOMPARE(order.first(), s("Text1(0)"));
    QVERIFY(order.contains(s("DTPicker1")) && order.contains(s("Command2")) && order.contains(s("Text1(12)")));
    QCOMPARE(order.last(), s("Toolbar1 Clear"));
    // Back again through the picker without stopping twice at the date.
    w.enter(w.box(9));
    QStringList backward;
    for (int i = 0; i < 3; ++i, w.tab(true))
        backward.append(focusedName());
    QCOMPARE(backward, (QStringList{s("Text1(9)"), s("DTPicker1"), s("Combo1(6)")}));
    for (int i = 0; i < 60; ++i)
        w.tab(i >= 30);
    for (int field = 0; field < EntryForm::TextCount; ++field)
        QCOMPARE(w.form->text1(field), before.at(field));
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
    Form w;
    QSignalSpy add(w.form, &EntryForm::addRequested), replace(w.form, &EntryForm::replaceRequested),
        clear(w.form, &EntryForm::clearRequested), commit(w.form, &EntryForm::commitRequested);
    const QList<QSignalSpy*> spies = {&add, &replace, &clear, &commit};
    // From a line edit, a pick-list box and the wrapping Comments box alike, typing nothing.
    int presses = 0;
    for (int field : {2, 7, 12}) {
        w.enter(field == 7 ? w.form->combo1(1) : w.form->text1Box(field));
        QTest::keyClick(w.focused(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        ++presses;
        QTRY_COMPARE(spies[command]->size(), presses);
        QCOMPARE(add.size() + replace.size() + clear.size() + commit.size(), presses);
        QCOMPARE(w.form->text1(field), QString());
    }
}

void TestEntryForm::placeIsALinkUnderTheMouse()
{
    Form w;
    QLineEdit* place = w.box(0);
    const QColor plainText = place->palette().color(QPalette::Text);
    for (const QString& text : {QStringLiteral("hotel.ex"), QStringLiteral("hotel"), QString()}) {
        w.form->setText1(0, text);
        hover(place);
        QVERIFY2(looksLikeText(place, plainText), qPrintable(text));
    }
    w.form->setText1(0, QStringLiteral("hotel.example"));
    hover(place);
    QVERIFY(looksLikeLink(place));
    // Only a left click opens, and not an empty Place that still looks like a link.
    QTest::mouseClick(place, Qt::RightButton, Qt::NoModifier, place->rect().center());
    w.form->setText1(0, QString());
    QTest::mouseClick(place, Qt::LeftButton, Qt::NoModifier, place->rect().center());
    QVERIFY(w.opened.isEmpty());
    // Editing keeps the look; the click opens what the box holds then.
    w.form->setText1(0, QStringLiteral("www.miramar.example"));
    QTest::mouseClick(place, Qt::LeftButton, Qt::NoModifier, place->rect().center());
    QCOMPARE(w.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.miramar.example"))});
    // Other boxes leave the look alone; only the bare form takes it away.
    hover(w.box(2));
    QVERIFY(looksLikeLink(place));
    const QPoint bare = background(*w.form);
    QVERIFY(!bare.isNull());
    hover(w.form, bare);
    QVERIFY(looksLikeText(place, plainText));
}

QTEST_MAIN(TestEntryForm)
#include "test_entryform.moc"
