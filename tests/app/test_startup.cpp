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

template <typename Widget>
Widget* topLevel()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<Widget*>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

// What the program had done at one moment of its start.
struct Moment
{
    bool seen = false;
    bool installationRecord = false;
    bool mainWindowShown = false;
    QStringList countries;
    QString versionLabel;
    int requests = 0;
};

} // namespace

class StartUpTest : public QObject
{
    Q_OBJECT

private slots:
    // A start where Roamlog.ppd cannot be read stops at a message box in the middle of loading
    // the records, which shows what came before that step and what after it.
    void startsInItsOrder()
    {
        TestFolder folder;
        QVERIFY(folder.isValid());
        QVERIFY(folder.write(u"combos.ini"_s, "[Ph code]\r\n44 United Kingdom\r\n33 France\r\n"));
        QVERIFY(QDir(folder.path()).mkdir(u"Roamlog.ppd"_s));
        LocalHttpServer server;
        server.answer(LocalHttpServer::Answer{200, "9.9.9"});
        qputenv(ProgramValues::kServerUrlVariable, server.baseUrl().toUtf8());
        const QString keyPath = ProgramValues::forFolder(folder.path()).registryKeyPath;

        Moment atSplash;
        QTimer splashWatch;
        splashWatch.setInterval(50);
        connect(&splashWatch, &QTimer::timeout, this, [&] {
            SplashWindow* splash = topLevel<SplashWindow>();
            if (atSplash.seen || !splash || !splash->isHolding())
                return;
            atSplash.seen = true;
            atSplash.installationRecord = !RegistrySettings::GetRegistryValue(
                RegistrySettings::Root::CurrentUser, keyPath, QLatin1String(InstallationIdentity::kValueName)).isEmpty();
            atSplash.mainWindowShown = topLevel<FrmScrn>() != nullptr;
        });
        Moment atLoadFailure;
        QTimer boxWatch;
        boxWatch.setInterval(50);
        connect(&boxWatch, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            FrmScrn* window = topLevel<FrmScrn>();
            if (atLoadFailure.seen || !box || !window)
                return;
            atLoadFailure.seen = true;
            auto* country = window->findChild<QComboBox*>(u"Combo1(0)"_s);
            for (int i = 0; country && i < country->count(); ++i)
                atLoadFailure.countries << country->itemText(i);
            atLoadFailure.versionLabel = window->findChild<QLabel*>(u"Label9(0)"_s)->text();
            atLoadFailure.requests = int(server.requests().size());
            box->accept();
        });
        splashWatch.start();
        boxWatch.start();

        const std::unique_ptr<FrmScrn> window = StartUp::Main(ProgramFolders::single(folder.path()), [](const QUrl&) { return true; });
        qunsetenv(ProgramValues::kServerUrlVariable);

        QVERIFY2(atSplash.seen, "the splash never held");
        QVERIFY2(atSplash.installationRecord, "the splash showed before the installation record was made");
        QVERIFY(!atSplash.mainWindowShown);
        QVERIFY2(atLoadFailure.seen, "loading an unreadable Roamlog.ppd said nothing");
        QCOMPARE(atLoadFailure.countries, (QStringList{u"United Kingdom"_s, u"France"_s}));
        QVERIFY2(atLoadFailure.versionLabel.isEmpty() && atLoadFailure.requests == 0,
                 "the version was checked before the records were loaded");

        // The version check follows once the records are in.
        QVERIFY(window && window->isVisible());
        QVERIFY(!window->findChild<QLabel*>(u"Label9(0)"_s)->text().isEmpty());
        QTRY_COMPARE(server.requests(), QList<QByteArray>{"GET /roamlog/version.txt"});
        QTRY_VERIFY(!window->findChild<QLabel*>(u"Label9(1)"_s)->text().isEmpty());
    }
};

QTEST_MAIN(StartUpTest)
#include "test_startup.moc"
