#pragma once

#include "store/StoreResult.h"

#include <QDate>
#include <QString>

#include <functional>

class RecordStore;

// Sends the records marked for sharing ("*" or " " in the upload mark) one after the other
// and writes the server's answers back into their marks. Only an "ok" reply that carries an
// identifier, or a "ban" reply, changes a mark and is counted; a "tkn" reply ends the sharing
// (the alias must be changed first) and keeps the record offered; any other reply, like no
// reply at all, leaves the row offered for the next time.
class RecordSharing
{
public:
    struct Hooks
    {
        // Makes the add request for a stored line and returns the reply ("" when it failed).
        std::function<QString(const QString& line)> sendRecord;
        // The status line: write, and read what it shows now.
        std::function<void(const QString&)> setStatus;
        std::function<QString()> status;
        // A status text was written that the clearing timer is to take away.
        std::function<void()> statusWritten;
        // Tells the user that the alias is taken (called at most once per run).
        std::function<void()> reportAliasTaken;
        // A row's mark was changed in the store (0-based row), so the views can follow.
        std::function<void(int row)> markChanged;
    };

    struct Outcome
    {
        int postedCount = 0;
        bool aliasTaken = false;
        bool sentAny = false;
        StoreResult saved;     // the rewrite's result when postedCount > 0
        QString message;       // "Posted N items. \r\n\r\n" and the closing text
    };

    static constexpr int kMinimumRows = 3;

    // Runs the whole command on the store's rows in their current order.
    static Outcome ShareRecords(RecordStore& store, const QDate& today, const Hooks& hooks);

    // The mark of a refused record: "x", " " row (1-based), "-", yyMMdd.
    static QString banMark(int row, const QDate& today);
    static bool isOffered(const QString& mark);
};
