#pragma once

#include <QString>

// The outcome of sharing a record or posting to the forum.
struct WriteOutcome
{
    enum class Status { Stored, AlreadyStored, AliasTaken, Banned, TooMany, Failed };
    Status status = Status::Failed;
    QString identifier; // the record's identifier for Stored and AlreadyStored
    QString error;      // for Failed: the database's reason
};
