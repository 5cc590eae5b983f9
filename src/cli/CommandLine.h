#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct Invocation
{
    enum class Command
    {
        Help,
        Version,
        Export,
        Import,
        Check
    };

    Command command = Command::Help;
    QString folder; // the data folder holding Roamlog.ppd
    QString output; // export: the CSV file to write; empty for standard output
    QString input;  // import: the CSV file to read
};

// Reads the command line of roamlog-cli.
class CommandLine
{
public:
    // Parses the arguments (the program name first). A folder not given is defaultFolder.
    // On a mistake returns nullopt and sets *error.
    static std::optional<Invocation> parse(const QStringList& arguments,
                                           const QString& defaultFolder, QString* error);

    static QString helpText();
};
