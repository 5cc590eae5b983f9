// The Place box as a link: its look under the mouse and what a click opens.

// Mouse events go through the window, as the system delivers them, so that a move over a
// control reaches the form only the way it really would.
#define QTEST_QPA_MOUSE_HANDLING
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "ui/entry/EntryForm.h"
#include "ui/window/FrmScrn.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

// The window on the Edit tab, with its Place box.
struct FormWindow : TestFolder, WindowUnderTest
{
    FormWindow() : WindowUnderTest(static_cast<const TestFolder&>(*this)), form(window->entryForm()) {}
    QLineEdit* box(int index) const { return qobject_cast<QLineEdit*>(form->text1Box(index)); }
    EntryForm* form;
};

} // namespace

class TestEntryFormLink : public QObject
{
    Q_OBJECT

private slots:
    void placeIsALinkUnderTheMouse();
};

namespace {

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

void TestEntryFormLink::placeIsALinkUnderTheMouse()
{
    FormWindow w;
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

QTEST_MAIN(TestEntryFormLink)
#include "test_entryform_link.moc"
