#pragma once

#include "online/FetchResult.h"

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
// The token of what a request brought back: None unless it is a 2xx answer.
ReplyToken classify(const FetchResult& reply);

// The identifier an "ok:" reply gives a shared record: everything after "ok:" up to the end of
// the reply's only line (a final LF or CR LF may close it). Empty unless that is 1 to
// kMaxIdentifier printable Windows-1252 characters without a blank or "|": a reply that does
// not fit is never cut down to something that would.
inline constexpr int kMaxIdentifier = 64;
QString identifier(const QString& reply);

} // namespace ReplyTokens
