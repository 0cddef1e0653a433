// The on-disk layout of table files (dBase II, III/IV/FoxPro, level 7) and of
// empty memo files: parsing a header, which is checked completely before it
// is trusted, and building new ones. No I/O here.
#pragma once

#include "dbase/engine/runtime.h"
#include "dbase/engine/workarea.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kt4::dbase {

// True for 0x02, 0x03, 0x83, 0x8B, 0xF5, 0x04, 0x8C.
bool IsValidDbfVersion(std::uint8_t version);
inline bool IsLevel7Version(std::uint8_t v) { return v == 0x04 || v == 0x8C; }
inline bool VersionHasMemo(std::uint8_t v) { return (v & 0x80) != 0; }
// "FPT" for 0xF5 (and 0x30), else "DBT".
const char* MemoExtensionOf(std::uint8_t version);

constexpr std::uint32_t DBase2HeaderLength = 521;
constexpr std::size_t MaxHeaderRead = 65536 + 32;

// A header that passed every check.
struct ParsedTable {
    TDbfHeader header;
    std::uint8_t version = 0;
    bool dbase2 = false;
    bool level7 = false;
    bool hasMemo = false;
    std::uint32_t headerLen = 0;
    std::uint32_t recLen = 0;
    std::uint32_t headerCount = 0;  // as the header says
    std::int32_t recCount = 0;      // the records the file holds, counted by the opener (CountFileRecords)
    bool padded = false;            // only padding (or nothing) after the records: the opener reads it
    std::vector<TDbfFieldInfo> fields;
    std::string lastUpdate;         // YYYYMMDD
};

struct FormatError {
    std::uint16_t code = 0;
    std::string text;
};

// Parses the first n bytes of a file of fileSize bytes. file is the path for
// the messages. Refuses (210, 211, 222, 100) anything that would make a later
// read or write leave the file's records: record length 0 or below the
// fields' sum, header length beyond the file or too short for its
// descriptors, counts of 2^31 or more, more than 255 fields.
bool ParseDbfHeader(const std::uint8_t* data, std::size_t n, std::int64_t fileSize,
                    const std::string& file, ParsedTable& out, FormatError& error);

// What the file's size says about the records the header counts.
enum class RecordFit {
    Whole,       // every counted record is in the file (more may follow: appends the count missed)
    LastPartial, // all but the last, which is partial or missing (an append not finished)
    Short,       // the file ends before more than the last record
    Misfit,      // a record length above the fields' sum that the size does not fit
};
// Judged from the header's count, record length and fields; a record
// length above the fields' sum is kept only where the file holds the
// counted records of that length whole (whole records may follow, and
// an end mark or padding).
RecordFit FitOfRecords(const ParsedTable& t, std::int64_t fileSize);

// Bytes that fill a table file up after its records (the end mark, and the
// rest of a block as older writers and block-wise copies leave it).
inline bool IsPadByte(std::uint8_t b) { return b == 0x1A || b == 0x00; }
// Whether a whole record past the header's count, by its first byte, is a
// record: a blank or "*" (another program's append whose count is not
// written yet); with the recount switch anything but padding.
inline bool BeginsRecord(std::uint8_t first, bool recount)
{
    return recount ? !IsPadByte(first) : first == ' ' || first == '*';
}
// What disagrees, naming the table file (without the operation's tag).
std::string RecordFitText(const ParsedTable& t, RecordFit fit, std::int64_t fileSize,
                          const std::string& file);

// A field to create: name, type letter, length, decimals (offsets ignored).
struct FieldDef {
    std::string name;
    char type = 'C';
    int len = 0;
    int dec = 0;
};

// Builds a new empty table (header, 0x0D, 0x1A) for the create version;
// version receives the version byte written. Error 211 for invalid fields.
bool BuildDbfImage(const std::vector<FieldDef>& fields, std::uint8_t createVersion,
                   const Ymd& today, std::vector<std::uint8_t>& image, std::uint8_t& version,
                   FormatError& error);
// The empty memo file for a table of this version byte.
std::vector<std::uint8_t> BuildMemoImage(std::uint8_t version, std::uint32_t blockSize,
                                         const std::string& tableBaseName);

// Little-endian helpers
inline std::uint16_t GetU16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t GetU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// Big-endian (FoxPro memo files)
inline std::uint32_t GetU32BE(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
inline void PutU32BE(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (24 - 8 * i));
}

} // namespace kt4::dbase
