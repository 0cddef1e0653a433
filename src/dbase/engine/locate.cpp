// LOCATE and CONTINUE: a field-by-field scan for a value. Values are
// compared in the form the field stores them: dates as YYYYMMDD, numbers and
// logicals by their meaning, text in the engine's ANSI code page.
#include "dbase/engine/search.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"

#include <sstream>

namespace kt4::dbase {
namespace {

struct LocateState {
    int area = 0;
    int field = 0;            // 0: no LOCATE active
    bool caseSensitive = true;
    bool exact = false;
    bool contained = false;
    std::string text;         // search text in the field's stored form
    bool isNumber = false;
    double number = 0;
    bool logical = false;
} gLocate;

bool LogicalOf(std::string_view t)
{
    std::string s = AllTrim(t);
    char c = s.empty() ? ' ' : s[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'J' || c == 'j';
}

// The text of field f of the current record of a virtual area.
std::string VirtualFieldText(TWorkArea& a, const TDbfFieldInfo& f)
{
    TypedBuffer b(a);
    const int n = int(&f - a.fields.data()) + 1;
    switch (f.slot) {
    case SlotKind::Text:
    case SlotKind::Date:
        return b.Text(n);
    case SlotKind::Logical:
        return b.Logical(n) ? "T" : "F";
    default:
        return FloatToText(f.len, f.dec, b.Number(n));
    }
}

bool TextMatches(std::string field, const LocateState& s)
{
    std::string search = s.text;
    if (!s.caseSensitive)
        field = UpperText(field);
    if (s.contained)
        return field.find(search) != std::string::npos;
    if (s.exact)
        return RTrimBlanks(field) == RTrimBlanks(search);
    if (search.empty())
        return true;
    return field.compare(0, search.size(), search) == 0;
}

bool MemoMatches(TWorkArea& a, const TDbfFieldInfo& f, std::string_view raw, const LocateState& s)
{
    if (!MemoLinked() || !Memo.ReadMemoLines) {
        SetError(220, "MEMO unit not linked in [Count/Sum/Continue]");
        return false;
    }
    (void)f;
    const std::int32_t block = ParseMemoRef(raw);
    if (block == 0)
        return false;
    std::vector<std::string> lines;
    if (!Memo.ReadMemoLines(a.number, block, lines))
        return false;
    for (std::string line : lines) {
        if (!s.caseSensitive)
            line = UpperText(line);
        if (line.find(s.text) != std::string::npos)
            return true;
    }
    return false;
}

// Whether the text raw of field f matches.
bool TextOfFieldMatches(TWorkArea& a, const TDbfFieldInfo& f, const std::string& raw,
                        const LocateState& s)
{
    switch (f.type) {
    case 'N':
    case 'F': {
        double v = 0;
        return s.isNumber && ParseFileNumber(raw, v) && v == s.number;
    }
    case 'L':
        return LogicalOf(raw) == s.logical;
    case 'D':
        return a.isVirtual ? TextMatches(raw, s) : raw.substr(0, 8) == s.text;
    case 'M':
        return MemoMatches(a, f, raw, s);
    default:
        return TextMatches(raw, s);
    }
}

// Whether field f of record r matches; the record is read raw for tables.
bool FieldMatches(TWorkArea& a, const TDbfFieldInfo& f, std::int32_t r, const LocateState& s)
{
    std::string raw;
    if (a.isVirtual) {
        GO(r);
        raw = VirtualFieldText(a, f);
    } else {
        Peek(int(&f - a.fields.data()) + 1, r, raw);
    }
    return TextOfFieldMatches(a, f, raw, s);
}

// Reads the table in blocks of records (in the area's text form) for a scan.
class RecordScanner {
public:
    explicit RecordScanner(TWorkArea& a) : a_(a) {}
    // Field f of record r; false after a read error (reported).
    bool FieldText(std::int32_t r, const TDbfFieldInfo& f, std::string& text)
    {
        if (r < first_ || r >= first_ + count_) {
            const std::size_t per = std::max<std::size_t>(1, (64 * 1024) / a_.recLen);
            std::size_t n = std::min<std::size_t>(per, std::size_t(a_.recCount - r + 1));
            block_.resize(n * a_.recLen);
            long long got = a_.file.ReadAt(a_.RecordOffset(r), block_.data(), block_.size());
            if (got < static_cast<long long>(a_.recLen)) {
                SetError(100, "DBF: " + a_.fileName + " [Locate]");
                return false;
            }
            count_ = std::int32_t(std::size_t(got) / a_.recLen);
            first_ = r;
            for (std::int32_t i = 0; i < count_; ++i) {
                std::uint8_t* rec = block_.data() + std::size_t(i) * a_.recLen;
                if (a_.readHook)
                    a_.readHook(rec + 1, a_.recLen - 1);
                if (a_.oem)
                    OemToAnsiBytes(rec, a_.recLen);
            }
        }
        const std::uint8_t* rec = block_.data() + std::size_t(r - first_) * a_.recLen;
        text.assign(reinterpret_cast<const char*>(rec) + f.offset, f.len);
        return true;
    }

private:
    TWorkArea& a_;
    std::vector<std::uint8_t> block_;
    std::int32_t first_ = 0, count_ = 0;
};

// Search text in the stored form of the field.
void PrepareValue(TWorkArea& a, const TDbfFieldInfo& f, const std::string& value, LocateState& s)
{
    s.isNumber = false;
    switch (f.type) {
    case 'N':
    case 'F': {
        double v = 0;
        s.isNumber = ParseFileNumber(value, v) || (!AllTrim(value).empty() &&
                                                   (v = TextToFloat(value), true));
        // the value as the field stores it: "1.234" finds 1.23 in N(8,2),
        // "7.4" finds 7 in N(4,0)
        if (s.isNumber)
            s.isNumber = ParseFileNumber(FloatToText(f.len, f.dec, v), v);
        s.number = v;
        s.text = value;
        return;
    }
    case 'L':
        s.logical = LogicalOf(value);
        return;
    case 'D':
        if (!a.isVirtual) {
            std::string v = AllTrim(value);
            bool digits = v.size() == 8 && v.find_first_not_of("0123456789") == std::string::npos;
            s.text = digits ? v : DateTextToDtosText(value);
            return;
        }
        break;
    default:
        break;
    }
    s.text = s.exact ? value : RTrimBlanks(value);
    if (!s.caseSensitive)
        s.text = UpperText(s.text);
}

void EndWithoutHit(TWorkArea& a)
{
    GoBottom();
    if (Area(a.number) && a.recCount > 0 && !a.eof)
        SKIP(1);
    gLocate.field = 0;
}

bool LocateFrom(std::int32_t start)
{
    TWorkArea* ap = Current();
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    RefreshRecCount(a);
    const TDbfFieldInfo& f = a.fields[std::size_t(gLocate.field - 1)];
    RecordScanner scanner(a);
    std::string text;
    for (std::int32_t r = std::max<std::int32_t>(start, 1); r <= a.recCount; ++r) {
        bool hit;
        if (a.isVirtual) {
            hit = FieldMatches(a, f, r, gLocate);
        } else {
            if (!scanner.FieldText(r, f, text))
                return false;
            hit = TextOfFieldMatches(a, f, text, gLocate);
        }
        if (EngineErrorCode != 0)
            return false;
        if (!hit)
            continue;
        GO(r);
        if (EngineErrorCode != 0 || !Area(a.number))
            return false;
        if (RecordHidden(a))
            continue; // hidden hits are passed over in the same loop
        return !a.eof;
    }
    EndWithoutHit(a);
    return false;
}

} // namespace

namespace detail {
void ForgetLocateFor(const TWorkArea& area)
{
    if (gLocate.area == area.number)
        gLocate = LocateState{};
}
} // namespace detail

int ParseFieldSpec(const std::string& spec, bool& noCase, bool& exact, bool& contained)
{
    std::istringstream in(UpperText(spec));
    std::string name, word;
    noCase = exact = contained = false;
    if (!(in >> name)) {
        SetError(220, "No field name specified [Locate/Count/Sum]");
        return 0;
    }
    while (in >> word) {
        noCase |= word == "NOCASE";
        exact |= word == "EXACT";
        contained |= word == "CONTAINED";
    }
    int n = FieldNo(name);
    if (n == 0)
        SetError(220, "Unrecognized field name [Locate/Count/Sum(" + spec + ")]");
    return n;
}

bool Locate(const std::string& fieldName, const std::string& value, bool noCase,
            std::int32_t startRecord, bool exact)
{
    return Locate(fieldName, value, noCase, startRecord, exact, false);
}

bool Locate(const std::string& fieldName, const std::string& value, bool noCase,
            std::int32_t startRecord, bool exact, bool contained)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Locate");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    std::string spec = fieldName + (noCase ? " NOCASE" : "") + (exact ? " EXACT" : "") +
                       (contained ? " CONTAINED" : "");
    bool nc, ex, co;
    const int field = ParseFieldSpec(spec, nc, ex, co);
    if (field == 0)
        return false;
    const TDbfFieldInfo& f = a.fields[std::size_t(field - 1)];
    if (f.type == 'M' && a.isVirtual) {
        EndWithoutHit(a);
        return false;
    }
    gLocate = LocateState{};
    gLocate.area = a.number;
    gLocate.field = field;
    gLocate.caseSensitive = !nc;
    gLocate.exact = ex;
    gLocate.contained = co;
    PrepareValue(a, f, value, gLocate);
    return LocateFrom(std::max<std::int32_t>(startRecord, 1));
}

bool Continue()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Continue");
    if (!a)
        return false;
    if (gLocate.field == 0 || gLocate.area != a->number) {
        SetError(220, "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
        return false;
    }
    return LocateFrom(a->recNo + 1);
}

namespace {
std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, ';'))
        parts.push_back(part);
    if (!text.empty() && text.back() == ';')
        parts.push_back("");
    return parts;
}
} // namespace

bool LocateFields(const std::string& fieldNames, const std::string& values, bool noCase,
                  bool restoreOnFail, bool exact)
{
    TWorkArea* a = RequireArea("Locate");
    if (!a)
        return false;
    const std::int32_t start = a->recNo;
    const auto names = SplitList(fieldNames);
    const auto vals = SplitList(values);
    if (names.empty()) {
        SetError(220, "No field name specified [Locate/Count/Sum]");
        return false;
    }
    // Conditions of the further fields, prepared once.
    std::vector<std::pair<int, LocateState>> others;
    for (std::size_t i = 1; i < names.size(); ++i) {
        bool nc, ex, co;
        int n = ParseFieldSpec(names[i], nc, ex, co);
        if (n == 0)
            return false;
        LocateState s;
        s.caseSensitive = !noCase;
        s.exact = exact;
        PrepareValue(*a, a->fields[std::size_t(n - 1)], i < vals.size() ? vals[i] : "", s);
        others.emplace_back(n, s);
    }
    bool found = Locate(names[0], vals.empty() ? "" : vals[0], noCase, 1, exact);
    while (found) {
        TWorkArea* now = Current();
        bool all = true;
        for (auto& [n, s] : others)
            all = all && FieldMatches(*now, now->fields[std::size_t(n - 1)], now->recNo, s);
        if (all)
            return true;
        found = Continue();
    }
    if (restoreOnFail)
        GoIfValid(start);
    return false;
}

} // namespace kt4::dbase
