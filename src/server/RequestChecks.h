#pragma once

#include "server/ScriptQuery.h"
#include "store/TravelRecord.h"

#include <QString>

#include <optional>

// The checks on what a request would store. Each returns why the value is refused, or an
// empty text when it can be stored.
namespace RequestChecks {

inline constexpr int kMaxPost = 2000;   // characters, a line break counting as its CR LF
inline constexpr int kMaxAlias = 64;
inline constexpr int kMaxShortValue = 64; // the installation ID and the post's date
inline constexpr int kMaxLine = 16383;    // what the desktop program's file can hold

QString problemWithPost(const ScriptQuery::ForumPostQuery& post);
QString problemWithAddition(const ScriptQuery::AddRecordQuery& addition);

// The record of a stored line: exactly 24 values, each followed by "|".
std::optional<TravelRecord> recordOfLine(const QString& line, QString* problem);

} // namespace RequestChecks
