#pragma once

#include <QByteArrayView>
#include <QString>

// Standard output and standard error of the tool.
namespace StandardStreams {

// Writes bytes to standard output unchanged (no line-end translation on any platform).
bool writeOut(QByteArrayView bytes);

// Writes one line of text to standard output.
void writeLine(const QString& line);

// Writes one line to standard error, prefixed with the tool's name.
void writeError(const QString& line);

} // namespace StandardStreams
