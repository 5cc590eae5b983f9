#include "online/ReplyToken.h"

#include "store/Cp1252.h"

#include <algorithm>

namespace ReplyTokens {

namespace {

// A character a stored upload mark can hold and a person can read: "|" would split the
// record, a line break the file, and a blank or a control character would make a mark that
// no one can tell from another.
bool isIdentifierCharacter(QChar ch)
{
    return ch != u'|' && ch.isPrint() && !ch.isSpace() && Cp1252::canEncode(ch);
}

} // namespace

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

ReplyToken classify(const FetchResult& reply)
{
    return reply.succeeded() ? classify(reply.text) : ReplyToken::None;
}

QString identifier(const QString& reply)
{
    if (!reply.startsWith(u"ok:"))
        return {};
    QStringView rest = QStringView(reply).mid(3);
    if (rest.endsWith(u'\n'))
        rest.chop(rest.endsWith(u"\r\n") ? 2 : 1);
    if (rest.isEmpty() || rest.size() > kMaxIdentifier || !std::all_of(rest.begin(), rest.end(), isIdentifierCharacter))
        return {};
    return rest.toString();
}

} // namespace ReplyTokens
