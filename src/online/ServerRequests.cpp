#include "online/ServerRequests.h"

#include "store/Cp1252.h"

#include <QLocale>

namespace ServerRequests {

QString encodeValue(const QString& value)
{
    // The server reads 8-bit text: a character Windows-1252 cannot hold goes as "?", once
    // per character even when it takes two UTF-16 units.
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value.at(i);
        if (ch.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            ++i;
        const int byte = Cp1252::byteFor(ch.unicode());
        bytes.append(byte >= 0 ? char(byte) : '?');
    }
    // Everything but letters, digits and "-._~" is percent-encoded.
    return QString::fromLatin1(bytes.toPercentEncoding());
}

QString versionAddress(const QString& serverBaseUrl)
{
    return serverBaseUrl + QStringLiteral("roamlog/") + QStringLiteral("version.txt");
}

QString forumPostAddress(const QString& scriptUrl, const QString& text, const QString& alias,
                         const QString& installationId, const QDateTime& now)
{
    const QString stamp = QLocale::c().toString(now, QStringLiteral("MM-dd-yyyy HH:mm:ss"));
    return scriptUrl + QStringLiteral("path=post&") + QStringLiteral("param=") + encodeValue(text) +
           QStringLiteral("&usr=") + encodeValue(alias) + QStringLiteral("&mac=") +
           encodeValue(installationId) + QStringLiteral("&param2=") + encodeValue(stamp);
}

QString addRecordAddress(const QString& scriptUrl, const QString& installationId,
                         const QString& user, const QString& line)
{
    return scriptUrl + QStringLiteral("mac=") + encodeValue(installationId) +
           QStringLiteral("&usr=") + encodeValue(user) + QStringLiteral("&cmd=add&param=") +
           encodeValue(line);
}

QString browseRecordsAddress(const QString& serverBaseUrl)
{
    return serverBaseUrl + QStringLiteral("cgi-bin/roamlogdb.cgi?cmd=find");
}

QString readForumAddress(const QString& serverBaseUrl)
{
    return serverBaseUrl + QStringLiteral("cgi-bin/roamlogdb.cgi?cmd=msgs");
}

QString showPostsAddress(const QString& scriptUrl)
{
    return scriptUrl + QStringLiteral("cmd=msgs");
}

} // namespace ServerRequests
