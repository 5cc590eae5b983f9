#pragma once

#include <QString>

// The outcome of sharing a record or posting to the forum.
struct WriteOutcome
{
    // Refused: the values cannot be stored (error says why). Unavailable: the database could
    // not be reached, or went away before the write was known to be saved; it may be tried
    // again later. Failed: the database refused the write (error holds its reason).
    enum class Status { Stored, AlreadyStored, AliasTaken, Banned, TooMany, Refused, Unavailable, Failed };
    Status status = Status::Failed;
    QString identifier; // the record's identifier for Stored and AlreadyStored
    QString error;      // for Refused, Unavailable and Failed: why
};
