#include "dbase/engine/dbf_format.h"

#include "dbase/engine/engine_text.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <set>

namespace kt4::dbase {
namespace {

std::string NameOf(const std::string& file)
{
    return std::filesystem::path(file).filename().string();
}

bool Fail(FormatError& error, std::uint16_t code, std::string text)
{
    error.code = code;
    error.text = std::move(text);
    return false;
}

std::string TwoDigits(int v)
{
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string UpdateText(int yearByte, int month, int day)
{
    return std::to_string(1900 + yearByte) + TwoDigits(month) + TwoDigits(day);
}

char FieldTypeOf(std::uint8_t raw)
{
    switch (raw) {
    case 'B': case 'G': case 'P': case 'b': case 'g': case 'p':
        return 'M';
    default:
        return char(raw);
    }
}

// The record length the fields need: their lengths and the deletion byte.
std::uint64_t FieldsLength(const std::vector<TDbfFieldInfo>& fields)
{
    std::uint64_t sum = 1;
    for (const auto& f : fields)
        sum += f.len;
    return sum;
}

bool KnownType(char t)
{
    return t == 'C' || t == 'D' || t == 'F' || t == 'L' || t == 'M' || t == 'N';
}

std::string FieldName(const std::uint8_t* p, std::size_t max)
{
    std::string name;
    for (std::size_t i = 0; i < max && p[i] != 0; ++i)
        name.push_back(UpperChar(char(p[i])));
    if (name.size() > 11)
        name.resize(11);
    return name;
}

// The length every writer gives a field of the type (0: any).
int FixedLength(char type)
{
    switch (type) {
    case 'D': return 8;
    case 'L': return 1;
    case 'M': return 10;
    default: return 0;
    }
}

// Adds one field; false (211) for an unknown type letter, (210) for a
// length or decimal count no writer gives its type: such a descriptor is
// damaged, and the fields after it would be read from other fields' bytes.
bool AddField(ParsedTable& out, const std::string& name, std::uint8_t type, std::uint8_t len,
              std::uint8_t dec, std::uint32_t& offset, const std::string& file, FormatError& error)
{
    TDbfFieldInfo f;
    f.name = name;
    f.type = FieldTypeOf(type);
    if (!KnownType(f.type))
        return Fail(error, 211, "Field: " + name + " [" + std::string(1, char(type)) + "] in " +
                                    file + " ist kein gültiger Feldtyp");
    const int fixed = FixedLength(f.type);
    const bool numeric = f.type == 'N' || f.type == 'F';
    if (len == 0 || (fixed != 0 && len != fixed) || (numeric && dec >= len))
        return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Feld " + name + " vom Typ " +
                                    std::string(1, f.type) + ": Länge " + std::to_string(len) +
                                    (numeric ? ", " + std::to_string(dec) + " Dezimalstellen" : std::string()) +
                                    ") [USE/OpenDBF]");
    f.len = len;
    f.dec = dec;
    f.offset = offset;
    offset += len;
    out.fields.push_back(std::move(f));
    return true;
}

bool ParseDbase2(const std::uint8_t* data, std::size_t n, std::int64_t fileSize,
                 const std::string& file, ParsedTable& out, FormatError& error)
{
    out.dbase2 = true;
    out.headerCount = GetU16(data + 1);
    out.recLen = GetU16(data + 6);
    out.headerLen = DBase2HeaderLength;
    out.lastUpdate = UpdateText(data[5], data[3], data[4]);
    if (fileSize < std::int64_t(DBase2HeaderLength))
        return Fail(error, 210, file + " ist keine dBASE-Datenbank.(Datenbank-Header ist kleiner "
                                       "als 521 Bytes) [Use/OpenDBF]");
    if (n < DBase2HeaderLength)
        return Fail(error, 100, "Fehler beim Lesen von " + file + " [Use/OpenDbf]");
    std::uint32_t offset = 1;
    for (int i = 0;; ++i) {
        const std::uint8_t* d = data + 8 + i * 16; // i = 32 reads byte 520, still in the header
        if (d[0] == 0x0D)
            break;
        if (i == 32)
            return Fail(error, 210, NameOf(file) + " ist keine dBASE-Datenbank.(Zu viele "
                                                   "Datenfelder) [Use/OpenDbf]");
        if (!AddField(out, FieldName(d, 11), d[11], d[12], d[15], offset, file, error))
            return false;
    }
    return true;
}

bool ParseDbase3(const std::uint8_t* data, std::size_t n, std::int64_t fileSize,
                 const std::string& file, ParsedTable& out, FormatError& error)
{
    out.level7 = IsLevel7Version(out.version);
    out.hasMemo = VersionHasMemo(out.version);
    out.headerCount = GetU32(data + 4);
    out.headerLen = GetU16(data + 8);
    out.recLen = GetU16(data + 10);
    out.lastUpdate = UpdateText(data[1], data[2], data[3]);
    const std::uint32_t start = out.level7 ? 68 : 32;
    const std::uint32_t size = out.level7 ? 48 : 32;
    if (out.headerCount >= 0x80000000u)
        return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Anzahl der Datensätze "
                                       "ungültig) [USE/OpenDBF]");
    if (out.headerLen < start + size)
        return Fail(error, 210, NameOf(file) + " ist keine dBASE-Datenbank. (Zu viele "
                                               "Datenfelder) [Use/OpenDbf]");
    if (std::int64_t(out.headerLen) > fileSize)
        return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Datenbank-Header ist "
                                       "länger als die Datei) [USE/OpenDBF]");
    if (n < out.headerLen)
        return Fail(error, 100, "Fehler beim Lesen von " + file + " [Use/OpenDbf]");
    std::uint32_t offset = 1;
    for (std::uint32_t pos = start; pos + size <= out.headerLen; pos += size) {
        const std::uint8_t* d = data + pos;
        if (d[0] == 0x0D)
            break;
        if (out.fields.size() == 255)
            return Fail(error, 210, NameOf(file) + " ist keine dBASE-Datenbank. (Zu viele "
                                                   "Datenfelder) [Use/OpenDbf]");
        bool ok = out.level7
                      ? AddField(out, FieldName(d, 32), d[32], d[33], d[34], offset, file, error)
                      : AddField(out, FieldName(d, 11), d[11], d[16], d[17], offset, file, error);
        if (!ok)
            return false;
    }
    if (out.fields.empty())
        return Fail(error, 222, "Fehler beim Lesen von " + file + " [Use/OpenDbf]");
    // The list must end inside the header: an end mark standing at the
    // header's length, or a further descriptor there, says the header length
    // is too small and the records would be read from inside the list. A
    // header of descriptors alone, with record 1 after it, is kept.
    const std::uint32_t next = start + std::uint32_t(out.fields.size()) * size;
    if (next < n && !(next < out.headerLen && data[next] == 0x0D)) {
        const std::uint8_t* d = data + next;
        const bool mark = d[0] == 0x0D;
        const bool letter = (d[0] | 0x20) >= 'a' && (d[0] | 0x20) <= 'z';
        const std::size_t typeAt = out.level7 ? 32 : 11;
        const bool descriptor = letter && (next + typeAt >= n || KnownType(FieldTypeOf(d[typeAt])));
        if (mark || descriptor)
            return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Header-Länge " +
                                        std::to_string(out.headerLen) + " zu klein für die Feldliste "
                                        "und ihr Endezeichen) [USE/OpenDBF]");
    }
    // Between the end mark and the header's length writers put zeros (level
    // 7 keeps field properties there); other bytes are records: the header
    // length is too large, and every field would be read shifted.
    if (!out.level7 && next < out.headerLen && data[next] == 0x0D)
        for (std::uint32_t i = next + 1; i < out.headerLen; ++i)
            if (data[i] != 0)
                return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Header-Länge " +
                                            std::to_string(out.headerLen) + ": nach dem Endezeichen der "
                                            "Feldliste stehen Daten) [USE/OpenDBF]");
    return true;
}

} // namespace

bool IsValidDbfVersion(std::uint8_t v)
{
    return v == 0x02 || v == 0x03 || v == 0x83 || v == 0x8B || v == 0xF5 || v == 0x04 ||
           v == 0x8C;
}

const char* MemoExtensionOf(std::uint8_t version)
{
    return version == 0xF5 || version == 0x30 ? "FPT" : "DBT";
}

bool ParseDbfHeader(const std::uint8_t* data, std::size_t n, std::int64_t fileSize,
                    const std::string& file, ParsedTable& out, FormatError& error)
{
    out = ParsedTable{};
    error = FormatError{};
    if (n < 32 || fileSize < 32)
        return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Prolog ist kleiner als 32 "
                                       "Bytes) [USE/OpenDBF]");
    std::copy(data, data + 32, out.header.bytes.begin());
    out.version = data[0];
    if (!IsValidDbfVersion(out.version))
        return Fail(error, 210, file + " ist keine dBASE-Datenbank.(Versions-Byte ungültig)+ "
                                       "[USE/OpenDBF]");
    bool ok = out.version == 0x02 ? ParseDbase2(data, n, fileSize, file, out, error)
                                  : ParseDbase3(data, n, fileSize, file, out, error);
    if (!ok)
        return false;
    if (out.recLen == 0 || out.recLen < FieldsLength(out.fields))
        return Fail(error, 210, file + " ist keine dBASE-Datenbank. (Datensatzlänge " +
                                    std::to_string(out.recLen) + " passt nicht zu den Feldern) "
                                    "[USE/OpenDBF]");
    return true;
}

RecordFit FitOfRecords(const ParsedTable& t, std::int64_t fileSize)
{
    const std::int64_t body = fileSize - std::int64_t(t.headerLen);
    const std::int64_t counted = std::int64_t(t.headerCount) * t.recLen;
    if (t.recLen > FieldsLength(t.fields))
        return body >= counted && ((body - counted) % t.recLen <= 1 || t.padded) ? RecordFit::Whole
                                                                                  : RecordFit::Misfit;
    const std::int64_t whole = std::max<std::int64_t>(body, 0) / t.recLen;
    if (whole >= std::int64_t(t.headerCount))
        return RecordFit::Whole;
    return whole + 1 == std::int64_t(t.headerCount) ? RecordFit::LastPartial : RecordFit::Short;
}

std::string RecordFitText(const ParsedTable& t, RecordFit fit, std::int64_t fileSize,
                          const std::string& file)
{
    const std::string counted = std::to_string(t.headerCount);
    switch (fit) {
    case RecordFit::Misfit:
        return file + " ist keine dBASE-Datenbank. (Datensatzlänge " + std::to_string(t.recLen) +
               " größer als die Summe der Felder " + std::to_string(FieldsLength(t.fields)) +
               ", und die Dateigröße " + std::to_string(fileSize) + " passt nicht zu " + counted +
               " Datensätzen)";
    case RecordFit::Short:
        return file + ": die Datei endet nach " + std::to_string(t.recCount) + " der " + counted +
               " Datensätze, die der Header zählt";
    case RecordFit::LastPartial:
        return file + ": der letzte der " + counted + " Datensätze, die der Header zählt, fehlt "
                      "oder ist unvollständig";
    case RecordFit::Whole:
        break;
    }
    return "";
}

bool BuildDbfImage(const std::vector<FieldDef>& fields, std::uint8_t createVersion,
                   const Ymd& today, std::vector<std::uint8_t>& image, std::uint8_t& version,
                   FormatError& error)
{
    const bool level7 = createVersion == 0x8C;
    const bool blobs = createVersion == 0x8B || createVersion == 0x8C;
    const std::string invalid = "Felddefinition ungültig [CreateDBF]";
    if (fields.empty() || fields.size() > 255)
        return Fail(error, 211, invalid);
    const std::size_t descSize = level7 ? 48 : 32;
    const std::size_t start = level7 ? 68 : 32;
    const std::size_t headerSize = fields.size() * descSize + 33 + (level7 ? 36 : 0);
    image.assign(headerSize, 0);
    std::set<std::string> names;
    std::uint32_t recLen = 1;
    bool hasMemo = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& fd = fields[i];
        std::string name = UpperText(AllTrim(AllTrim(fd.name).substr(0, 10)));
        char type = UpperChar(fd.type);
        if (type == 'F' && createVersion == 0x83)
            type = 'N';
        bool blob = type == 'B' || type == 'G' || type == 'P';
        if (name.empty() || !names.insert(name).second)
            return Fail(error, 211, invalid);
        if (!KnownType(type) && !(blob && blobs))
            return Fail(error, 211, invalid);
        int len = fd.len, dec = 0;
        switch (type) {
        case 'D': len = 8; break;
        case 'L': len = 1; break;
        case 'C':
            if (len < 1 || len > 255)
                return Fail(error, 211, invalid);
            break;
        case 'N':
        case 'F':
            dec = fd.dec;
            if (len < 1 || len > 255 || dec < 0 || dec > 255 || (dec > 0 && dec > len - 2))
                return Fail(error, 211, invalid);
            break;
        default: // M B G P
            len = 10;
            hasMemo = true;
            break;
        }
        recLen += std::uint32_t(len);
        std::uint8_t* d = image.data() + start + i * descSize;
        std::copy(name.begin(), name.end(), d);
        if (level7) {
            d[32] = std::uint8_t(type);
            d[33] = std::uint8_t(len);
            d[34] = std::uint8_t(dec);
        } else {
            d[11] = std::uint8_t(type);
            d[16] = std::uint8_t(len);
            d[17] = std::uint8_t(dec);
        }
    }
    if (recLen > 65535)
        return Fail(error, 211, invalid);
    version = hasMemo ? createVersion : (level7 ? 0x04 : 0x03);
    image[0] = version;
    image[1] = std::uint8_t((today.year - 1900) & 0xFF);
    image[2] = std::uint8_t(today.month);
    image[3] = std::uint8_t(today.day);
    PutU16(image.data() + 8, std::uint32_t(headerSize));
    PutU16(image.data() + 10, recLen);
    if (level7) {
        const char* lang = "DBWINWE0";
        std::copy(lang, lang + 8, image.begin() + 32);
    }
    image[headerSize - 1] = 0x0D;
    image.push_back(0x1A);
    return true;
}

std::vector<std::uint8_t> BuildMemoImage(std::uint8_t version, std::uint32_t blockSize,
                                         const std::string& tableBaseName)
{
    std::vector<std::uint8_t> m;
    if (version == 0x83) {
        m.assign(513, 0);
        m[0] = 0x01;
        m[512] = 0x1A;
    } else if (version == 0xF5) {
        m.assign(512, 0);
        std::uint32_t next = 511 / blockSize + 1;
        m[0] = std::uint8_t(next >> 24);
        m[1] = std::uint8_t(next >> 16);
        m[2] = std::uint8_t(next >> 8);
        m[3] = std::uint8_t(next);
        m[6] = std::uint8_t(blockSize >> 8);
        m[7] = std::uint8_t(blockSize);
    } else {
        m.assign(24, 0);
        PutU32(m.data(), 1);
        std::string base = tableBaseName.substr(0, 8);
        std::copy(base.begin(), base.end(), m.begin() + 8);
        m[18] = 0x02;
        m[19] = 0x01;
        PutU16(m.data() + 20, blockSize);
    }
    return m;
}

} // namespace kt4::dbase
