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
        QVERIFY(get(u"200"_s).isEmpty() && !QFile::exists(file)); // reading creates nothing
        QVERIFY(set(u"200"_s, u"Zoë, \"Z\""_s) && set(u"201"_s, QString()));
        QCOMPARE(QFile::exists(file), file.startsWith(folder.path())); // settings file, not registry
        QCOMPARE(get(u"200"_s, kPath + u'\\'), u"Zoë, \"Z\""_s);
        QCOMPARE(QSettings(u"Fenwary"_s, u"Roamlog"_s).value(u"200"_s), QVariant(u"Zoë, \"Z\""_s));
        QCOMPARE(get(u"201"_s) + get(u"200"_s, u"Software\\Fenwary\\Other"_s), QString());
        QSettings(u"Fenwary"_s, u"Roamlog"_s).setValue(u"202"_s, 5); // a number stored by hand
        QCOMPARE(get(u"202"_s), u"5"_s);
    }

    void idText_data()
    {
        QTest::addColumn<float>("r");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0f << u" 0"_s;
        QTest::newRow("half") << 0.5f << u" 500000"_s;
        QTest::newRow("fifteen digits") << 0.123456f << u" 123456.001281738"_s;
        QTest::newRow("below one") << 1e-7f << u" .10000000116861"_s;
        QTest::newRow("smallest step") << 1.0f / 16777216.0f << u" .0596046447753906"_s;
        QTest::newRow("largest") << 0.99999994f << u" 999999.940395355"_s;
    }
    void idText()
    {
        QFETCH(float, r);
        QFETCH(QString, text);
        QCOMPARE(Id::idText(r), text);
    }

    // Draws lie in [0, 1), and copies of one process draw different ones. A generator that keeps
    // its state in the process (seeded from the clock or at its first use) repeats the same draw
    // in every copy, as on machines set up from one disk image; the system's source does not.
    void drawsDifferInEveryCopyOfTheProcess()
    {
        QList<float> draws;
        for (int i = 0; i < 64; ++i)
            draws << Id::drawRandomFraction(); // any lazy seeding happens here, before the copies
        QVERIFY(QSet<float>(draws.begin(), draws.end()).size() > 60);
#ifdef Q_OS_UNIX
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        for (int i = 0; i < 8; ++i) {
            if (::fork() == 0) {
                const float r = Id::drawRandomFraction();
                _exit(::write(pipeEnds[1], &r, sizeof r) == sizeof r ? 0 : 1);
            }
        }
        ::close(pipeEnds[1]);
        QSet<float> copies;
        for (float r = 0; ::read(pipeEnds[0], &r, sizeof r) == sizeof r; draws << r)
            copies << r;
        ::close(pipeEnds[0]);
        for (int status = 0; ::wait(&status) > 0;)
            QCOMPARE(status, 0);
        QCOMPARE(copies.size(), 8);
#endif
        for (const float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
    }

    // The first start makes the record: hex digits of "||date| id|", today's date. One edited by
    // hand is kept as it reads; one that does not read is drawn anew. Either way, once.
    void installationRecord_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("first start") << QString() << false;
        QTest::newRow("edited, \" a | b |03-07-2006| 42.5|\"") << u"720E41114C0D472E5F52405C584A605F515B104F5360415411"_s << true;
        QTest::newRow("not hexadecimal") << u"ZZZ"_s << false;
        QTest::newRow("a field too many") << u"2E13515E415F507F5D515D5A134763131911"_s << false; // "||03-07-2006| 1|x|"
        QTest::newRow("no separator") << u"3C00411E091F06200E15021E"_s << false;
        QTest::newRow("empty ID") << EncodeLine(u"||03-07-2006| |"_s, u"Roamlog"_s) << false;
    }
    void installationRecord()
    {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        TestFolder folder;
        QCOMPARE(EncodeLine(Id::plainRecord(QDate(2006, 3, 7), u" 500000"_s), u"Roamlog"_s),
                 u"2E13515E415F507F5D515D5A1347675F515D5C5F1B"_s); // "||03-07-2006| 500000|"
        QVERIFY(stored.isEmpty() || set(u"101"_s, stored));
        const Id::Fields read = Id::ReadInstallationRecord(kPath);
        const QString now = get(u"101"_s);
        QCOMPARE(now == stored, kept);
        const Id::Fields edited{QString(), u"a"_s, u"b"_s, u"03-07-2006"_s, u"42.5"_s};
        QCOMPARE(read, (kept ? edited : Id::Fields{QString(), {}, {}, QDate::currentDate().toString(u"MM-dd-yyyy"_s), read[4]}));
        QVERIFY(kept || DecodeLine(now, u"Roamlog"_s) == Id::plainRecord(QDate::currentDate(), u' ' + read[4]));
        bool number = false;
        QVERIFY(read[4].toDouble(&number) >= 0 && number && read[4].toDouble() < 1000000);
        QCOMPARE(Id::ReadInstallationRecord(kPath), read); // the next start reads the same
        QCOMPARE(get(u"101"_s), now);
    }

    // The server's address from the environment: an http or https address ending in "/", else
    // the vendor's.
    void serverBaseUrl_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("used");
        QTest::newRow("none") << QString() << false;
        QTest::newRow("http") << u"http://127.0.0.1:8080/"_s << true;
        QTest::newRow("https with a path") << u"https://logs.example.org/b/"_s << true;
        for (const char* refused : {"http://127.0.0.1:8080", "ftp://example.org/", "example.org/", "http:///", "http://example.org/?a=/"})
            QTest::newRow(refused) << QString::fromLatin1(refused) << false;
    }
    void serverBaseUrl()
    {
        QFETCH(QString, value);
        QFETCH(bool, used);
        bool rejected = true;
        QCOMPARE(ProgramValues::serverBaseUrlFor(value, &rejected), used ? value : u"http://www.fenwary.com/"_s);
        QCOMPARE(rejected, !value.isEmpty() && !used);
        const ProgramValues values = ProgramValues::forFolder(u"/opt/roamlog"_s);
        QVERIFY(values.registryKeyPath == kPath && values.databasePath == u"/opt/roamlog/Roamlog.ppd"_s);
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
