// Work areas: up to 33 open tables for the callers (areas 1..33) and two for
// the engine itself (34, 35). One area is current; record operations act on
// it. Each area holds the native record exactly as in the file (text in the
// engine's ANSI code page once read) and the caller's typed record buffer.
#pragma once

#include "dbase/engine/codepage.h"
#include "dbase/engine/dbf_file.h"
#include "dbase/engine/hooks.h"
#include "foundation/types.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kt4::dbase {

constexpr int MaxUserAreas = 33;
constexpr int MaxAreas = 35;
constexpr int EngineArea = 34;
constexpr int FromFileArea = 35; // AppendFrom's source

// How a field is held in the typed record buffer.
enum class SlotKind : std::uint8_t {
    None,    // unknown type: no room
    Text,    // C: length byte + up to len characters
    Date,    // D: length byte + up to len + 2 characters (date text)
    Double,  // N/F with decimals, and N/F(>=19,0)
    Int32,   // N/F(<10,0)
    Int64,   // N/F(10..18,0): wide integers keep all their digits
    Logical, // L: one byte 0/1
    MemoRef, // M: int32 block number
};

// Numbers in the typed buffer: host-order values at any alignment.
template <class T>
T LoadSlot(const std::uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class T>
void StoreSlot(std::uint8_t* p, T v)
{
    std::memcpy(p, &v, sizeof v);
}

// The value an integer slot holds for a number. A number the slot cannot
// hold (NaN, infinite, beyond its range) gives the slot's lowest value,
// which no field of the slot's widths can show: the field is stored as
// asterisks and listed as an overflow, as a number too wide for it is.
inline std::int32_t Int32SlotValue(double v)
{
    return std::isfinite(v) && std::fabs(v) < 2.1e9 ? std::int32_t(std::llround(v))
                                                   : std::numeric_limits<std::int32_t>::min();
}
inline std::int32_t Int32SlotValue(std::int64_t v)
{
    return v >= -2100000000 && v <= 2100000000 ? std::int32_t(v) : std::numeric_limits<std::int32_t>::min();
}
inline std::int64_t Int64SlotValue(double v)
{
    return std::isfinite(v) && std::fabs(v) < 9.2e18 ? std::int64_t(std::llround(v))
                                                    : std::numeric_limits<std::int64_t>::min();
}

// The 32-byte prolog of a table file as read (or 8 bytes for dBase II).
struct TDbfHeader {
    std::array<std::uint8_t, 32> bytes{};
};

// One field of a table.
struct TDbfFieldInfo {
    std::string name;          // upper case, at most 11 characters
    char type = 'C';           // C N F L D M
    std::uint8_t len = 0;
    std::uint8_t dec = 0;
    std::uint32_t offset = 0;  // in the native record (1 = after the deletion byte)
    SlotKind slot = SlotKind::None;
    std::uint32_t bufOffset = 0; // in the typed buffer
    std::uint32_t bufSize = 0;
};

enum class FileState : std::uint8_t { Closed = 0, Open = 1, Modified = 2, Appended = 3 };
enum class LockState : std::uint8_t { None = 0, File = 1, Append = 2, Records = 3 };

// Record conversion hook: receives one record's text without its deletion
// byte (after conversion to OEM on write, before conversion from OEM on read).
// For a table whose page is converted in a stage of its own (437, ...), the
// area's hooks hold that stage too: they take and give the stored bytes.
using RecordHook = std::function<void(std::uint8_t* text, std::size_t length)>;
// Filter, WHILE and relation procedures.
using ConditionProc = std::function<bool()>;
using RelationProc = std::function<void(int area)>;

struct TWorkArea {
    int number = 0;                 // 1..35
    std::string fileName;           // full path with extension
    FileId fileKey;                 // identifies the file on disk
    TDbfHeader header;
    std::uint8_t version = 0;
    bool level7 = false;
    bool dbase2 = false;
    bool hasMemo = false;
    bool hideDeleted = false;
    std::uint32_t headerLen = 0;
    std::uint32_t recLen = 0;       // deletion byte included
    std::vector<TDbfFieldInfo> fields;
    FileState state = FileState::Closed;
    std::string lastUpdate;         // YYYYMMDD
    std::vector<std::uint8_t> native;
    std::int32_t recCount = 0;
    std::int32_t recNo = 0;         // 0 in an empty table, recCount + 1 after the last
    bool eof = true;
    bool bof = true;
    std::uint16_t openMode = 0;
    bool opened = false;
    bool oem = false;               // table text is OEM: converted on every read and write
    const TableCodePage* codePage = nullptr; // the page its header mark names, or the unmarked choice
    RecordHook writeHook, readHook;
    DbfFile file{HeldFile::Table};

    // Virtual files (their manager owns the contents)
    bool isVirtual = false;
    std::uint8_t vfRequest = 0;
    std::int32_t vfRecNo = 0;
    std::uint8_t vfAppendMode = 0;  // 0 FIFO, 1 LIFO, 2 INSERTION, 3 ASCENDING, 4 DESCENDING
    std::uint8_t vfStorage = 1;     // 1 heap, 2 EMS, 3 XMS, 5 biggest
    std::string vfName;
    std::shared_ptr<void> vfState;

    // The caller's typed record buffer
    std::uint8_t* buffer = nullptr;
    std::size_t bufSize = 0;
    std::vector<std::uint8_t> ownedBuffer;
    std::vector<std::uint8_t> second; // work copy of REPLACE

    ConditionProc filter;
    TExpr* forExpr = nullptr;
    RelationProc relation;
    std::string alias;              // upper case, unique among open areas
    ConditionProc whileProc;
    TExpr* whileExpr = nullptr;
    std::shared_ptr<void> memoState;
    std::string memoPath;

    LockState lockState = LockState::None;
    std::vector<std::int32_t> locks; // oldest first
    bool exclusive = false;

    // Engine bookkeeping
    bool relationRunning = false;
    std::vector<int> overflowFields;  // N/F fields stored as "*" by the last write
    // What was done to the typed buffer since a record came into it, per
    // field n ([0]: every field and the memos): MarkNumberSet, a number was
    // set (stored even where the bytes, not a number, read as that value);
    // MarkTextInPage, the engine converted the text into the table's page
    // itself (APPEND FROM, the browser), so it is written as it stands.
    // Reading a record into the buffer and every write clear it.
    std::vector<std::uint8_t> fieldMarks;
    std::int64_t cacheStart = -1;     // read cache (exclusive areas)
    std::vector<std::uint8_t> cache;
    std::int32_t appendsSinceCount = 0;  // exclusive appends since the count was written
    std::chrono::steady_clock::time_point countWrittenAt{};
    // The typed buffer of the blank record as the date layout made it: the
    // spans (offset, length) its decoding writes.
    struct {
        int layout = -1;
        std::vector<std::uint8_t> bytes;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    } blankRecord;
    // The record the typed buffer was last encoded into and, for the fields
    // marked known, the slots its bytes decode to.
    struct {
        std::vector<std::uint8_t> record, decoded, known;
    } encodedRecord;

    // The native record: the caller's buffer in a virtual area.
    std::uint8_t* Record() { return isVirtual ? buffer : native.data(); }
    const std::uint8_t* Record() const { return isVirtual ? buffer : native.data(); }
    std::int64_t RecordOffset(std::int32_t n) const
    {
        return std::int64_t{headerLen} + std::int64_t{n - 1} * recLen;
    }
    bool Shared() const;  // not exclusive and multi-user on
    const TableCodePage& TextPage() const
    {
        return codePage ? *codePage : oem ? OemCodePage() : AnsiCodePage();
    }
    static constexpr std::uint8_t MarkNumberSet = 1, MarkTextInPage = 2;
    bool Marked(std::size_t field, std::uint8_t mark) const
    {
        return !fieldMarks.empty() &&
               ((fieldMarks[0] & mark) || (field < fieldMarks.size() && (fieldMarks[field] & mark)));
    }
    void Mark(std::size_t field, std::uint8_t mark)
    {
        if (fieldMarks.size() <= field)
            fieldMarks.resize(std::max(field, fields.size()) + 1, 0);
        fieldMarks[field] |= mark;
    }
};

// WorkAreas[1..35]: nullptr = free.
extern Array1<std::unique_ptr<TWorkArea>, MaxAreas> WorkAreas;
extern int CurrentArea;

// The area n (nullptr when free or out of range) and the current one.
TWorkArea* Area(int n);
TWorkArea* Current();
// Current area when open, else error 215 naming operation; nullptr then.
TWorkArea* RequireArea(const char* operation);

// 1..33: that area; 0: the first free one (220 when none); above 33: 220.
bool Select(int n);
int CurrentAreaNo();
// Alias of the current area ("" when free).
std::string Alias();
// Number of the open area 1..33 with this alias (full, case-insensitive), 0 when none.
int AreaOfAlias(const std::string& alias);

// ---- Opening and closing ----
struct OpenRequest {
    std::string path;    // taken as given (case preserved); ".DBF" added when it has no extension
    std::string alias;   // "" = the file's base name
    bool exclusive = false;
};
// Parses a USE command into path, alias and options. Keywords are whole
// blank-delimited words after the path, matched without regard to case; the
// path keeps its case. Virtual-file words are reported in the out fields.
struct UseCommand {
    OpenRequest request;
    bool isVirtual = false;
    std::uint8_t storage = 1;
    std::uint8_t appendMode = 0;
};
UseCommand ParseUseCommand(const std::string& command);
// USE: closes the current area, then opens command (empty: only close).
// buffer nullptr with size 0: the area allocates the typed buffer itself.
bool USE(const std::string& command, void* buffer = nullptr, std::size_t size = 0);
bool USE(const std::string& command, void* buffer, std::size_t size, RecordHook writeHook,
         RecordHook readHook);
// The structured form used inside the program.
bool UseTable(const OpenRequest& request, void* buffer = nullptr, std::size_t size = 0);
void CloseCurrentArea();
// Closes areas 1..33 and makes area 1 current.
void CloseAll();

// ---- Field information (current area) ----
std::string Field(int n);
int FieldNo(const std::string& name);
char FieldType(int n);
int FieldLen(int n);
int FieldDec(int n);
std::uint8_t* FieldAddress(int n);
int FieldCount();
int RecSize();
// Field n of the typed buffer as display text.
std::string FieldText(int n);
bool Deleted();
// Of any area: field number by name (0 when none), field entry (nullptr).
int FieldNoIn(const TWorkArea& area, const std::string& name);
const TDbfFieldInfo* FieldInfoOf(const TWorkArea& area, int n);
// Raw bytes of field n in the native record (ANSI once read); empty when n is invalid.
std::string_view FieldBytes(const TWorkArea& area, int n);

// ---- Records ----
// Size of the typed buffer for a field table (1 + slots).
std::size_t TypedBufferSize(std::vector<TDbfFieldInfo>& fields);
void RecordToBuffer(TWorkArea& area);
// Converts the typed buffer into the native record. With keepUnchanged (a
// rewrite), fields whose typed value equals the value of their current bytes
// keep their bytes; a new record encodes every field. An invalid date text
// is error 220 (nothing converted then); false on error.
[[nodiscard]] bool BufferToRecord(TWorkArea& area, const char* operation, bool keepUnchanged = true);
// RecordToBuffer after BufferToRecord: the fields whose decoded value the
// encoding knew are not decoded again.
void EncodedRecordToBuffer(TWorkArea& area);
// Blanks the native record and converts it into the buffer.
void ClearRecord();
void ClearRecordOf(TWorkArea& area);
// Read record n into the native record (212 out of range, 213 short read).
[[nodiscard]] bool GetDbfRecord(TWorkArea& area, std::int32_t n);
// Writes the native record at n; n above the count appends.
[[nodiscard]] bool PutDbfRecord(TWorkArea& area, std::int32_t n);
[[nodiscard]] bool WriteDeleteFlag(TWorkArea& area, std::int32_t n);
// Writes today's date and the record count into the file's header.
[[nodiscard]] bool UpdateDbfHeader(TWorkArea& area);
// Puts today's date and count into a header prologue as the area's format
// keeps them; returns the prologue's length (8 for dBase II, else 32).
std::size_t StampPrologue(const TWorkArea& area, std::uint8_t* prologue, std::int32_t count);
// Record count from the file (shared areas): FileRecordCount.
void RefreshRecCount(TWorkArea& area);
// The records the file holds now: CountFileRecords with the count its
// header holds now (the area's own count when the header cannot be read).
std::int32_t FileRecordCount(const TWorkArea& area);
// The records of a table file of size bytes whose header counts
// headerCount: the counted ones the file holds whole, then the whole
// records after them that begin with a blank or "*" (appends whose count
// is not written yet; with recount every one up to padding). Padding after
// the records (0x1A, zeros) is never a record. padded, when given, tells
// whether only padding (or nothing) follows the records.
std::int32_t CountFileRecords(const DbfFile& file, std::uint32_t headerLen, std::uint32_t recLen,
                              std::uint32_t headerCount, std::int64_t size, bool recount,
                              bool* padded = nullptr);
// The record count the file's header holds now (dBase II: 16 bits).
bool ReadHeaderCount(const DbfFile& file, bool dbase2, std::uint32_t& count);

// The block number a memo field's bytes hold: 0 for blanks (or zeros), the
// number for a plain one (digits with blanks around them; a negative one,
// without leading zeros, where BLOB numbers are kept negative), and
// InvalidMemoRef for any other bytes. No field of a memo's width holds
// InvalidMemoRef as a number, and no reader takes it for a block.
constexpr std::int32_t InvalidMemoRef = std::numeric_limits<std::int32_t>::min();
std::int32_t ParseMemoRef(std::string_view raw);

// Typed access to the current area's buffer (the caller's view of a record).
class TypedBuffer {
public:
    explicit TypedBuffer(TWorkArea& area) : area_(area) {}
    bool Deleted() const;
    void SetDeleted(bool on);
    std::string Text(int n) const;            // C and D
    void SetText(int n, const std::string& text);
    double Number(int n) const;               // N and F (integer slots widened)
    void SetNumber(int n, double value);
    std::int64_t Integer(int n) const;
    void SetInteger(int n, std::int64_t value);
    bool Logical(int n) const;
    void SetLogical(int n, bool value);
    std::int32_t MemoRef(int n) const;
    void SetMemoRef(int n, std::int32_t ref);

private:
    const TDbfFieldInfo& F(int n) const;
    TWorkArea& area_;
};
TypedBuffer Buffer();  // of the current area (which must be open)

} // namespace kt4::dbase
