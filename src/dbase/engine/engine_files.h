// File helpers of the engine: file dates, erasing files that nobody uses,
// wildcard deletion, free disk space and unique temporary names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase {

extern int LastOsError;

// The path itself (POSIX has no short names).
std::string ShortPathOf(const std::string& name);
// Modification time (seconds since 1970) or 0; LastOsError set.
std::int64_t FileDateOf(const std::string& name);
bool FileIsFromToday(const std::string& name);
// Erases name when no other open of the engine uses it; 0 or an error code.
int EraseIfFree(const std::string& name);
// Deletes one file or every regular file matching mask (DOS wildcards,
// case-insensitive, "*.*" = all) in its folder; no recursion, no symlinks.
bool EraseWildcard(const std::string& mask);
// Files the last EraseWildcard could not erase.
const std::vector<std::string>& UndeletableFiles();
// Free space in KB, clamped to 2147483647 (also when unknown).
std::int64_t DiskFreeKB(const std::string& path);
std::int64_t DiskFreeKBOfDrive(int drive);
// A new empty file "TZP..." in the temporary folder; "" after an error.
std::string UniqueFilename();
// Called by wait loops between attempts.
void EngineIdle();

} // namespace kt4::dbase
