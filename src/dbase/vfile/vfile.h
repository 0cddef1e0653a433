// Virtual files: tables that live only in memory, opened with
//   USE "<alias> VIRTUAL FILE [FIFO|LIFO|INSERTION|ASCENDING|DESCENDING]"
// over the caller's record buffer. A record is the typed record buffer of
// the core (deletion byte, then the fields' slots, workarea.h), so every
// engine command that reads or writes the buffer works on them. VFilesInit
// installs the manager behind the core's virtual requests.
//
// Ordering modes: FIFO appends at the end, LIFO at the front, INSERTION
// before the current record (at the end when at end of file), ASCENDING and
// DESCENDING at the place of the record's key. Keys come from the area's key
// function (at most 100 characters). Keys are ordered totally: keys that
// read as numbers (C locale, blanks around them allowed) come first, by
// value, then the other keys by their bytes. Equal keys keep their order of
// arrival, also when sorting.
#pragma once

#include "dbase/engine/dbf_format.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kt4::dbase {

enum LStatusType : std::uint8_t {
    lsFIFO = 0,
    lsLIFO = 1,
    lsINSERTION = 2,
    lsASCENDING = 3,
    lsDESCENDING = 4,
};

// The key text of the record in the current area's buffer.
using VFileKeyProc = std::function<std::string(void* data)>;

// Installs the manager into the core's virtual-file hook.
void VFilesInit();

// Procedures on the current area, which must be an open virtual file (else
// error 215 or 1100).
// Defines the field list (name, type C D F L M N, length, decimals): D has
// length 8, L 1; M is kept as N 10,0 (a block number). Error 211 for a bad
// length or type.
bool AddStru(const std::vector<FieldDef>& fields);
// Removes the current record (the next one becomes current).
bool SnipRec();
// Takes the first record out into the buffer (not in INSERTION mode).
bool PopRec();
// Removes every record.
bool ZapVFile();
void Set_VFileKey_To(VFileKeyProc keyFunc, void* data);
std::uint8_t Get_VFileMode();
// A file with records cannot be switched into a sorted mode (1100).
bool Set_VFileMode_To(std::uint8_t mode);
// Sorts by the key function, stably; mode 3 or 4.
bool SortVFile(std::uint8_t mode);
// Outcome of the last replace in a sorted file: 1 stayed, 2 moved.
int VFileReplaceResult();

// The total order of keys: negative, 0 or positive.
int CompareVFileKeys(const std::string& a, const std::string& b);

} // namespace kt4::dbase
