#include "common/comma_locale.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/units.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <locale>
#include <random>
#include <string>
#include <vector>

using namespace kt4;

class Numbers : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(Numbers, RealStrSignificantDigits)
{
    EXPECT_EQ(RealStr(0), "0");
    EXPECT_EQ(RealStr(0.000009L), "0");
    EXPECT_EQ(RealStr(0.00001L), "0.00001");
    EXPECT_EQ(RealStr(2.5L), "2.5");
    EXPECT_EQ(RealStr(1234.7L), "1235");
    EXPECT_EQ(RealStr(0.012345L), "0.0123");
    EXPECT_EQ(RealStr(12.5L), "12.5");
    EXPECT_EQ(RealStr(1.2345L), "1.235"); // stored a little above the half
    EXPECT_EQ(RealStr(123.456L), "123.5");
    EXPECT_EQ(RealStr(-7), "-7");
    EXPECT_EQ(RealStr(100), "100");
    EXPECT_EQ(RealStr(1.9996L), "2.000"); // zero test before the last rounding
    EXPECT_EQ(RealStr(0.5L), "0.5");
    EXPECT_EQ(RealStr(1E20L), "1E+20");
    EXPECT_EQ(RealStr(-1.5E25L), "-1.5E+25");
}

TEST_F(Numbers, PowersOfTenAndCarriesStayFixed)
{
    EXPECT_EQ(RealStr(1000), "1000");
    EXPECT_EQ(RealStr(10), "10");
    EXPECT_EQ(RealStr(1E6L), "1000000");
    EXPECT_EQ(RealStr(0.001L), "0.001");
    EXPECT_EQ(RealStr(9999.6L), "10000");
    EXPECT_EQ(RealStr(-9999.6L), "-10000");
}

TEST_F(Numbers, FormatRealRoundsHalfAwayAndPads)
{
    EXPECT_EQ(FormatReal(1234.5L, 4, 0), "1235");
    EXPECT_EQ(FormatReal(-1234.5L, 4, 0), "-1235");
    EXPECT_EQ(FormatReal(0.125L, 0, 2), "0.13");
    EXPECT_EQ(FormatReal(2.5L, 3, 2), "  2.50"); // padded to 3 + 2 + 1
    EXPECT_EQ(FormatReal(7, 4, 0), "   7");
    EXPECT_EQ(FormatReal(-0.0001L, 1, 2), "0.00"); // no "-0.00"
    EXPECT_EQ(FormatReal(1E-16L, 1, 2), "0.00");
    // more integer digits than the precision: exponent form
    EXPECT_EQ(FormatReal(123456, 2, 1), "1.23E+05");
    // digits beyond the precision are zeros
    EXPECT_EQ(FormatReal(1234.5678L, 2, 3), "1234.600");
}

TEST_F(Numbers, BelowOneFemtoIsZero)
{
    EXPECT_EQ(FormatReal(9E-16L, 1, 16), "0.0000000000000000");
    EXPECT_EQ(FormatReal(-9E-16L, 1, 16), "0.0000000000000000");
    EXPECT_EQ(FormatReal(2E-15L, 1, 16), "0.0000000000000020");
}

TEST_F(Numbers, FileFormsIgnoreTheDecimalsSetting)
{
    for (Word d : {0, 3, 5}) {
        settings::Decimals = d;
        SCOPED_TRACE(d);
        EXPECT_EQ(RealStrPoint(2.5L), "2.5");
        EXPECT_EQ(RealStrPoint(1E-6L), "0");
        EXPECT_EQ(RealStrDecPoint(2, 1.234L), "1.23");
        EXPECT_EQ(FormatRealPoint(1.5L, 2, 1), " 1.5");
    }
}

TEST_F(Numbers, DecimalsSettingAddsOrRemovesDecimals)
{
    settings::Decimals = 5;
    EXPECT_EQ(RealStr(2.5L), "2.500");
    settings::Decimals = 0;
    EXPECT_EQ(RealStr(2.5L), "3"); // one decimal less than none
    EXPECT_EQ(FormatRealFixed(2.5L, 1, 1), "2.5");
    settings::Decimals = 20;
    EXPECT_EQ(FormatReal(1, 1, 3), "1.0000000000"); // at most 10
}

TEST_F(Numbers, OtherForms)
{
    EXPECT_EQ(RealStrDec(4, 1), "1.0000");
    EXPECT_EQ(RealStrDec(7, 0.25L), "0.2500000");
    EXPECT_EQ(RealStr6(3.14159265L), "3.141593");
    EXPECT_EQ(RealStrSig(1, 3.14159265L), "3.14");
    EXPECT_EQ(RealStrSig(5, 3.14159265L), "3.1"); // too few digits count as one
    EXPECT_EQ(RealStrWidth(8, 2.5L), "     2.5");
    EXPECT_EQ(RealStrWidth(8, 1E-7L), "       0");
    EXPECT_EQ(FixedStrPoint(2.675L, 5, 2), "    2.67"); // stored below 2.675
    EXPECT_EQ(FixedStrPoint(1E-20L, 1, 3), "0.000");
    EXPECT_EQ(IntStrZero(7, 2), "07");
    EXPECT_EQ(IntStrBlank(7, 3), "  7");
    EXPECT_EQ(IntStrZero(123, 2), "123");
    // wide columns are padded out in full, as wide as asked
    EXPECT_EQ(IntStrBlank(7, 100), std::string(99, ' ') + "7");
    EXPECT_EQ(FormatReal(2.5L, 97, 2), std::string(96, ' ') + "2.50");
    EXPECT_EQ(RealStrWidth(120, 2.5L).size(), 120u);
    EXPECT_EQ(SignStr("5"), "+5");
    EXPECT_EQ(SignStr("-5"), "-5");
    EXPECT_EQ(SignStr(""), "+");
    EXPECT_EQ(BoolStr(true), "TRUE");
    EXPECT_EQ(FloatStr(1.5L), "1.5");
    EXPECT_EQ(FloatStr(-2), "-2");
    EXPECT_EQ(FloatStr(1E20L), "1E20");
    EXPECT_EQ(FloatStr(1E-7L), "1E-7");
}

TEST_F(Numbers, StrToRealAcceptsCommaOrPointOnly)
{
    EXPECT_EQ(StrToReal("3,5"), 3.5L);
    EXPECT_EQ(StrToReal("3.5"), 3.5L);
    EXPECT_EQ(StrToReal("  -1.5E3"), -1500);
    EXPECT_EQ(StrToReal("+.5"), 0.5L);
    EXPECT_EQ(StrToReal("1,234,5"), 0);
    EXPECT_EQ(StrToReal("abc"), 0);
    EXPECT_EQ(StrToReal(""), 0);
    EXPECT_EQ(StrToReal("2.5 "), 0); // trailing blank
    EXPECT_EQ(StrToReal("inf"), 0);
    EXPECT_EQ(StrToReal("0x10"), 0);
    EXPECT_EQ(StrToReal("1e"), 0);
    Real x = 7;
    EXPECT_FALSE(TryStrToReal("1.2.3", x));
    EXPECT_EQ(x, 7);
    EXPECT_TRUE(TryStrToReal("0", x));
    EXPECT_EQ(x, 0);
}

// The reader gives what the library's from_chars gave (the reader of
// earlier versions), to the last bit, for every text: edge values, the
// lines of the example and fixture projects, written file numbers and
// random decimal texts.
bool LibraryReal(const std::string& S, Real& X)
{
    std::string t = S.substr(std::min(S.find_first_not_of(' '), S.size()));
    if (auto c = t.find(','); c != std::string::npos)
        t[c] = '.';
    const std::size_t pos = !t.empty() && (t[0] == '+' || t[0] == '-');
    if (pos >= t.size() || !((t[pos] >= '0' && t[pos] <= '9') || t[pos] == '.'))
        return false;
    Real v = 0;
    auto res = std::from_chars(t.data() + pos, t.data() + t.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size())
        return false;
    X = t[0] == '-' ? -v : v;
    return true;
}

TEST_F(Numbers, StrToRealGivesTheLibraryValueToTheLastBit)
{
    std::vector<std::string> texts = {
        "0", "-0", "+0", "-0,0", ".5", ",5", "5.", "5,", ".", "-", "0.1", "2.675", "1e5", "1E+5", "1e-5", "1e",
        "1e+", "e5", ".e5", "1..5", "1,,5", "1.5,3", "1e5,0", "1e,5", "  -1.5E3", "- 1", "1 ", "+-1", "1x", "0x10",
        "inf", "nan", "9999999999999999999", "18446744073709551616", "1234567890123456789.5", "1e27", "1e28",
        "1e-27", "1e-28", "123456789e-27", "1.18973149535723176502e4932", "1.18973149535723176508e4932",
        "3.36210314311209350626e-4932", "3.6451995318824746025e-4951", "1e-4960", "0e99999", "1e99999999999",
        "0.1000000000000000055511151231257827021181583404541015625", "0.50000000000000000000000000001"};
    for (const char* name : {"data/beispiel1", "data/beispiel2", "tests/drawings/fixtures/x",
                             "tests/drawings/fixtures/y", "tests/drawings/fixtures/bearings_1",
                             "tests/drawings/fixtures/bearings_2", "tests/drawings/fixtures/bearings_3"}) {
        std::ifstream in(std::string(KT4_SOURCE_DIR) + "/" + name + ".kt4", std::ios::binary);
        ASSERT_TRUE(in) << name;
        for (std::string line; std::getline(in, line);)
            texts.push_back(line.substr(0, line.find('\r')));
    }
    std::mt19937_64 rnd(42);
    for (int k = 0; k < 20000; ++k) {
        const double d = std::ldexp(static_cast<double>(rnd() >> 11), static_cast<int>(rnd() % 2000) - 1050);
        texts.push_back(FileRealStr(d));
        texts.push_back(std::to_string(d).substr(0, 1 + rnd() % 24) + "e" + std::to_string(int(rnd() % 99) - 49));
        std::string digits = std::to_string(rnd()) + std::to_string(rnd() % 1000000);
        digits.insert(rnd() % digits.size(), 1, rnd() % 2 ? '.' : ',');
        texts.push_back((k % 2 ? "-" : "") + digits.substr(rnd() % 8) +
                        (rnd() % 3 ? "" : "E-" + std::to_string(4900 + rnd() % 70)));
    }
    std::size_t numbers = 0;
    for (const auto& text : texts) {
        Real want = 7, got = 7;
        const bool expected = LibraryReal(text, want);
        ASSERT_EQ(TryStrToReal(text, got), expected) << text;
        numbers += expected;
        ASSERT_EQ(std::memcmp(&got, &want, 10), 0) << text; // the 80 bits, the sign of zero included
    }
    EXPECT_GT(numbers, texts.size() / 2);
}

// Fixed texts by whole numbers are those of the exact decimal expansion
// rounded half away from zero (the general way), for every number of
// decimals: halves, powers of two and ten, both sides of 2^64, tiny and
// random values.
std::string ExpansionRounded(Real X, int Decs)
{
    std::vector<char> buf(6000);
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(X), std::chars_format::fixed, Decs + 130);
    std::string s(buf.data(), res.ptr);
    s.erase(s.find('.'), 1);
    const bool up = s[s.size() - 130] >= '5';
    s.resize(s.size() - 130);
    for (std::size_t k = s.size(); up; s[--k] = '0')
        if (k == 0 || s[k - 1] != '9') {
            k == 0 ? void(s.insert(0, 1, '1')) : void(++s[k - 1]);
            break;
        }
    if (Decs > 0)
        s.insert(s.size() - static_cast<std::size_t>(Decs), 1, '.');
    return X < 0 && s.find_first_not_of("0.") != std::string::npos ? "-" + s : s;
}

TEST_F(Numbers, FixedTextsAreTheExpansionRoundedHalfAway)
{
    std::vector<Real> values = {0.0L,    -0.0L,   0.5L,         2.5L,         0.125L,           2.675L,
                                9.995L,  0x1p63L, 0x1p64L,      0x1p64L - 1,  0x1p64L + 2048,   0x1p-63L,
                                0x1p-64L, 0x1p-70L, 999999.5L, 1E-15L, 123456789.123456789L};
    for (int p = -30; p <= 30; ++p)
        values.push_back(std::pow(10.0L, static_cast<Real>(p)));
    std::mt19937_64 rnd(7);
    for (int k = 0; k < 4000; ++k) {
        values.push_back(std::ldexp(static_cast<Real>(rnd() | 1ull << 63), static_cast<int>(rnd() % 140) - 134) *
                         (k % 2 ? 1 : -1));
        values.push_back((static_cast<Real>(rnd() % 2000000) + 0.5L) / std::pow(10.0L, static_cast<Real>(rnd() % 8)));
    }
    for (const Real x : values)
        for (int decs = 0; decs <= 21; decs += 1 + static_cast<int>(rnd() % 3))
            ASSERT_EQ(FixedStrPoint(x, 0, decs), ExpansionRounded(x, decs)) << static_cast<double>(x) << " " << decs;
}

TEST_F(Numbers, StrToInteger)
{
    EXPECT_EQ(StrToInteger(" -42"), -42);
    EXPECT_EQ(StrToInteger("$1F"), 31);
    EXPECT_EQ(StrToInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInteger("2147483647"), 2147483647);
    EXPECT_EQ(StrToInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(StrToInteger("2147483648"), 0);
    EXPECT_EQ(StrToInteger("12a"), 0);
    EXPECT_EQ(StrToInteger("1.0"), 0);
    EXPECT_EQ(StrToInteger("--1"), 0);
    EXPECT_EQ(StrToInteger(""), 0);
}

// The process locale must change nothing: neither reading nor writing.
TEST_F(Numbers, CommaLocaleChangesNothing)
{
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    kt4::testing::CommaLocale comma;
    ASSERT_TRUE(comma.Active()) << comma.Missing();
    std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));

    EXPECT_EQ(RealStr(2.5L), "2.5");
    EXPECT_EQ(RealStr(1234.7L), "1235");
    EXPECT_EQ(FormatReal(1234567.25L, 7, 2), "1234567.25");
    EXPECT_EQ(StrToReal("3,5"), 3.5L);
    EXPECT_EQ(StrToReal("3.5"), 3.5L);
    EXPECT_EQ(StrToReal("1.234,5"), 0);
    EXPECT_EQ(FloatStr(1.5L), "1.5");

    std::locale::global(old);
}

class UnitSystems : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(UnitSystems, FormattersInAllFiveSystems)
{
    // length 25.4 mm, force 4448.22 N, torque 11.2984788 Nm, stress 10 MPa, 100 °C
    const char* length[] = {"25.4", "1.0000", "25.4", "25.4", "25.4"};
    const char* lengthFine[] = {"25.4", "1.00000", "25.4", "25.4", "25.4"};
    const char* force[] = {"4448", "1000", "4.448", "4448", "4.448"};
    const char* torque[] = {"11.30", "100", "11.30", "11.30", "11.30"};
    const char* stress[] = {"  10.00", "  1450", "  10.00", "  10.00", "  10.00"};
    const char* temp[] = {"100.0", "212.0", "100.0", "100.0", "100.0"};
    const char* forceWD[] = {"  4448.2", " 1000.00", "    4.45", "  4448.2", "    4.45"};
    for (Word u = 0; u <= 4; ++u) {
        settings::UnitSystem = u;
        SCOPED_TRACE(u);
        EXPECT_EQ(FormatLength(25.4L), length[u]);
        EXPECT_EQ(FormatLengthFine(25.4L), lengthFine[u]);
        EXPECT_EQ(FormatForce(4448.22L), force[u]);
        EXPECT_EQ(FormatTorque(11.2984788L), torque[u]);
        EXPECT_EQ(FormatStressWD(10, 4, 2), stress[u]);
        EXPECT_EQ(FormatTempWD(100, 3, 1), temp[u]);
        EXPECT_EQ(FormatForceWD(4448.22L, 6, 1), forceWD[u]);
    }
}

TEST_F(UnitSystems, TemperaturesStayFixedWhateverTheirSize)
{
    EXPECT_EQ(FormatTempWD(125, 2, 0), "125");
    EXPECT_EQ(FormatTempWD(-125, 2, 0), "-125");
    EXPECT_EQ(FormatTempWD(1250.25L, 2, 1), "1250.3");
    EXPECT_EQ(FormatTempWD(42.5L, 2, 0), "43");
    settings::UnitSystem = 1;
    EXPECT_EQ(FormatTempWD(125, 2, 0), "257");
}

TEST_F(UnitSystems, ReadersAndLabels)
{
    settings::UnitSystem = 1;
    EXPECT_EQ(ReadLength("1"), 25.4L);
    EXPECT_EQ(ReadForce("1"), 4.44822L);
    EXPECT_EQ(ReadTorque("1,0"), 0.112984788L);
    EXPECT_EQ(LengthUnit() + ForceUnit() + StressUnit() + TorqueUnit() + TempUnit(), "inlbfpsilbfin F");
    settings::UnitSystem = 2;
    EXPECT_EQ(ReadForce("4.5"), 4500);
    EXPECT_EQ(ReadLength("abc"), 0);
    EXPECT_EQ(ForceUnit(), "kN");
    settings::UnitSystem = 3;
    EXPECT_EQ(StressUnit(), "N/mm\xFD");
    EXPECT_EQ(TempUnit(), "\xF8" "C");
    EXPECT_EQ(TorqueUnit(), "Nm");
    EXPECT_EQ(DegreeUnit(), "\xF8");
    settings::CharConversion = 1;
    EXPECT_EQ(TempUnit(), " C");
    EXPECT_EQ(DegreeUnit(), "deg");

    settings::UnitSystem = 4;
    ToggleUnitSystem();
    EXPECT_EQ(settings::UnitSystem, 1);
    ToggleUnitSystem();
    EXPECT_EQ(settings::UnitSystem, 0);
}
