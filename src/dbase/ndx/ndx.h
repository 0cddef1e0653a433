// NDX index files: up to 16 indexes per work area, kept in step with every
// append, change and PACK, walked in key order and searched by key. Shared
// tables coordinate their index access through a semaphore file beside the
// table ("<table>.@S@"). IndexInit fills the engine's IndexHooks; the core
// reaches the unit only through them, callers through this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kt4::dbase {

inline constexpr int kMaxOrders = 16;
inline constexpr std::size_t kMaxKeyLength = 100;

// A caller's key function: the key text of the current record of the
// current area (order: the order number of the index).
using KeyMakerProc = std::function<std::string(void* data, int order)>;

// ---- Settings (IndexInit sets the defaults) ----
extern std::size_t IndexSortBudget;  // bytes of keys sorted in memory; beyond: sorted runs in a file
extern std::size_t IndexCacheBytes;  // node cache of an index in an exclusive area
extern bool IndexNoCache;            // no node cache anywhere
extern bool IndexAlwaysUnique;       // every index built is UNIQUE
extern bool IndexExact;              // Find compares the whole key (blank-padded text)
extern bool IndexFound;              // outcome of the last Find or index step

// Fills IndexHooks and resets the unit's state (areas must be closed).
void IndexInit();

// ---- Opening, ordering, closing ----
// Opens an index file into order n (1..16). Option words in the name:
// NOCACHE, and for a key maker SOUNDEX and DESCENDING (UNIQUE is the file's).
bool SetIndexTo(const std::string& nameWithOptions, int order, KeyMakerProc keyMaker = nullptr,
                void* data = nullptr);
// SetIndexTo followed by Set_Order_To(1).
bool SetIndexToCB(const std::string& nameWithOptions, int order, KeyMakerProc keyMaker, void* data);
// Closes every index of the area and opens the names of the list (blank
// separated, entries may be double-quoted) as orders 1, 2, 3, ...
bool SetIndexToList(const std::string& list);
// 0: record order (every index stays open and maintained).
void Set_Order_To(int n);
int CurrentOrder();
// Builds the file and opens it as the controlling index (option UNIQUE).
bool Index_On(const std::string& expression, const std::string& nameWithOptions);
bool Index_On(const std::string& nameWithOptions, KeyMakerProc keyMaker, void* data);
// Rebuilds every open index; the controlling order stays.
void Reindex();
void CloseIndex(int slot);
void CloseIndexes();
// Index file name of an order slot ("" when empty).
std::string IndexFileName(int slot);

// ---- Seeking ----
// Positions the area on the first record whose key starts with text
// (IndexExact: equals the text padded with blanks); EOF when none.
bool Find(const std::string& text);
bool FindExact(const std::string& text);

// The record numbers of the controlling index in key order, read in one
// pass over its leaves under one read semaphore (deleted records included).
// Records whose bit is set in leaveOut (bit r % 64 of word r / 64) are left
// out.
bool RecordsInKeyOrder(std::vector<std::int32_t>& records, std::span<const std::uint64_t> leaveOut = {});
// Key bytes of the current record for the index in slot (as stored).
std::string CurrentKeyBytes(int slot);

// ---- Building ----
// Progress of a build: called `steps` times in all; nullptr: none.
void SetIndexProgress(std::function<void()> callback, int steps);

// ---- Index file information ----
struct TIndexInfo {
    std::string expression;   // engine text
    int keyLength = 0;
    char keyType = 'C';
    bool unique = false;
    std::int32_t recordCount = -1; // -1 when the check word does not match
    std::string tableName;    // "" when the check word does not match
};
// Reads page 0 of a file; false after an error (220 for an empty name).
bool IndexInfo(const std::string& fileName, TIndexInfo& info);
std::int32_t IndexInfoRecordCount(const std::string& fileName);

// ---- Multi-user access (the semaphore file) ----
// Nested read and write sections of the current area's indexes; false when
// the section could not be entered (then nothing is to be released).
bool SetReadSemaphoreProc(bool on);
bool SetLockSemaphoreProc(bool on);
// True once after another program changed the area's indexes (their page-0
// headers have then been read again).
bool CheckIndexChanged();

} // namespace kt4::dbase
