// What the Text1 boxes do on their own while the user edits: capitalisation, refused keys and
// pasted text, the Web and Email boxes, the telephone/fax switch and the date picker.
#include "test_entryform_support.h"

#include "TestFolder.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDateEdit>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

class TestFieldBehaviours : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void typingCapitalisesByField_data();
    void typingCapitalisesByField();
    void onlyKeysThatInsertTextAreTyped_data();
    void onlyKeysThatInsertTextAreTyped();
    void commentsWrapButStayOneLine();
    void webPasteReplacesTheOfferedPrefix_data();
    void webPasteReplacesTheOfferedPrefix();
    void keysAndPastesThatCannotBeStoredAreDropped();
    void webBoxOffersPrefixAndDropsNonAddresses();
    void emailBoxTakesOneAtAndDropsNonAddresses();
    void telephoneBoxSwitchesToFaxAndBack();
    void datePickerWritesOnlyAChangedOrConfirmedDate();
    void tabbingThroughAFilledFormChangesNothing();
};

void TestFieldBehaviours::typingCapitalisesByField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first letter") << 0 << QStringLiteral("paris") << QStringLiteral("Paris");
    QTest::newRow("after each blank") << 0 << QStringLiteral("new york") << QStringLiteral("New York");
    QTest::newRow("digits") << 3 << QStringLiteral("555 1234") << QStringLiteral("555 1234");
    QTest::newRow("capital kept") << 2 << QStringLiteral("Pisa") << QStringLiteral("Pisa");
    QTest::newRow("comments: two first only") << 12 << QStringLiteral("the quick fox") << QStringLiteral("The quick fox");
    QTest::newRow("specialty likewise") << 11 << QStringLiteral("fish soup") << QStringLiteral("Fish soup");
    QTest::newRow("accented first letter") << 2 << QStringLiteral("\u00e9vora") << QStringLiteral("\u00c9vora");
    QTest::newRow("y diaeresis to its capital") << 8 << QStringLiteral("\u00ffves") << QStringLiteral("\u0178ves");
    QTest::newRow("s caron to its capital") << 2 << QStringLiteral("\u0161ibenik") << QStringLiteral("\u0160ibenik");
    QTest::newRow("brace is no letter") << 0 << QStringLiteral("{x}") << QStringLiteral("{x}");
    QTest::newRow("sharp s has no capital") << 0 << QStringLiteral("\u00dfa") << QStringLiteral("\u00dfa");
    QTest::newRow("micro sign has none in the code page") << 4 << QStringLiteral("\u00b5m") << QStringLiteral("\u00b5m");
    QTest::newRow("email untouched") << 15 << QStringLiteral("anna@x.org") << QStringLiteral("anna@x.org");
}

void TestFieldBehaviours::typingCapitalisesByField()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TestFolder folder;
    FormWindow w;
    w.enter(w.control(field));
    typeText(w.control(field), typed);
    QCOMPARE(w.form->text1(field), shown);
}

void TestFieldBehaviours::onlyKeysThatInsertTextAreTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("kept");
    const int alt = int(Qt::AltModifier);
    const int meta = int(Qt::MetaModifier);
    const int altGr = int(Qt::ControlModifier | Qt::AltModifier);
    for (const char* box : {"Text1(2)", "Text1(12)", "Text1(14)", "Combo1(3)"}) {
        const QString name = QLatin1String(box);
        QTest::addRow("%s Alt+Q", box) << name << alt << QString();
        QTest::addRow("%s Meta+Q", box) << name << meta << QString();
        // AltGr arrives as Ctrl+Alt on Windows and types its character.
        QTest::addRow("%s AltGr", box) << name << altGr << QStringLiteral("@");
    }
}

void TestFieldBehaviours::onlyKeysThatInsertTextAreTyped()
{
    QFETCH(QString, box);
    QFETCH(int, modifiers);
    QFETCH(QString, kept);
    TestFolder folder;
    FormWindow w;
    auto* control = w.form->findChild<QWidget*>(box);
    w.enter(control);
    const QString before = box == QStringLiteral("Text1(14)") ? QStringLiteral("http://") : QString();
    const QString character = kept.isEmpty() ? QStringLiteral("q") : kept;
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QKeyEvent press(QEvent::KeyPress, kept.isEmpty() ? Qt::Key_Q : Qt::Key_At, mods, character);
    QApplication::sendEvent(w.focused(), &press);
    QKeyEvent release(QEvent::KeyRelease, kept.isEmpty() ? Qt::Key_Q : Qt::Key_At, mods, character);
    QApplication::sendEvent(w.focused(), &release);
    const int field = box.startsWith(QLatin1String("Combo1")) ? EntryForm::fieldOfCombo(3) : box.mid(6).chopped(1).toInt();
    // The Web box refuses "@" of its own accord.
    const QString expected = before + (box == QStringLiteral("Text1(14)") ? QString() : kept);
    QCOMPARE(w.form->text1(field), expected);
}

void TestFieldBehaviours::commentsWrapButStayOneLine()
{
    TestFolder folder;
    FormWindow w;
    QPlainTextEdit* comments = w.comments();
    QVERIFY(comments != nullptr);
    w.enter(comments);
    const QString sentence = QStringLiteral("quiet rooms facing the garden, breakfast on the terrace until eleven, ");
    typeText(comments, sentence + sentence);
    QString stored = QStringLiteral("Q") + sentence.mid(1) + sentence;
    QCOMPARE(w.form->text1(12), stored);
    // The long text shows over several lines of the box, none of it beyond its right edge.
    QCOMPARE(comments->document()->blockCount(), 1);
    QVERIFY(comments->document()->firstBlock().layout()->lineCount() >= 2);
    QVERIFY(!comments->horizontalScrollBar()->isVisible());
    QVERIFY(comments->height() >= 3 * comments->fontMetrics().lineSpacing());

    // Return goes on to the next control and stores nothing.
    QTest::keyClick(comments, Qt::Key_Return);
    QCOMPARE(w.form->text1(12), stored);
    QVERIFY(w.focused() != comments);
    w.enter(comments);
    QTest::keyClick(comments, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(w.form->text1(12), stored);

    // Refused characters stay out, typed or pasted; pasted line breaks become blanks.
    w.enter(comments);
    typeText(comments, QStringLiteral("a|b\u0100"));
    stored += QStringLiteral("ab");
    QCOMPARE(w.form->text1(12), stored);
    QApplication::clipboard()->setText(QStringLiteral("one\ntwo\r\nthree|\u0100\u20ac"));
    if (QApplication::clipboard()->text() != QStringLiteral("one\ntwo\r\nthree|\u0100\u20ac"))
        QSKIP("no clipboard on this platform");
    QTest::keyClick(comments, Qt::Key_V, Qt::ControlModifier);
    stored += QStringLiteral("one two three\u20ac");
    QCOMPARE(w.form->text1(12), stored);

    // A value set from a record shows as it is stored.
    w.form->setText1(12, QStringLiteral("Kept\u00a0as stored"));
    QCOMPARE(w.form->text1(12), QStringLiteral("Kept\u00a0as stored"));
}

void TestFieldBehaviours::webPasteReplacesTheOfferedPrefix_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("http") << QStringLiteral("http://hotel.example/") << QStringLiteral("http://hotel.example/");
    QTest::newRow("https") << QStringLiteral("https://hotel.example") << QStringLiteral("https://hotel.example");
    QTest::newRow("capitals") << QStringLiteral("HTTPS://hotel.example") << QStringLiteral("HTTPS://hotel.example");
    QTest::newRow("no scheme") << QStringLiteral("www.hotel.example") << QStringLiteral("http://www.hotel.example");
    QTest::newRow("scheme later") << QStringLiteral("a.example/?u=http://b") << QStringLiteral("http://a.example/?u=http://b");
}

void TestFieldBehaviours::webPasteReplacesTheOfferedPrefix()
{
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    TestFolder folder;
    FormWindow w;
    QApplication::clipboard()->setText(pasted);
    if (QApplication::clipboard()->text() != pasted)
        QSKIP("no clipboard on this platform");
    QLineEdit* web = w.box(14);
    w.enter(web);
    QCOMPARE(web->text(), QStringLiteral("http://"));
    QTest::keyClick(web, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(14), shown);
    QCOMPARE(web->cursorPosition(), shown.size());
    w.tab();
    QCOMPARE(w.form->text1(14), shown);
}

void TestFieldBehaviours::keysAndPastesThatCannotBeStoredAreDropped()
{
    TestFolder folder;
    FormWindow w;
    w.enter(w.box(2));
    typeText(w.box(2), QStringLiteral("a|b\u20ac\u0100c"));
    QCOMPARE(w.form->text1(2), QStringLiteral("Ab\u20acc"));

    w.enter(w.combo(1));
    typeText(w.combo(1), QStringLiteral("Inn|\u0100"));
    QCOMPARE(w.combo(1)->currentText(), QStringLiteral("Inn"));

    QApplication::clipboard()->setText(QStringLiteral("x|y\u0100z\u20ac"));
    if (QApplication::clipboard()->text() != QStringLiteral("x|y\u0100z\u20ac"))
        QSKIP("no clipboard on this platform");
    w.enter(w.box(4));
    typeText(w.box(4), QStringLiteral("Via "));
    QTest::keyClick(w.box(4), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.form->text1(4), QStringLiteral("Via xyz\u20ac"));
    QCOMPARE(w.box(4)->cursorPosition(), w.form->text1(4).size());
    w.enter(w.combo(3));
    QTest::keyClick(w.combo(3), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.combo(3)->currentText(), QStringLiteral("xyz\u20ac"));
    QCOMPARE(w.form->text1(10), QStringLiteral("xyz\u20ac"));
}

void TestFieldBehaviours::webBoxOffersPrefixAndDropsNonAddresses()
{
    TestFolder folder;
    FormWindow w;
    QLineEdit* web = w.box(14);
    w.enter(web);
    QCOMPARE(web->text(), QStringLiteral("http://"));
    QCOMPARE(web->cursorPosition(), 7);
    QVERIFY(!web->hasSelectedText());
    // Blanks and "@" are refused and send the caret to the end.
    typeText(web, QStringLiteral("www"));
    web->setCursorPosition(2);
    typeText(web, QStringLiteral(" @"));
    QCOMPARE(web->text(), QStringLiteral("http://www"));
    QCOMPARE(web->cursorPosition(), 10);
    w.tab();
    QCOMPARE(w.form->text1(14), QString());

    w.enter(web);
    w.tab();
    QCOMPARE(w.form->text1(14), QString());

    web->setText(QStringLiteral("ab:c"));
    w.enter(web);
    w.tab();
    QCOMPARE(w.form->text1(14), QStringLiteral("ab:c"));

    web->clear();
    w.enter(web);
    typeText(web, QStringLiteral("hotel.example"));
    w.tab();
    QCOMPARE(w.form->text1(14), QStringLiteral("http://hotel.example"));

    // A context menu taking the focus for a moment is not leaving the box.
    web->setText(QStringLiteral("http://"));
    w.enter(web);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(web, &popup);
    QCOMPARE(web->text(), QStringLiteral("http://"));
}

void TestFieldBehaviours::emailBoxTakesOneAtAndDropsNonAddresses()
{
    TestFolder folder;
    FormWindow w;
    QLineEdit* email = w.box(15);
    w.enter(email);
    typeText(email, QStringLiteral("an@na@"));
    QCOMPARE(email->text(), QStringLiteral("an@na"));
    w.tab();
    QCOMPARE(w.form->text1(15), QString());

    const struct
    {
        const char* left;
        const char* kept;
    } cases[] = {
        {"anna@x.org", "anna@x.org"}, {"a.b@", "a.b@"}, {"anna.org", ""}, {"x@y", "x@y"}, {"@.", "@."},
    };
    for (const auto& c : cases) {
        email->setText(QLatin1String(c.left));
        w.enter(email);
        w.tab();
        QCOMPARE(w.form->text1(15), QLatin1String(c.kept));
    }
}

void TestFieldBehaviours::telephoneBoxSwitchesToFaxAndBack()
{
    TestFolder folder;
    FormWindow w;
    auto* command2 = w.form->findChild<QAbstractButton*>(QStringLiteral("Command2"));
    QLabel* caption = w.form->label1(EntryForm::TelephoneCaption);
    QLineEdit* telephone = w.box(3);
    w.form->setText1(3, QStringLiteral("555 1234"));
    w.form->setText1(30, QStringLiteral("555 9999"));

    // Twice without typing: the telephone is back and the fax is empty.
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(caption->text(), QStringLiteral("Fax"));
    QCOMPARE(telephone->accessibleName(), QStringLiteral("Fax"));
    QCOMPARE(telephone->text(), QString());
    QVERIFY(w.form->telephoneShowsFax());
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(caption->text(), QStringLiteral("Telephone"));
    QCOMPARE(telephone->accessibleName(), QStringLiteral("Telephone"));
    QCOMPARE(w.form->text1(3), QStringLiteral("555 1234"));
    QCOMPARE(w.form->text1(30), QString());

    // The keyboard reaches the switch too.
    command2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(command2, Qt::Key_Space);
    QCOMPARE(caption->text(), QStringLiteral("Fax"));
    w.enter(telephone);
    typeText(telephone, QStringLiteral("555 0000"));
    QCOMPARE(w.form->text1(3), QStringLiteral("555 0000"));
    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(w.form->text1(30), QStringLiteral("555 0000"));
    QCOMPARE(w.form->text1(3), QStringLiteral("555 1234"));
}

void TestFieldBehaviours::datePickerWritesOnlyAChangedOrConfirmedDate()
{
    TestFolder folder;
    FormWindow w;
    auto* picker = w.form->findChild<QDateEdit*>(QStringLiteral("DTPicker1"));
    QLineEdit* date = w.box(5);

    // Entering the field opens the picker over it on the field's date; leaving writes nothing.
    w.form->setText1(5, QStringLiteral("5/17/2010"));
    w.enter(w.combo(6));
    w.tab();
    QVERIFY(picker->isVisible());
    QVERIFY(picker->hasFocus());
    QCOMPARE(picker->date(), QDate(2010, 5, 17));
    QCOMPARE(picker->x(), date->x());
    QVERIFY(picker->y() < date->y() && picker->geometry().bottom() >= date->geometry().bottom());
    w.tab();
    QVERIFY(!picker->isVisible());
    QCOMPARE(w.focused(), w.box(9));
    QCOMPARE(w.form->text1(5), QStringLiteral("5/17/2010"));

    // A text that is no date opens on today and stays as it is.
    w.form->setText1(5, QStringLiteral("last summer"));
    w.enter(date);
    QCOMPARE(picker->date(), QDate::currentDate());
    w.tab();
    QCOMPARE(w.form->text1(5), QStringLiteral("last summer"));

    // Changing the date by the keyboard writes it at once and it stays after leaving.
    w.form->setText1(5, QStringLiteral("5/17/2010"));
    w.enter(date);
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(picker->date(), QDate(2010, 6, 17));
    QCOMPARE(w.form->text1(5), QStringLiteral("6/17/2010"));
    w.tab();
    QCOMPARE(w.form->text1(5), QStringLiteral("6/17/2010"));

    // Enter confirms the date shown, unchanged.
    w.form->setText1(5, QString());
    w.enter(date);
    QTest::keyClick(picker, Qt::Key_Return);
    QCOMPARE(w.form->text1(5), QLocale().toString(QDate::currentDate(), QStringLiteral("M/d/yyyy")));
    QVERIFY(picker->isVisible());

    // A click on the box opens the picker as well.
    w.enter(w.box(9));
    QVERIFY(!picker->isVisible());
    QTest::mouseClick(date, Qt::LeftButton);
    QVERIFY(picker->isVisible());
}

void TestFieldBehaviours::tabbingThroughAFilledFormChangesNothing()
{
    TestFolder folder;
    FormWindow w;
    const QList<int> shown = {0, 7, 1, 2, 4, 19, 3, 13, 8, 11, 17, 6, 10, 16, 20, 18, 5, 9, 14, 15, 12, 30};
    for (int field : shown)
        w.form->setText1(field, QStringLiteral("value %1").arg(field));
    w.form->setText1(5, QStringLiteral("12/24/2005"));
    w.form->setText1(14, QStringLiteral("http://hotel.example"));
    w.form->setText1(15, QStringLiteral("desk@hotel.example"));
    QStringList before;
    for (int i = 0; i < EntryForm::TextCount; ++i)
        before.append(w.form->text1(i));
    w.enter(w.box(0));
    for (int i = 0; i < 30; ++i)
        w.tab();
    for (int i = 0; i < 30; ++i)
        w.tab(true);
    for (int i = 0; i < EntryForm::TextCount; ++i)
        QCOMPARE(w.form->text1(i), before.at(i));
}

QTEST_MAIN(TestFieldBehaviours)
#include "test_fieldbehaviours.moc"
