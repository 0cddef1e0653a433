// Record and file locks of shared tables: byte-range locks on regions beyond
// the data (lock base 0x40000000), so that they never block reads. Locks are
// advisory and never wait longer than the retry settings say.
#pragma once

#include "dbase/engine/workarea.h"

#include <cstdint>

namespace kt4::dbase {

// Regions of the lock table.
std::int64_t RecordLockOffset(const TWorkArea& area, std::int32_t n);

bool FLock();   // whole file
bool ALock();   // append region
bool RLock();   // current record
bool IsLocked(std::int32_t recNo);
// n >= 1 record n; -1 oldest; -2 newest; -3 all. Errors set 220 without reporting.
bool UnlockRec(std::int32_t n);
// Releases every lock of the current area.
void Unlock();
void UnlockArea(TWorkArea& area);

// Whether a write on the current record is allowed by the area's locks
// (exclusive or single-user areas always are).
bool RecordWritable(const TWorkArea& area);
bool AppendWritable(const TWorkArea& area);

} // namespace kt4::dbase
