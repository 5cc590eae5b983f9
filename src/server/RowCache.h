#pragma once

#include "server/SharedRecord.h"

#include <QHash>

#include <mutex>
#include <optional>

// The rows of the records shown last, decoded, by seq: the first pages of the common searches
// are asked for again and again. A shared record never changes and its seq is never given
// again, so a row kept is right for as long as the index holds its seq. At most about twice
// kRows rows are kept: those of the older half are let go when the newer one is full.
class RowCache
{
public:
    static constexpr qsizetype kRows = 4096;

    std::optional<SharedRecord> find(qint64 seq);
    void keep(qint64 seq, const SharedRecord& row);

private:
    std::mutex m_lock;
    QHash<qint64, SharedRecord> m_newer, m_older;
};
