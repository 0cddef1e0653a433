// The typed record buffer: layout, and conversion between it and the native
// record. A write re-encodes only the fields whose typed value differs from
// the value of their current bytes, so untouched fields keep their bytes.
#include "dbase/workarea.h"

#include "dbase/engine_dates.h"
#include "dbase/engine_text.h"
#include "dbase/errors.h"
#include "dbase/runtime.h"

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

double ParseDouble(std::string_view raw)
{
    double d = 0;
    return ParseFileNumber(raw, d) ? d : 0.0;
}

// The date text of 8 stored characters YYYYMMDD (characters rearranged).
std::string DateTextOfStored(std::string_view raw)
{
    std::string s(raw.substr(0, 8));
    s.resize(8, ' ');
    std::string year = DateWithCentury ? s.substr(0, 4) : s.substr(2, 2);
    return LayoutDate(year, s.substr(4, 2), s.substr(6, 2));
}

// Decodes the native bytes of f into a slot image at out.
void Decode(const TDbfFieldInfo& f, const std::uint8_t* native, std::uint8_t* out)
{
    std::string_view raw(reinterpret_cast<const char*>(native) + f.offset, f.len);
    switch (f.slot) {
    case SlotKind::Text:
        out[0] = f.len;
        std::memcpy(out + 1, raw.data(), raw.size());
        break;
    case SlotKind::Date: {
        std::string text = DateTextOfStored(raw).substr(0, std::size_t(f.len) + 2);
        out[0] = std::uint8_t(text.size());
        std::memcpy(out + 1, text.data(), text.size());
        break;
    }
    case SlotKind::Double:
        StoreSlot(out, ParseDouble(raw));
        break;
    case SlotKind::Int32: {
        std::int64_t v = ParseInteger(raw);
        StoreSlot(out, std::int32_t(v < INT32_MIN || v > INT32_MAX ? 0 : v));
        break;
    }
    case SlotKind::Int64:
        StoreSlot(out, ParseInteger(raw));
        break;
    case SlotKind::Logical: {
        char c = raw.empty() ? ' ' : raw[0];
        out[0] = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1 : 0;
        break;
    }
    case SlotKind::MemoRef: {
        std::int64_t v = ParseInteger(raw);
        StoreSlot(out, std::int32_t(v < INT32_MIN || v > INT32_MAX ? 0 : v));
        break;
    }
    case SlotKind::None:
        break;
    }
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

bool IsBlankDateText(const std::string& t)
{
    return t.find_first_not_of(" /-.") == std::string::npos;
}

// YYYYMMDD of a date text in the current layout (2- or 4-digit year).
bool StoredDateOf(const std::string& text, std::string& stored)
{
    if (IsBlankDateText(text)) {
        stored = std::string(8, ' ');
        return true;
    }
    DateTextParts parts;
    if (!SplitDateText(AllTrim(text), parts) || parts.blank)
        return false;
    if (parts.year.size() != 2 && parts.year.size() != 4)
        return false;
    std::string year = parts.year.size() == 2 ? WidenYear(parts.year) : parts.year;
    int y = 0, m = 0, d = 0;
    auto num = [](const std::string& s, int& v) {
        auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        return r.ec == std::errc() && r.ptr == s.data() + s.size();
    };
    if (parts.month.size() != 2 || parts.day.size() != 2 || !num(year, y) ||
        !num(parts.month, m) || !num(parts.day, d) || !ValidYmd(y, m, d))
        return false;
    stored = year + parts.month + parts.day;
    return true;
}

void PutRight(std::uint8_t* dst, std::size_t len, const std::string& text, bool& overflow)
{
    overflow = text.size() > len;
    if (overflow) {
        std::memset(dst, '*', len);
        return;
    }
    std::memset(dst, ' ', len - text.size());
    std::memcpy(dst + (len - text.size()), text.data(), text.size());
}

// Encodes slot value into the native bytes; false for an invalid date.
bool Encode(const TDbfFieldInfo& f, const std::uint8_t* slot, std::uint8_t* native,
            bool& overflow)
{
    std::uint8_t* dst = native + f.offset;
    overflow = false;
    switch (f.slot) {
    case SlotKind::Text: {
        std::size_t n = std::min<std::size_t>(slot[0], f.len);
        std::memcpy(dst, slot + 1, n);
        std::memset(dst + n, ' ', f.len - n);
        return true;
    }
    case SlotKind::Date: {
        std::size_t n = std::min<std::size_t>(slot[0], f.bufSize - 1);
        std::string stored;
        if (!StoredDateOf(std::string(reinterpret_cast<const char*>(slot + 1), n), stored))
            return false;
        stored.resize(f.len, ' ');
        std::memcpy(dst, stored.data(), f.len);
        return true;
    }
    case SlotKind::Double: {
        double v = LoadSlot<double>(slot);
        PutRight(dst, f.len, std::isfinite(v) ? FloatToText(0, f.dec, v) : std::string(256, '*'),
                 overflow);
        return true;
    }
    case SlotKind::Int32:
        PutRight(dst, f.len, std::to_string(LoadSlot<std::int32_t>(slot)), overflow);
        return true;
    case SlotKind::Int64:
        PutRight(dst, f.len, std::to_string(LoadSlot<std::int64_t>(slot)), overflow);
        return true;
    case SlotKind::Logical:
        if (f.len > 0)
            dst[0] = slot[0] ? 'T' : 'F';
        return true;
    case SlotKind::MemoRef: {
        std::int32_t ref = LoadSlot<std::int32_t>(slot);
        bool ignored;
        if (ref == 0)
            std::memset(dst, ' ', f.len);
        else
            PutRight(dst, f.len, std::to_string(ref), ignored);
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
    if (area.isVirtual || !area.buffer)
        return true;
    std::uint8_t* native = area.native.data();
    std::uint8_t scratch[264];
    // Work on a copy, so that an invalid date changes nothing.
    static std::vector<std::uint8_t> result;
    result.assign(area.native.begin(), area.native.end());
    for (std::size_t i = 0; i < area.fields.size(); ++i) {
        const TDbfFieldInfo& f = area.fields[i];
        const std::uint8_t* slot = area.buffer + f.bufOffset;
        if (keepUnchanged) {
            Decode(f, native, scratch);
            if (SameValue(f, scratch, slot))
                continue;
        }
        bool overflow = false;
        if (!Encode(f, slot, result.data(), overflow)) {
            std::size_t n = std::min<std::size_t>(slot[0], f.bufSize - 1);
            SetError(220, "Ungültiges Datum \"" +
                              std::string(reinterpret_cast<const char*>(slot + 1), n) +
                              "\" im Feld " + f.name + " von " + area.fileName + " [" + operation +
                              "]");
            return false;
        }
        if (overflow)
            area.overflowFields.push_back(int(i) + 1);
    }
    result[0] = area.buffer[0] ? '*' : ' ';
    area.native.swap(result);
    return true;
}

void ClearRecordOf(TWorkArea& area)
{
    if (area.isVirtual) {
        if (area.buffer)
            std::memset(area.buffer, 0, area.bufSize);
        return;
    }
    std::fill(area.native.begin(), area.native.end(), std::uint8_t(' '));
    RecordToBuffer(area);
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
        StoreSlot(p, std::int32_t(std::isfinite(value) && std::fabs(value) < 2.1e9 ? std::llround(value)
                                                                                 : 0));
        break;
    case SlotKind::Int64:
        StoreSlot(p, std::int64_t(std::isfinite(value) && std::fabs(value) < 9.2e18 ? std::llround(value)
                                                                                  : 0));
        break;
    default:
        break;
    }
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
        StoreSlot(p, std::int32_t(value));
        break;
    case SlotKind::Int64:
        StoreSlot(p, value);
        break;
    case SlotKind::Double:
        StoreSlot(p, double(value));
        break;
    default:
        break;
    }
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
