#pragma once

#include <QDateTime>
#include <QString>

// The addresses of the requests made to the vendor's server. The parameters are joined in the
// server's order; each value is percent-encoded from its Windows-1252 bytes (everything but
// letters, digits and "-._~"), so that a value holding "&", "=", "#" or a line break arrives
// exactly as it was typed and cannot change the meaning of the request.
namespace ServerRequests {

// A parameter value as it goes into the address.
QString encodeValue(const QString& value);

// serverBaseUrl, "roamlog/", "version.txt".
QString versionAddress(const QString& serverBaseUrl);

// scriptUrl "path=post&param=" text "&usr=" alias "&mac=" id "&param2=" MM-dd-yyyy HH:mm:ss.
QString forumPostAddress(const QString& scriptUrl, const QString& text, const QString& alias,
                         const QString& installationId, const QDateTime& now);

// scriptUrl "mac=" id "&usr=" user "&cmd=add&param=" line; user is empty when anonymous.
QString addRecordAddress(const QString& scriptUrl, const QString& installationId, const QString& user,
                         const QString& line);

// The pages opened in the browser.
QString browseRecordsAddress(const QString& serverBaseUrl); // serverBaseUrl "cgi-bin/roamlogdb.cgi?cmd=find"
QString readForumAddress(const QString& serverBaseUrl);     // serverBaseUrl "cgi-bin/roamlogdb.cgi?cmd=msgs"
QString showPostsAddress(const QString& scriptUrl);         // scriptUrl "cmd=msgs"

} // namespace ServerRequests
