#pragma once

#include <QString>
#include <QStringList>

// The temporary files that a rewrite writes beside its target before putting them in place.
// Their names are the target's name, ".roamlog-tmp-", the writing process's id, "-" and eight
// random lower-case letters or digits: a name no person gives a file, so that a copy the user
// keeps beside the log (Roamlog.ppd.backup, Roamlog.ppd.241231) is never taken for one.
namespace LeftoverFiles {

// A fresh temporary name for a target name.
QString temporaryNameFor(const QString& targetName);

// Whether a file name is a temporary name of the given target name.
bool isTemporaryOf(const QString& fileName, const QString& targetName);

// Removes the temporary files of the given targets in a folder, which a writer killed part-way
// left behind; returns the names removed. Only the holder of the folder's lock may call it:
// no other writer can be at work in the folder then.
QStringList removeLeftovers(const QString& folder, const QStringList& targetNames);

} // namespace LeftoverFiles
