#pragma once

#include "store/RecordTable.h"
#include "store/TravelRecord.h"

#include <QRandomGenerator>

// Realistic records for the benchmarks: names, addresses and comments of varied length, with
// Windows-1252 accents and every kind of upload mark. The same seed gives the same log.
namespace GeneratedLog {

inline constexpr quint32 kSeed = 2006;

// The record numbered index (it is part of the place name, so places are unique).
TravelRecord record(QRandomGenerator& random, int index);

// count records drawn from kSeed.
RecordTable table(int count);

} // namespace GeneratedLog
