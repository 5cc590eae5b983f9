#include "app/SplashWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

class SplashWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void holdsWhileThePictureOpensTheProductPage()
    {
        const QString address = u"http://www.fenwary.com/roamlog/"_s;
        QList<QUrl> opened;
        SplashWindow splash(address, [&opened](const QUrl& url) { opened << url; return true; });
        auto* timer1 = splash.findChild<QTimer*>(u"Timer1"_s);
        auto* image1 = splash.findChild<QWidget*>(u"Image1"_s);
        QVERIFY(timer1 && image1 && splash.findChild<QWidget*>(u"Image2"_s) &&
                splash.findChild<QWidget*>(u"Shape1"_s));
        QCOMPARE(timer1->interval(), 3500);
        QVERIFY(!timer1->isActive()); // not running until the window is shown

        // Click the picture part-way through the wait, as a user would.
        QTimer::singleShot(400, &splash, [&] {
            QVERIFY(splash.isVisible() && splash.isHolding());
            QTest::mouseClick(image1, Qt::LeftButton, {}, image1->rect().center());
        });
        QElapsedTimer clock;
        clock.start();
        splash.showAndWait(); // returns once the hold is over
        QVERIFY2(clock.elapsed() >= 3300, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!timer1->isActive());
        QCOMPARE(opened, QList<QUrl>{QUrl(address)});

        QCOMPARE(splash.windowTitle(), u"Starting - Roamlog@"_s);
        QCOMPARE(splash.findChild<QLabel*>(u"Label1"_s)->text(), u"v1.0"_s);
        QCOMPARE(splash.findChild<QLabel*>(u"Label2"_s)->text(), address);
        // A right click opens nothing.
        QTest::mouseClick(image1, Qt::RightButton, {}, image1->rect().center());
        QCOMPARE(opened.size(), 1);
    }
};

QTEST_MAIN(SplashWindowTest)
#include "test_splashwindow.moc"
