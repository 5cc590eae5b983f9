#pragma once

#include "online/FetchResult.h"
#include "store/StoreResult.h"

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

class RecordStore;

// Sends the records marked for sharing ("*" or " " in the upload mark) one after the other
// and writes the server's answers back into their marks. Only an "ok" reply that carries a
// usable identifier, or a "ban" reply, changes a mark and is counted. A request that fails
// ends the sharing (a server that does not answer would make every further record wait as
// long), and so does a "tkn" reply (the alias must be changed first) and the user's cancel;
// the records not answered stay offered for the next time.
class RecordSharing
{
public:
    struct Hooks
    {
        // Makes the add request for a stored line and returns what it brought back.
        std::function<FetchResult(const QString& line)> sendRecord;
        // The status line: write, and read what it shows now.
        std::function<void(const QString&)> setStatus;
        std::function<QString()> status;
        // A status text was written that the clearing timer is to take away.
        std::function<void()> statusWritten;
        // Tells the user that the alias is taken (called at most once per run).
        std::function<void()> reportAliasTaken;
        // A row's mark was changed in the store (0-based row), so the views can follow.
        std::function<void(int row)> markChanged;
        // Before each request: its place among the offered records (from 1) and their number.
        // False stops the sharing before that request (the user cancelled). May be empty.
        std::function<bool(int index, int total)> proceed;
    };

    // Why the sharing ended before every offered record had its answer.
    enum class Stop { None, NoAnswer, AliasTaken, Cancelled };

    struct Outcome
    {
        int postedCount = 0;   // records that got a new mark: published plus refused
        int published = 0;     // identifiers stored
        int refused = 0;       // "ban" marks stored
        int unusable = 0;      // answered with nothing that can be a mark; offered again
        int unstored = 0;      // the store refused the new mark; offered again
        int notSent = 0;       // left unanswered when the sharing stopped; offered again
        Stop stop = Stop::None;
        bool sentAny = false;
        StoreResult saved;     // the rewrite's result when postedCount > 0
        QString message;       // "Posted N items. \r\n\r\n", the closing text, what happened
    };

    static constexpr int kMinimumRows = 3;

    // Runs the whole command on the store's rows in their current order.
    static Outcome ShareRecords(RecordStore& store, const QDate& today, const Hooks& hooks);

    // The rows (0-based, in order) that a share would send.
    static std::vector<int> offeredRows(const RecordStore& store);

    // The mark of a refused record: "x", " " row (1-based), "-", yyMMdd.
    static QString banMark(int row, const QDate& today);
    static bool isOffered(const QString& mark);
    // Whether the identifier of an "ok" reply can become a mark: not empty, not blank, and not
    // a mark that would offer the record again.
    static bool isUsableIdentifier(const QString& identifier);
};
