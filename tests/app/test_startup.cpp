#include "app/SplashWindow.h"
#include "app/StartUp.h"
#include "settings/InstallationIdentity.h"
#include "settings/ProgramValues.h"
#include "settings/RegistrySettings.h"
#include "ui/window/FrmScrn.h"

#include "LocalHttpServer.h"
#include "TestFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QWidget* shown(const char* className)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.begin(), windows.end(), [&](QWidget* w) { return w->inherits(className) && w->isVisible(); });
    return found == windows.end() ? nullptr : *found;
}

QString text(const QWidget* window, const QString& label) { return window->findChild<QLabel*>(label)->text(); }

} // namespace

class StartUpTest : public QObject
{
    Q_OBJECT

private slots:
    // A start where Roamlog.ppd cannot be read stops at a message box in the middle of loading
    // the records, which shows what came before that step and what after it. The splash holds
    // for Timer1's 3.5 s before the window shows, also when its picture is clicked, which opens
    // the product page (a right click opens nothing).
    void startsInItsOrder()
    {
        TestFolder folder;
        QVERIFY(folder.write(u"combos.ini"_s, "[Ph code]\r\n44 United Kingdom\r\n33 France\r\n"));
        QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
        LocalHttpServer server;
        server.answer(LocalHttpServer::Answer{200, "9.9.9"});
        qputenv(ProgramValues::kServerUrlVariable, server.baseUrl().toUtf8());
        const ProgramValues values = ProgramValues::forFolder(folder.path());

        QString atSplash, atMessage; // what the program had done at each moment
        bool heldAfterClick = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (auto* splash = qobject_cast<SplashWindow*>(shown("SplashWindow")); splash && splash->isHolding()) {
                if ((heldAfterClick = !atSplash.isEmpty()))
                    return;
                atSplash = u"record %1, window %2, %3 ms, %4 %5"_s
                               .arg(!RegistrySettings::GetRegistryValue(RegistrySettings::Root::CurrentUser, values.registryKeyPath,
                                                                        QLatin1String(InstallationIdentity::kValueName)).isEmpty())
                               .arg(shown("FrmScrn") != nullptr)
                               .arg(splash->findChild<QTimer*>(u"Timer1"_s)->interval())
                               .arg(text(splash, u"Label1"_s), text(splash, u"Label2"_s));
                auto* image1 = splash->findChild<QWidget*>(u"Image1"_s);
                QTest::mouseClick(image1, Qt::LeftButton, {}, image1->rect().center());
                QTest::mouseClick(image1, Qt::RightButton, {}, image1->rect().center());
            }
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (QWidget* window = shown("FrmScrn"); atMessage.isEmpty() && box && window) {
                const auto* country = window->findChild<QComboBox*>(u"Combo1(0)"_s);
                atMessage = u"%1 %2, version \"%3\", %4 requests"_s.arg(country->itemText(0), country->itemText(1), text(window, u"Label9(0)"_s))
                                .arg(server.requests().size());
                box->accept();
            }
        });
        watch.start(50);
        QList<QUrl> opened;
        const std::unique_ptr<FrmScrn> window =
            StartUp::Main(ProgramFolders::single(folder.path()), [&](const QUrl& url) { opened << url; return true; });
        qunsetenv(ProgramValues::kServerUrlVariable);

        QCOMPARE(atSplash, u"record 1, window 0, 3500 ms, v1.0 "_s + values.productUrl());
        QVERIFY(heldAfterClick);
        QCOMPARE(opened, QList<QUrl>{QUrl(values.productUrl())});
        // The pick lists are in, the version is not asked yet.
        QCOMPARE(atMessage, u"United Kingdom France, version \"\", 0 requests"_s);
        // The version check follows once the records are in.
        QVERIFY(window && window->isVisible() && !text(window.get(), u"Label9(0)"_s).isEmpty());
        QTRY_COMPARE(server.requests(), QList<QByteArray>{"GET /roamlog/version.txt"});
        QTRY_VERIFY(!text(window.get(), u"Label9(1)"_s).isEmpty());
    }
};

QTEST_MAIN(StartUpTest)
#include "test_startup.moc"
