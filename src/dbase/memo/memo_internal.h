// The memo layer's own state and helpers, shared by its source files.
#pragma once

#include "dbase/engine/dbf_file.h"
#include "dbase/engine/workarea.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::dbase {

// A transformation of memo bytes per work area (e.g. encryption):
// offsetInBlob is where data begins inside the BLOB, writing says which way.
using MemoDataHook =
    std::function<void(std::uint8_t* data, std::size_t n, std::int64_t offsetInBlob, bool writing)>;

namespace memo {

enum class Kind { DBase3, DBase4, FoxPro };

// The BLOB descriptor of an area (one BLOB open at a time).
struct BlobDescriptor {
    bool active = false;
    int mode = 0;                  // 1 read, 2 write
    std::int64_t length = -1;      // read: known at open; write: the announced size, -1 none
    std::int64_t dataStart = 0;
    int headerSize = 0;            // 0 or 8
    std::int64_t offset = 0;
    std::int64_t block = 0;
    int textMode = -1;             // -1 undecided (the first chunk decides), 0 binary, 1 text
    bool convert = false;          // text is converted between OEM and ANSI
    std::int64_t limit = -1;       // write: the announced size, -1 none
    std::int64_t extent = 0;       // write: highest offset written
    bool placed = false;           // write: the memo file is locked and the BLOB has its place
    std::int32_t recNo = 0;        // for error texts
    // The block cache (only with a memo data hook)
    std::vector<std::uint8_t> cache;
    std::int64_t cacheStart = -1;  // offset in the BLOB of cache[0]
    std::size_t cacheFill = 0;
    bool cacheDirty = false;
};

// Where a memo is read from, for the error texts: the record, the memo
// field and the block as that field holds it.
struct MemoSource {
    std::int32_t record = 0;
    std::string field;
    std::string block;
};

struct TMemoFile {
    DbfFile file{HeldFile::Memo};
    std::string name;
    std::uint8_t type = 0x83;
    std::uint32_t blockSize = 512;
    bool locked = false;
    int loads = 0;                  // buffer loads of the last read
    bool referencesSound = false;   // no record's memo lies or runs past the end (found before a write)
    // The first memo read as damaged inside the file (its block header,
    // its length, its end mark): where, its block and why. No memo is
    // written while that record still holds the block.
    MemoSource damagedAt;
    std::int64_t damagedBlock = 0;
    std::string damage;
    BlobDescriptor blob;
    MemoDataHook dataHook;
    Kind kind() const
    {
        return type == 0xF5 ? Kind::FoxPro : (type == 0x83 ? Kind::DBase3 : Kind::DBase4);
    }
};

constexpr std::uint32_t kDefaultBlockSize = 512;

// Memo type of a version byte (0 when it names none).
std::uint8_t MemoTypeOfVersion(std::uint8_t version);
// The memo file of an area (nullptr when it has none).
TMemoFile* MemoOf(TWorkArea& area);
// The current area's memo file; 215 or 1019 naming operation when missing.
TMemoFile* RequireMemo(const char* operation, TWorkArea** area = nullptr);

// Bytes before the data in a block: 8 for dBase IV and FoxPro, 0 for dBase III.
int DataHeaderSize(Kind kind);
// Blocks a memo of n data bytes occupies.
std::int64_t BlocksFor(Kind kind, std::uint32_t blockSize, std::int64_t n);
// The lowest position a memo may start at (the header's blocks).
std::int64_t FirstDataBlock(const TMemoFile& m);

// Locks the memo file (shared areas) and finds where a new memo starts: the
// file padded with zeros to whole blocks, or 512 in a fresh dBase III file.
// A file whose last memo may run to its end without its end mark gets the
// mark (0x1A) at its old end first. Refused (1003, naming the first) while
// a record's memo lies past the end of the file or runs past it: the file
// would grow into it. The records are looked through before the first
// write of an open, and again after a refusal. Refused as well while the
// record of a memo read as damaged (NoteDamage) still holds its block.
// False after an error (reported, lock released); nothing may be written then.
bool LockMemoPadAndSeekEOF(TWorkArea& area, TMemoFile& m, const std::string& operation,
                           std::int64_t& position);
// Writes the next-free-block word at 0 (big-endian in FoxPro files).
bool MainHeaderWrite(TMemoFile& m, std::uint32_t block);
// The next free block from the file size, the dBase IV counter, and the
// lock released. False after an error (reported).
bool UpdateMemoHeader(TMemoFile& m);
void UnlockMemo(TMemoFile& m);

// A memo as stored.
struct StoredMemo {
    std::string bytes;      // the data, as in the file
    bool binary = false;    // FoxPro type word 0 (a picture)
    bool sized = false;     // it had a block header with its length
    std::int64_t blocks = 0;
};
// What the first bytes of a memo's block say (got of its 8 could be read;
// room is from the block's start to the end of the file): the size of the
// block header and the length of the data within the file.
struct BlockHeader {
    int size = 0;              // 8 in FoxPro and dBase IV blocks with a header
    std::int64_t length = -1;  // -1: none stored, the data ends with 0x1A
    bool binary = false;       // FoxPro type word other than 1 (a picture)
};
// Notes the first memo of m found damaged inside the file (at, its block,
// why): memo writes wait until its field no longer holds the block.
void NoteDamage(TMemoFile& m, const MemoSource& at, std::int64_t block, const char* why);
// Why a memo cannot be read whole: its length, or a dBase IV memo without
// its header, runs past the end of the file.
inline constexpr const char* kRunsPastTheEnd = "Memo reicht über das Ende der Memo-Datei hinaus";
// A block of a dBase IV file without the block header: only a memo the file
// kept from dBase III, text up to its end mark, reads so. Zeros before that
// mark are a damaged header (another memo's length word, the zero fill
// of a block), or a block inside another memo.
inline constexpr const char* kNoBlockHeader = "Block ohne Blockkopf, Nullbytes vor dem Endezeichen";
// A length that runs over the start of a block where another memo's
// block header stands: a damaged length word.
inline constexpr const char* kIntoAnotherMemo = "Länge reicht in ein weiteres Memo";
// Text never holds zero bytes: a memo read as text that does has run past
// its end (a damaged length word or end mark) into the zero fill of its
// block, or holds binary data, which only a BLOB reads.
inline constexpr const char* kZerosInText = "Memo enthält Nullbytes: Länge oder Endezeichen beschädigt";
// False when the header is damaged (error 1003); why then says how.
bool ParseBlockHeader(const TMemoFile& m, const std::uint8_t* h, long long got, std::int64_t room,
                      BlockHeader& out, const char** why = nullptr);
// The 8-byte block header of a dBase IV or FoxPro memo of length data bytes.
void ComposeBlockHeader(Kind kind, std::uint32_t length, bool binary, std::uint8_t* h);
// A field that holds a memo's block number (M, B, G, P).
bool IsMemoField(const TDbfFieldInfo& f);
// Why block cannot be a memo of m's file of size bytes: not a block number
// (InvalidMemoRef), in the header, at or past the last byte; nullptr when
// it can be read. A negative block is its absolute value.
const char* PointerFault(const TMemoFile& m, std::int64_t block, std::int64_t size);

// In the current record of area: the memo field that holds block.
MemoSource SourceOf(const TWorkArea& area, std::int64_t block);
// "<memo file> Record # r, Feld F, Block b: why [operation]".
std::string MemoErrorText(const TMemoFile& m, const MemoSource& at, const std::string& why,
                          const std::string& operation);

// ReadStoredMemo without reporting: 0 or the error code (why says how for 1003).
int LoadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out, const char** why = nullptr);
// Reads memo block of m. A block that is none (PointerFault), a dBase IV
// length below 8 and a length past the end of the file are error 1003
// (reported, naming at). A memo without a length that the file ends inside
// reads up to the end in a dBase III file (else it runs past the end).
bool ReadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out, const MemoSource& at,
                    const std::string& operation);
// Writes data in m's format at position (a block boundary), the last block
// filled with zeros. False after an error (reported).
bool WriteStoredMemo(TMemoFile& m, std::int64_t position, const std::string& data, bool binary,
                     const std::string& context);
// Before a memo is replaced: one that starts in the file but cannot be read
// whole (a damaged length, a file cut inside it) is error 1003 (reported,
// naming the current record of area), and nothing may be written.
bool CheckReplacedMemo(TMemoFile& m, const TWorkArea& area, std::int64_t block,
                       const std::string& operation);

// The context of error texts: file name, record and operation.
std::string RecordContext(const TMemoFile& m, const TWorkArea& area, const std::string& operation);

// The open and close slots of the memo hooks.
bool OpenMemoFileHook(int area, const std::string& memoPath);
void CloseMemoFileHook(int area);
// Stored bytes (after the area's read hook) in the engine's text, and back.
std::string StoredToEngine(TWorkArea& area, std::string bytes);
std::string EngineToStored(TWorkArea& area, std::string text);
// The slots of the memo hooks.
bool ReadMemoLinesHook(int area, std::int32_t block, std::vector<std::string>& lines);
bool PackMemoFileHook(int area);
// Drops a BLOB descriptor's state (the lock is released by the caller).
void ClearBlob(BlobDescriptor& b);

} // namespace memo
} // namespace kt4::dbase
