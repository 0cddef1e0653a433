// The built-in functions of the expression language. Counts and positions
// are truncated and clamped before any conversion; text results are cut to
// 255 bytes.
#include "dbase/expr/expr_eval.h"

#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/keys_date.h"
#include "dbase/engine/keys_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kt4::dbase {

namespace {

const std::string kBlanks(kMaxExprText, ' ');

std::string_view View(const Value& v)
{
    return {v.text, v.length};
}

double Truth(bool b)
{
    return b ? 1.0 : 0.0;
}

// The engine's case mapping as lookup tables.
struct CaseTables {
    std::array<char, 256> upper{};
    std::array<char, 256> lower{};
    CaseTables()
    {
        for (int c = 0; c < 256; ++c) {
            upper[static_cast<std::size_t>(c)] = UpperChar(static_cast<char>(c));
            lower[static_cast<std::size_t>(c)] = LowerChar(static_cast<char>(c));
        }
    }
};

const CaseTables& Cases()
{
    static const CaseTables tables;
    return tables;
}

void MapCase(EvalContext& ctx, Value* v, const std::array<char, 256>& table)
{
    char* out = ctx.BufferOf(v);
    for (std::uint32_t i = 0; i < v->length; ++i)
        out[i] = table[static_cast<unsigned char>(v->text[i])];
    v->text = out;
}

// The low 8 bits of a whole number, for any double (0 for one that is
// not finite).
char LowByte(double v)
{
    if (!std::isfinite(v))
        return '\0';
    double m = std::fmod(std::trunc(v), 256.0);
    if (m < 0)
        m += 256.0;
    return static_cast<char>(static_cast<unsigned char>(m));
}

void Left(Value* v, int n)
{
    v->length = n <= 0 ? 0 : std::min<std::uint32_t>(v->length, static_cast<std::uint32_t>(n));
}

// A negative count leaves the text unchanged.
void Right(Value* v, int n)
{
    if (n < 0 || static_cast<std::uint32_t>(n) >= v->length)
        return;
    v->text += v->length - static_cast<std::uint32_t>(n);
    v->length = static_cast<std::uint32_t>(n);
}

// Positions below 1 count as 1; past the end gives "".
void Substr(Value* v, int p, int n)
{
    p = std::max(p, 1);
    if (n <= 0 || static_cast<std::uint32_t>(p) > v->length) {
        v->length = 0;
        return;
    }
    v->text += p - 1;
    v->length = std::min(v->length - static_cast<std::uint32_t>(p - 1), static_cast<std::uint32_t>(n));
}

void Stuff(EvalContext& ctx, Value* a)
{
    const std::string_view c = View(a[0]);
    const std::string_view r = View(a[3]);
    const std::size_t p = static_cast<std::size_t>(std::clamp(ClampCount(a[1].number, -1, 256), 1,
                                                              static_cast<int>(c.size()) + 1)) - 1;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(ClampCount(a[2].number, -1, 256), 0)),
                                   c.size() - p);
    auto& scratch = ctx.Program().scratch;
    std::size_t len = 0;
    for (std::string_view part : {c.substr(0, p), r, c.substr(p + n)}) {
        const std::size_t take = std::min(part.size(), kMaxExprText - len);
        std::memcpy(scratch.data() + len, part.data(), take);
        len += take;
    }
    ctx.SetText(a, std::string_view(scratch.data(), len));
}

void Replicate(EvalContext& ctx, Value* a)
{
    const int n = ClampCount(a[1].number, -1, 256);
    auto& scratch = ctx.Program().scratch;
    std::size_t len = 0;
    for (int i = 0; i < n && len < kMaxExprText && a[0].length > 0; ++i) {
        const std::size_t take = std::min<std::size_t>(a[0].length, kMaxExprText - len);
        std::memcpy(scratch.data() + len, a[0].text, take);
        len += take;
    }
    ctx.SetText(a, std::string_view(scratch.data(), len));
}

void Str(EvalContext& ctx, Value* a, int argc)
{
    const int width = argc >= 2 ? ClampCount(a[1].number, 0, static_cast<int>(kMaxExprText)) : 10;
    const int decimals = argc >= 3 ? ClampCount(a[2].number, 0, 15) : 0;
    double v = RoundDecimal(a[0].number, decimals);
    if (v == 0.0)
        v = 0.0; // no "-0"
    char buf[400]; // the largest double has 309 digits
    // to_chars, not printf: the number never follows the process locale
    int len = width + 1;
    if (std::isfinite(v)) {
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        len = r.ec == std::errc() ? static_cast<int>(r.ptr - buf) : width + 1;
    }
    std::string text;
    if (len > width)
        text.assign(static_cast<std::size_t>(width), '*');
    else
        text.assign(static_cast<std::size_t>(width - len), ' ').append(buf, static_cast<std::size_t>(len));
    ctx.SetText(a, text);
}

// The longest number at the start of the text (after blanks); 0 when none.
double Val(std::string_view s)
{
    std::size_t i = s.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return 0.0;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-')
        negative = s[i++] == '-';
    const std::size_t start = i;
    auto digits = [&s, &i] {
        const std::size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        return i - from;
    };
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-'))
            negativeExponent = s[e++] == '-';
        const std::size_t save = i;
        i = e;
        if (digits() == 0)
            i = save;
    }
    double v = 0.0;
    const auto [end, ec] = std::from_chars(s.data() + start, s.data() + i, v);
    if (ec == std::errc::result_out_of_range)
        v = negativeExponent ? 0.0 : HUGE_VAL;
    return negative ? -v : v;
}

void Mod(EvalContext& ctx, Value* a)
{
    const double divisor = std::trunc(a[1].number);
    if (divisor == 0.0) {
        ctx.Error(kExprEvalError, "Auswertungsfehler: Division durch 0 [Evaluate/MOD]");
        a->number = 0.0;
        return;
    }
    a->number = std::fmod(std::trunc(a[0].number), divisor);
}

double DatePart(double julian, int CalendarDate::*part)
{
    const auto date = JulianToDate(julian);
    return date ? (*date).*part : 0.0;
}

} // namespace

int ClampCount(double v, int lo, int hi)
{
    if (std::isnan(v))
        return std::clamp(0, lo, hi);
    const double t = std::trunc(v);
    if (t <= lo)
        return lo;
    if (t >= hi)
        return hi;
    return static_cast<int>(t);
}

void CallFunction(EvalContext& ctx, const Instruction& ins, Value* a)
{
    switch (ins.op) {
    case Op::Abs: a->number = std::fabs(a->number); break;
    case Op::Int: a->number = std::trunc(a->number); break;
    case Op::Asc: a->number = a->length > 0 ? static_cast<unsigned char>(a->text[0]) : 0.0; break;
    case Op::Len: a->number = a->length; break;
    case Op::At: {
        const std::size_t pos = View(a[1]).find(View(a[0]));
        a->number = a[0].length == 0 || pos == std::string_view::npos ? 0.0 : static_cast<double>(pos + 1);
        break;
    }
    case Op::Chr: {
        const char c = LowByte(a->number);
        ctx.SetText(a, std::string_view(&c, 1));
        break;
    }
    case Op::Cdow: ctx.SetText(a, CdowOfText(JulianToDateTextWithCentury(a->number))); break;
    case Op::Cmonth: ctx.SetText(a, CmonthOfText(JulianToDateTextWithCentury(a->number))); break;
    case Op::Ctod: a->number = DateTextToJulian(View(*a)); break;
    case Op::Date: a->number = TodayJulian(); break;
    case Op::Day: a->number = DatePart(a->number, &CalendarDate::day); break;
    case Op::Month: a->number = DatePart(a->number, &CalendarDate::month); break;
    case Op::Year: a->number = DatePart(a->number, &CalendarDate::year); break;
    case Op::Dow: a->number = JulianDayOfWeek(a->number); break;
    case Op::Dtoc: ctx.SetText(a, JulianToDateText(a->number)); break;
    case Op::Dtos: ctx.SetText(a, JulianToDtos(a->number)); break;
    case Op::Deleted: a->number = Truth(ctx.Known(ctx.Env().Deleted()).value_or(false)); break;
    case Op::Recno: a->number = ctx.Known(ctx.Env().RecNo()).value_or(0.0); break;
    case Op::Iif:
        a[0] = a[0].number != 0.0 ? a[1] : a[2];
        ctx.Settle(a);
        break;
    case Op::Left: Left(a, ClampCount(a[1].number, -1, 256)); break;
    case Op::Right: Right(a, ClampCount(a[1].number, -1, 256)); break;
    case Op::Substr: Substr(a, ClampCount(a[1].number, -1, 256), ClampCount(a[2].number, -1, 256)); break;
    case Op::Stuff: Stuff(ctx, a); break;
    case Op::Upper: MapCase(ctx, a, Cases().upper); break;
    case Op::Lower: MapCase(ctx, a, Cases().lower); break;
    case Op::Ltrim:
        while (a->length > 0 && a->text[0] == ' ') {
            ++a->text;
            --a->length;
        }
        break;
    case Op::Rtrim:
        while (a->length > 0 && a->text[a->length - 1] == ' ')
            --a->length;
        break;
    case Op::Max: a->number = a[0].number > a[1].number ? a[0].number : a[1].number; break;
    case Op::Min: a->number = a[0].number < a[1].number ? a[0].number : a[1].number; break;
    case Op::Mod: Mod(ctx, a); break;
    case Op::Round: a->number = RoundDecimal(a[0].number, ClampCount(a[1].number, 0, 15)); break;
    case Op::Replicate: Replicate(ctx, a); break;
    case Op::Space:
        ctx.SetText(a, std::string_view(kBlanks).substr(0, static_cast<std::size_t>(
                                                               std::max(ClampCount(a->number, -1, 256), 0))));
        break;
    case Op::Soundex: ctx.SetText(a, Soundex(View(*a))); break;
    case Op::Str: Str(ctx, a, ins.argc); break;
    case Op::Val: a->number = Val(View(*a)); break;
    default: break;
    }
}

} // namespace kt4::dbase
