#include "TestFolder.h"

#include "settings/InstallationIdentity.h"
#include "settings/ProgramFolders.h"
#include "settings/ProgramValues.h"
#include "settings/RegistrySettings.h"
#include "store/LineCodec.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace RegistrySettings;
namespace Id = InstallationIdentity;

namespace {
const QString kPath = u"Software\\Fenwary\\Roamlog"_s;
QString get(const QString& name, const QString& path = kPath) { return GetRegistryValue(Root::CurrentUser, path, name); }
bool set(const QString& name, const QString& text) { return SetRegistryString(Root::CurrentUser, kPath, name, text); }
} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void registryValues()
    {
        TestFolder folder;
        const QString file = QSettings(u"Fenwary"_s, u"Roamlog"_s).fileName();
        QCOMPARE(get(u"200"_s), QString());
        QVERIFY(!QFile::exists(file)); // reading creates nothing
        QVERIFY(set(u"200"_s, u"Zoë, \"Z\""_s) && set(u"201"_s, QString()));
        QCOMPARE(QFile::exists(file), file.startsWith(folder.path())); // settings file, not registry
        QCOMPARE(get(u"200"_s), u"Zoë, \"Z\""_s);
        QCOMPARE(get(u"200"_s, kPath + u'\\'), u"Zoë, \"Z\""_s);
        QCOMPARE(QSettings(u"Fenwary"_s, u"Roamlog"_s).value(u"200"_s), QVariant(u"Zoë, \"Z\""_s));
        QCOMPARE(get(u"201"_s), QString());
        QCOMPARE(get(u"200"_s, u"Software\\Fenwary\\Other"_s), QString());
        QSettings(u"Fenwary"_s, u"Roamlog"_s).setValue(u"202"_s, 5); // a number stored by hand
        QCOMPARE(get(u"202"_s), u"5"_s);
    }

    void idText()
    {
        const std::pair<float, const char*> cases[] = {
            {0.0f, " 0"}, {0.5f, " 500000"}, {0.123456f, " 123456.001281738"},
            {1e-7f, " .10000000116861"}, {1.0f / 16777216.0f, " .0596046447753906"},
            {0.99999994f, " 999999.940395355"}};
        for (const auto& [r, text] : cases)
            QCOMPARE(Id::idText(r), QString::fromLatin1(text));
    }

    void firstStartCreatesTheRecordOnce()
    {
        TestFolder folder;
        const Id::Fields made = Id::ReadInstallationRecord(kPath);
        const QString stored = get(u"101"_s);
        QVERIFY(QRegularExpression(u"^([0-9A-F]{2})+$"_s).match(stored).hasMatch());
        const QString plain = DecodeLine(stored, u"Roamlog"_s);
        const auto match = QRegularExpression(u"^\\|\\|(\\d\\d-\\d\\d-\\d{4})\\| ([0-9.]+)\\|$"_s).match(plain);
        QVERIFY2(match.hasMatch(), qPrintable(plain));
        QCOMPARE(match.captured(1), QDate::currentDate().toString(u"MM-dd-yyyy"_s));
        QCOMPARE(made, (Id::Fields{QString(), {}, {}, match.captured(1), match.captured(2)}));
        QVERIFY(made[4].toDouble() >= 0 && made[4].toDouble() < 1000000);
        QCOMPARE(Id::ReadInstallationRecord(kPath), made);
        QCOMPARE(get(u"101"_s), stored);

        QSet<float> draws;
        for (int i = 0; i < 64; ++i)
            draws.insert(Id::drawRandomFraction());
        QVERIFY(draws.size() > 60);
        for (const float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
    }

    // Copies of one process draw different IDs. A generator that keeps its state in the process
    // (seeded from the clock or once at its first use) repeats the same draw in every copy, as it
    // would on machines set up from one disk image; the system's random source does not.
    void processCopiesDrawDifferentIds()
    {
#ifdef Q_OS_UNIX
        QList<float> draws{Id::drawRandomFraction()}; // any lazy seeding happens here, before the copies
        constexpr int kCopies = 8;
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        for (int i = 0; i < kCopies; ++i) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                const float r = Id::drawRandomFraction();
                _exit(::write(pipeEnds[1], &r, sizeof r) == sizeof r ? 0 : 1);
            }
        }
        ::close(pipeEnds[1]);
        float r = 0;
        while (::read(pipeEnds[0], &r, sizeof r) == sizeof r)
            draws << r;
        ::close(pipeEnds[0]);
        for (int status = 0; ::wait(&status) > 0;)
            QCOMPARE(status, 0);
        QCOMPARE(draws.size(), kCopies + 1);
        QCOMPARE(QSet<float>(draws.begin(), draws.end()).size(), draws.size());
#else
        QSKIP("needs fork");
#endif
    }

    void existingRecordKeptUnreadableReplaced()
    {
        TestFolder folder;
        const QString plain = Id::plainRecord(QDate(2006, 3, 7), u" 500000"_s);
        QCOMPARE(plain, u"||03-07-2006| 500000|"_s);
        QCOMPARE(EncodeLine(plain, u"Roamlog"_s), u"2E13515E415F507F5D515D5A1347675F515D5C5F1B"_s);
        const QString edited = u"720E41114C0D472E5F52405C584A605F515B104F5360415411"_s; // " a | b |03-07-2006| 42.5|"
        QVERIFY(set(u"101"_s, edited));
        QCOMPARE(Id::ReadInstallationRecord(kPath), (Id::Fields{QString(), u"a"_s, u"b"_s, u"03-07-2006"_s, u"42.5"_s}));
        QCOMPARE(get(u"101"_s), edited);

        // Not hexadecimal; "||03-07-2006| 1|x|"; "no separator"; an empty ID.
        for (const QString& bad : {u"ZZZ"_s, u"2E13515E415F507F5D515D5A134763131911"_s, u"3C00411E091F06200E15021E"_s,
                                   EncodeLine(u"||03-07-2006| |"_s, u"Roamlog"_s)}) {
            QVERIFY(set(u"101"_s, bad));
            const Id::Fields made = Id::ReadInstallationRecord(kPath);
            QVERIFY(!made[4].isEmpty() && get(u"101"_s) != bad);
            QCOMPARE(Id::ReadInstallationRecord(kPath), made);
        }
    }

    void serverBaseUrl()
    {
        const QString fallback = u"http://www.fenwary.com/"_s;
        const std::pair<QString, QString> cases[] = {
            {{}, fallback}, {u"http://127.0.0.1:8080/"_s, u"http://127.0.0.1:8080/"_s},
            {u"https://logs.example.org/b/"_s, u"https://logs.example.org/b/"_s},
            {u"http://127.0.0.1:8080"_s, fallback}, {u"ftp://example.org/"_s, fallback},
            {u"example.org/"_s, fallback}, {u"http:///"_s, fallback}, {u"http://example.org/?a=/"_s, fallback}};
        for (const auto& [value, used] : cases) {
            bool rejected = true;
            QCOMPARE(ProgramValues::serverBaseUrlFor(value, &rejected), used);
            QCOMPARE(rejected, !value.isEmpty() && used != value);
            qputenv("ROAMLOG_SERVER_URL", value.toUtf8());
            const ProgramValues values = ProgramValues::forFolder(u"/opt/roamlog"_s);
            qunsetenv("ROAMLOG_SERVER_URL");
            QCOMPARE(values.productUrl(), used + u"roamlog/"_s);
            QVERIFY(values.registryKeyPath == kPath && values.databasePath == u"/opt/roamlog/Roamlog.ppd"_s);
        }
    }

    // Folders are given below a temporary root; "system" is an executable in bin/ beside share/roamlog/.
    void folders_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("home"); // ROAMLOG_HOME
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QString>("data");
        QTest::newRow("own folder") << u"Roamlog"_s << QString() << u"Roamlog"_s << u"Roamlog"_s;
        QTest::newRow("own folder, ROAMLOG_HOME") << u"Roamlog"_s << u"mine"_s << u"Roamlog"_s << u"mine"_s;
        QTest::newRow("system") << u"usr/bin"_s << QString() << u"usr/share/roamlog"_s << u"user/Fenwary/Roamlog"_s;
        QTest::newRow("system, ROAMLOG_HOME") << u"usr/bin"_s << u"mine"_s << u"usr/share/roamlog"_s << u"mine"_s;
        QTest::newRow("bin/ of its own") << u"opt/bin"_s << QString() << u"opt/bin"_s << u"opt/bin"_s;
    }

    void folders()
    {
        QFETCH(QString, executable);
        QFETCH(QString, home);
        QFETCH(QString, shared);
        QFETCH(QString, data);
        TestFolder root;
        const auto at = [&](const QString& path) { return path.isEmpty() ? path : root.filePath(path); };
        for (const char* made : {"Roamlog", "usr/bin", "usr/share/roamlog", "opt/bin"})
            QVERIFY(QDir(root.path()).mkpath(QLatin1String(made)));
        const ProgramFolders folders = ProgramFolders::locate(at(executable), at(home), at(u"user"_s));
        QVERIFY(folders == (ProgramFolders{at(shared), at(data)}));
        qputenv(ProgramFolders::kHomeVariable, at(home).toUtf8());
        QVERIFY(home.isEmpty() || ProgramFolders::forExecutable(at(executable)) == folders);
        qunsetenv(ProgramFolders::kHomeVariable);

        // The first start makes the data folder with the default pick lists; later ones keep the user's.
        QVERIFY(root.write(shared + u"/combos.ini.default"_s, "[Type]\r\nHotel\r\n") && folders.prepareData());
        QCOMPARE(root.read(data + u"/combos.ini"_s), "[Type]\r\nHotel\r\n");
        QVERIFY(root.write(data + u"/combos.ini"_s, "[Type]\r\nInn\r\n") && folders.prepareData());
        QCOMPARE(root.read(data + u"/combos.ini"_s), "[Type]\r\nInn\r\n");
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "test_settings.moc"
