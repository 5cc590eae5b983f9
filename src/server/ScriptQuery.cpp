#include "server/ScriptQuery.h"

#include "store/Cp1252.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace ScriptQuery {

namespace {

int hexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

std::optional<QString> cp1252Value(QByteArrayView raw)
{
    const auto bytes = percentDecoded(raw);
    if (!bytes)
        return std::nullopt;
    return Cp1252::toUnicode(*bytes);
}

} // namespace

std::optional<QByteArray> percentDecoded(QByteArrayView raw)
{
    QByteArray bytes;
    bytes.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            bytes.append(raw[i]);
            continue;
        }
        if (i + 2 >= raw.size())
            return std::nullopt;
        const int high = hexValue(raw[i + 1]), low = hexValue(raw[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
        i += 2;
    }
    return bytes;
}

std::optional<ForumPostQuery> forumPost(QByteArrayView query)
{
    static constexpr QByteArrayView kStart = "path=post&param=";
    if (!query.startsWith(kStart))
        return std::nullopt;
    // From the end: the text comes first and may hold anything, the stamp last holds no "&".
    const qsizetype stampAt = query.lastIndexOf("&param2=");
    const qsizetype macAt = stampAt < 0 ? -1 : query.first(stampAt).lastIndexOf("&mac=");
    const qsizetype aliasAt = macAt < 0 ? -1 : query.first(macAt).lastIndexOf("&usr=");
    if (aliasAt < kStart.size())
        return std::nullopt;
    const auto text = cp1252Value(query.sliced(kStart.size(), aliasAt - kStart.size()));
    const auto alias = cp1252Value(query.sliced(aliasAt + 5, macAt - aliasAt - 5));
    const auto installation = cp1252Value(query.sliced(macAt + 5, stampAt - macAt - 5));
    const auto stamp = cp1252Value(query.sliced(stampAt + 8));
    if (!text || !alias || !installation || !stamp)
        return std::nullopt;
    return ForumPostQuery{*text, *alias, *installation, *stamp};
}

std::optional<AddRecordQuery> addRecord(QByteArrayView query)
{
    static constexpr QByteArrayView kCommand = "&cmd=add&param=";
    if (!query.startsWith("mac="))
        return std::nullopt;
    // From the start: the line comes last and may hold anything.
    const qsizetype aliasAt = query.indexOf("&usr=");
    const qsizetype lineAt = aliasAt < 0 ? -1 : query.indexOf(kCommand, aliasAt);
    if (lineAt < 0)
        return std::nullopt;
    const auto installation = cp1252Value(query.sliced(4, aliasAt - 4));
    const auto alias = cp1252Value(query.sliced(aliasAt + 5, lineAt - aliasAt - 5));
    const auto line = cp1252Value(query.sliced(lineAt + kCommand.size()));
    if (!installation || !alias || !line)
        return std::nullopt;
    return AddRecordQuery{*installation, *alias, *line};
}

std::optional<QMap<QString, QString>> pageParameters(QByteArrayView query, QString* problem)
{
    QMap<QString, QString> parameters;
    for (const QByteArrayView pair : QByteArray::fromRawData(query.data(), query.size()).split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype equals = pair.indexOf('=');
        const auto name = percentDecoded(pair.first(equals < 0 ? pair.size() : equals));
        auto value = percentDecoded(equals < 0 ? QByteArrayView() : pair.sliced(equals + 1));
        if (!name || !value) {
            *problem = u"a value holds a \"%\" that is not followed by two hexadecimal digits"_s;
            return std::nullopt;
        }
        // Browser forms send "+" for a blank.
        value->replace('+', ' ');
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(*value);
        if (utf8.hasError())
            text = Cp1252::toUnicode(*value);
        const QString key = QString::fromLatin1(*name);
        if (parameters.contains(key)) {
            *problem = u"the parameter \"%1\" is given twice"_s.arg(key);
            return std::nullopt;
        }
        parameters.insert(key, text);
    }
    return parameters;
}

} // namespace ScriptQuery
