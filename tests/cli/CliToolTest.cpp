#include "LimitedProcess.h"
#include "TestFolder.h"

#include "store/LineCodec.h"
#include "store/RecordStore.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

const QString kCli = QStringLiteral(ROAMLOG_CLI_PATH);

struct Outcome
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Outcome collect(QProcess& process)
{
    Outcome outcome;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Outcome runTool(const QStringList& arguments, const QString& program = kCli)
{
    QProcess process;
    process.start(program, arguments);
    return collect(process);
}

Outcome import(const TestFolder& folder, const QString& csv)
{
    return runTool({u"import"_s, folder.filePath(csv), u"--folder"_s, folder.path()});
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

// A database with a rewritten line (Windows-1252 "é", a comma, quotes, line breaks, and
// fields that a spreadsheet would run as formulas), a damaged line and a short appended line.
QByteArray knownDatabase()
{
    const QByteArray first =
        storedLine({{0, "Caf\xE9, Zur"}, {1, "Good"}, {2, "Restaurant"}, {3, "Say \"hi\""}, {4, "\rx"}, {9, "+44"},
                    {11, "1 Main St\r\nBack door"}, {12, "=HYPERLINK(\"x\")"}, {15, "@home"}, {17, "-5"},
                    {19, "\tx"}, {20, "'=y"}, {21, "'plain"}, {22, "03-07-2006 09:05:07"}, {23, "*"}});
    return encoded(first + "\r\n") + "ZZ\r\n" + encoded("Plain|Ok|");
}

const QByteArray kKnownCsv =
    kHeader +
    "\"Caf\xC3\xA9, Zur\",Good,Restaurant,\"Say \"\"hi\"\"\",\"'\rx\",,,,,'+44,,\"1 Main St\r\nBack door\","
    "\"'=HYPERLINK(\"\"x\"\")\",,,'@home,,'-5,,'\tx,''=y,''plain,03-07-2006 09:05:07,*\r\n"
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
    void exportWritesExactCsv()
    {
        TestFolder folder;
        QVERIFY(folder.write(u"Roamlog.ppd"_s, knownDatabase() + encoded(storedLine({{0, "Long"}}) + "extra|")));
        const Outcome toStdout = runTool({u"export"_s, u"--folder"_s, folder.path()});
        QVERIFY(toStdout.status == 0 && toStdout.out == kKnownCsv + "Long" + QByteArray(23, ',') + "\r\n");
        QVERIFY(toStdout.err.contains("1 unreadable lines") && toStdout.err.contains("1 records hold fields beyond the 24th"));

        const Outcome toFile = runTool({u"export"_s, u"--folder"_s, folder.path(), u"--output"_s, folder.filePath(u"out.csv"_s)});
        QVERIFY(toFile.status == 0 && toFile.out.isEmpty() && folder.read(u"out.csv"_s) == toStdout.out);

        TestFolder empty; // no database file: the header alone, and no file made
        QCOMPARE(runTool({u"export"_s, u"--folder"_s, empty.path()}).out, kHeader);
        QVERIFY(!QFile::exists(empty.filePath(u"Roamlog.ppd"_s)));
    }

    void importAddsRecordsByHeader()
    {
        TestFolder target;
        // The user's own copies beside the log are not the tool's to remove.
        const QStringList copies{u"Roamlog.ppd.backup"_s, u"Roamlog.ppd.241231"_s, u"Roamlog.bak.copy01"_s};
        for (const QString& copy : copies)
            QVERIFY(target.write(copy, "mine"));
        // Round trip: the export imported into an empty folder exports the same; the second
        // record has no Date Modified, so the import gave it one.
        QVERIFY(target.write(u"all.csv"_s, kKnownCsv));
        const Outcome first = import(target, u"all.csv"_s);
        QVERIFY(first.status == 0 && first.err.isEmpty() && !QFile::exists(target.filePath(u"Roamlog.bak"_s)));
        const QByteArray again = runTool({u"export"_s, u"--folder"_s, target.path()}).out;
        const qsizetype firstRows = kKnownCsv.indexOf("Plain,");
        QCOMPARE(again.left(firstRows), kKnownCsv.left(firstRows));
        const QRegularExpression stamped(u"^Plain,Ok,{21}\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d,\r\n$"_s);
        QVERIFY2(stamped.match(QString::fromUtf8(again.mid(firstRows))).hasMatch(), again.mid(firstRows).constData());

        // Columns in another order and letter case, some missing, a byte order mark, LF row
        // ends, a quoted line break and an empty line; an empty Date Modified becomes now; an
        // apostrophe that marks no formula stays.
        const QByteArray before = target.read(u"Roamlog.ppd"_s);
        QVERIFY(target.write(u"more.csv"_s, "\xEF\xBB\xBF"
                                            "city, PLACE ,Comments,date modified\n"
                                            "Paris,\"Le \"\"Bon\"\" caf\xC3\xA9\",\"two\nlines\",\n"
                                            "\n"
                                            "Rome,Trattoria,'quoted\n"));
        const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
        const Outcome more = import(target, u"more.csv"_s);
        QVERIFY(more.status == 0 && target.read(u"Roamlog.bak"_s) == before);
        QCOMPARE(more.out, QByteArray("2 records imported\n")); // the rows added, not all
        const QDateTime end = QDateTime::currentDateTime().addSecs(1);
        const RecordStore store = loaded(target);
        QCOMPARE(store.rowCount(), 4);
        QCOMPARE(store.row(2).RowToLine().left(38), u"Le \"Bon\" caf\u00E9|||two\nlines|||||||Paris|"_s);
        QCOMPARE(store.row(3).RowToLine().left(33), u"Trattoria|||'quoted|||||||Rome|||"_s);
        for (int row = 2; row < 4; ++row) {
            const QString stamp = store.row(row).field(RecordColumns::DateModified);
            const QDateTime when = QDateTime::fromString(stamp, u"MM-dd-yyyy hh:mm:ss"_s);
            QVERIFY2(when >= start && when <= end, qPrintable(stamp));
        }
        for (const QString& copy : copies)
            QVERIFY2(QFile::exists(target.filePath(copy)), qPrintable(copy));
    }

    // Every row is checked first: one that cannot be stored is reported with its row and
    // column, and nothing is written.
    void importRefusesRows_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("message");
        const QByteArray head = "Place,Type,City\r\nGood row,Hotel,Rome\r\n";
        const QByteArray notUtf8 = "row 3, column City: the text is not UTF-8";
        QTest::newRow("empty place") << head + ",Hotel,x\r\n" << QByteArray("row 3, column Place:");
        QTest::newRow("separator") << head + "Inn,Ho|tel,x\r\n" << QByteArray("row 3, column Type:");
        QTest::newRow("line too long") << head + "Inn,Hotel," + QByteArray(16400, 'x') + "\r\n" << QByteArray("row 3, column City:");
        QTest::newRow("unknown header") << QByteArray("Place,Colour\r\nInn,red\r\n") << QByteArray("row 1, column Colour:");
        QTest::newRow("more fields than the header") << head + "Inn,Hotel,Rome,x\r\n" << QByteArray("row 3: the row has 4 fields, the header only 3");
        QTest::newRow("quote left open") << head + "Inn,\"Hotel\r\n" << QByteArray("row 3, column Type:");
        QTest::newRow("Latin-1 letter ending the file") << head + "Inn,Inn,Z\xFC" << notUtf8;
        QTest::newRow("sequence cut short before a quote") << head + "Inn,Inn,\"Caf\xC3\"\r\n" << notUtf8;
        QTest::newRow("NUL in a field") << head + "Inn,Inn,Ro\0me\r\n"_ba << QByteArray("row 3, column City: the field holds a NUL");
        QTest::newRow("NUL in the header") << "Place,Ci\0ty\r\nInn,Rome\r\n"_ba << QByteArray("row 1: field 2: the field holds a NUL");
        QTest::newRow("UTF-16") << "\xFF\xFEP\0l\0a\0c\0e\0\r\0\n\0"_ba << QByteArray("row 1: the file is UTF-16");
        QTest::newRow("UTF-16 without mark") << "P\0l\0a\0c\0e\0\r\0\n\0"_ba << QByteArray("row 1: the file is UTF-16");
        QTest::newRow("table full") << QByteArray("Place\r\nOne more\r\n") << QByteArray("row 2: the travel log is full");
    }
    void importRefusesRows()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, message);
        TestFolder folder;
        const bool full = QByteArray(QTest::currentDataTag()) == "table full";
        const QByteArray database = full ? encoded(storedLine({{0, "x"}})).repeated(RecordTable::MaxRows) : knownDatabase();
        QVERIFY(folder.write(u"Roamlog.ppd"_s, database) && folder.write(u"in.csv"_s, csv));
        const Outcome outcome = import(folder, u"in.csv"_s);
        QVERIFY2(outcome.status == 2 && outcome.err.contains(message) && !outcome.err.contains('\0'), outcome.err.constData());
        // The refusal, then "nothing was imported".
        QVERIFY(outcome.err.count('\n') == 2 && outcome.err.endsWith("nothing was imported\n"));
        QVERIFY(folder.read(u"Roamlog.ppd"_s) == database && !QFile::exists(folder.filePath(u"Roamlog.bak"_s)));
    }

    // check prints the counts of the store's reading and fails when a line cannot be read
    // whole; the file stays as it is.
    void checkCounts()
    {
        TestFolder folder;
        const QStringList check{u"check"_s, u"--folder"_s, folder.path()};
        const Outcome none = runTool(check);
        QVERIFY(none.status == 0 && none.out.trimmed() == "0 records, 0 unreadable lines, 0 incomplete records");
        const QByteArray damaged = knownDatabase() + "\r\n\r\n" + encoded("no separator here");
        QVERIFY(folder.write(u"Roamlog.ppd"_s, damaged));
        const Outcome counted = runTool(check);
        QVERIFY(counted.status == 1 && counted.out.trimmed() == "2 records, 2 unreadable lines, 1 incomplete records");
        QCOMPARE(folder.read(u"Roamlog.ppd"_s), damaged);
    }

    // A log that is a link leading nowhere cannot be read: check and import say why and fail,
    // and the import puts no file in the link's place.
    void linkThatLeadsNowhereIsNotRead()
    {
        TestFolder folder;
        QVERIFY(QFile::link(u"nowhere"_s, folder.filePath(u"Roamlog.ppd"_s)) && folder.write(u"in.csv"_s, "Place\r\nInn\r\n"));
        for (const Outcome& outcome : {runTool({u"check"_s, u"--folder"_s, folder.path()}), import(folder, u"in.csv"_s)})
            QVERIFY2(outcome.status == 3 && outcome.out.isEmpty() && outcome.err.contains("Roamlog.ppd") &&
                         outcome.err.contains(qt_error_string(ENOENT).toUtf8()), outcome.err.constData());
        QVERIFY(QFileInfo(folder.filePath(u"Roamlog.ppd"_s)).isSymLink());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System).size(), 2);
    }

    // An import that the disk cannot take (a file size limit, whose signal the tool ignores), or
    // whose backup cannot be made, fails with the reason and says that the file holds what it
    // held; with room enough the same import stores the row.
    void importThatCannotBeWrittenChangesNothing_data()
    {
        QTest::addColumn<bool>("sizeLimit");
        QTest::newRow("file size limit") << true;
        QTest::newRow("backup cannot be made") << false;
    }
    void importThatCannotBeWrittenChangesNothing()
    {
        QFETCH(bool, sizeLimit);
        if (sizeLimit && !LimitedProcess::supported())
            QSKIP("file size limits need POSIX");
        TestFolder folder;
        const QByteArray database = encoded(storedLine({{0, "Inn"}}));
        QVERIFY(folder.write(u"Roamlog.ppd"_s, database) && folder.write(u"long.csv"_s, "Place,Comments\r\nLong," + QByteArray(8000, 'x') + "\r\n"));
        const QStringList arguments{u"import"_s, folder.filePath(u"long.csv"_s), u"--folder"_s, folder.path()};
        QVERIFY(sizeLimit || QDir(folder.path()).mkdir(u"Roamlog.bak"_s));
        const LimitedProcess::Outcome outcome = LimitedProcess::run(kCli, arguments, sizeLimit ? database.size() + 2000 : 1 << 30);
        QVERIFY2(outcome.finished && outcome.status == 3, outcome.err.constData());
        const QByteArray why = sizeLimit ? qt_error_string(EFBIG).toUtf8() : "Roamlog.bak";
        QVERIFY2(outcome.err.contains(why) && outcome.err.contains("nothing was imported") &&
                     outcome.err.contains("Roamlog.ppd holds the 1 records it held before"),
                 outcome.err.constData());
        QVERIFY(!outcome.out.contains("imported") && folder.read(u"Roamlog.ppd"_s) == database);

        QVERIFY(sizeLimit || QDir(folder.path()).rmdir(u"Roamlog.bak"_s));
        QCOMPARE(LimitedProcess::run(kCli, arguments, database.size() + 100000).status, 0);
        QCOMPARE(loaded(folder).row(1).field(RecordColumns::Comments), QString(8000, u'x'));
    }

    // Imports into one folder take turns: two at once keep every row. (One that cannot have the
    // folder in time, as while the program is open, writes nothing: the shared folder's test.)
    void importsTakeTurns()
    {
        TestFolder folder;
        QByteArray csv = "Place\r\n";
        for (int i = 0; i < 5000; ++i)
            csv += "Place " + QByteArray::number(i) + "\r\n";
        QVERIFY(folder.write(u"in.csv"_s, csv));
        const QStringList arguments{u"import"_s, folder.filePath(u"in.csv"_s), u"--folder"_s, folder.path()};
        QProcess first, second;
        first.start(kCli, arguments);
        second.start(kCli, arguments);
        QVERIFY(collect(first).status == 0 && collect(second).status == 0);
        QCOMPARE(loaded(folder).rowCount(), 10000);
    }

    void missingFoldersFilesAndBadCommandLines_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "MISSING" and "FOLDER" stand for folders
        QTest::addColumn<int>("status");
        QTest::newRow("check, no folder") << QStringList{u"check"_s, u"--folder"_s, u"MISSING"_s} << 3;
        QTest::newRow("export, no folder") << QStringList{u"export"_s, u"--folder"_s, u"MISSING"_s} << 3;
        QTest::newRow("import, no folder") << QStringList{u"import"_s, u"FOLDER/x.csv"_s, u"--folder"_s, u"MISSING"_s} << 3;
        QTest::newRow("import, no file") << QStringList{u"import"_s, u"FOLDER/x.csv"_s, u"--folder"_s, u"FOLDER"_s} << 3;
        QTest::newRow("export, no output folder")
            << QStringList{u"export"_s, u"--folder"_s, u"FOLDER"_s, u"--output"_s, u"MISSING/out.csv"_s} << 3;
        QTest::newRow("no command") << QStringList{} << 64;
        QTest::newRow("unknown command") << QStringList{u"frobnicate"_s} << 64;
        QTest::newRow("import without file") << QStringList{u"import"_s} << 64;
        QTest::newRow("output of check") << QStringList{u"check"_s, u"--output"_s, u"x.csv"_s} << 64;
        QTest::newRow("unknown option") << QStringList{u"check"_s, u"--bogus"_s} << 64;
        QTest::newRow("extra word") << QStringList{u"check"_s, u"extra"_s} << 64;
        QTest::newRow("map, not an image") << QStringList{u"map"_s, u"--output"_s, u"map.jpg"_s} << 64;
        QTest::newRow("map, too narrow") << QStringList{u"map"_s, u"--output"_s, u"m.svg"_s, u"--width"_s, u"9"_s} << 64;
        QTest::newRow("width of stats") << QStringList{u"stats"_s, u"--width"_s, u"400"_s} << 64;
    }
    void missingFoldersFilesAndBadCommandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        TestFolder folder;
        arguments.replaceInStrings(u"MISSING"_s, folder.filePath(u"no such folder"_s)).replaceInStrings(u"FOLDER"_s, folder.path());
        const Outcome outcome = runTool(arguments);
        QVERIFY(outcome.status == status && outcome.err.count('\n') == 1 && outcome.out.isEmpty());
        QVERIFY(!QFile::exists(folder.filePath(u"Roamlog.ppd"_s)));
    }

    void defaultFolderIsTheToolsOwn()
    {
        TestFolder folder;
        const QString copy = folder.filePath(QFileInfo(kCli).fileName());
        QVERIFY(QFile::copy(kCli, copy) && folder.write(u"Roamlog.ppd"_s, knownDatabase()));
        const Outcome outcome = runTool({u"check"_s}, copy);
        QVERIFY(outcome.status == 1 && outcome.out.trimmed() == "2 records, 1 unreadable lines, 1 incomplete records");
        const Outcome help = runTool({u"--help"_s});
        QVERIFY(help.status == 0 && help.out.contains("64") && help.out.contains("in use by another program"));
    }

    // The figures as JSON, and the map as SVG and as a PNG of the width asked for.
    void statsAndMapOfTheRecords()
    {
        TestFolder folder;
        QVERIFY(folder.write(u"Roamlog.ppd"_s, encoded(storedLine({{0, "A"}, {8, "france"}, {10, "Paris"}, {19, "2020-05-01"}})) +
                                                   encoded(storedLine({{0, "B"}, {8, "Atlantis"}}))));
        const QJsonObject figures = QJsonDocument::fromJson(runTool({u"stats"_s, u"--json"_s, u"--folder"_s, folder.path()}).out).object();
        const QJsonObject france = figures[u"countries"].toArray().at(0).toObject();
        QCOMPARE(france[u"code"].toString() + france[u"first_visit"].toString(), u"FR2020-05-01"_s);
        QCOMPARE(figures[u"not_on_map"].toArray().at(0).toObject()[u"country"].toString(), u"Atlantis"_s);

        const auto map = [&](const QString& name) {
            return runTool({u"map"_s, u"--folder"_s, folder.path(), u"--output"_s, folder.filePath(name), u"--width"_s, u"400"_s}).status;
        };
        QVERIFY(map(u"map.svg"_s) == 0 && map(u"map.png"_s) == 0);
        const QByteArray svg = folder.read(u"map.svg"_s);
        QVERIFY(svg.contains("<path id=\"FR\" class=\"visited\"") && svg.contains("<title>France: 1 record</title>"));
        const QByteArray png = folder.read(u"map.png"_s);
        QVERIFY(png.startsWith("\x89PNG"));
        QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 400u); // the width in the IHDR chunk
    }
};

QTEST_GUILESS_MAIN(CliToolTest)
#include "CliToolTest.moc"
