// The typed record buffer: layout, and conversion between it and the native
// record. A write re-encodes only the fields whose typed value differs from
// the value of their current bytes, so untouched fields keep their bytes.
#include "dbase/engine/workarea.h"

#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace kt4::dbase {
namespace {

SlotKind KindOf(const TDbfFieldInfo& f)
{
    switch (f.type) {
    case 'C':
        return SlotKind::Text;
    case 'D':
        return SlotKind::Date;
    case 'N':
    case 'F':
        if (f.dec > 0 || f.len >= 19)
            return SlotKind::Double;
        return f.len >= 10 ? SlotKind::Int64 : SlotKind::Int32;
    case 'L':
        return SlotKind::Logical;
    case 'M':
        return SlotKind::MemoRef;
    default:
        return SlotKind::None;
    }
}

std::uint32_t SizeOf(SlotKind kind, std::uint32_t len)
{
    switch (kind) {
    case SlotKind::Text:
        return 1 + len;
    case SlotKind::Date:
        return 1 + len + 2;
    case SlotKind::Double:
    case SlotKind::Int64:
        return 8;
    case SlotKind::Int32:
    case SlotKind::MemoRef:
        return 4;
    case SlotKind::Logical:
        return 1;
    default:
        return 0;
    }
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

std::int64_t ParseInteger(std::string_view raw)
{
    std::string_view t = Trimmed(raw);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    std::int64_t v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (!t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size())
        return v;
    double d = 0;
    if (ParseFileNumber(t, d) && std::fabs(d) < 9.2e18)
        return std::llround(d);
    return 0;
}

} // namespace

std::int32_t ParseMemoRef(std::string_view raw)
{
    std::string_view t = Trimmed(raw);
    if (t.empty())
        return 0;
    const bool negative = t.front() == '-';
    if (negative)
        t.remove_prefix(1);
    if (t.empty() || (negative && t.front() == '0') ||
        t.find_first_not_of("0123456789") != std::string_view::npos)
        return InvalidMemoRef;
    std::int64_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || v > INT32_MAX)
        return InvalidMemoRef;
    return std::int32_t(negative ? -v : v);
}

namespace {

double ParseDouble(std::string_view raw)
{
    double d = 0;
    return ParseFileNumber(raw, d) ? d : 0.0;
}

// True when the bytes of a numeric field are a number (not blanks, not
// asterisks, not other text), as the decoding reads them.
bool StoredNumber(const TDbfFieldInfo& f, const std::uint8_t* native)
{
    std::string_view t = Trimmed(std::string_view(reinterpret_cast<const char*>(native) + f.offset, f.len));
    double d = 0;
    if (ParseFileNumber(t, d))
        return true;
    if (f.slot == SlotKind::Double || t.empty() || t.front() != '+')
        return false;
    t.remove_prefix(1);
    std::int64_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool NumericSlot(SlotKind kind)
{
    return kind == SlotKind::Double || kind == SlotKind::Int32 || kind == SlotKind::Int64;
}

// The date text of 8 stored characters YYYYMMDD (characters rearranged)
// into out (room for 10); its length.
std::size_t DateTextOfStored(std::string_view raw, char* out)
{
    char padded[8];
    const char* s = raw.data();
    if (raw.size() < 8) {
        std::memcpy(padded, raw.data(), raw.size());
        std::memset(padded + raw.size(), ' ', 8 - raw.size());
        s = padded;
    }
    const std::string_view year = DateWithCentury ? std::string_view(s, 4) : std::string_view(s + 2, 2);
    return LayoutDateInto(out, year, std::string_view(s + 4, 2), std::string_view(s + 6, 2));
}

// Decodes the native bytes of f into a slot image at out; returns the
// number of bytes written there (a date text may leave the end of its slot).
std::size_t Decode(const TDbfFieldInfo& f, const std::uint8_t* native, std::uint8_t* out)
{
    std::string_view raw(reinterpret_cast<const char*>(native) + f.offset, f.len);
    switch (f.slot) {
    case SlotKind::Text:
        out[0] = f.len;
        std::memcpy(out + 1, raw.data(), raw.size());
        return 1 + raw.size();
    case SlotKind::Date: {
        char text[10];
        const std::size_t n = std::min<std::size_t>(DateTextOfStored(raw, text), std::size_t(f.len) + 2);
        out[0] = std::uint8_t(n);
        std::memcpy(out + 1, text, n);
        return 1 + n;
    }
    case SlotKind::Double:
        StoreSlot(out, ParseDouble(raw));
        return 8;
    case SlotKind::Int32: {
        std::int64_t v = ParseInteger(raw);
        StoreSlot(out, std::int32_t(v < INT32_MIN || v > INT32_MAX ? 0 : v));
        return 4;
    }
    case SlotKind::Int64:
        StoreSlot(out, ParseInteger(raw));
        return 8;
    case SlotKind::Logical: {
        char c = raw.empty() ? ' ' : raw[0];
        out[0] = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1 : 0;
        return 1;
    }
    case SlotKind::MemoRef:
        StoreSlot(out, ParseMemoRef(raw));
        return 4;
    case SlotKind::None:
        break;
    }
    return 0;
}

bool SameValue(const TDbfFieldInfo& f, const std::uint8_t* a, const std::uint8_t* b)
{
    switch (f.slot) {
    case SlotKind::Text:
    case SlotKind::Date: {
        std::size_t la = std::min<std::size_t>(a[0], f.bufSize - 1);
        std::size_t lb = std::min<std::size_t>(b[0], f.bufSize - 1);
        return la == lb && std::memcmp(a + 1, b + 1, la) == 0;
    }
    case SlotKind::Double:
        return LoadSlot<double>(a) == LoadSlot<double>(b);
    case SlotKind::Logical:
        return (a[0] != 0) == (b[0] != 0);
    default:
        return std::memcmp(a, b, f.bufSize) == 0;
    }
}

void PutRight(std::uint8_t* dst, std::size_t len, std::string_view text, bool& overflow)
{
    overflow = text.size() > len;
    if (overflow) {
        std::memset(dst, '*', len);
        return;
    }
    std::memset(dst, ' ', len - text.size());
    std::memcpy(dst + (len - text.size()), text.data(), text.size());
}

void PutInteger(std::uint8_t* dst, std::size_t len, std::int64_t value, bool& overflow)
{
    char text[24];
    const auto r = std::to_chars(text, text + sizeof text, value);
    PutRight(dst, len, std::string_view(text, std::size_t(r.ptr - text)), overflow);
}

// Encodes slot value into the native bytes; false for an invalid date.
// Where the slot its bytes decode to is known without decoding them, it is
// written to decoded and known is set.
bool Encode(const TDbfFieldInfo& f, const std::uint8_t* slot, std::uint8_t* native,
            bool& overflow, std::uint8_t* decoded, bool& known)
{
    std::uint8_t* dst = native + f.offset;
    overflow = false;
    known = false;
    switch (f.slot) {
    case SlotKind::Text: {
        std::size_t n = std::min<std::size_t>(slot[0], f.len);
        std::memcpy(dst, slot + 1, n);
        std::memset(dst + n, ' ', f.len - n);
        return true;
    }
    case SlotKind::Date: {
        const std::size_t n = std::min<std::size_t>(slot[0], f.bufSize - 1);
        const char* text = reinterpret_cast<const char*>(slot + 1);
        char plain[8];
        if (PlainStoredDate(std::string_view(text, n), plain)) {
            const std::size_t copied = std::min<std::size_t>(f.len, 8);
            std::memcpy(dst, plain, copied);
            std::memset(dst + copied, ' ', f.len - copied);
            return true;
        }
        std::string stored;
        if (!StoredDateOfText(std::string(text, n), stored))
            return false;
        stored.resize(f.len, ' ');
        std::memcpy(dst, stored.data(), f.len);
        return true;
    }
    case SlotKind::Double: {
        const double v = LoadSlot<double>(slot);
        char text[18];
        std::size_t n = 0;
        double readBack = 0;
        if (PlainFloatText(v, f.dec, text, n, readBack)) {
            PutRight(dst, f.len, std::string_view(text, n), overflow);
            known = !overflow;
            StoreSlot(decoded, readBack);
        } else {
            PutRight(dst, f.len, std::isfinite(v) ? FloatToText(0, f.dec, v) : std::string(256, '*'),
                     overflow);
        }
        return true;
    }
    case SlotKind::Int32:
        PutInteger(dst, f.len, LoadSlot<std::int32_t>(slot), overflow);
        known = !overflow;
        std::memcpy(decoded, slot, 4);
        return true;
    case SlotKind::Int64:
        PutInteger(dst, f.len, LoadSlot<std::int64_t>(slot), overflow);
        known = !overflow;
        std::memcpy(decoded, slot, 8);
        return true;
    case SlotKind::Logical:
        if (f.len > 0) {
            dst[0] = slot[0] ? 'T' : 'F';
            decoded[0] = slot[0] ? 1 : 0;
            known = true;
        }
        return true;
    case SlotKind::MemoRef: {
        std::int32_t ref = LoadSlot<std::int32_t>(slot);
        bool ignored = false;
        if (ref == 0)
            std::memset(dst, ' ', f.len);
        else
            PutInteger(dst, f.len, ref, ignored);
        known = !ignored;
        std::memcpy(decoded, slot, 4);
        return true;
    }
    case SlotKind::None:
        return true;
    }
    return true;
}

} // namespace

std::size_t TypedBufferSize(std::vector<TDbfFieldInfo>& fields)
{
    std::uint32_t offset = 1;
    for (auto& f : fields) {
        f.slot = KindOf(f);
        f.bufSize = SizeOf(f.slot, f.len);
        f.bufOffset = offset;
        offset += f.bufSize;
    }
    return offset;
}

void RecordToBuffer(TWorkArea& area)
{
    area.fieldMarks.clear();
    if (area.isVirtual || !area.buffer)
        return;
    const std::uint8_t* native = area.native.data();
    area.buffer[0] = native[0] == '*' ? 1 : 0;
    for (const auto& f : area.fields)
        Decode(f, native, area.buffer + f.bufOffset);
}

bool BufferToRecord(TWorkArea& area, const char* operation, bool keepUnchanged)
{
    area.overflowFields.clear();
    struct ClearMarks {
        TWorkArea& a;
        ~ClearMarks() { a.fieldMarks.clear(); }
    } clearMarks{area};
    if (area.isVirtual || !area.buffer)
        return true;
    const TableCodePage& page = area.TextPage();
    std::uint8_t* native = area.native.data();
    std::uint8_t scratch[264];
    // Work on a copy, so that an invalid date changes nothing.
    auto& encoded = area.encodedRecord;
    std::vector<std::uint8_t>& result = encoded.record;
    result.assign(area.native.begin(), area.native.end());
    encoded.decoded.resize(area.bufSize);
    encoded.known.resize(area.fields.size());
    std::fill(encoded.known.begin(), encoded.known.end(), std::uint8_t(0));
    for (std::size_t i = 0; i < area.fields.size(); ++i) {
        const TDbfFieldInfo& f = area.fields[i];
        const std::uint8_t* slot = area.buffer + f.bufOffset;
        if (keepUnchanged) {
            Decode(f, native, scratch);
            // a number set over bytes that are none is stored, whatever they read as
            if (SameValue(f, scratch, slot) &&
                !(NumericSlot(f.slot) && area.Marked(i + 1, TWorkArea::MarkNumberSet) &&
                  !StoredNumber(f, native)))
                continue;
        }
        if (f.slot == SlotKind::Text && !page.windowsText && !area.Marked(i + 1, TWorkArea::MarkTextInPage)) {
            const std::size_t n = std::min<std::size_t>(slot[0], f.len);
            if (!page.HoldsAs1252(slot + 1, n)) {
                encoded.record.clear();
                const std::string_view text(reinterpret_cast<const char*>(slot + 1), n);
                SetError(220, LackingCharsText(CharsLackedAs1252(page, text),
                                               "im Feld " + f.name + " von " + area.fileName, page.number,
                                               operation));
                return false;
            }
        }
        bool overflow = false, known = false;
        if (!Encode(f, slot, result.data(), overflow, encoded.decoded.data() + f.bufOffset, known)) {
            encoded.record.clear();
            std::size_t n = std::min<std::size_t>(slot[0], f.bufSize - 1);
            SetError(220, "Ungültiges Datum \"" +
                              std::string(reinterpret_cast<const char*>(slot + 1), n) +
                              "\" im Feld " + f.name + " von " + area.fileName + " [" + operation +
                              "]");
            return false;
        }
        if (overflow)
            area.overflowFields.push_back(int(i) + 1);
        encoded.known[i] = known;
    }
    result[0] = area.buffer[0] ? '*' : ' ';
    std::copy(result.begin(), result.end(), area.native.begin());
    return true;
}

void EncodedRecordToBuffer(TWorkArea& area)
{
    area.fieldMarks.clear();
    const auto& encoded = area.encodedRecord;
    if (area.isVirtual || !area.buffer || encoded.record != area.native ||
        encoded.known.size() != area.fields.size()) {
        RecordToBuffer(area);
        return;
    }
    const std::uint8_t* native = area.native.data();
    area.buffer[0] = native[0] == '*' ? 1 : 0;
    for (std::size_t i = 0; i < area.fields.size(); ++i) {
        const TDbfFieldInfo& f = area.fields[i];
        if (encoded.known[i])
            std::memcpy(area.buffer + f.bufOffset, encoded.decoded.data() + f.bufOffset, f.bufSize);
        else
            Decode(f, native, area.buffer + f.bufOffset);
    }
}

void ClearRecordOf(TWorkArea& area)
{
    area.fieldMarks.clear();
    if (area.isVirtual) {
        if (area.buffer)
            std::memset(area.buffer, 0, area.bufSize);
        return;
    }
    std::fill(area.native.begin(), area.native.end(), std::uint8_t(' '));
    if (!area.buffer)
        return;
    // The blank record decodes to the same buffer every time, but for the
    // date texts, which follow the date layout.
    const int layout = EngineDateFormat * 2 + (DateWithCentury ? 1 : 0);
    auto& blank = area.blankRecord;
    if (blank.layout != layout || blank.bytes.size() != area.bufSize) {
        blank.bytes.assign(area.bufSize, 0);
        blank.spans.assign(1, {0, 1});
        for (const auto& f : area.fields) {
            const std::size_t n = Decode(f, area.native.data(), blank.bytes.data() + f.bufOffset);
            auto& last = blank.spans.back();
            if (last.first + last.second == f.bufOffset)
                last.second += std::uint32_t(n);
            else if (n > 0)
                blank.spans.push_back({f.bufOffset, std::uint32_t(n)});
        }
        blank.layout = layout;
    }
    for (const auto& [offset, n] : blank.spans)
        std::memcpy(area.buffer + offset, blank.bytes.data() + offset, n);
}

void ClearRecord()
{
    if (TWorkArea* a = RequireArea("ClearRecord"))
        ClearRecordOf(*a);
}

std::string FieldText(int n)
{
    TWorkArea* a = RequireArea("FieldText");
    if (!a)
        return "";
    const TDbfFieldInfo* f = FieldInfoOf(*a, n);
    if (!f || !a->buffer) {
        SetError(220, "Ungültige Feldnr. [FieldText(" + std::to_string(n) + ")]");
        return "";
    }
    TypedBuffer b(*a);
    switch (f->slot) {
    case SlotKind::Text:
    case SlotKind::Date:
        return b.Text(n);
    case SlotKind::Double:
        return FloatToDisplayText(f->len, f->dec, b.Number(n));
    case SlotKind::Int32:
    case SlotKind::Int64:
        return IntToText(b.Integer(n), f->len);
    case SlotKind::Logical:
        return b.Logical(n) ? "Y" : "N";
    case SlotKind::MemoRef: {
        std::int32_t ref = b.MemoRef(n);
        return ref == 0 ? "none" : ref < 0 ? "BLOB" : "MEMO";
    }
    default:
        return "";
    }
}

// ---- TypedBuffer ----

TypedBuffer Buffer()
{
    TWorkArea* a = Current();
    if (!a)
        throw std::logic_error("no table open in the current work area");
    return TypedBuffer(*a);
}

const TDbfFieldInfo& TypedBuffer::F(int n) const
{
    const TDbfFieldInfo* f = FieldInfoOf(area_, n);
    if (!f || !area_.buffer)
        throw std::out_of_range("field " + std::to_string(n) + " outside the table");
    return *f;
}

bool TypedBuffer::Deleted() const { return area_.buffer && area_.buffer[0] != 0; }
void TypedBuffer::SetDeleted(bool on)
{
    if (area_.buffer)
        area_.buffer[0] = on ? 1 : 0;
}

std::string TypedBuffer::Text(int n) const
{
    const TDbfFieldInfo& f = F(n);
    if (f.slot != SlotKind::Text && f.slot != SlotKind::Date)
        return "";
    const std::uint8_t* p = area_.buffer + f.bufOffset;
    std::size_t len = std::min<std::size_t>(p[0], f.bufSize - 1);
    return std::string(reinterpret_cast<const char*>(p + 1), len);
}

void TypedBuffer::SetText(int n, const std::string& text)
{
    const TDbfFieldInfo& f = F(n);
    if (f.slot != SlotKind::Text && f.slot != SlotKind::Date)
        return;
    std::uint8_t* p = area_.buffer + f.bufOffset;
    std::size_t len = std::min<std::size_t>(text.size(), f.bufSize - 1);
    p[0] = std::uint8_t(len);
    std::memcpy(p + 1, text.data(), len);
}

double TypedBuffer::Number(int n) const
{
    const TDbfFieldInfo& f = F(n);
    const std::uint8_t* p = area_.buffer + f.bufOffset;
    switch (f.slot) {
    case SlotKind::Double:
        return LoadSlot<double>(p);
    case SlotKind::Int32:
        return LoadSlot<std::int32_t>(p);
    case SlotKind::Int64:
        return double(LoadSlot<std::int64_t>(p));
    default:
        return 0;
    }
}

void TypedBuffer::SetNumber(int n, double value)
{
    const TDbfFieldInfo& f = F(n);
    std::uint8_t* p = area_.buffer + f.bufOffset;
    switch (f.slot) {
    case SlotKind::Double:
        StoreSlot(p, value);
        break;
    case SlotKind::Int32:
        StoreSlot(p, Int32SlotValue(value));
        break;
    case SlotKind::Int64:
        StoreSlot(p, Int64SlotValue(value));
        break;
    default:
        return;
    }
    area_.Mark(std::size_t(n), TWorkArea::MarkNumberSet);
}

std::int64_t TypedBuffer::Integer(int n) const
{
    const TDbfFieldInfo& f = F(n);
    const std::uint8_t* p = area_.buffer + f.bufOffset;
    switch (f.slot) {
    case SlotKind::Int32:
    case SlotKind::MemoRef:
        return LoadSlot<std::int32_t>(p);
    case SlotKind::Int64:
        return LoadSlot<std::int64_t>(p);
    case SlotKind::Double: {
        double v = LoadSlot<double>(p);
        return std::isfinite(v) && std::fabs(v) < 9.2e18 ? std::llround(v) : 0;
    }
    default:
        return 0;
    }
}

void TypedBuffer::SetInteger(int n, std::int64_t value)
{
    const TDbfFieldInfo& f = F(n);
    std::uint8_t* p = area_.buffer + f.bufOffset;
    switch (f.slot) {
    case SlotKind::Int32:
        StoreSlot(p, Int32SlotValue(value));
        break;
    case SlotKind::Int64:
        StoreSlot(p, value);
        break;
    case SlotKind::Double:
        StoreSlot(p, double(value));
        break;
    default:
        return;
    }
    area_.Mark(std::size_t(n), TWorkArea::MarkNumberSet);
}

bool TypedBuffer::Logical(int n) const
{
    const TDbfFieldInfo& f = F(n);
    return f.slot == SlotKind::Logical && area_.buffer[f.bufOffset] != 0;
}

void TypedBuffer::SetLogical(int n, bool value)
{
    const TDbfFieldInfo& f = F(n);
    if (f.slot == SlotKind::Logical)
        area_.buffer[f.bufOffset] = value ? 1 : 0;
}

std::int32_t TypedBuffer::MemoRef(int n) const
{
    const TDbfFieldInfo& f = F(n);
    return f.slot == SlotKind::MemoRef ? LoadSlot<std::int32_t>(area_.buffer + f.bufOffset) : 0;
}

void TypedBuffer::SetMemoRef(int n, std::int32_t ref)
{
    const TDbfFieldInfo& f = F(n);
    if (f.slot == SlotKind::MemoRef)
        StoreSlot(area_.buffer + f.bufOffset, ref);
}

} // namespace kt4::dbase
