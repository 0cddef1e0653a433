// Hook records through which the engine core reaches its optional modules:
// the expression language, the NDX index unit, the memo layer and the
// virtual-file manager. Each module fills its record when it starts; the core
// tests a hook for presence before calling it and works without it (no
// expressions, record order only, no memo text, no virtual files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase {

// A compiled dBase expression; defined by the expression module.
struct TExpr;
struct TWorkArea;

// ---- Expression language ----
struct ParserHooks {
    // Compiles text against the current work area; nullptr after an error
    // (already reported).
    TExpr* (*AssignExpr)(const std::string& text) = nullptr;
    // Frees and sets the reference to nullptr; unknown or null: nothing.
    void (*FreeExpr)(TExpr*& expr) = nullptr;
    // Evaluates; returns the result's address: the text for C and M, a
    // double for N and D, an int32_t (0/1) for L; nullptr for nullptr.
    const void* (*Evaluate)(TExpr* expr) = nullptr;
    // Turns a zero-terminated text result into a string.
    std::string (*ResultText)(const void* result) = nullptr;
    // Evaluates the expression the engine has made current (index unit).
    const void* (*EvaluateCurrent)() = nullptr;
    // Result type letter of a compiled expression ('C','N','L','D','M').
    char (*ResultType)(const TExpr* expr) = nullptr;
};
extern ParserHooks Parser;
bool ParserLinked();

// ---- NDX index unit (slot numbers in the comments) ----
// Key maintenance around the write of a record (hooks 8 and 11, under 24).
// Before: the record's new keys go into the indexes (an append's record is
// number count + 1); false when an index did not take them (the others gave
// theirs back): the record is not written. After (the record written): a
// REPLACE's old keys are removed, and the controlling index stands on the
// record. Undo (the record was not written: an append's, or a REPLACE's
// that failed and left the old record in the file): its new keys are removed.
// Unknown (a REPLACE's write failed and the file holds neither record):
// every index whose key changes is left out of date.
// Keys before records: a crash leaves at most an entry naming no record or
// a record with another key, which Find and the walks report.
enum class KeyStep { Before, After, Undo, Unknown };
struct IndexHooks {
    bool (*IndexActive)() = nullptr;               // 0 an index of the current area is open
    void (*SyncControlling)() = nullptr;           // 1
    std::int32_t (*NextRec)() = nullptr;           // 2 next key's record
    std::int32_t (*PriorRec)() = nullptr;          // 3 previous key's record
    std::int32_t (*FirstRec)() = nullptr;          // 4 first key's record (count+1: empty)
    std::int32_t (*LastRec)() = nullptr;           // 5 last key's record
    bool (*IndexEof)() = nullptr;                  // 6
    bool (*IndexBof)() = nullptr;                  // 7
    bool (*AppendNewKey)(KeyStep step) = nullptr;  // 8 around Append
    void (*CopyCurrentKey)() = nullptr;            // 9 current record's key -> current key
    void (*SyncAll)() = nullptr;                   // 10 after a read
    bool (*CompareKeys)(KeyStep step) = nullptr;   // 11 around REPLACE
    void (*SetIndexBof)() = nullptr;               // 12
    void (*SetIndexEof)() = nullptr;               // 13
    bool* (*IndexFound)() = nullptr;               // 14
    void (*Reindex)() = nullptr;                   // 15 after PACK
    void (*CloseIndexes)() = nullptr;              // 16 at close
    void* reserved17 = nullptr;                    // 17 not set
    std::string (*IndexFileName)(int slot) = nullptr;          // 18
    std::string (*KeyOfSlot)(int slot, bool& present) = nullptr; // 19
    std::string (*KeyOfOrder)(bool& present) = nullptr;        // 20
    bool (*Ascending)(int slot) = nullptr;         // 21
    bool (*SoundexSlot)(int slot) = nullptr;       // 22
    // 23 around positioning, 24 around key maintenance: false when the
    // section could not be entered (nothing to end then).
    bool (*ReadSemaphore)(bool begin) = nullptr;   // 23
    bool (*LockSemaphore)(bool begin) = nullptr;   // 24
    // Before the record of an append or REPLACE is written (under 24):
    // true, with the error set, when an index refuses the key changes.
    bool (*ChangeRefused)(bool append) = nullptr;
    // Before PACK puts the new table in place (on), and when it could not
    // (off): every open index is marked out of date in its file, so that
    // it is refused until built anew; false (the error set, no mark left)
    // when a mark cannot be written.
    bool (*MarkOutOfDate)(bool on) = nullptr;
};
extern IndexHooks Index;
bool IndexLinked();

// ---- Memo layer (slot order of the memo hook record) ----
struct MemoHooks {
    // Reads memo block of the area's memo file as text lines (AssignMemo).
    bool (*ReadMemoLines)(int area, std::int32_t block, std::vector<std::string>& lines) = nullptr;
    bool (*PackMemoFile)(int area) = nullptr;
    // Opens the memo file of the area's table (path of the memo file).
    bool (*OpenMemoFile)(int area, const std::string& memoPath) = nullptr;
    void (*CloseMemoFile)(int area) = nullptr;
    // Copies memo block of sourceArea to the end of the current area's memo
    // file; returns the new block (0 on error or for block 0).
    std::int32_t (*CopyMemo)(int sourceArea, std::int32_t block) = nullptr;
    std::int32_t (*CopyMemoInPlace)(int sourceArea, std::int32_t block) = nullptr;
    void* blobRoutine = nullptr;
    // Writes text as a new memo of the current area; returns its block.
    std::int32_t (*AddMemo)(const std::string& text) = nullptr;
};
extern MemoHooks Memo;
bool MemoLinked();

// ---- Virtual-file manager ----
// Requests the core sends for a virtual area (the area carries the record
// number in vfRecNo and the request code in vfRequest).
enum VFileRequest : std::uint8_t {
    VfClose = 1, VfDelete = 2, VfGo = 3, VfForget = 4, VfPack = 5, VfPop = 6,
    VfAppend = 7, VfReplace = 8, VfRecall = 9, VfRemove = 10, VfCreate = 11, VfZap = 12,
};
struct VFileHooks {
    // Carries out area.vfRequest on the area; reports its own errors.
    void (*Request)(TWorkArea& area) = nullptr;
};
extern VFileHooks VFiles;
bool VFilesLinked();

// Empties all four records (engine start-up).
void ClearHooks();

} // namespace kt4::dbase
