// Internals of the NDX unit shared between its source files: the page
// layout, the descriptor of an open index, the per-area state and the tree
// operations. Not for callers (ndx.h is).
#pragma once

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/workarea.h"
#include "dbase/expr/expr.h"
#include "dbase/ndx/ndx.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kt4::dbase::ndx {

constexpr std::size_t kPageSize = 512;
constexpr int kMaxDepth = 64;
constexpr std::uint32_t kAllBits = 0xFFFFFFFFu;
using Page = std::array<std::uint8_t, kPageSize>;
static_assert(sizeof(Page) == kPageSize, "pages are read into arrays of them");

// Page numbers, counts and record numbers are little-endian.
inline std::uint16_t U16(const std::uint8_t* p) { return GetU16(p); }
inline std::uint32_t U32(const std::uint8_t* p) { return GetU32(p); }

// The 24-byte header of page 0.
struct NdxHeader {
    std::uint32_t root = 1;
    std::uint32_t pageCount = 2;
    std::uint8_t typeLetter = 'C';
    std::uint16_t keyLen = 0;
    std::uint16_t keysPerPage = 0;
    std::uint16_t keyType = 0;
    std::uint32_t recSize = 0;
    bool unique = false;
};
NdxHeader ParseHeader(const std::uint8_t* p);
void ComposeHeader(const NdxHeader& h, std::uint8_t* p);
inline std::uint32_t RecordSizeFor(std::uint32_t keyLen) { return (keyLen + 8 + 3) / 4 * 4; }

// Page 0's record count words of an index that a PACK made out of date
// before it replaced the table: the check word is the count's complement
// XORed with this, so that no reader takes the count (IndexInfo gives -1)
// and SET INDEX refuses the file until it is built anew. Other programs
// stop reading page 0 at the key expression.
constexpr std::uint32_t kOutOfDate = 0x4B434150u; // "PACK"
inline bool MarkedOutOfDate(const std::uint8_t* words)
{
    return GetU32(words) == (~GetU32(words + 4) ^ kOutOfDate);
}

// Expression text as stored: upper case and no blanks outside quotes.
std::string NormalizeExpression(const std::string& text);
const std::string& KeyMakerMarker();
// The table name page 0 holds (bytes 496..507, as stored: OEM for an OEM
// table).
std::string AnchorTableName(const std::string& tableFile, bool oem);
// Page 0: header, expression, record count with its complement, table name.
void ComposeAnchor(const NdxHeader& h, const std::string& expression, std::int32_t recCount,
                   const std::string& tableFile, bool oem, Page& page);

// Node view over a page.
struct NodeView {
    std::uint8_t* p;
    std::uint32_t recSize;
    unsigned Count() const { return U16(p); }
    void SetCount(unsigned n) { PutU16(p, n); PutU16(p + 2, 0); }
    std::uint8_t* Entry(unsigned i) const { return p + 4 + std::size_t(i) * recSize; }
    std::uint32_t Child(unsigned i) const { return U32(Entry(i)); } // i == Count(): trailing
    void SetChild(unsigned i, std::uint32_t c) { PutU32(Entry(i), c); }
    std::uint32_t Rec(unsigned i) const { return U32(Entry(i) + 4); }
    const std::uint8_t* Key(unsigned i) const { return Entry(i) + 8; }
    bool Leaf() const { return Child(0) == 0; }
};

// Node cache of an index in an exclusive area: direct-mapped by page.
class NodeCache {
public:
    void Configure(std::size_t bytes);
    bool Enabled() const { return capacity_ > 0; }
    const Page* Find(std::uint32_t page) const;
    void Store(std::uint32_t page, const Page& node);
    void Forget(std::uint32_t page);
    void Clear();

private:
    void Grow(std::uint32_t page);
    std::size_t capacity_ = 0; // slots at most
    std::vector<std::uint32_t> tags_;
    std::unique_ptr<Page[]> pages_; // tags_.size() slots
};

// The pages a walk reads at a time (256 KB). Aligned to the memory page:
// the kernel copies file pages into a buffer a few bytes off that
// alignment several times slower on some processors.
constexpr std::uint32_t kRunPages = 512;
struct alignas(4096) RunPages {
    std::array<Page, kRunPages> page;
};

struct PathLevel {
    std::uint32_t page = 0;
    unsigned index = 0; // leaf: entry 0..n (n = after the last); inner: child 0..n
    Page node;          // filled by the read that makes the level
    bool loaded = true; // false: node not copied yet (it is in the cache)
};

// The records a walk over the whole index met (each must come once) and
// how many entries it met; beside them, per 64 records in one cache line,
// the records the walk's caller leaves out.
class WalkTally {
public:
    // A walk over a table of records records; leaveOut: bit r % 64 of word
    // r / 64 set for a record r to leave out.
    void Start(std::int32_t records, std::span<const std::uint64_t> leaveOut = {})
    {
        words_ = std::size_t(std::max(records, 0)) / 64 + 1;
        bits_.clear();
        if (!leaveOut.empty()) {
            bits_.assign(2 * words_, 0);
            for (std::size_t w = 0; w < words_ && w < leaveOut.size(); ++w)
                bits_[2 * w] = leaveOut[w];
        }
        entries_ = 0;
    }
    // False when rec was met before (records beyond the table are counted
    // only).
    bool Take(std::int32_t rec)
    {
        if (bits_.empty())
            bits_.assign(2 * words_, 0);
        ++entries_;
        const std::size_t w = std::size_t(std::uint32_t(rec)) / 64;
        if (rec < 1 || 2 * w >= bits_.size())
            return true;
        return Meet(bits_.data() + 2 * w, std::uint64_t{1} << (rec % 64));
    }
    // For a walk taking a leaf at a time: the pair of words of record r is
    // Pairs() + 2 * (r / 64), of which Meet takes its bit; Count the
    // leaf's entries.
    std::uint64_t* Pairs()
    {
        if (bits_.empty())
            bits_.assign(2 * words_, 0);
        return bits_.data();
    }
    static bool Meet(std::uint64_t* pair, std::uint64_t bit)
    {
        const std::uint64_t met = pair[1];
        pair[1] = met | bit;
        return (met & bit) == 0;
    }
    void Count(std::int64_t entries) { entries_ += entries; }
    std::int64_t Entries() const { return entries_; }

private:
    std::vector<std::uint64_t> bits_; // per 64 records: left out, met (made when first needed)
    std::size_t words_ = 1;
    std::int64_t entries_ = 0;
};

struct Descriptor {
    int order = 0;
    int area = 0;
    std::string path;       // file name as opened
    DbfFile file{HeldFile::Index};
    NdxHeader hdr;
    std::string expression; // engine text, normalised
    ExprPtr compiled;
    char type = 'C';        // C, D, N
    bool anchorModified = false;
    // The record count the tree is known to be up to: page 0's when it was
    // the table's at open, followed through every append this program kept
    // the index in step with (-1: not known, a stale index). Page 0's count
    // is written only for a tree this program changed (CountWords).
    std::int64_t keptCount = -1;
    bool changed = false;
    bool bof = false, eof = false;
    bool soundex = false, descending = false, noCache = false;
    // An expression index over text: every key read must be in the
    // engine's folded form (in the table's character set, oemKeys).
    bool foldedKeys = false, oemKeys = false;
    // The error that found the file unfit for changes (222: a key not
    // folded; 254, 212: a damaged tree), 0 while none did: from then on
    // nothing is written to it, and its text answers every change.
    std::uint16_t refusal = 0;
    std::string refusalText;
    // Page 0 carries the mark of a PACK (kOutOfDate): the tree belongs to
    // the table as it was, so its reads are refused as well. words holds
    // what the mark was written over while this program's PACK may still
    // take it back.
    struct {
        bool on = false;
        bool ours = false;
        std::uint8_t words[8] = {};
        std::uint16_t refusal = 0;
        std::string refusalText;
    } outOfDate;
    // Page 0's count words are this engine's: its trees keep the last key of
    // every leaf equal to the separator that leads to it (other programs'
    // trees are not held to that).
    bool ownTree = false;
    // While a change is tried out (BeginTrial): the header as it was before.
    struct {
        bool on = false;
        NdxHeader hdr;
        bool anchorModified = false;
    } trial;
    // Pages kept from the file, which node reads see: a trial's writes, or
    // the pages of a split that wait their turn (not moved by a write).
    std::deque<std::pair<std::uint32_t, Page>> unwritten;
    // The change of the tree under way (an insertion or a removal): pages
    // from newFrom on are new to it (no node leads to them yet); landed
    // tells that one of its writes reached a page the tree references, or
    // page 0, or may have (a write that failed part-way).
    struct {
        std::uint32_t newFrom = 0;
        bool landed = false;
    } change;
    // Counts the changes of the tree, this program's writes and the
    // re-reading after another program's.
    std::uint64_t changes = 0;
    // A walk by steps from the first or last key over the whole index,
    // while nothing else moved the index or changed the tree: its
    // direction, the record it stands on and what it met.
    struct {
        bool on = false, forward = true;
        std::uint64_t changes = 0;
        std::int32_t rec = 0;
        std::int32_t first = 0; // its first record, until the tally takes it
        WalkTally tally;
    } walk;
    KeyMakerProc keyMaker;
    void* keyData = nullptr;
    std::string curKey;     // key of the current position (keyLen bytes)
    std::int32_t curRec = 0;
    // The key the index took for a record before it is written: an append's,
    // or a REPLACE's new one (empty when the record's key stays).
    std::string pendingKey;
    std::vector<PathLevel> trail; // root .. leaf
    bool positioned = false;
    NodeCache cache;
    // While a walk reads the leaves in order: the run of whole pages read
    // last (first page, count), ahead of the pages asked for.
    struct {
        std::unique_ptr<RunPages> pages;
        std::uint32_t first = 0, count = 0;
    } run;

    bool CharKey() const { return type == 'C'; }
    void Unposition() { positioned = false; trail.clear(); }
};

// The semaphore file of a shared area (ndx_semaphore.cpp).
struct SemaphoreState {
    DbfFile file{HeldFile::Semaphore};
    std::string name;
    std::uint8_t rec[4] = {};   // user count, access count, change counter
    std::uint16_t seen = 0;     // change counter seen last
    bool regionHeld = false;    // writer
    bool counted = false;       // counted as reader (holds the reader byte)
};

struct AreaIndexes {
    std::array<std::unique_ptr<Descriptor>, kMaxOrders + 1> slots; // [1..16]
    bool naturalOrder = false;
    int readNesting = 0;
    int lockNesting = 0;
    std::unique_ptr<SemaphoreState> sem;
};

AreaIndexes& StateOf(int area);
AreaIndexes& CurrentState();
Descriptor* Controlling();
// The current area's index in slot 1..16; nullptr for none (or no slot).
Descriptor* InSlot(int slot);
// The index of the area open on the file with id (nullptr: none).
Descriptor* FindIndexOpenOn(int area, const FileId& id);
bool AnyOpen(const AreaIndexes& s);

// ---- Keys (ndx_keys.cpp) ----
int CompareKeys(const Descriptor& d, const std::uint8_t* a, const std::uint8_t* b, std::size_t len);
// Key of the area's current (native) record for d, keyLen bytes.
std::string RecordKey(TWorkArea& a, Descriptor& d);
// The blank key (blanks, or the double 0).
std::string BlankKey(const Descriptor& d);
// Search key of Find: the key bytes (padded to keyLen) and the length to
// compare; false when the text cannot be a key (a number that is none).
bool SearchKey(TWorkArea& a, Descriptor& d, const std::string& text, bool exact, std::string& key,
               std::size_t& compareLen);
// Whether the keys of a node are in the engine's folded form (no capitals,
// umlauts or sharp s); other programs may store the text as it is.
bool KeysFolded(const Descriptor& d, const NodeView& node);
// Character key text as given to callers (engine text).
std::string KeyText(TWorkArea& a, Descriptor& d, const std::string& key);
// Numeric text of the engine's own reader ("." or ","); false: no number.
bool ReadKeyNumber(const std::string& text, double& value);

// ---- Pages (ndx_pages.cpp) ----
std::string NodeContext(const Descriptor& d);
bool ReadNode(Descriptor& d, std::uint32_t page, Page& out);
// The same without a copy where the node is at hand (in the cache or in
// the run of pages a walk read): the node, valid until the next read;
// nullptr after an error. Others are read into scratch, or with startRun
// (the walk expects a leaf) as the first page of a new run.
const Page* FetchNode(Descriptor& d, std::uint32_t page, Page& scratch, bool startRun);
bool WriteNode(Descriptor& d, std::uint32_t page, const Page& node);
// d is unfit for changes from now on, for the error just set: every place
// that finds an index damaged or not matching its table ends here, and
// nothing of it is written again until it is built anew.
void Unfit(Descriptor& d);
// An entry of d names no record of the table, or a record whose key is
// another (what): 212 naming the index and REINDEX, and d unfit.
void Misfit(Descriptor& d, const std::string& what, const std::string& operation);
// A change of a file found unfit: true, with that error set again.
bool Refused(const Descriptor& d);
// d's page 0 carries a PACK's mark (operation: where it is met): unfit,
// and every read of it answers 212 too.
void OutOfDate(Descriptor& d, const std::string& operation);
// Before a PACK replaces the table (on): every open index of the current
// area gets the mark on its page 0 and is out of date; false, with no mark
// left, when one cannot be written. Off takes this program's marks back
// (the table was not replaced).
bool MarkOutOfDate(bool on);
// A rebuild that failed part-way left d as it was: its page 0 gets the
// mark (for every program that opens it), and it is unfit and out of date
// here. A failed write of the mark leaves it so in this program only.
void LeftOutOfDate(const TWorkArea& a, Descriptor& d, const std::string& operation);
// A change of d stopped after a write of it landed (the error just set
// says why): the tree may hold a part of it, or an entry it was to lose.
// d is out of date from now on, in this program (212 for reads and changes,
// naming the failure) and, through the mark on page 0 where that can still
// be written, in every other program at its next read or write section.
void ChangeLeftOutOfDate(Descriptor& d);
// From BeginTrial on, d's writes are kept from the file (and its node
// reads see them); DropTrial forgets them, so that d is as it was before.
void BeginTrial(Descriptor& d);
void DropTrial(Descriptor& d);
bool WriteAnchor(Descriptor& d);          // whole page 0 from the header copy
// Whether the tree is known to be up to the table's record count (in a
// shared area the other programs' appends are theirs to keep in step).
bool UpToCount(const TWorkArea& a, const Descriptor& d);
// The record count words of page 0 (complement, count) for a changed tree:
// the table's count when the tree is up to it, else the count it is known
// to be up to, else none that matches (the check word is not the
// complement), so that a header check finds the index stale.
void CountWords(const TWorkArea& a, const Descriptor& d, std::uint8_t* words);
// d took the key of the appended record rec (the tree stays up to the count
// only when it was up to the record before), or failed to (ok false).
void CountAppend(const TWorkArea& a, Descriptor& d, std::int32_t rec, bool ok);
// Re-reads every header, and page 0's out-of-date mark (OutOfDate).
bool ReadAnchorNodes(AreaIndexes& s);
// Whether page 0's header fits the expression's type and, where the
// expression's text has the same length for every record (keyLength, -1
// when not), that length or the next multiple of 4; why names the field
// that does not, with its value.
bool ValidateHeader(const NdxHeader& h, char exprType, int keyLength, std::string& why);
// The text of error 222 for a header that is refused for why.
std::string HeaderFault(const std::string& path, const std::string& why);

// ---- Tree (ndx_tree.cpp) ----
// Leftmost / rightmost entry; empty: false with empty true.
bool GoFirst(Descriptor& d, bool& empty);
bool GoLast(Descriptor& d, bool& empty);
// First entry >= key (after: upper bound, first entry > key). atEnd when
// every entry is below.
bool Seek(Descriptor& d, const std::string& key, bool after, bool& atEnd);
// Visits every leaf from the first to the last in key order (the position
// is not used), reading the leaves in runs of pages; false after a read
// error or when visit returns false.
bool WalkLeaves(Descriptor& d, const std::function<bool(const NodeView& leaf)>& visit);
// Moves to the next / previous entry; end: no further entry (path kept).
bool StepNext(Descriptor& d, bool& end);
bool StepPrior(Descriptor& d, bool& begin);
// Positions on the entry (key, rec); found false when absent.
bool Locate(Descriptor& d, const std::string& key, std::int32_t rec, bool& found);
// What InsertKey reads before its first write: d positioned where the
// entry goes (alreadyThere: a UNIQUE index holds the key already, or the
// index holds the entry itself; nothing to insert), with every node its
// splits will read. False after an error (the position dropped). RemoveKey
// is the same up to its first write.
bool PlaceForInsert(Descriptor& d, const std::string& key, std::int32_t rec, bool newest, bool& alreadyThere);
// Inserts (key, rec); newest: rec is above every record in the index.
bool InsertKey(Descriptor& d, const std::string& key, std::int32_t rec, bool newest);
// Removes (key, rec): 0 removed (or UNIQUE without this record), -1 absent.
bool RemoveKey(Descriptor& d, const std::string& key, std::int32_t rec, int& result);
// The leaf at the end of the path (read from the cache when not copied).
NodeView LeafView(Descriptor& d);
bool OnEntry(Descriptor& d);
void TakeEntry(Descriptor& d); // curKey/curRec from the position

// ---- Semaphore (ndx_semaphore.cpp) ----
bool Login(TWorkArea& a, AreaIndexes& s);
void Logout(TWorkArea& a, AreaIndexes& s);
void DropSemaphoreState(AreaIndexes& s);

// Runs the read or lock semaphore of the current area for a scope.
class SemaphoreScope {
public:
    explicit SemaphoreScope(bool lock) : lock_(lock)
    {
        ok_ = lock_ ? SetLockSemaphoreProc(true) : SetReadSemaphoreProc(true);
    }
    ~SemaphoreScope()
    {
        if (ok_)
            lock_ ? SetLockSemaphoreProc(false) : SetReadSemaphoreProc(false);
    }
    SemaphoreScope(const SemaphoreScope&) = delete;
    SemaphoreScope& operator=(const SemaphoreScope&) = delete;
    bool Ok() const { return ok_; }

private:
    bool lock_;
    bool ok_ = false;
};

// ---- Building (ndx_build.cpp) ----
struct BuildRequest {
    std::string file;        // resolved target path
    std::string expression;  // "" with a key maker
    KeyMakerProc keyMaker;
    void* keyData = nullptr;
    int order = 1;
    bool unique = false, soundex = false, descending = false;
};
// Builds the file over the table of the current area and renames it over
// the target; built then holds the new file open, with the share lock of
// an open index (taken before the rename). An index of the area open on
// the target stays open (on the file replaced). Nothing is changed after
// an error.
bool MakeIndex(const BuildRequest& request, DbfFile& built);
// Whether the file may be replaced now: nobody else has it (or the table)
// open. Else 225.
bool MayReplace(TWorkArea& a, const std::string& file);

// ---- Names (ndx_open.cpp) ----
struct IndexOptions {
    bool unique = false, noCache = false, soundex = false, descending = false;
};
// Every index back in the slot of its own order number.
void RestoreSlots(AreaIndexes& s);
// Removes the option words; returns the trimmed name (quotes removed).
std::string SplitOptions(const std::string& text, IndexOptions& options);
// Default extension NDX, the table's folder when none is given, any case.
std::string ResolveIndexName(const TWorkArea& a, const std::string& name);
// Opens the index file at path into slot as order; built: the file is
// already open (handed over by the build, given back when it does not
// open), else it is opened by path.
bool OpenIndexFile(TWorkArea& a, const std::string& path, int order, int slot,
                   const IndexOptions& options, KeyMakerProc keyMaker, void* data, DbfFile* built = nullptr);
// The file a build handed over opens into slot as order, as SetIndexTo
// opens one (damage it meets is reported, the index staying open); false
// when it does not open, built then holding it again.
bool OpenBuilt(TWorkArea& a, DbfFile& built, const std::string& path, int order, int slot,
               const IndexOptions& options, KeyMakerProc keyMaker, void* data);
// Closes an index already taken out of its slot: its page 0 is finished as
// at a close (the area stays logged in).
void CloseTaken(TWorkArea& a, std::unique_ptr<Descriptor> d);
// After a close: the area logs out of the semaphore when no index is left.
void FinishClose(TWorkArea* a, AreaIndexes& s);

} // namespace kt4::dbase::ndx
