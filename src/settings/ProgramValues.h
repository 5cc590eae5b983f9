#pragma once

#include "settings/ProgramFolders.h"

#include <QString>

// The program-wide values, fixed once at start-up and read-only afterwards.
struct ProgramValues
{
    static constexpr char kApplicationTitle[] = "Roamlog";
    static constexpr char kDefaultServerBaseUrl[] = "http://www.fenwary.com/";
    static constexpr char kServerUrlVariable[] = "ROAMLOG_SERVER_URL";
    // The project's version, given once in the top CMakeLists.txt (and so to the packages).
    static constexpr int kVersionMajor = ROAMLOG_VERSION_MAJOR;
    static constexpr int kVersionMinor = ROAMLOG_VERSION_MINOR;
    static constexpr int kVersionRevision = ROAMLOG_VERSION_PATCH;

    QString serverBaseUrl;
    QString productPathSegment;
    QString registryKeyPath;
    ProgramFolders folders;
    QString databasePath;

    // The values for a program with these folders. The server address comes from the
    // environment variable ROAMLOG_SERVER_URL when that holds an http:// or https:// address
    // ending in "/"; any other value is ignored with one line on standard error.
    static ProgramValues forFolders(const ProgramFolders& folders);
    // The values for a program that keeps its data in its own folder.
    static ProgramValues forFolder(const QString& folder) { return forFolders(ProgramFolders::single(folder)); }

    // The server address to use for an override value (empty: no override); *rejected is set
    // when a non-empty value is not acceptable.
    static QString serverBaseUrlFor(const QString& overrideValue, bool* rejected = nullptr);

    QString scriptUrl() const { return serverBaseUrl + QStringLiteral("cgi-bin/roamlog/roamlogdb.cgi?"); }
    QString productUrl() const { return serverBaseUrl + productPathSegment; }
    // A file of the user's data folder, and one of the program's own read-only files.
    QString filePath(const QString& name) const;
    QString sharedFilePath(const QString& name) const;
};
