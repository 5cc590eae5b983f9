#pragma once

#include <QString>

// The outcome of a store operation: success, or the reason the change could not be saved.
struct StoreResult
{
    bool ok = true;
    QString error;

    static StoreResult success() { return {}; }
    static StoreResult failure(QString why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};
