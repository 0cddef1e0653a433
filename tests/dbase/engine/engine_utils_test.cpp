// Date texts, text helpers and file helpers of the engine.
#include "dbase_fixture.h"

#include <charconv>
#include <cmath>
#include <random>
#include <sys/stat.h>

namespace kt4::dbase::test {
namespace {

using UtilsTest = EngineTest;

TEST_F(UtilsTest, DateTextValidation)
{
    SetDateFormat(4);
    std::string t = "29.02.2000";
    EXPECT_TRUE(ValidDateText(t));
    EXPECT_EQ(t, "29.02.00");
    t = "29.02.1900";
    EXPECT_FALSE(ValidDateText(t));
    EXPECT_EQ(t, "29.02.1900");
    t = "31.04.2001";
    EXPECT_FALSE(ValidDateText(t));
    t = "  .  .  ";
    EXPECT_TRUE(ValidDateText(t));
    t = "1.2.3";
    EXPECT_TRUE(ValidDateText(t));
    EXPECT_EQ(t, "01.02.03");
}

TEST_F(UtilsTest, DaysMonthsAndLanguages)
{
    SetDateFormat(0);
    EXPECT_EQ(DowOfText("01/01/2000"), 7);
    SetDateFormat(5);
    EXPECT_EQ(CdowOfText("01.01.2000"), "Samstag   ");
    EXPECT_EQ(CmonthOfText("01.03.2000"), "M\xE4rz     ");
    EXPECT_EQ(CdowOfText("  .  .  "), std::string(10, ' '));
    EXPECT_EQ(CmonthOfText("  .  .  "), std::string(9, ' '));
    EXPECT_EQ(DowOfText("  .  .  "), 0);
    SetDateFormat(4);
    EXPECT_EQ(CmonthOfText("01.08.2000"), "Ao\xFBt     ");
    SetDateFormat(8);
    EXPECT_EQ(CdowOfText("02.01.2000"), "Voskresenye");
    EXPECT_EQ(CmonthOfText("02.01.2000"), "Yanvar  ");
    SetDateFormat(6);
    EXPECT_EQ(CmonthOfText("02.09.2000"), "Septiembre");
}

TEST_F(UtilsTest, DatePartsAndKeyForm)
{
    SetDateFormat(1);
    EXPECT_EQ(DatePicture(), "yy.MM.dd");
    EXPECT_EQ(EmptyDateTemplate(), "  .  .  ");
    EXPECT_EQ(YearOfText("24.05.17"), 2024);
    EXPECT_EQ(MonthOfText("24.05.17"), 5);
    EXPECT_EQ(DayOfText("24.05.17"), 17);
    EXPECT_EQ(DateTextToDtosText("55.05.17"), "20550517"); // window from 1956
    EXPECT_EQ(DateTextToDtosText("56.05.17"), "19560517");
    EXPECT_EQ(DateTextToDtosText("  .  .  "), "        ");
    DateWithCentury = true;
    EXPECT_EQ(DtosToDateTextOf("20240517"), "2024.05.17");
    EXPECT_EQ(DatePicture(), "yyyy.MM.dd");
    SetDateFormat(7); // one layout for 4..8
    EXPECT_EQ(DtosToDateTextOf("20240517"), "17.05.2024");
    SetDateFormat(9);
    EXPECT_EQ(EngineDateFormat, 0);
    EXPECT_EQ(CenturyOf(55), 2000);
    EXPECT_EQ(CenturyOf(56), 1900);
}

TEST_F(UtilsTest, LanguageOfTheLocale)
{
    EXPECT_EQ(LanguageCodeOf("de_DE.UTF-8"), 5);
    EXPECT_EQ(LanguageCodeOf("en_US.UTF-8"), 0);
    EXPECT_EQ(LanguageCodeOf("en_GB"), 2);
    EXPECT_EQ(LanguageCodeOf("fr_CA"), 7);
    EXPECT_EQ(LanguageCodeOf("fr_FR"), 4);
    EXPECT_EQ(LanguageCodeOf("ru_RU"), 8);
    EXPECT_EQ(LanguageCodeOf("C"), 0);
    SetLanguage(8);
    EXPECT_EQ(DecimalSeparator, '.');
    EXPECT_EQ(ThousandsSeparator, ' ');
    SetLanguage(3);
    EXPECT_EQ(DecimalSeparator, ',');
}

TEST_F(UtilsTest, OccurrencesAndPadding)
{
    EXPECT_EQ(Occurs("aa", "aaaa"), 2);
    EXPECT_EQ(AtOccurrence(2, "aa", "aaaa"), 2);
    EXPECT_EQ(AtOccurrence(-1, "b", "abcb"), 4);
    EXPECT_EQ(AtOccurrence(-1, "bc", "abcbc"), 4);
    EXPECT_EQ(AtOccurrence(3, "x", "xx"), 0);
    EXPECT_EQ(AtOccurrence(0, "x", "xx"), 0);
    EXPECT_EQ(PadRight("ab", 4), "ab  ");
    EXPECT_EQ(PadRight("abcdef", 4), "abcdef");
    EXPECT_EQ(IntToText(42, 5), "   42");
    EXPECT_EQ(ReplicateChar('-', 3), "---");
    EXPECT_EQ(ReplicateChar('-', -3), "");
    EXPECT_EQ(RTrimText("ab \t\r"), "ab");
    EXPECT_EQ(UpperText("\xE4\x9A\xFF\xDF"), "\xC4\x8A\x9F\xDF");
    EXPECT_EQ(LowerChar('\xC9'), '\xE9');
    EXPECT_TRUE(IsAlphaFirst("\xDF" "x"));
    EXPECT_EQ(PosNoCase("B\xC4", "ab\xE4x"), 2);
}

TEST_F(UtilsTest, NumbersInTextAndFiles)
{
    DecimalSeparator = ',';
    std::string t = "$ 1.234,50";
    CleanNumberText(t);
    EXPECT_EQ(t, "1234.50");
    t = "-,5";
    CleanNumberText(t);
    EXPECT_EQ(t, "-0.5");
    t = "12abc";
    CleanNumberText(t);
    EXPECT_EQ(t, "12");
    EXPECT_EQ(TextToSmallInt("+40000"), 32767);
    EXPECT_EQ(TextToInt("1.234,9"), 1234);
    EXPECT_DOUBLE_EQ(TextToFloat("-3,25"), -3.25);
    EXPECT_EQ(FloatToText(8, 2, 12.5), "   12.50"); // files: always "."
    EXPECT_EQ(FloatToDisplayText(8, 2, 12.5), "   12,50");
    EXPECT_EQ(FloatToText(0, 2, 1e40).size(), 44u); // no length limit
    double v = 0;
    EXPECT_TRUE(ParseFileNumber("  -1.5 ", v));
    EXPECT_DOUBLE_EQ(v, -1.5);
    EXPECT_FALSE(ParseFileNumber("1,5", v));
    EXPECT_FALSE(ParseFileNumber("   ", v));
}

// The plain paths of the record encoding give what the general ones give:
// the file text of a number, the number a text reads as, a stored date.
TEST_F(UtilsTest, PlainPathsMatchTheGeneralOnes)
{
    std::mt19937_64 rng(33);
    std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 0.125, -0.125, 0.25, 2.5, -2.5, 1.005, 2.675, 0.045,
                                  1.45, -1234.5678, 0.1 + 0.2, 1.0 / 3, 1e-20, 5e-324, 1e300, 1e15,
                                  999999999999999.0, 99999999999999.95, 4503599627370497.0, 123456789.125};
    for (int i = 0; i < 3000; ++i) {
        const double units = double(std::int64_t(rng() % 2000000000001) - 1000000000000);
        values.push_back(units / std::pow(10.0, double(rng() % 16)));
        values.push_back(std::ldexp(double(rng() % (std::uint64_t{1} << 53)), int(rng() % 80) - 60));
    }
    int plain = 0;
    for (const double v : values) {
        for (int dec = 0; dec <= 15; ++dec) {
            char text[18];
            std::size_t n = 0;
            double back = 0, general = 0;
            if (!PlainFloatText(v, dec, text, n, back))
                continue;
            ++plain;
            const std::string expect = FloatToText(0, dec, v);
            ASSERT_EQ(std::string(text, n), expect) << v << " with " << dec << " decimals";
            ASSERT_TRUE(ParseFileNumber(expect, general));
            ASSERT_EQ(std::signbit(back), std::signbit(general)) << expect;
            ASSERT_EQ(back, general) << expect;
        }
    }
    EXPECT_GT(plain, 10000);
    // Texts: the number from_chars reads from the trimmed text, or none.
    std::vector<std::string> texts = {"12.50", "-0.00", "0", "-0", "007", "5.", ".5", "-.5", "-", ".", "1e5",
                                      "123456789012345", "1234567890123456", "0.000000000000001", "+2.5",
                                      "+-2", "1.2.3", "--1", "inf", "nan", "9007199254740993", "0.1", "1,5",
                                      " 99999999999999.9\t", "12 3"};
    for (int i = 0; i < 20000; ++i) {
        std::string t = rng() % 2 ? "-" : "";
        for (int d = 0, len = 1 + int(rng() % 17); d < len; ++d)
            t += char('0' + rng() % 10);
        if (rng() % 3)
            t.insert(t.size() - rng() % (t.size() - (t[0] == '-' ? 1 : 0)), ".");
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        double got = 7, want = 0;
        const bool ok = ParseFileNumber(t, got);
        std::string trimmed = AllTrim(t);
        if (!trimmed.empty() && trimmed[0] == '+')
            trimmed.erase(0, 1);
        const auto r = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), want);
        const bool expectOk = !trimmed.empty() && r.ec == std::errc() && r.ptr == trimmed.data() + trimmed.size() &&
                              std::isfinite(want);
        ASSERT_EQ(ok, expectOk) << t;
        if (ok) {
            ASSERT_EQ(got, want) << t;
            ASSERT_EQ(std::signbit(got), std::signbit(want)) << t;
        }
    }
    // Dates in every layout, with and without the century.
    const char* dates[] = {"17.05.24", "17.05.2024", "05/17/24", "05/17/2024", "2024.05.17", "24.05.17", "24/05/17",
                           "17-05-24", "29.02.2000", "29.02.1900", "31.04.2001", "00.00.00", "  .  .  ", "1.5.24",
                           "17.05.024", "17.05.56", "17.05.55", "01.01.0000", "12.13.14", "13.12.14", "17.05-24",
                           "17.05.24 ", "a7.05.24", "2000.02.29", "1999/12/31"};
    for (int century = 0; century < 2; ++century) {
        DateWithCentury = century != 0;
        for (int layout = 0; layout <= 8; ++layout) {
            SetDateFormat(std::uint8_t(layout));
            int taken = 0;
            for (const char* d : dates) {
                char stored[8];
                std::string general;
                if (!PlainStoredDate(d, stored))
                    continue;
                ++taken;
                ASSERT_TRUE(StoredDateOfText(d, general)) << d << " in layout " << layout;
                EXPECT_EQ(std::string(stored, 8), general) << d << " in layout " << layout;
            }
            EXPECT_GT(taken, 2) << "layout " << layout;
        }
    }
}

TEST_F(UtilsTest, RemoveKeywordTakesWholeWords)
{
    std::string cmd = "use x exclusive alias y";
    EXPECT_TRUE(RemoveKeyword("EXCLUSIVE", cmd));
    EXPECT_EQ(cmd, "USE X  ALIAS Y");
    cmd = "use x exclusive2";
    EXPECT_FALSE(RemoveKeyword("exclusive", cmd));
    cmd = "use nonexclusive.dbf";
    EXPECT_FALSE(RemoveKeyword("exclusive", cmd));
    cmd = "use exclusive/t.dbf";
    EXPECT_FALSE(RemoveKeyword("exclusive", cmd));
}

TEST_F(UtilsTest, WildcardDeletionStaysInItsFolder)
{
    for (const char* n : {"TZP1.tmp", "tzp2.TMP", "keep.txt"})
        WriteBytes(Path(n), {1});
    std::filesystem::create_directories(dir_ / "sub");
    WriteBytes(Path("sub/TZP3.tmp"), {1});
    std::filesystem::create_symlink(Path("keep.txt"), Path("TZPlink.tmp"));
    EXPECT_TRUE(EraseWildcard(Path("tzp*.tmp")));
    EXPECT_FALSE(std::filesystem::exists(Path("TZP1.tmp")));
    EXPECT_FALSE(std::filesystem::exists(Path("tzp2.TMP")));
    EXPECT_TRUE(std::filesystem::exists(Path("sub/TZP3.tmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("TZPlink.tmp")));
    EXPECT_TRUE(std::filesystem::exists(Path("keep.txt")));
}

TEST_F(UtilsTest, EraseIfFreeRespectsOpenTables)
{
    std::string t = MakeParts();
    USE(t);
    EXPECT_EQ(EraseIfFree(t), 32);
    EXPECT_TRUE(std::filesystem::exists(t));
    EXPECT_FALSE(EraseWildcard(Path("*.DBF")));
    EXPECT_EQ(EngineErrorCode, 5);
    EXPECT_EQ(LastErrorText(), "1 Datei(en) mit Namen wie " + Path("*.DBF"));
    USE("");
    EXPECT_EQ(EraseIfFree(t), 0);
    EXPECT_FALSE(std::filesystem::exists(t));
}

TEST_F(UtilsTest, FileHelpers)
{
    EXPECT_LE(DiskFreeKB(dir_.string()), 2147483647);
    EXPECT_GT(DiskFreeKB(dir_.string()), 0);
    EXPECT_EQ(DiskFreeKBOfDrive(3), 2147483647);
    std::string u = UniqueFilename();
    ASSERT_FALSE(u.empty());
    EXPECT_EQ(std::filesystem::path(u).filename().string().substr(0, 3), "TZP");
    EXPECT_TRUE(std::filesystem::exists(u));
    std::filesystem::remove(u);
    EXPECT_EQ(FileDateOf(Path("none")), 0);
    EXPECT_NE(LastOsError, 0);
    WriteBytes(Path("f"), {1});
    SetTodayProvider(nullptr);
    EXPECT_TRUE(FileIsFromToday(Path("f")));
    EXPECT_GT(FileDateOf(Path("f")), 0);
}

} // namespace
} // namespace kt4::dbase::test
