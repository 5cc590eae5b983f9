#pragma once

#include <QString>

// The outcome of a store operation: success, or the reason the change could not be saved.
struct StoreResult
{
    bool ok = true;
    QString error;
    // Refused because the file is no longer the one the store read or last wrote: another
    // program changed, replaced or removed it. Nothing was written.
    bool fileChanged = false;

    static StoreResult success() { return {}; }
    static StoreResult failure(QString why) { return {false, std::move(why)}; }
    static StoreResult changedOnDisk(QString why) { return {false, std::move(why), true}; }
    explicit operator bool() const { return ok; }
};
