#include "foundation/numstr.h"

#include "foundation/maths.h"
#include "foundation/settings.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace kt4 {

namespace {

// Longest precision a text carries; beyond it digits are padded with zeros.
constexpr int MaxPrecision = 18;
// Widths beyond this are taken for a slip and not padded out: far wider
// than any line the program writes, small enough to be harmless.
constexpr int MaxPadWidth = 4096;

std::string PadFront(std::string s, int width)
{
    width = std::min(width, MaxPadWidth);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

// RoundedDigits by whole numbers, for the values most texts show: Ax
// below 2^64 with a binary point no further than 127 places down and up
// to 19 decimals. Ax is m / 2^k; Ax * 10^Decs = m * 10^Decs / 2^k is
// exact in 128 bits, and the bit below the point tells the half. False
// for any other value.
bool WholeRoundedDigits(Real Ax, int Decs, std::string& Digits)
{
    static constexpr auto Pow10 = PowersOfTenAs<std::uint64_t, 20>();
    if (Decs > 19 || !(Ax < 0x1p64L))
        return false;
    int e2 = 0;
    const Real fraction = std::frexp(Ax, &e2);
    const int k = 64 - e2;
    if (Ax != 0 && k > 127)
        return false;
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * Pow10[Decs];
    unsigned __int128 q = Ax == 0 ? 0 : scaled >> k;
    if (Ax != 0 && k > 0 && ((scaled >> (k - 1)) & 1) != 0)
        ++q;
    char buf[48];
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + static_cast<int>(q % 10));
        q /= 10;
    } while (q != 0);
    while (buf + sizeof buf - p < Decs + 1)
        *--p = '0';
    const std::size_t intLen = static_cast<std::size_t>(buf + sizeof buf - p - Decs);
    Digits.assign(p, intLen);
    if (Decs > 0)
        Digits.append(1, '.').append(p + intLen, static_cast<std::size_t>(Decs));
    return true;
}

// The decimal text of Ax >= 0 rounded to Decs decimals, halves away from
// zero. The digits come from the exact binary value, so 2.675 (stored a
// little below) gives 2.67 and 0.125 gives 0.13.
std::string RoundedDigits(Real Ax, int Decs)
{
    Decs = std::max(Decs, 0);
    if (std::string digits; WholeRoundedDigits(Ax, Decs, digits))
        return digits;
    // More digits than the exact expansion of any extended value in use
    // has (a 64-bit mantissa down to 1E-15 needs about 114).
    const int extra = 130;
    int e2 = 0;
    std::frexp(Ax, &e2);
    thread_local std::vector<char> buf;
    std::size_t need = static_cast<std::size_t>(std::max(e2, 0) / 3 + 16 + Decs + extra);
    if (buf.size() < need)
        buf.resize(need);
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), Ax, std::chars_format::fixed,
                             Decs + extra);
    std::string s(buf.data(), res.ptr);
    std::size_t dot = s.find('.');
    std::string intPart = s.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    bool up = static_cast<int>(frac.size()) > Decs && frac[static_cast<std::size_t>(Decs)] >= '5';
    frac.resize(static_cast<std::size_t>(Decs), '0');
    std::string digits = intPart + frac;
    if (up) {
        int k = static_cast<int>(digits.size()) - 1;
        while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9')
            digits[static_cast<std::size_t>(k--)] = '0';
        if (k < 0)
            digits.insert(0, 1, '1');
        else
            ++digits[static_cast<std::size_t>(k)];
    }
    std::size_t intLen = digits.size() - static_cast<std::size_t>(Decs);
    if (Decs == 0)
        return digits;
    return digits.substr(0, intLen) + "." + digits.substr(intLen);
}

bool AllZeros(const std::string& s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == '0' || c == '.'; });
}

std::string WithSign(bool negative, const std::string& digits)
{
    return negative && !AllZeros(digits) ? "-" + digits : digits;
}

std::string NonFinite(Real X)
{
    if (std::isnan(X))
        return "NAN";
    return X < 0 ? "-INF" : "INF";
}

// P significant digits in exponent form, trailing mantissa zeros dropped.
std::string ExponentForm(Real X, int P)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::scientific, P - 1);
    std::string s(buf, res.ptr);
    std::size_t e = s.find('e');
    std::string mant = s.substr(0, e);
    std::string exp = s.substr(e + 1);
    if (mant.find('.') != std::string::npos) {
        while (mant.back() == '0')
            mant.pop_back();
        if (mant.back() == '.')
            mant.pop_back();
    }
    return mant + "E" + exp;
}

std::string FormatCore(Real X, int IntDigits, int Decs)
{
    Decs = std::max(Decs, 0);
    int pad = Decs > 0 ? IntDigits + Decs + 1 : IntDigits;
    if (!std::isfinite(X))
        return PadFront(NonFinite(X), pad);
    bool negative = X < 0;
    Real ax = std::fabs(X);
    if (ax < 1E-15L)
        ax = 0;
    int p = std::clamp(IntDigits + Decs, 1, MaxPrecision);
    int e = DecimalExponent(ax);
    // Only a value that already has more integer digits than the precision
    // goes to exponent form (unpadded); a carry in rounding (9999.6 ->
    // 10000) does not.
    if (ax != 0 && e + 1 > p)
        return ExponentForm(X, p);
    int roundDecs = std::min(Decs, p - (e + 1));
    std::string digits = RoundedDigits(ax, roundDecs);
    if (roundDecs < Decs) {
        if (roundDecs == 0)
            digits += '.';
        digits.append(static_cast<std::size_t>(Decs - roundDecs), '0');
    }
    return PadFront(WithSign(negative, digits), pad);
}

int AdjustedDecs(int Decs)
{
    if (settings::Decimals != 3)
        return LimitInt(0, 10, Decs + settings::Decimals - 3);
    return Decs;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string IntStr(std::int64_t N) { return std::to_string(N); }

std::string IntStrZero(std::int64_t N, int Width)
{
    Width = std::min(Width, MaxPadWidth);
    std::string s = IntStr(N);
    if (static_cast<int>(s.size()) < Width)
        s.insert(0, static_cast<std::size_t>(Width) - s.size(), '0');
    return s;
}

std::string IntStrBlank(std::int64_t N, int Width) { return PadFront(IntStr(N), Width); }

void CalcSigDigits(int N, Real X, int& IntDigits, int& Decs)
{
    N = std::max(N, 1);
    if (X == 0)
        X = 0.5L;
    X = std::fabs(X);
    int e = DecimalExponent(X);
    if (e >= N) {
        IntDigits = e + 1;
        Decs = 0;
        return;
    }
    if (e < 0) {
        IntDigits = 0;
        Decs = N - e - 1;
    } else {
        IntDigits = e + 1;
        Decs = N - e;
    }
    // The extra digit is rounded and cut off; then trailing zeros go.
    std::int64_t v = Round(IntPower(Decs + 1, 10) * X) / 10;
    while (v != 0 && v % 10 == 0) {
        v /= 10;
        --Decs;
    }
    Decs = std::max(Decs, 0);
}

std::string FormatReal(Real X, int IntDigits, int Decs)
{
    return FormatCore(X, IntDigits, AdjustedDecs(Decs));
}

std::string FormatRealFixed(Real X, int IntDigits, int Decs)
{
    return FormatCore(X, IntDigits, Decs);
}

std::string FormatRealWide(Real X, int IntDigits, int Decs)
{
    const Real ax = std::fabs(X);
    if (std::isfinite(ax) && ax >= 1)
        IntDigits = std::max(IntDigits, static_cast<int>(DecimalExponent(ax)) + 1);
    return FormatReal(X, IntDigits, Decs);
}

std::string FixedStrPoint(Real X, int IntDigits, int Decs)
{
    Decs = std::max(Decs, 0);
    int pad = Decs > 0 ? IntDigits + Decs + 1 : IntDigits;
    if (!std::isfinite(X))
        return PadFront(NonFinite(X), pad);
    return PadFront(WithSign(X < 0, RoundedDigits(std::fabs(X), Decs)), pad);
}

std::string RealStrSig(int K, Real X)
{
    if (std::fabs(X) < 1E-5L)
        return "0";
    int i = 0, d = 0;
    CalcSigDigits(3 - K, X, i, d);
    return FormatReal(X, i, d);
}

std::string RealStr(Real X) { return RealStrSig(0, X); }
std::string RealStr6(Real X) { return RealStrSig(-3, X); }

std::string RealStrDec(int Decs, Real X)
{
    int i = 0, d = 0;
    CalcSigDigits(3, X, i, d);
    return FormatReal(X, i, Decs);
}

std::string RealStrWidth(int Width, Real X)
{
    if (std::fabs(X) < 1E-6L)
        return PadFront("0", Width);
    int i = 0, d = 0;
    CalcSigDigits(3, X, i, d);
    i = d == 0 ? Width : Width - d - 1;
    return FormatReal(X, i, d);
}

// Numbers in files never follow the display setting Decimals.
std::string RealStrPoint(Real X)
{
    if (std::fabs(X) < 1E-5L)
        return "0";
    int i = 0, d = 0;
    CalcSigDigits(3, X, i, d);
    return FormatRealFixed(X, i, d);
}

std::string RealStrDecPoint(int Decs, Real X)
{
    int i = 0, d = 0;
    CalcSigDigits(3, X, i, d);
    return FormatRealFixed(X, i, Decs);
}

std::string FormatRealPoint(Real X, int IntDigits, int Decs) { return FormatRealFixed(X, IntDigits, Decs); }

std::string FloatStr(Real X)
{
    if (!std::isfinite(X))
        return NonFinite(X);
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::general, 15);
    std::string s(buf, res.ptr);
    std::size_t e = s.find('e');
    if (e == std::string::npos)
        return s;
    // 1e+20 -> 1E20, 1e-07 -> 1E-7
    std::string exp = s.substr(e + 1);
    bool neg = exp[0] == '-';
    exp = exp.substr(1);
    exp.erase(0, std::min(exp.find_first_not_of('0'), exp.size() - 1));
    return s.substr(0, e) + "E" + (neg ? "-" : "") + exp;
}

std::string SignStr(const std::string& S)
{
    return !S.empty() && S[0] == '-' ? S : "+" + S;
}

std::string BoolStr(bool B) { return B ? "TRUE" : "FALSE"; }

namespace {

// Powers of ten that an extended value holds exactly.
constexpr const auto& ExactPow10 = PowersOfTen;
constexpr int MaxExactPow10 = static_cast<int>(PowersOfTen.size()) - 1;
// Significant digits that always fit into 64 bits.
constexpr int MaxExactDigits = 19;

locale_t CLocale()
{
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(0));
    return c;
}

// The nearest extended value of an unsigned decimal text [First, Last):
// digits with at most one separator ("," or "."), at least one digit, an
// optional exponent ("e" or "E", a sign, digits), nothing else. A value
// beyond the extended range or below its normal range is no number. Most
// texts (up to 19 significant digits and a power of ten up to 27) take
// one exact division or multiplication, which rounds as strtold does;
// the others go to strtold in the "C" locale.
bool ParseUnsignedDecimal(const char* First, const char* Last, Real& X)
{
    std::uint64_t digits = 0;
    int significant = 0;
    long exp10 = 0;
    bool anyDigit = false, separator = false, inexact = false;
    const char* p = First;
    for (; p != Last; ++p) {
        const char c = *p;
        if (c == '.' || c == ',') {
            if (separator)
                return false;
            separator = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        anyDigit = true;
        if (digits == 0 && c == '0') {
            exp10 -= separator ? 1 : 0;
            continue;
        }
        if (significant < MaxExactDigits) {
            digits = digits * 10 + static_cast<unsigned>(c - '0');
            ++significant;
            exp10 -= separator ? 1 : 0;
        } else {
            inexact = true; // strtold has the digits
        }
    }
    if (!anyDigit)
        return false;
    if (p != Last && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool negative = false;
        if (q != Last && (*q == '+' || *q == '-'))
            negative = *q++ == '-';
        if (q == Last || !IsDigit(*q))
            return false;
        long e = 0;
        for (; q != Last && IsDigit(*q); ++q)
            e = std::min(e * 10 + (*q - '0'), 1000000L);
        exp10 += negative ? -e : e;
        p = q;
    }
    if (p != Last)
        return false;
    if (digits == 0) {
        X = 0;
        return true;
    }
    if (!inexact && exp10 >= -MaxExactPow10 && exp10 <= MaxExactPow10) {
        const Real m = static_cast<Real>(digits);
        X = exp10 < 0 ? m / ExactPow10[-exp10] : m * ExactPow10[exp10];
        return true;
    }
    std::string text(First, Last);
    std::replace(text.begin(), text.end(), ',', '.');
    char* end = nullptr;
    const int savedErrno = errno;
    errno = 0;
    const Real v = ::strtold_l(text.c_str(), &end, CLocale());
    const bool range = errno == ERANGE;
    errno = savedErrno;
    if (range || end != text.c_str() + text.size())
        return false;
    X = v;
    return true;
}

} // namespace

bool TryStrToReal(const std::string& S, Real& X)
{
    std::size_t i = S.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    bool negative = false;
    if (S[i] == '+' || S[i] == '-')
        negative = S[i++] == '-';
    if (i >= S.size() || !(IsDigit(S[i]) || S[i] == '.' || S[i] == ','))
        return false;
    Real v = 0;
    if (!ParseUnsignedDecimal(S.data() + i, S.data() + S.size(), v))
        return false;
    X = negative ? -v : v;
    return true;
}

Real StrToReal(const std::string& S)
{
    Real x = 0;
    return TryStrToReal(S, x) ? x : 0;
}

bool TryStrToInteger(const std::string& S, Integer& N)
{
    std::size_t i = S.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    bool negative = false;
    if (S[i] == '+' || S[i] == '-') {
        negative = S[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < S.size() && S[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= S.size() || S[i] == '+' || S[i] == '-')
        return false;
    std::uint64_t v = 0;
    const char* end = S.data() + S.size();
    auto res = std::from_chars(S.data() + i, end, v, base);
    if (res.ec != std::errc() || res.ptr != end)
        return false;
    std::int64_t value = 0;
    if (base == 16) {
        // "$FFFFFFFF" is the bit pattern of -1, as 32-bit hexadecimal reads
        if (v > 0xFFFFFFFFull)
            return false;
        value = static_cast<Integer>(static_cast<std::uint32_t>(v));
        value = negative ? -value : value;
    } else {
        if (v > 2147483648ull)
            return false;
        value = negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
        if (value > 2147483647)
            return false;
    }
    N = static_cast<Integer>(value);
    return true;
}

Integer StrToInteger(const std::string& S)
{
    Integer n = 0;
    return TryStrToInteger(S, n) ? n : 0;
}

} // namespace kt4
