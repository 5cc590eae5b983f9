#pragma once

#include <QString>

// What one request brought back: the whole body as text, or the empty text with failed set.
// reason says in a few words why a request failed (for the status line and the log only).
struct FetchResult
{
    QString text;
    bool failed = false;
    QString reason;

    static FetchResult success(QString body) { return {std::move(body), false, {}}; }
    static FetchResult failure(QString why) { return {{}, true, std::move(why)}; }
};
