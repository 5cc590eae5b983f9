#pragma once

#include <string>
#include <string_view>

// The request log: one line per request on standard output, "TIME METHOD PATH STATUS Nms".
// Every byte of the method and the percent-decoded path that is not printable ASCII, a blank
// or a backslash is written as \xHH, so that no request can add a line or a field of its own
// or send a terminal its escapes.
namespace RequestLog {

std::string line(std::string_view method, std::string_view target, int status, long long milliseconds);
void write(std::string_view method, std::string_view target, int status, long long milliseconds);

} // namespace RequestLog
