// Creating a table file and its empty memo file.
#pragma once

#include "dbase/engine/dbf_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase {

// Builds and writes fileName (".DBF" added) and, with a memo field, its memo
// file, with the create version and memo block size settings. Everything is
// checked before the disk is touched; both files are written to temporary
// files and renamed over the targets, so a failure keeps the old files.
bool CreateDbf(const std::string& fileName, const std::vector<FieldDef>& fields);
// Writes an empty memo file for version (0x83, 0x8B, 0x8C, 0xF5).
bool CreateDbfMemoFile(const std::string& fileName, std::uint8_t version, std::uint32_t blockSize,
                       const std::string& context);

} // namespace kt4::dbase
