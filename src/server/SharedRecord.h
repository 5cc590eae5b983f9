#pragma once

#include "store/TravelRecord.h"

#include <QString>

// A shared record as the server keeps it.
struct SharedRecord
{
    QString identifier;
    QString installation; // the installation ID (mac) that shared it
    QString alias;        // empty: shared anonymously
    qint64 sharedAt = 0;  // seconds since 1970 (UTC)
    TravelRecord record;
};

struct ForumPost
{
    QString identifier;
    QString installation;
    QString alias;
    QString text;
    QString stamp; // the date and time the program sent with the post
    qint64 postedAt = 0;
};
