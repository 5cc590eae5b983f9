#pragma once

#include <QByteArrayView>
#include <QMap>
#include <QString>

#include <optional>

// Reads the query of a request to the server script. The desktop program percent-encodes
// every value from its Windows-1252 bytes; a client that sends values as they stand is read
// by the parameter names in their fixed order, so an "&" or "=" inside a suggestion or a
// record stays where it belongs. A "+" is a "+", never a blank.
namespace ScriptQuery {

struct ForumPostQuery
{
    QString text, alias, installation, stamp;
};

struct AddRecordQuery
{
    QString installation, alias, line;
};

// The bytes of a percent-encoded value; nullopt for a "%" not followed by two hex digits.
std::optional<QByteArray> percentDecoded(QByteArrayView raw);

// "path=post&param=" text "&usr=" alias "&mac=" id "&param2=" stamp. Also nullopt when a
// value has a bad escape.
std::optional<ForumPostQuery> forumPost(QByteArrayView query);
// "mac=" id "&usr=" alias "&cmd=add&param=" line.
std::optional<AddRecordQuery> addRecord(QByteArrayView query);

// The name=value pairs of a page address (as a browser sends them: UTF-8, else
// Windows-1252); nullopt with *problem set when a name repeats or an escape is bad.
std::optional<QMap<QString, QString>> pageParameters(QByteArrayView query, QString* problem);

} // namespace ScriptQuery
