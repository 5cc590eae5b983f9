#include "online/ReplyToken.h"

#include "store/Cp1252.h"

namespace ReplyTokens {

ReplyToken classify(const QString& reply)
{
    if (reply.startsWith(u"ok"))
        return ReplyToken::Ok;
    if (reply.startsWith(u"tkn"))
        return ReplyToken::Taken;
    if (reply.startsWith(u"ban"))
        return ReplyToken::Banned;
    return ReplyToken::None;
}

QString identifier(const QString& reply)
{
    // The identifier becomes a stored field: "|" would split the record and a line break
    // would split the file, so the identifier ends before the first such character.
    const QString rest = reply.mid(3);
    qsizetype length = 0;
    while (length < rest.size() && length < kMaxIdentifier) {
        const QChar ch = rest.at(length);
        if (ch == u'|' || ch.category() == QChar::Other_Control || !Cp1252::canEncode(ch))
            break;
        ++length;
    }
    return rest.left(length);
}

} // namespace ReplyTokens
