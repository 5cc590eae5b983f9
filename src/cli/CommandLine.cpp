#include "CommandLine.h"

#include "ExitStatus.h"

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
               "      nothing is written. The previous file is kept as Roamlog.bak.\n"
               "  check [--folder DIR]\n"
               "      Prints \"N records, M unreadable lines\".\n"
               "\n"
               "Options:\n"
               "  --folder DIR   the data folder (default: the program's: $ROAMLOG_HOME, else\n"
               "                 ~/.local/share/Fenwary/Roamlog for a program installed in the\n"
               "                 system, else the folder of roamlog-cli)\n"
               "  --output FILE  export: the file to write\n"
               "  -h, --help     shows this help\n"
               "  -v, --version  shows the version\n"
               "\n"
               "Exit status:\n"
               "  %1   done\n"
               "  %2   check: the file holds unreadable lines\n"
               "  %3   import: rows that cannot be stored; nothing was written\n"
               "  %4   a folder or file is missing or cannot be read or written\n"
               "  %5  wrong command line\n")
        .arg(ExitStatus::Done)
        .arg(ExitStatus::UnreadableLines)
        .arg(ExitStatus::Refused)
        .arg(ExitStatus::FileError)
        .arg(ExitStatus::Usage);
}

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
    parser.addOptions({folderOption, outputOption, helpOption, versionOption});
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
        *error = QStringLiteral("no command given (export, import or check)");
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
    } else {
        *error = QStringLiteral("unknown command \"%1\" (export, import or check)").arg(command);
        return std::nullopt;
    }
    if (words.size() > expectedWords) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(words[expectedWords]);
        return std::nullopt;
    }
    if (parser.isSet(outputOption) && invocation.command != Invocation::Command::Export) {
        *error = QStringLiteral("--output belongs to export only");
        return std::nullopt;
    }
    if (parser.values(folderOption).size() > 1 || parser.values(outputOption).size() > 1) {
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
