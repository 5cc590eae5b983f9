#include "CheckCommand.h"
#include "CommandLine.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "MapCommand.h"
#include "StandardStreams.h"
#include "StatsCommand.h"

#include "online/VersionCheck.h"
#include "atlas/AtlasData.h"
#include "settings/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QDateTime>

#include <memory>

namespace {

// Where the tool finds the map data that ships with the program.
QString atlasFolder()
{
    const QString shared = ProgramFolders::forExecutable(QCoreApplication::applicationDirPath()).shared;
    return QDir(shared).filePath(QLatin1String(AtlasData::kFolder));
}

// A PNG map is drawn with fonts, which only a QGuiApplication has; the tool shows no window,
// so the offscreen platform does, with or without a display.
std::unique_ptr<QCoreApplication> applicationFor(int& argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString ignored;
    const std::optional<Invocation> wanted = CommandLine::parse(arguments, QStringLiteral("."), &ignored);
    if (!wanted || wanted->command != Invocation::Command::Map || !wanted->output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

CommandResult runCommand(const Invocation& invocation)
{
    switch (invocation.command) {
    case Invocation::Command::Help:
        StandardStreams::writeOut(CommandLine::helpText().toLocal8Bit());
        return CommandResult::done();
    case Invocation::Command::Version:
        StandardStreams::writeLine(QStringLiteral("roamlog-cli ") + VersionCheck::programVersionText());
        return CommandResult::done();
    case Invocation::Command::Export:
        return ExportCommand::run(invocation.folder, invocation.output);
    case Invocation::Command::Import:
        return ImportCommand::run(invocation.folder, invocation.input,
                                  QDateTime::currentDateTime());
    case Invocation::Command::Check:
        return CheckCommand::run(invocation.folder);
    case Invocation::Command::Stats:
        return StatsCommand::run(invocation.folder, atlasFolder(), invocation.json);
    case Invocation::Command::Map:
        return MapCommand::run(invocation.folder, atlasFolder(), invocation.output, invocation.width);
    }
    return CommandResult::done();
}

} // namespace

int main(int argc, char* argv[])
{
    const std::unique_ptr<QCoreApplication> application = applicationFor(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("roamlog-cli"));

    // The tool is installed beside the program and works on the same data folder.
    QString error;
    const std::optional<Invocation> invocation = CommandLine::parse(
        QCoreApplication::arguments(), ProgramFolders::forExecutable(QCoreApplication::applicationDirPath()).data,
        &error);
    if (!invocation) {
        StandardStreams::writeError(error + QStringLiteral(" (see roamlog-cli --help)"));
        return ExitStatus::Usage;
    }
    const CommandResult result = runCommand(*invocation);
    for (const QString& line : result.errors)
        StandardStreams::writeError(line);
    return result.status;
}
