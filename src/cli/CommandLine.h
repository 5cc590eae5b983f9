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
        Check,
        Stats,
        Map
    };

    Command command = Command::Help;
    QString folder; // the data folder holding Roamlog.ppd
    QString output; // export: the CSV file to write, empty for standard output; map: the map file
    QString input;  // import: the CSV file to read
    bool json = false; // stats: as JSON
    int width = 0;     // map: the picture's width in pixels
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
