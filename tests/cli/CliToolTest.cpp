#include "LimitedProcess.h"
#include "TestFolder.h"

#include "store/DatabaseFile.h"
#include "store/LineCodec.h"
#include "store/RecordStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>

namespace {

struct Outcome
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runTool(const QStringList& arguments,
                const QString& program = QStringLiteral(ROAMLOG_CLI_PATH))
{
    QProcess process;
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.status = process.exitCode();
    outcome.out = process.readAllStandardOutput();
    outcome.err = process.readAllStandardError();
    return outcome;
}

QByteArray encoded(const QByteArray& plain)
{
    return LineCodec::encodeBytes(plain, LineCodec::kApplicationTitle) + "\r\n";
}

// A stored line with the given columns set and the others empty.
QByteArray storedLine(const QMap<int, QByteArray>& columns)
{
    QByteArray line;
    for (int column = 0; column < RecordColumns::StoredCount; ++column)
        line += columns.value(column) + '|';
    return line;
}

const QByteArray kHeader =
    "Place,Satisfaction,Type,Comments,Contact,Tel Code,Telephone,Fax,Country,State,City,"
    "Address,Specialty,Requires,Reservation,Recommended by,Cost,Price,Stars,Date Visited,"
    "Email,Web,Date Modified,Upload mark\r\n";

// A database with a rewritten line (Windows-1252 "é", a comma, quotes and a line break in
// fields), a damaged line and a short appended line.
QByteArray knownDatabase()
{
    const QByteArray first = storedLine({{0, "Caf\xE9, Zur"},
                                         {1, "Good"},
                                         {2, "Restaurant"},
                                         {3, "Say \"hi\""},
                                         {11, "1 Main St\r\nBack door"},
                                         {22, "03-07-2006 09:05:07"},
                                         {23, "*"}});
    return encoded(first + "\r\n") + "ZZ\r\n" + encoded("Plain|Ok|");
}

const QByteArray kKnownCsv =
    kHeader +
    "\"Caf\xC3\xA9, Zur\",Good,Restaurant,\"Say \"\"hi\"\"\",,,,,,,,\"1 Main St\r\nBack door\","
    ",,,,,,,,,,03-07-2006 09:05:07,*\r\n"
    "Plain,Ok,,,,,,,,,,,,,,,,,,,,,,\r\n";

RecordStore loaded(const TestFolder& folder)
{
    RecordStore store(folder.path());
    store.LoadDatabase();
    return store;
}

} // namespace

class CliToolTest : public QObject
{
    Q_OBJECT

private slots:
    void exportWritesExactCsv();
    void importAddsRecordsByHeader();
    void importRefusesRowsThatCannotBeStored_data();
    void importRefusesRowsThatCannotBeStored();
    void checkCountsRecordsAndUnreadableLines();
    void checkCountsIncompleteRecords_data();
    void checkCountsIncompleteRecords();
    void importThatCannotBeWrittenFails();
    void missingFoldersFilesAndBadCommandLines();
    void defaultFolderIsTheToolsOwn();
    void importRefusesBytesThatAreNotText_data();
    void importRefusesBytesThatAreNotText();
    void statsAndMapOfTheRecords();
};

void CliToolTest::exportWritesExactCsv()
{
    TestFolder folder;
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), knownDatabase()));

    const Outcome toStdout =
        runTool({QStringLiteral("export"), QStringLiteral("--folder"), folder.path()});
    QCOMPARE(toStdout.status, 0);
    QCOMPARE(toStdout.out, kKnownCsv);
    QVERIFY(toStdout.err.contains("1 unreadable lines"));

    const QString output = folder.filePath(QStringLiteral("out.csv"));
    const Outcome toFile = runTool({QStringLiteral("export"), QStringLiteral("--folder"),
                                    folder.path(), QStringLiteral("--output"), output});
    QCOMPARE(toFile.status, 0);
    QVERIFY(toFile.out.isEmpty());
    QCOMPARE(folder.read(QStringLiteral("out.csv")), kKnownCsv);

    // No database file: the header alone.
    TestFolder empty;
    const Outcome none =
        runTool({QStringLiteral("export"), QStringLiteral("--folder"), empty.path()});
    QCOMPARE(none.status, 0);
    QCOMPARE(none.out, kHeader);
    QVERIFY(!QFile::exists(empty.filePath(QStringLiteral("Roamlog.ppd"))));
}

void CliToolTest::importAddsRecordsByHeader()
{
    TestFolder source;
    QVERIFY(source.write(QStringLiteral("Roamlog.ppd"), knownDatabase()));
    QVERIFY(source.write(QStringLiteral("all.csv"), kKnownCsv));

    // Round trip: the export imported into an empty folder exports the same.
    TestFolder target;
    const Outcome first =
        runTool({QStringLiteral("import"), source.filePath(QStringLiteral("all.csv")),
                 QStringLiteral("--folder"), target.path()});
    QCOMPARE(first.status, 0);
    QVERIFY(first.err.isEmpty());
    QVERIFY(!QFile::exists(target.filePath(QStringLiteral("Roamlog.bak"))));
    // The second record has no Date Modified: the import gave it one.
    const Outcome again =
        runTool({QStringLiteral("export"), QStringLiteral("--folder"), target.path()});
    const QByteArray firstRows = kKnownCsv.left(kKnownCsv.indexOf("Plain,"));
    QCOMPARE(again.out.left(firstRows.size()), firstRows);
    const QRegularExpression stamped(
        QStringLiteral("^Plain,Ok,{21}\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d,\r\n$"));
    QVERIFY2(stamped.match(QString::fromUtf8(again.out.mid(firstRows.size()))).hasMatch(),
             again.out.mid(firstRows.size()).constData());

    // Columns in another order and with another letter case, some missing, a byte order mark,
    // LF row ends, a quoted line break and an empty line; an empty Date Modified becomes now.
    const QByteArray before = target.read(QStringLiteral("Roamlog.ppd"));
    QVERIFY(target.write(QStringLiteral("more.csv"),
                         "\xEF\xBB\xBF"
                         "city, PLACE ,Comments,date modified\n"
                         "Paris,\"Le \"\"Bon\"\" caf\xC3\xA9\",\"two\nlines\",\n"
                         "\n"
                         "Rome,Trattoria\n"));
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
    const Outcome more =
        runTool({QStringLiteral("import"), target.filePath(QStringLiteral("more.csv")),
                 QStringLiteral("--folder"), target.path()});
    const QDateTime end = QDateTime::currentDateTime().addSecs(1);
    QCOMPARE(more.status, 0);
    QCOMPARE(target.read(QStringLiteral("Roamlog.bak")), before);

    const RecordStore store = loaded(target);
    QCOMPARE(store.rowCount(), 4);
    QCOMPARE(store.row(0).field(RecordColumns::Place), QStringLiteral("Caf\u00E9, Zur"));
    QCOMPARE(store.row(2).field(RecordColumns::Place), QStringLiteral("Le \"Bon\" caf\u00E9"));
    QCOMPARE(store.row(2).field(RecordColumns::City), QStringLiteral("Paris"));
    QCOMPARE(store.row(2).field(RecordColumns::Comments), QStringLiteral("two\nlines"));
    QCOMPARE(store.row(3).field(RecordColumns::Place), QStringLiteral("Trattoria"));
    QCOMPARE(store.row(3).field(RecordColumns::Comments), QString());
    QCOMPARE(store.row(3).field(RecordColumns::UploadMark), QString());
    for (int row = 2; row < 4; ++row) {
        const QString stamp = store.row(row).field(RecordColumns::DateModified);
        const QDateTime when = QDateTime::fromString(stamp, QStringLiteral("MM-dd-yyyy hh:mm:ss"));
        QVERIFY2(when >= start && when <= end, qPrintable(stamp));
    }
}

void CliToolTest::importRefusesRowsThatCannotBeStored_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("fullTable");
    QTest::addColumn<QByteArray>("message");

    const QByteArray head = "Place,Type,Comments\r\nGood row,Hotel,fine\r\n";
    QTest::newRow("empty place") << head + ",Hotel,x\r\n"
                                 << false << QByteArray("row 3, column Place:");
    QTest::newRow("separator") << head + "Inn,Ho|tel,x\r\n"
                               << false << QByteArray("row 3, column Type:");
    QTest::newRow("outside Windows-1252") << head + "Inn,Hotel,snow \xE2\x98\x83\r\n"
                                          << false << QByteArray("row 3, column Comments:");
    QTest::newRow("line too long") << head + "Inn,Hotel," + QByteArray(16400, 'x') + "\r\n"
                                   << false << QByteArray("row 3, column Comments:");
    QTest::newRow("unknown header") << QByteArray("Place,Colour\r\nInn,red\r\n") << false
                                    << QByteArray("row 1, column Colour:");
    QTest::newRow("quote left open") << head + "Inn,\"Hotel\r\n"
                                     << false << QByteArray("row 3, column Type:");
    QTest::newRow("not UTF-8") << head + "Inn,Hotel,\xFF\r\n"
                               << false << QByteArray("row 3, column Comments:");
    QTest::newRow("table full") << QByteArray("Place\r\nOne more\r\n") << true
                                << QByteArray("row 2:");
}

void CliToolTest::importRefusesRowsThatCannotBeStored()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, fullTable);
    QFETCH(QByteArray, message);

    TestFolder folder;
    QByteArray database = knownDatabase();
    if (fullTable) {
        const QByteArray line = encoded(storedLine({{0, "x"}}));
        database = line.repeated(RecordTable::MaxRows);
    }
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), database));
    QVERIFY(folder.write(QStringLiteral("in.csv"), csv));

    const Outcome outcome =
        runTool({QStringLiteral("import"), folder.filePath(QStringLiteral("in.csv")),
                 QStringLiteral("--folder"), folder.path()});
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.contains(message), outcome.err.constData());
    QVERIFY(outcome.err.contains("nothing was imported"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), database);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("Roamlog.bak"))));
}

void CliToolTest::checkCountsRecordsAndUnreadableLines()
{
    TestFolder folder;
    const QStringList check = {QStringLiteral("check"), QStringLiteral("--folder"), folder.path()};

    const Outcome none = runTool(check);
    QCOMPARE(none.status, 0);
    QCOMPARE(none.out.trimmed(), QByteArray("0 records, 0 unreadable lines, 0 incomplete records"));

    // Not hexadecimal, and hexadecimal without a field; empty lines are no lines at all.
    const QByteArray damaged = knownDatabase() + "\r\n\r\n" + encoded("no separator here");
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), damaged));
    const Outcome counted = runTool(check);
    QCOMPARE(counted.status, 1);
    QCOMPARE(counted.out.trimmed(), QByteArray("2 records, 2 unreadable lines, 1 incomplete records"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), damaged);

    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"),
                         encoded(storedLine({{0, "A"}})) + encoded(storedLine({{0, "B"}}))));
    const Outcome clean = runTool(check);
    QCOMPARE(clean.status, 0);
    QCOMPARE(clean.out.trimmed(), QByteArray("2 records, 0 unreadable lines, 0 incomplete records"));
}

// A record whose line ends before its 24th field, as a cut-off append leaves it, is counted
// and makes check fail, whatever the line ends; the file stays as it is.
void CliToolTest::checkCountsIncompleteRecords_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("counts");
    QTest::addColumn<int>("status");
    const QByteArray whole = encoded(storedLine({{0, "Inn"}, {3, "Quiet"}}));
    const QByteArray torn = whole.first(40); // cut off in the Comments field
    QTest::newRow("whole") << whole + whole << QByteArray("2 records, 0 unreadable lines, 0 incomplete records") << 0;
    QTest::newRow("torn last") << whole + torn << QByteArray("2 records, 0 unreadable lines, 1 incomplete records") << 1;
    QTest::newRow("torn, CR only") << torn + '\r' + whole.chopped(2) + '\r'
                                   << QByteArray("2 records, 0 unreadable lines, 1 incomplete records") << 1;
    QTest::newRow("byte-order mark, LF only")
        << "\xEF\xBB\xBF" + whole.chopped(2) + '\n' + whole.chopped(2) + '\n'
        << QByteArray("2 records, 0 unreadable lines, 0 incomplete records") << 0;
}

void CliToolTest::checkCountsIncompleteRecords()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, counts);
    QFETCH(int, status);
    TestFolder folder;
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), content));
    const Outcome outcome = runTool({QStringLiteral("check"), QStringLiteral("--folder"), folder.path()});
    QCOMPARE(outcome.out.trimmed(), counts);
    QCOMPARE(outcome.status, status);
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), content);
}

// An import that the disk cannot take (here a file size limit) fails with the system's reason
// and a non-zero status, and leaves the database as it was: no line cut short.
void CliToolTest::importThatCannotBeWrittenFails()
{
    if (!LimitedProcess::supported())
        QSKIP("file size limits need POSIX");
    TestFolder folder;
    const QByteArray database = encoded(storedLine({{0, "Inn"}}));
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), database));
    QVERIFY(folder.write(QStringLiteral("long.csv"),
                         kHeader + "Long," + QByteArray(",,", 2) + QByteArray(8000, 'x') +
                             QByteArray(20, ',') + "\r\n"));
    const LimitedProcess::Outcome outcome = LimitedProcess::run(
        QStringLiteral(ROAMLOG_CLI_PATH),
        {QStringLiteral("import"), folder.filePath(QStringLiteral("long.csv")),
         QStringLiteral("--folder"), folder.path()},
        database.size() + 2000);
    QVERIFY(outcome.finished);
    QCOMPARE(outcome.status, 3);
    QVERIFY2(outcome.err.contains(qt_error_string(EFBIG).toUtf8()), outcome.err.constData());
    QVERIFY(outcome.err.contains("nothing was imported"));
    QVERIFY(!outcome.out.contains("imported"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), database);

    // The same import with room enough stores the row.
    const LimitedProcess::Outcome roomy = LimitedProcess::run(
        QStringLiteral(ROAMLOG_CLI_PATH),
        {QStringLiteral("import"), folder.filePath(QStringLiteral("long.csv")),
         QStringLiteral("--folder"), folder.path()},
        database.size() + 100000);
    QCOMPARE(roomy.status, 0);
    QCOMPARE(loaded(folder).row(1).field(RecordColumns::Comments), QString(8000, u'x'));
}

void CliToolTest::missingFoldersFilesAndBadCommandLines()
{
    TestFolder folder;
    const QString missing = folder.filePath(QStringLiteral("no such folder"));
    const QList<QStringList> fileErrors = {
        {QStringLiteral("check"), QStringLiteral("--folder"), missing},
        {QStringLiteral("export"), QStringLiteral("--folder"), missing},
        {QStringLiteral("import"), folder.filePath(QStringLiteral("x.csv")),
         QStringLiteral("--folder"), missing},
        {QStringLiteral("import"), folder.filePath(QStringLiteral("absent.csv")),
         QStringLiteral("--folder"), folder.path()},
        {QStringLiteral("export"), QStringLiteral("--folder"), folder.path(),
         QStringLiteral("--output"), missing + QStringLiteral("/out.csv")},
    };
    for (const QStringList& arguments : fileErrors) {
        const Outcome outcome = runTool(arguments);
        QCOMPARE(outcome.status, 3);
        QCOMPARE(outcome.err.count('\n'), 1);
        QVERIFY(outcome.out.isEmpty());
    }
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("Roamlog.ppd"))));

    const QList<QStringList> usageErrors = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("import")},
        {QStringLiteral("check"), QStringLiteral("--output"), QStringLiteral("x.csv")},
        {QStringLiteral("check"), QStringLiteral("--bogus")},
        {QStringLiteral("check"), QStringLiteral("extra")},
        {QStringLiteral("map"), QStringLiteral("--output"), QStringLiteral("map.jpg")},
        {QStringLiteral("map"), QStringLiteral("--output"), QStringLiteral("m.svg"), QStringLiteral("--width"), QStringLiteral("9")},
        {QStringLiteral("stats"), QStringLiteral("--width"), QStringLiteral("400")},
    };
    for (const QStringList& arguments : usageErrors) {
        const Outcome outcome = runTool(arguments);
        QCOMPARE(outcome.status, 64);
        QCOMPARE(outcome.err.count('\n'), 1);
    }
    const Outcome help = runTool({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains("64"));
}

void CliToolTest::defaultFolderIsTheToolsOwn()
{
    TestFolder folder;
    const QString copy = folder.filePath(QFileInfo(QStringLiteral(ROAMLOG_CLI_PATH)).fileName());
    QVERIFY(QFile::copy(QStringLiteral(ROAMLOG_CLI_PATH), copy));
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), knownDatabase()));

    const Outcome outcome = runTool({QStringLiteral("check")}, copy);
    QCOMPARE(outcome.status, 1);
    QCOMPARE(outcome.out.trimmed(), QByteArray("2 records, 1 unreadable lines, 1 incomplete records"));
}

// Every field must be UTF-8 text without a NUL: anything else is refused with its row and
// column, the whole message is printed, and the folder is left as it was.
void CliToolTest::importRefusesBytesThatAreNotText_data()
{
    using namespace Qt::Literals::StringLiterals;
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QByteArray>("message");

    const QByteArray head = "Place,City\r\nGood row,Rome\r\n";
    const QByteArray atCity = "row 3, column City: the text is not UTF-8";
    const QByteArray atPlace = "row 3, column Place: the text is not UTF-8";
    QTest::newRow("Latin-1 letter ending a field") << head + "Caf\xE9,Paris\r\n" << atPlace;
    QTest::newRow("Latin-1 letter ending the file") << head + "Inn,Z\xFC" << atCity;
    QTest::newRow("Latin-1 letter inside a field") << head + "Inn,Z\xFCrich\r\n" << atCity;
    QTest::newRow("sequence cut short before a quote")
        << head + "\"Caf\xC3\",Paris\r\n" << atPlace;
    QTest::newRow("three-byte sequence cut short") << head + "Inn,snow \xE2\x98\r\n" << atCity;
    QTest::newRow("continuation byte alone") << head + "Inn,\x80\r\n" << atCity;
    QTest::newRow("overlong slash") << head + "Inn,\xC0\xAF\r\n" << atCity;
    QTest::newRow("surrogate") << head + "Inn,\xED\xA0\x80\r\n" << atCity;
    QTest::newRow("beyond U+10FFFF") << head + "Inn,\xF4\x90\x80\x80\r\n" << atCity;
    QTest::newRow("NUL in a field")
        << head + "Inn,Ro\0me\r\n"_ba << QByteArray("row 3, column City: the field holds a NUL");
    QTest::newRow("NUL in the header") << "Place,Ci\0ty\r\nInn,Rome\r\n"_ba
                                       << QByteArray("row 1: field 2: the field holds a NUL");
}

void CliToolTest::importRefusesBytesThatAreNotText()
{
    QFETCH(QByteArray, csv);
    QFETCH(QByteArray, message);

    TestFolder folder;
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"), knownDatabase()));
    QVERIFY(folder.write(QStringLiteral("in.csv"), csv));
    const Outcome outcome =
        runTool({QStringLiteral("import"), folder.filePath(QStringLiteral("in.csv")),
                 QStringLiteral("--folder"), folder.path()});
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.contains(message), outcome.err.constData());
    QVERIFY(!outcome.err.contains('\0'));
    QCOMPARE(outcome.err.count('\n'), 2); // the refusal, then "nothing was imported"
    QVERIFY(outcome.err.endsWith("nothing was imported\n"));
    QCOMPARE(folder.read(QStringLiteral("Roamlog.ppd")), knownDatabase());
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("Roamlog.bak"))));
}

// The figures as JSON, and the map as SVG and as a PNG of the width asked for.
void CliToolTest::statsAndMapOfTheRecords()
{
    TestFolder folder;
    QVERIFY(folder.write(QStringLiteral("Roamlog.ppd"),
                         encoded(storedLine({{0, "A"}, {8, "france"}, {10, "Paris"}, {19, "2020-05-01"}})) +
                             encoded(storedLine({{0, "B"}, {8, "Atlantis"}}))));
    const Outcome stats = runTool({QStringLiteral("stats"), QStringLiteral("--json"), QStringLiteral("--folder"), folder.path()});
    QCOMPARE(stats.status, 0);
    const QJsonObject figures = QJsonDocument::fromJson(stats.out).object();
    const QJsonObject france = figures[u"countries"].toArray().at(0).toObject();
    QCOMPARE(france[u"code"].toString() + france[u"first_visit"].toString(), QStringLiteral("FR2020-05-01"));
    QCOMPARE(figures[u"not_on_map"].toArray().at(0).toObject()[u"country"].toString(), QStringLiteral("Atlantis"));

    const auto map = [&](const QString& name) {
        return runTool({QStringLiteral("map"), QStringLiteral("--folder"), folder.path(), QStringLiteral("--output"),
                        folder.filePath(name), QStringLiteral("--width"), QStringLiteral("400")}).status;
    };
    QCOMPARE(map(QStringLiteral("map.svg")), 0);
    QVERIFY(folder.read(QStringLiteral("map.svg")).contains("<path id=\"FR\" class=\"visited\""));
    QVERIFY(folder.read(QStringLiteral("map.svg")).contains("<title>France: 1 record</title>"));
    QCOMPARE(map(QStringLiteral("map.png")), 0);
    const QByteArray png = folder.read(QStringLiteral("map.png"));
    QVERIFY(png.startsWith("\x89PNG"));
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 400u); // the width in the IHDR chunk
}

QTEST_GUILESS_MAIN(CliToolTest)
#include "CliToolTest.moc"
