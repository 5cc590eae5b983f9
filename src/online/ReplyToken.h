#pragma once

#include <QString>

// The tokens the server puts at the very start of a reply (case-sensitive).
enum class ReplyToken {
    None,    // anything else, the empty reply included
    Ok,      // "ok": accepted
    Taken,   // "tkn": the alias belongs to another user; nothing was stored
    Banned,  // "ban": records from this installation are refused
};

namespace ReplyTokens {

ReplyToken classify(const QString& reply);

// The identifier an "ok" reply carries: the reply from its 4th character on (the 3rd is a
// separator), cut at the first character a stored field cannot hold ("|", a line break, any
// other control character, a character outside Windows-1252) and to at most kMaxIdentifier
// characters. Empty when the reply has 3 characters or fewer.
inline constexpr int kMaxIdentifier = 64;
QString identifier(const QString& reply);

} // namespace ReplyTokens
