// The Place box as a link: its look under the mouse and what a click opens.

// Mouse events go through the window, as the system delivers them, so that a move over a
// control reaches the form only the way it really would.
#define QTEST_QPA_MOUSE_HANDLING
#include "test_frmscrn_support.h"

#include "TestFolder.h"
#include "ui/entry/EntryForm.h"
#include "ui/entry/PlaceLinkField.h"
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
    void placeLooksLikeALinkUnderTheMouse();
    void clickOpensOnlyWebAddresses_data();
    void clickOpensOnlyWebAddresses();
    void onlyALeftClickOnALinkOpens();
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

void TestEntryFormLink::placeLooksLikeALinkUnderTheMouse()
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

    // Other boxes leave the look alone; only the bare form takes it away.
    hover(w.box(2));
    hover(w.form->combo1(1));
    QVERIFY(looksLikeLink(place));
    w.form->setText1(0, QStringLiteral("hotel"));
    QVERIFY(looksLikeLink(place));
    const QPoint bare = background(*w.form);
    QVERIFY(!bare.isNull());
    hover(w.form, bare);
    QVERIFY(looksLikeText(place, plainText));
}

void TestEntryFormLink::clickOpensOnlyWebAddresses_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("opened");
    QTest::newRow("site name") << QStringLiteral("hotel.example") << QStringLiteral("http://hotel.example");
    QTest::newRow("www") << QStringLiteral("www.example.com") << QStringLiteral("http://www.example.com");
    QTest::newRow("https kept") << QStringLiteral("https://miramar.example.org/rooms")
                                << QStringLiteral("https://miramar.example.org/rooms");
    QTest::newRow("windows program") << QStringLiteral("C:\\Windows\\notepad.exe") << QString();
    QTest::newRow("unc share") << QStringLiteral("\\\\server\\share\\run.bat") << QString();
    QTest::newRow("file address") << QStringLiteral("file:///etc/passwd.txt") << QString();
    QTest::newRow("other scheme") << QStringLiteral("ftp://files.example.com") << QString();
    QTest::newRow("script") << QStringLiteral("javascript:alert(document.cookie)") << QString();
    QTest::newRow("blank inside") << QStringLiteral("Hotel Miramar.com") << QString();
}

void TestEntryFormLink::clickOpensOnlyWebAddresses()
{
    QFETCH(QString, place);
    QFETCH(QString, opened);
    const std::optional<QUrl> address = PlaceLinkField::webAddressFor(place);
    QCOMPARE(address ? address->toString() : QString(), opened);
}

void TestEntryFormLink::onlyALeftClickOnALinkOpens()
{
    FormWindow w;
    QLineEdit* box = w.box(0);
    w.form->setText1(0, QStringLiteral("hotel.example"));
    hover(box);
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, box->rect().center());
    QVERIFY(w.opened.isEmpty());
    // An empty Place opens nothing, even while it still looks like a link.
    w.form->setText1(0, QString());
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QVERIFY(w.opened.isEmpty());
    // Editing keeps the look; the click opens what the box holds then.
    w.form->setText1(0, QStringLiteral("www.miramar.example"));
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QCOMPARE(w.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.miramar.example"))});
}

QTEST_MAIN(TestEntryFormLink)
#include "test_entryform_link.moc"
