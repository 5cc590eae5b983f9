#pragma once

#include "online/FetchResult.h"
#include "store/StoreResult.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class RecordStore;

// Sends the records marked for sharing ("*" or " " in the upload mark) one after the other
// and writes the server's answers back into their marks; the file is rewritten once, at the
// end. Only an "ok:" reply that carries a usable identifier, or a "ban" reply, changes a mark
// and is counted, and only from a 2xx answer. A request that fails ends the sharing (a server
// that does not answer would make every further record wait as long), and so does a "tkn"
// reply (the alias must be changed first) and the user's cancel, which breaks off the request
// in flight; the records not answered stay offered for the next time.
//
// Nothing waits: each request is started, its answer handled when it comes from the event
// loop, and finished() is emitted once the sharing is over.
class RecordSharing : public QObject
{
    Q_OBJECT

public:
    using Reply = std::function<void(const FetchResult&)>;

    struct Hooks
    {
        // Starts the add request for a stored line; reply is to be called once with what it
        // brought back. request lives as long as the answer is wanted: when it is destroyed
        // the request is to be broken off and reply no longer called.
        std::function<void(const QString& line, QObject* request, Reply reply)> sendRecord;
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
        // May be empty.
        std::function<void(int index, int total)> progress;
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

    // What one reply means for its row (0-based).
    struct Answer
    {
        QString mark; // empty: the row keeps its mark
        bool refused = false;
        bool aliasTaken = false;
    };

    static constexpr int kMinimumRows = 3;

    // The sharing of the store's rows in their current order; today dates a refusal mark.
    RecordSharing(RecordStore& store, const QDate& today, Hooks hooks, QObject* parent = nullptr);

    // Sends the first record. With nothing to send the sharing is over at once.
    void start();
    // The user's cancel: the request in flight is broken off and its record stays offered;
    // nothing more is sent, and the sharing ends at once as usual (the answers so far are saved).
    void cancel();

    bool isFinished() const { return m_finished; }
    const Outcome& outcome() const { return m_outcome; }

    static Answer answerFor(const FetchResult& reply, int row, const QDate& today);

    // The rows (0-based, in order) that a share would send.
    static std::vector<int> offeredRows(const RecordStore& store);

    // The mark of a refused record: "x", " " row (1-based), "-", yyMMdd.
    static QString banMark(int row, const QDate& today);
    static bool isOffered(const QString& mark);

signals:
    void finished();

private:
    void sendNext();
    void answered(const FetchResult& reply);
    void stopWith(Stop stop);
    void conclude();

    RecordStore& m_store;
    QDate m_today;
    Hooks m_hooks;
    std::vector<int> m_offered;
    size_t m_next = 0;            // the place in m_offered of the record to send next
    QObject* m_request = nullptr; // the request in flight
    Outcome m_outcome;
    bool m_finished = false;
};
