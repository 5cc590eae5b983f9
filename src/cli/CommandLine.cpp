#include "CommandLine.h"

#include "ExitStatus.h"
#include "MapCommand.h"

#include "atlas/image/MapImage.h"

#include <QCommandLineParser>

QString CommandLine::helpText()
{
    return QStringLiteral(
               "Usage: roamlog-cli COMMAND [OPTIONS]\n"
               "\n"
               "Works on the travel log Roamlog.ppd in the data folder of Roamlog@.\n"
               "\n"
               "Commands:\n"
               "  export [--folder DIR] [--output FILE]\n"
               "      Writes the records as CSV (RFC 4180, UTF-8, a header row, rows in file\n"
               "      order) to FILE, or to standard output when no file is given.\n"
               "  import FILE [--folder DIR]\n"
               "      Adds the records of the CSV file FILE. Its header row names the columns,\n"
               "      in any order; missing columns stay empty and an empty Date Modified is\n"
               "      set to now. Every row is checked first: if any cannot be stored, each\n"
               "      such row is reported by number (the header being row 1) and column, and\n"
               "      nothing is written. The previous file is kept as Roamlog.bak. While\n"
               "      the program or another import has the folder open, import waits\n"
               "      a few seconds for it, then gives up without writing.\n"
               "  check [--folder DIR]\n"
               "      Prints \"N records, M unreadable lines\".\n"
               "  stats [--folder DIR] [--json]\n"
               "      Prints the atlas's figures: per country its records, cities and first\n"
               "      and last visit; records per year, per type and per satisfaction; and the\n"
               "      countries typed that are not on the map. --json prints them as JSON.\n"
               "  map [--folder DIR] --output FILE.svg|FILE.png [--width PIXELS]\n"
               "      Draws the world map of the records, each visited country shaded by its\n"
               "      number of records, into FILE (SVG or PNG by its name); %7 pixels wide\n"
               "      unless --width gives %8 to %9.\n"
               "\n"
               "Options:\n"
               "  --folder DIR   the data folder (default: the program's: $ROAMLOG_HOME, else\n"
               "                 ~/.local/share/Fenwary/Roamlog for a program installed in the\n"
               "                 system, else the folder of roamlog-cli)\n"
               "  --output FILE  export, map: the file to write\n"
               "  -h, --help     shows this help\n"
               "  -v, --version  shows the version\n"
               "\n"
               "Exit status:\n"
               "  %1   done\n"
               "  %2   check: the file holds unreadable lines\n"
               "  %3   import: rows that cannot be stored; nothing was written\n"
               "  %4   a folder or file is missing or cannot be read or written\n"
               "  %5   import: the folder is in use by another program; nothing was written\n"
               "  %6  wrong command line\n")
        .arg(ExitStatus::Done)
        .arg(ExitStatus::UnreadableLines)
        .arg(ExitStatus::Refused)
        .arg(ExitStatus::FileError)
        .arg(ExitStatus::Busy)
        .arg(ExitStatus::Usage)
        .arg(MapCommand::kDefaultWidth)
        .arg(MapCommand::kSmallestWidth)
        .arg(MapCommand::kLargestWidth);
}

namespace {

// The options of stats and map, once the command is known: false with *error set when they
// do not fit it.
bool readAtlasOptions(const QCommandLineParser& parser, const QCommandLineOption& json,
                      const QCommandLineOption& width, Invocation& invocation, QString* error)
{
    const bool map = invocation.command == Invocation::Command::Map;
    if (parser.isSet(json) && invocation.command != Invocation::Command::Stats) {
        *error = QStringLiteral("--json belongs to stats only");
        return false;
    }
    if (parser.isSet(width) && !map) {
        *error = QStringLiteral("--width belongs to map only");
        return false;
    }
    invocation.json = parser.isSet(json);
    if (!map)
        return true;
    if (!MapImage::isMapFileName(parser.value(QStringLiteral("output")))) {
        *error = QStringLiteral("map needs --output with a file name ending in .svg or .png");
        return false;
    }
    bool ok = true;
    invocation.width = parser.isSet(width) ? parser.value(width).toInt(&ok) : MapCommand::kDefaultWidth;
    if (!ok || invocation.width < MapCommand::kSmallestWidth || invocation.width > MapCommand::kLargestWidth) {
        *error = QStringLiteral("--width needs a number of pixels from %1 to %2")
                     .arg(MapCommand::kSmallestWidth)
                     .arg(MapCommand::kLargestWidth);
        return false;
    }
    return true;
}

} // namespace

std::optional<Invocation> CommandLine::parse(const QStringList& arguments,
                                             const QString& defaultFolder, QString* error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption folderOption(QStringLiteral("folder"), QString(),
                                          QStringLiteral("DIR"));
    const QCommandLineOption outputOption(QStringLiteral("output"), QString(),
                                          QStringLiteral("FILE"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption widthOption(QStringLiteral("width"), QString(), QStringLiteral("PIXELS"));
    parser.addOptions({folderOption, outputOption, helpOption, versionOption, jsonOption, widthOption});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }

    Invocation invocation;
    if (parser.isSet(helpOption))
        return invocation;
    if (parser.isSet(versionOption)) {
        invocation.command = Invocation::Command::Version;
        return invocation;
    }

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        *error = QStringLiteral("no command given (export, import, check, stats or map)");
        return std::nullopt;
    }
    const QString& command = words.first();
    qsizetype expectedWords = 1;
    if (command == QLatin1String("export")) {
        invocation.command = Invocation::Command::Export;
    } else if (command == QLatin1String("import")) {
        invocation.command = Invocation::Command::Import;
        if (words.size() < 2) {
            *error = QStringLiteral("import needs the CSV file to read");
            return std::nullopt;
        }
        invocation.input = words[1];
        expectedWords = 2;
    } else if (command == QLatin1String("check")) {
        invocation.command = Invocation::Command::Check;
    } else if (command == QLatin1String("stats")) {
        invocation.command = Invocation::Command::Stats;
    } else if (command == QLatin1String("map")) {
        invocation.command = Invocation::Command::Map;
    } else {
        *error = QStringLiteral("unknown command \"%1\" (export, import, check, stats or map)").arg(command);
        return std::nullopt;
    }
    if (words.size() > expectedWords) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(words[expectedWords]);
        return std::nullopt;
    }
    if (parser.isSet(outputOption) && invocation.command != Invocation::Command::Export &&
        invocation.command != Invocation::Command::Map) {
        *error = QStringLiteral("--output belongs to export and map only");
        return std::nullopt;
    }
    if (!readAtlasOptions(parser, jsonOption, widthOption, invocation, error))
        return std::nullopt;
    if (parser.values(folderOption).size() > 1 || parser.values(outputOption).size() > 1 ||
        parser.values(widthOption).size() > 1) {
        *error = QStringLiteral("an option is given twice");
        return std::nullopt;
    }

    invocation.folder = parser.isSet(folderOption) ? parser.value(folderOption) : defaultFolder;
    invocation.output = parser.value(outputOption);
    if (invocation.folder.isEmpty() ||
        (parser.isSet(outputOption) && invocation.output.isEmpty())) {
        *error = QStringLiteral("an option is given an empty value");
        return std::nullopt;
    }
    return invocation;
}
