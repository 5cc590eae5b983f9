#include "server/RequestLog.h"

#include "server/ScriptQuery.h"

#include <QDateTime>

#include <cstdio>
#include <mutex>

namespace RequestLog {

namespace {

std::mutex g_lock;

// The time of day in seconds, formatted once a second rather than for every request.
std::string stampNow()
{
    thread_local qint64 t_second = -1;
    thread_local std::string t_stamp;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (const qint64 second = now.toSecsSinceEpoch(); second != t_second) {
        t_second = second;
        t_stamp = now.toString(Qt::ISODate).toStdString();
    }
    return t_stamp;
}

void appendEscaped(std::string& to, std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char ch : bytes) {
        const auto code = static_cast<unsigned char>(ch);
        if (code > 0x20 && code < 0x7f && ch != '\\') {
            to += ch;
            continue;
        }
        to += "\\x";
        to += kHex[code >> 4];
        to += kHex[code & 15];
    }
}

} // namespace

std::string line(std::string_view method, std::string_view target, int status, long long milliseconds)
{
    const std::string_view path = target.substr(0, target.find('?'));
    // The path as a reader means it; one with a broken escape is shown as sent.
    const auto decoded = ScriptQuery::percentDecoded(QByteArrayView(path.data(), qsizetype(path.size())));
    const std::string_view shown = decoded ? std::string_view(decoded->constData(), size_t(decoded->size())) : path;
    std::string text = stampNow();
    text += ' ';
    appendEscaped(text, method.empty() ? std::string_view("-") : method);
    text += ' ';
    appendEscaped(text, shown.empty() ? std::string_view("-") : shown);
    text += ' ' + std::to_string(status) + ' ' + std::to_string(milliseconds) + "ms\n";
    return text;
}

void write(std::string_view method, std::string_view target, int status, long long milliseconds)
{
    const std::string text = line(method, target, status, milliseconds);
    std::lock_guard guard(g_lock);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace RequestLog
