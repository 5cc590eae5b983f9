#pragma once

#include <QString>

// The program-wide values, fixed once at start-up and read-only afterwards.
struct ProgramValues
{
    static constexpr char kApplicationTitle[] = "Roamlog";
    static constexpr char kDefaultServerBaseUrl[] = "http://www.fenwary.com/";
    static constexpr char kServerUrlVariable[] = "ROAMLOG_SERVER_URL";
    static constexpr int kVersionMajor = 1;
    static constexpr int kVersionMinor = 0;
    static constexpr int kVersionRevision = 0;

    QString serverBaseUrl;
    QString productPathSegment;
    QString registryKeyPath;
    QString programFolder;
    QString databasePath;

    // The values for a program living in programFolder. The server address comes from the
    // environment variable ROAMLOG_SERVER_URL when that holds an http:// or https:// address
    // ending in "/"; any other value is ignored with one line on standard error.
    static ProgramValues forFolder(const QString& programFolder);

    // The server address to use for an override value (empty: no override); *rejected is set
    // when a non-empty value is not acceptable.
    static QString serverBaseUrlFor(const QString& overrideValue, bool* rejected = nullptr);

    QString scriptUrl() const { return serverBaseUrl + QStringLiteral("cgi-bin/roamlog/roamlogdb.cgi?"); }
    QString productUrl() const { return serverBaseUrl + productPathSegment; }
    QString filePath(const QString& name) const;
};
