// The entry form and the status line as a screen reader sees them: every control named by its
// caption whatever it holds, and a status bar that announces what it says.
#include "test_entryform_support.h"

#include "TestFolder.h"
#include "store/PickLists.h"
#include "ui/widgets/StatusLine.h"

#include <QAccessible>
#include <QLabel>
#include <QToolBar>

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void everyControlIsNamedByItsCaption_data();
    void everyControlIsNamedByItsCaption();
    void statusLineIsAStatusBarThatAnnouncesItsText();
};

namespace {

QString nameOf(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face != nullptr ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

} // namespace

void TestAccessibility::everyControlIsNamedByItsCaption_data()
{
    QTest::addColumn<bool>("filled");
    QTest::newRow("empty form") << false;
    QTest::newRow("every box holding a value") << true;
}

void TestAccessibility::everyControlIsNamedByItsCaption()
{
    QFETCH(bool, filled);
    TestFolder folder;
    FormWindow w;
    PickLists lists;
    lists.lists[1] = QStringList{QStringLiteral("Restaurant"), QStringLiteral("Hotel")};
    w.form->LoadPickLists(lists);
    if (filled) {
        for (int field = 0; field < EntryForm::TextCount; ++field)
            w.form->setText1(field, QStringLiteral("Restaurant"));
    }
    for (const Captioned& entry : kVisibleControls) {
        auto* control = w.form->findChild<QWidget*>(QLatin1String(entry.name));
        QVERIFY2(control != nullptr, entry.name);
        QCOMPARE(nameOf(control), QLatin1String(entry.caption));
        // A pick-list box is read through its editor as well.
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            QCOMPARE(combo->currentText(), filled ? QStringLiteral("Restaurant") : QString());
            QCOMPARE(nameOf(combo->lineEdit()), QLatin1String(entry.caption));
            w.enter(combo);
            QCOMPARE(nameOf(QApplication::focusWidget()), QLatin1String(entry.caption));
        }
    }
    const QStringList commands = {QStringLiteral("Add"), QStringLiteral("Replace"), QStringLiteral("Clear")};
    const QList<QAction*> actions = w.form->toolbar1()->actions();
    QCOMPARE(actions.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(nameOf(w.form->toolbar1()->widgetForAction(actions[i])), commands[i]);
}

void TestAccessibility::statusLineIsAStatusBarThatAnnouncesItsText()
{
    QWidget window;
    auto* label10 = new QLabel(&window);
    label10->setAccessibleName(QStringLiteral("Status"));
    StatusLine status(label10);
    window.show();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label10);
    QVERIFY(face != nullptr);
    QCOMPARE(face->role(), QAccessible::StatusBar);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Status"));

    // Events reach a screen reader only where the platform has one; what it then reads is
    // checked here.
    status.show(QStringLiteral("Posting ..."));
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Posting ..."));
    QCOMPARE(label10->toolTip(), QStringLiteral("Posting ..."));
    status.tick();
    QCOMPARE(label10->text(), QString());
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Status"));

    status.setText(QStringLiteral("3 records shared"));
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("3 records shared"));
    QCOMPARE(face->text(QAccessible::Value), QStringLiteral("3 records shared"));
    QCOMPARE(face->text(QAccessible::Description), QStringLiteral("Status"));
}

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
