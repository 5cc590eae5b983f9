#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Temporary files that a killed rewrite leaves beside the database: the save files of
// "Roamlog.ppd" and "Roamlog.bak", named as Qt names them (the file name, ".", six letters or
// digits). Only files older than this program's start are removed, since a program started
// earlier may still be writing its own.
namespace LeftoverFiles {

// Whether a file name is that of a temporary file of the given target name.
bool isTemporaryOf(const QString& fileName, const QString& targetName);

// When the running program started (taken as the store library is loaded).
QDateTime programStart();

// Removes the leftovers of the given targets in a folder; returns the names removed.
QStringList removeLeftovers(const QString& folder, const QStringList& targetNames);

} // namespace LeftoverFiles
