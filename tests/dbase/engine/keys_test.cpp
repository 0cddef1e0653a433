#include "dbase/engine/keys.h"
#include "dbase/engine/keys_date.h"
#include "dbase/engine/keys_text.h"
#include "dbase/engine/runtime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace kt4::dbase;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(KeysDate, JulianAnchors)
{
    EXPECT_EQ(DtosToJulian("20000101"), 2451545.0);
    EXPECT_EQ(DtosToJulian("00010101"), 1721426.0);
    EXPECT_EQ(DtosToJulian("99991231"), 5373484.0);
    EXPECT_EQ(DtosToJulian("        "), 0.0);
    EXPECT_EQ(DtosToJulian("20010229"), 0.0);
    EXPECT_EQ(DtosToJulian("2000010"), 0.0);
    EXPECT_EQ(DtosToJulian("2000AB01"), 0.0);
    EXPECT_EQ(DtosToJulian("00000101"), 0.0); // there is no year 0
    EXPECT_EQ(JulianToDtos(2451545.0), "20000101");
    EXPECT_EQ(JulianToDtos(2451545.9), "20000101");
    EXPECT_EQ(JulianToDtos(0.0), "        ");
}

TEST(KeysDate, EveryDayRoundTrips)
{
    for (double j = kFirstJulian; j <= kLastJulian; j += 1.0) {
        const auto d = JulianToDate(j);
        ASSERT_TRUE(d.has_value()) << j;
        ASSERT_EQ(DateToJulian(d->year, d->month, d->day), j) << d->year << "-" << d->month << "-" << d->day;
    }
    EXPECT_EQ(JulianToDtos(DtosToJulian("20001231")), "20001231");
    EXPECT_EQ(JulianToDtos(DtosToJulian("19961231")), "19961231");
    EXPECT_EQ(JulianToDtos(DtosToJulian("00011231")), "00011231");
    EXPECT_EQ(DtosToJulian("20000301") - DtosToJulian("20000228"), 2.0);
    EXPECT_EQ(DtosToJulian("19000301") - DtosToJulian("19000228"), 1.0);
}

TEST(KeysDate, ValuesOutsideTheRangeAreBlank)
{
    // 1721425 is the day before 0001-01-01, not a date.
    for (double v : {1721425.0, 1721425.5, 5373485.0, -1.0, kNaN, kInf, -kInf, 1e300}) {
        EXPECT_FALSE(IsValidJulian(v)) << v;
        EXPECT_EQ(JulianToDtos(v), "        ");
        EXPECT_EQ(JulianDayOfWeek(v), 0);
    }
}

TEST(KeysDate, CalendarHelpers)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(0));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_EQ(DayOfYear(2000, 12, 31), 366);
    EXPECT_EQ(DayOfYear(2001, 2, 29), -1);
    EXPECT_EQ(DayOfYear(2001, 13, 1), -1);
    EXPECT_EQ(DaysBeforeYear(1), 0);
    EXPECT_EQ(MonthDayOfYearDay(60, true), (CalendarDate{0, 2, 29}));
    EXPECT_EQ(MonthDayOfYearDay(61, true), (CalendarDate{0, 3, 1}));
    EXPECT_EQ(MonthDayOfYearDay(60, false), (CalendarDate{0, 3, 1}));
    EXPECT_EQ(JulianDayOfWeek(2451545.0), 7); // 2000-01-01, a Saturday
    EXPECT_EQ(JulianDayOfWeek(DtosToJulian("19000101")), 2);
}

// Date texts follow the engine's layout settings.
class KeysDateText : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {EngineDateFormat, DateWithCentury, CenturyStart};
        Layout(4);
    }
    void TearDown() override
    {
        EngineDateFormat = saved_.format;
        DateWithCentury = saved_.century;
        CenturyStart = saved_.window;
    }
    static void Layout(int code, bool century = false, int window = 1956)
    {
        SetDateFormat(static_cast<std::uint8_t>(code));
        DateWithCentury = century;
        CenturyStart = static_cast<std::uint16_t>(window);
    }
    struct Saved {
        std::uint8_t format;
        bool century;
        std::uint16_t window;
    } saved_{};
};

TEST_F(KeysDateText, OneLayoutForEveryCode)
{
    const double j = DtosToJulian("20240315");
    const char* expected[9] = {"03/15/24", "24.03.15", "15/03/24", "15-03-24", "15.03.24",
                               "15.03.24", "15.03.24", "15.03.24", "15.03.24"};
    for (int code = 0; code <= 8; ++code) {
        Layout(code);
        EXPECT_EQ(JulianToDateText(j), expected[code]) << code;
    }
    Layout(4, true);
    EXPECT_EQ(JulianToDateText(j), "15.03.2024");
    EXPECT_EQ(JulianToDateText(0.0), "  .  .    ");
    Layout(1, true);
    EXPECT_EQ(JulianToDateText(j), "2024.03.15");
    Layout(4);
    EXPECT_EQ(JulianToDateText(0.0), "  .  .  ");
    EXPECT_EQ(JulianToDateTextWithCentury(j), "15.03.2024");
    EXPECT_FALSE(DateWithCentury);
    for (double v : {1721425.0, kNaN, kInf})
        EXPECT_EQ(JulianToDateText(v), "  .  .  ");
}

TEST_F(KeysDateText, ReadingDateTexts)
{
    EXPECT_EQ(DateTextToJulian("29.02.2000"), DtosToJulian("20000229"));
    EXPECT_EQ(DateTextToJulian("29.02.1900"), 0.0);
    EXPECT_EQ(DateTextToJulian("31.04.2001"), 0.0);
    EXPECT_EQ(DateTextToJulian("  .  .  "), 0.0);
    EXPECT_EQ(DateTextToJulian(""), 0.0);
    // Any of the three separators; the parts in the layout's order.
    EXPECT_EQ(DateTextToJulian("1/2/2003"), DtosToJulian("20030201"));
    EXPECT_EQ(DateTextToJulian("1.2"), 0.0);
    EXPECT_EQ(DateTextToJulian("01.02."), 0.0);
    EXPECT_EQ(DateTextToJulian("1.2.3.4"), 0.0);
    EXPECT_EQ(DateTextToJulian("aa.bb.cc"), 0.0);
    // Only the first 10 characters count.
    EXPECT_EQ(DateTextToJulian("01.02.2003xyz"), DtosToJulian("20030201"));
    EXPECT_EQ(DateTextToDtos("01.02.2003"), "20030201");
    EXPECT_EQ(DateTextToDtos("  .  .    "), "        ");
    // Two-digit years by the century window.
    Layout(0, false, 1956);
    EXPECT_EQ(DateTextToJulian("12/31/55"), DtosToJulian("20551231"));
    EXPECT_EQ(DateTextToJulian("12/31/56"), DtosToJulian("19561231"));
    Layout(1);
    EXPECT_EQ(DateTextToJulian("99.12.31"), DtosToJulian("19991231"));
    Layout(3, true);
    EXPECT_EQ(DateTextToJulian("01-02-03"), DtosToJulian("20030201"));
}

TEST(KeysBcd, EncodingAnchors)
{
    const TBcdKey a = DoubleToBcd(123.45, 2);
    EXPECT_EQ(a.bytes[0], 55);
    EXPECT_EQ(a.bytes[1], 0x15);
    EXPECT_EQ(a.bytes[2], 0x12);
    EXPECT_EQ(a.bytes[3], 0x34);
    EXPECT_EQ(a.bytes[4], 0x50);
    EXPECT_EQ(a.bytes[5], 0x00);

    const TBcdKey b = DoubleToBcd(100, 0);
    EXPECT_EQ(b.Exponent(), 55);
    EXPECT_EQ(b.DigitCount(), 10);
    EXPECT_EQ(b.bytes[2], 0x10);

    const TBcdKey z = DoubleToBcd(0, 2);
    EXPECT_EQ(z.bytes[1], 0x01);
    EXPECT_EQ(z.DigitCount(), 0);
    EXPECT_FALSE(DoubleToBcd(-0.0, 2).Negative());

    const TBcdKey s = DoubleToBcd(0.001, 3);
    EXPECT_EQ(s.Exponent(), 50);
    EXPECT_EQ(s.Digit(0), 1);
    EXPECT_TRUE(DoubleToBcd(-5, 0).Negative());
    EXPECT_EQ(TextToBcd("  -  007.50", 2), DoubleToBcd(-7.5, 2));
}

TEST(KeysBcd, Ordering)
{
    const std::vector<TBcdKey> ascending{DoubleToBcd(-50, 0), DoubleToBcd(-5, 0), DoubleToBcd(-0.5, 1),
                                         DoubleToBcd(0, 0),   DoubleToBcd(0.001, 3), DoubleToBcd(5, 0),
                                         DoubleToBcd(50, 0),  DoubleToBcd(50.5, 1)};
    for (std::size_t i = 0; i < ascending.size(); ++i)
        for (std::size_t k = 0; k < ascending.size(); ++k) {
            const int c = CompareBcd(ascending[i], ascending[k]);
            EXPECT_EQ(c < 0, i < k) << i << " " << k;
            EXPECT_EQ(c == 0, i == k) << i << " " << k;
        }
    EXPECT_GT(CompareBcd(DoubleToBcd(1.5, 1), DoubleToBcd(1.25, 2)), 0);
    EXPECT_LT(CompareBcd(DoubleToBcd(100.0, 2), DoubleToBcd(100.5, 2)), 0);
    EXPECT_EQ(CompareBcd(DoubleToBcd(7, 0), DoubleToBcd(7, 2)), 0);
}

TEST(KeysBcd, LongNumbersKeepTheirOrder)
{
    // More than 20 integer digits: the exponent counts all of them.
    EXPECT_EQ(DoubleToBcd(1e25, 0).Exponent(), 52 + 26);
    EXPECT_LT(CompareBcd(DoubleToBcd(9e24, 0), DoubleToBcd(1e25, 0)), 0);
    EXPECT_LT(CompareBcd(DoubleToBcd(-1e25, 0), DoubleToBcd(-9e24, 0)), 0);
    EXPECT_LT(CompareBcd(DoubleToBcd(1e60, 0), DoubleToBcd(1e70, 0)), 0);
    // Infinities count as the largest values; NaN as 0; nothing overflows.
    EXPECT_EQ(DoubleToBcd(kInf, 2).Exponent(), 255);
    EXPECT_GT(CompareBcd(DoubleToBcd(kInf, 2), DoubleToBcd(1e300, 2)), 0);
    EXPECT_EQ(DoubleToBcd(kNaN, 2), DoubleToBcd(0, 2));
    const std::string tiny = "0." + std::string(80, '0') + "1";
    EXPECT_EQ(TextToBcd(tiny, 0).Exponent(), 0);
}

TEST(KeysCompare, BytesAndDoubles)
{
    EXPECT_EQ(CompareBytes("abc", "abc", 3), 0);
    EXPECT_LT(CompareBytes("abc", "abd", 3), 0);
    EXPECT_GT(CompareBytes("\xE4", "z", 1), 0); // unsigned bytes
    EXPECT_EQ(CompareBytes("ab", "ac", 1), 0);

    EXPECT_EQ(CompareDoubles(1.0, 1.0), 0);
    EXPECT_EQ(CompareDoubles(1.0, kNaN), 0);
    EXPECT_EQ(CompareDoubles(kNaN, 1.0), 0);
    EXPECT_EQ(CompareDoubles(-0.0, 0.0), 0);
    EXPECT_EQ(CompareDoubles(2.0, 1.0), 1);

    // The sorting order is total, NaN last.
    std::vector<double> v{3, kNaN, -1, kInf, kNaN, 0, -kInf};
    std::sort(v.begin(), v.end(), [](double a, double b) { return DoubleKeyOrder(a, b) < 0; });
    EXPECT_EQ(v[0], -kInf);
    EXPECT_EQ(v[4], kInf);
    EXPECT_TRUE(std::isnan(v[5]) && std::isnan(v[6]));

    const auto k1 = DoubleToKeyBytes(-2.5);
    const auto k2 = DoubleToKeyBytes(1.0);
    EXPECT_EQ(KeyBytesToDouble(k1.data()), -2.5);
    EXPECT_LT(CompareDoubleKeyBytes(k1.data(), k2.data()), 0);
}

TEST(KeysText, Soundex)
{
    EXPECT_EQ(Soundex("Robert"), "R163");
    EXPECT_EQ(Soundex("Rupert"), "R163");
    EXPECT_EQ(Soundex("A"), "A000");
    EXPECT_EQ(Soundex("Tymczak"), "T522");
    EXPECT_EQ(Soundex("Pfister"), "P236"); // P and f share code 1
    EXPECT_EQ(Soundex("Ashcraft"), "A226"); // H separates the two 2s
    EXPECT_EQ(Soundex(""), "0000");
    EXPECT_EQ(Soundex("1abc"), "1120");
    EXPECT_EQ(Soundex("a-b c"), "A120");
}

TEST(KeysText, FoldedCharacterKeys)
{
    EXPECT_EQ(FoldCharKey("M\xDCLLER", 10), "mueller");
    EXPECT_EQ(FoldCharKey("M\xFC", 10), "mue");
    EXPECT_EQ(FoldCharKey("Stra\xDF" "e", 10), "strasse");
    EXPECT_EQ(FoldCharKey("\xC4" "B", 1), "a");
    EXPECT_EQ(FoldCharKey("ABCDEF", 3), "abc");
    EXPECT_EQ(FoldCharKey("\xC9t\xE9", 5), "\xC9t\xE9"); // only A-Z and the umlauts fold
}

TEST(KeysText, ByteHelpers)
{
    EXPECT_EQ(ZeroPadInt(42, 5), "00042");
    EXPECT_EQ(ZeroPadInt(123456, 3), "123456");
    std::string s = "AB  CD";
    SwapBlocks(s.data() + 2, 2, 2);
    EXPECT_EQ(s, "ABCD  ");
    SwapBlocks(s.data(), 0, 3);
    EXPECT_EQ(s, "ABCD  ");
}
