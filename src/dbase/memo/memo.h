// Memo files beside the tables: DBT of dBase III (version 0x83) and dBase IV
// (0x8B, 0x8C), FPT of FoxPro (0xF5). A memo field holds the number of the
// memo's first block as text. Memo text follows its table's code page like
// the records: OEM bytes in OEM tables, the engine's ANSI text for callers.
//
// Block runs: a memo of n bytes occupies ceil((n + h) / block size) blocks,
// h = 8 (the block header of dBase IV and FoxPro) or 2 (the two 0x1A that end
// a dBase III memo). Every memo written, an edited one too, goes to the end
// of the file: no write touches the blocks a record points to, so an edit
// that is cancelled or whose record write is refused leaves the old memo as
// it was, and another program reading by the pointer it holds reads a whole
// memo. The old blocks stay until PackMemofile reclaims them; the first
// header word is always the block after the end. Reading takes no lock.
// Writers hold a lock on one byte at 0x40000000 of the memo file (shared
// tables only).
//
// MemoInit installs the memo hooks of the engine core (USE, close, PACK,
// APPEND FROM, LOCATE, expressions). Every operation acts on the current
// work area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase {

// ---- Settings (MemoInit sets the defaults) ----
extern std::uint8_t DefaultMemoType; // for areas whose version byte names no memo format
extern bool MemoWidthOn;             // lines are broken at MemoWidth + 1 instead of 254
extern int MemoWidth;

// Installs the memo hooks into the engine core.
void MemoInit();

// ---- Memo files of the current area ----
// 0x83, 0x8B, 0x8C or 0xF5 by the table's version byte; else DefaultMemoType.
std::uint8_t GetMemoType();
bool IsFoxProMemo();
bool IsDBase4Memo();       // 0x8B
bool IsDBase4Level7Memo(); // 0x8C
bool IsDBase3Memo();
// The empty memo file for a new table (create version and memo block size).
bool CreateMemofile(const std::string& tableName);
void CloseMemofile();
// The block size of the area's memo file (0 when it has none).
std::uint32_t MemoFileBlockSize();

// ---- Memo text as lines ----
enum class TMemoLineEnd : std::uint8_t {
    Hard,    // CR (written as CR LF)
    Soft,    // byte 141 (written as 141 LF)
    Wrapped, // broken at the line width: joins the next line again
    None,    // the memo's last line, written without an end
};
struct TMemoLines {
    std::vector<std::string> lines; // engine text
    std::vector<TMemoLineEnd> ends;
    bool cut = false;               // read with a line limit: never written back
};
// Reads memo block (negative: its absolute value). lineLimit > 0 stops after
// that many lines. False after an error: 1003, naming record, field and
// block, for a field that holds no block number (InvalidMemoRef), a block in
// the header or at or beyond the end of the file, and a memo whose length
// runs past the end (a damaged length word, a file cut inside the memo). A
// memo without a length that the file ends inside reads up to there. Also
// 1003: a length that runs over another memo's block header, a block of a
// dBase IV file without its header that holds zeros before its end mark,
// and text that holds zeros (a length word or end mark damaged: the memo
// runs into the zero fill of its block; binary data is read as a BLOB).
bool GetMemo(std::int32_t block, TMemoLines& out, int lineLimit = 0);
// The whole memo as one text (lines joined with their ends).
bool GetMemoText(std::int32_t block, std::string& text);
// Writes text as a new memo; its block, 0 for a text of blanks or an error.
// Every memo write is refused (1003, naming the record) while a record's
// memo lies or runs past the end of the file, and while a record holds a
// memo read as damaged inside the file (not a FoxPro picture read as
// text); blanking that field goes on.
std::int32_t AddMemo(const std::string& text);
// Writes an edited line table as the memo that was oldBlock (0: none); the
// new block (at the end of the file, oldBlock stays as it is), 0 for an
// empty text or after an error. An old memo that cannot be read whole
// (1003) is not replaced: nothing is written.
std::int32_t EditMemo(std::int32_t oldBlock, const TMemoLines& lines);
inline std::int32_t CloseMemo(std::int32_t oldBlock, const TMemoLines& lines)
{
    return EditMemo(oldBlock, lines);
}

// ---- Copying and packing ----
// Copies memo block of sourceArea's memo file to the end of the current
// area's memo file; the new block (0 for block 0 or an error). Bytes stay
// as they are between tables of one code page and are converted otherwise.
std::int32_t CopyMemo(int sourceArea, std::int32_t block);
// The same at the same block number, when both files have the same memo
// type and block size; otherwise at the end.
std::int32_t CopyMemoInPlace(int sourceArea, std::int32_t block);
// Rewrites the memo file with only the memos the records reference. The
// memos go to a new file beside it, the records' new block numbers to a new
// copy of the table; both then replace the old files together
// (dbase/engine/pack_marker.h). An error before that changes nothing. Needs
// the table exclusively.
bool PackMemofile();

} // namespace kt4::dbase
