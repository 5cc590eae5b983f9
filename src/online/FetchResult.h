#pragma once

#include <QString>

// What one request brought back: the whole body as text with the HTTP status, or the empty
// text with failed set. reason says in a few words why a request failed (for the status line
// and the log only).
struct FetchResult
{
    QString text;
    bool failed = false;
    QString reason;
    int status = 0; // 0 when no status line came

    // Only a 2xx answer is the server's word: an error page or a redirect (which the program
    // never follows) carries no token and no version, whatever its body says.
    bool succeeded() const { return !failed && status >= 200 && status <= 299; }

    static FetchResult success(QString body, int status = 200) { return {std::move(body), false, {}, status}; }
    static FetchResult failure(QString why) { return {{}, true, std::move(why), 0}; }
};
