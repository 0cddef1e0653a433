#include "common/comma_locale.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/units.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

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
