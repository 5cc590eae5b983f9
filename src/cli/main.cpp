#include "CheckCommand.h"
#include "CommandLine.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "StandardStreams.h"

#include "online/VersionCheck.h"
#include "settings/ProgramFolders.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {

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
    }
    return CommandResult::done();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
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
