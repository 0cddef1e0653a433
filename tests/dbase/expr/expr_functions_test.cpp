// The function library: every function with its types and its edge cases
// (empty texts, blank dates, negative and huge counts, NaN).
#include "common/comma_locale.h"
#include "dbase_fixture.h"

#include "dbase/engine/keys.h"
#include "dbase/engine/keys_date.h"
#include "dbase/expr/expr.h"

#include <cmath>

namespace kt4::dbase::test {
namespace {

class ExprFunctions : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        InitExpressions();
    }

    ExprPtr Run(const std::string& text)
    {
        EngineErrorCode = 0;
        ExprPtr e = CompileExpr(text);
        EXPECT_TRUE(e) << text << ": " << LastErrorText();
        if (e)
            Evaluate(*e);
        return e;
    }
    double Num(const std::string& text)
    {
        ExprPtr e = Run(text);
        return e ? e->Number() : -999;
    }
    std::string Text(const std::string& text)
    {
        ExprPtr e = Run(text);
        EXPECT_TRUE(!e || e->Type() == 'C') << text;
        return e ? std::string(e->Text()) : "<error>";
    }
    bool Bool(const std::string& text)
    {
        ExprPtr e = Run(text);
        return e && e->Logical();
    }
};

TEST_F(ExprFunctions, Numbers)
{
    EXPECT_EQ(Num("ABS(-3.5)"), 3.5);
    EXPECT_EQ(Num("INT(-2.7)"), -2);
    EXPECT_EQ(Num("INT(2.7)"), 2);
    EXPECT_EQ(Num("MAX(1, 2)"), 2);
    EXPECT_EQ(Num("MIN(1, 2)"), 1);
    EXPECT_EQ(Num("MOD(7, 3)"), 1);
    EXPECT_EQ(Num("MOD(-7, 3)"), -1); // the sign of the first
    EXPECT_EQ(Num("MOD(7, -3)"), 1);
    EXPECT_EQ(Num("MOD(7.9, 3.9)"), 1); // of the truncated values
    EXPECT_EQ(Num("MOD(1E300, 7)"), std::fmod(1e300, 7.0));
}

TEST_F(ExprFunctions, ModByZeroIsAnErrorAndZero)
{
    ExprPtr e = Run("MOD(5, 0.5)");
    EXPECT_EQ(e->Number(), 0);
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(EngineErrorCode, 358);
    EXPECT_EQ(LastErrorText(), "Auswertungsfehler: Division durch 0 [Evaluate/MOD]");
}

TEST_F(ExprFunctions, RoundRoundsHalfAwayFromZero)
{
    EXPECT_EQ(Num("ROUND(2.567, 2)"), 2.57);
    EXPECT_EQ(Num("ROUND(1.15, 1)"), 1.2);
    EXPECT_EQ(Num("ROUND(1.15, 2)"), 1.15);
    EXPECT_EQ(Num("ROUND(-2.567, 2)"), -2.57);
    EXPECT_EQ(Num("ROUND(2.5, 0)"), 3);
    EXPECT_EQ(Num("ROUND(-0.5, 0)"), -1);
    EXPECT_EQ(Num("ROUND(0.05, 1)"), 0.1);
    EXPECT_EQ(Num("ROUND(0.04, 1)"), 0);
    EXPECT_EQ(Num("ROUND(1.005, 2)"), 1.01);
    EXPECT_EQ(Num("ROUND(1234.5678, -2)"), 1235); // decimals below 0 count as 0
    EXPECT_EQ(Num("ROUND(1E20 + 0.5, 2)"), 1e20);
    EXPECT_EQ(Num("ROUND(2.567, 1E9)"), 2.567); // decimals clamped to 15
    EXPECT_EQ(Num("ROUND(2.567, 1E300*1E300)"), 2.567);
}

TEST_F(ExprFunctions, Str)
{
    EXPECT_EQ(Text("STR(7)"), "         7");
    EXPECT_EQ(Text("STR(123.456, 5, 2)"), "*****");
    EXPECT_EQ(Text("STR(123.456, 7, 2)"), " 123.46");
    EXPECT_EQ(Text("STR(2.5)"), "         3");
    EXPECT_EQ(Text("STR(-1.5, 4)"), "  -2");
    EXPECT_EQ(Text("STR(-0.001, 5, 2)"), " 0.00");
    EXPECT_EQ(Text("STR(1E300)"), "**********");
    EXPECT_EQ(Text("STR(1E300*1E300, 3)"), "***");
    EXPECT_EQ(Text("STR(1, 0)"), "");
    EXPECT_EQ(Text("STR(1, -5)"), "");
    EXPECT_EQ(Text("STR(1, 1E10)"), std::string(254, ' ') + "1");
    EXPECT_EQ(Text("STR(1.25, 6, 99)"), "******"); // 15 decimals at most
    EXPECT_EQ(Text("STR(1.25, 20, 99)"), "   1.250000000000000");
}

// The window program takes its locale from the desktop (setlocale(LC_ALL,
// "") under a German desktop): numbers and keys must not follow it.
TEST_F(ExprFunctions, StrAndKeysIgnoreTheDesktopLocale)
{
    kt4::testing::CommaLocale comma(true);
    ASSERT_TRUE(comma.Active()) << comma.Missing();
    EXPECT_EQ(Text("STR(12.5, 10, 2)"), "     12.50");
    EXPECT_DOUBLE_EQ(Num("VAL(STR(12.5, 10, 2))"), 12.5);
    EXPECT_DOUBLE_EQ(Num("ROUND(2.675, 2)"), 2.68);
    EXPECT_EQ(DoubleToBcd(123.45, 2), TextToBcd("123.45", 2));
}

TEST_F(ExprFunctions, CountsAreClampedAndNaNIsZero)
{
    const std::string nan = "(1E300*1E300 - 1E300*1E300)";
    const std::string inf = "(1E300*1E300)";
    EXPECT_EQ(Text("LEFT('abc', " + nan + ")"), "");
    EXPECT_EQ(Text("LEFT('abc', " + inf + ")"), "abc");
    EXPECT_EQ(Text("LEFT('abc', -" + inf + ")"), "");
    EXPECT_EQ(Text("SPACE(1E10)"), std::string(255, ' '));
    EXPECT_EQ(Text("SPACE(" + nan + ")"), "");
    EXPECT_EQ(Text("REPLICATE('ab', 1E10)").size(), 255u);
    EXPECT_EQ(Text("CHR(1E300)").size(), 1u);
    EXPECT_EQ(Text("CHR(" + nan + ")"), std::string(1, '\0'));
    EXPECT_EQ(Text("CHR(" + inf + ")"), std::string(1, '\0'));
    EXPECT_EQ(Text("CHR(-" + inf + ")"), std::string(1, '\0'));
    EXPECT_EQ(Text("SUBSTR('abc', " + nan + ", " + inf + ")"), "abc");
    EXPECT_EQ(Text("STUFF('abc', " + inf + ", " + inf + ", 'x')"), "abcx");
}

TEST_F(ExprFunctions, Substrings)
{
    EXPECT_EQ(Text("LEFT('abc', 0)"), "");
    EXPECT_EQ(Text("LEFT('abc', 2)"), "ab");
    EXPECT_EQ(Text("LEFT('abc', 5)"), "abc");
    EXPECT_EQ(Text("LEFT('abc', -1)"), "");
    EXPECT_EQ(Text("RIGHT('abc', 5)"), "abc");
    EXPECT_EQ(Text("RIGHT('abc', 2)"), "bc");
    EXPECT_EQ(Text("RIGHT('abc', 0)"), "");
    EXPECT_EQ(Text("RIGHT('abc', -1)"), "abc");
    EXPECT_EQ(Text("SUBSTR('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(Text("SUBSTR('abc', 0, 2)"), "ab");
    EXPECT_EQ(Text("SUBSTR('abc', -5, 1)"), "a");
    EXPECT_EQ(Text("SUBSTR('abc', 4, 1)"), "");
    EXPECT_EQ(Text("SUBSTR('abc', 2, 100)"), "bc");
    EXPECT_EQ(Text("SUBSTR('abc', 2, -1)"), "");
    EXPECT_EQ(Text("SUBSTR('', 1, 1)"), "");
    EXPECT_EQ(Text("STUFF('abcdef', 2, 3, 'XY')"), "aXYef");
    EXPECT_EQ(Text("STUFF('abc', 10, 0, 'Z')"), "abcZ");
    EXPECT_EQ(Text("STUFF('abc', 0, 1, 'Z')"), "Zbc");
    EXPECT_EQ(Text("STUFF('abc', 2, -5, 'Z')"), "aZbc");
    EXPECT_EQ(Text("STUFF('abc', 2, 99, '')"), "a");
    EXPECT_EQ(Text("STUFF(REPLICATE('a', 200), 100, 0, REPLICATE('b', 100))"),
              std::string(99, 'a') + std::string(100, 'b') + std::string(56, 'a'));
}

TEST_F(ExprFunctions, TextFunctions)
{
    EXPECT_EQ(Num("AT('b', 'abc')"), 2);
    EXPECT_EQ(Num("AT('', 'abc')"), 0);
    EXPECT_EQ(Num("AT('x', 'abc')"), 0);
    EXPECT_EQ(Num("ASC('')"), 0);
    EXPECT_EQ(Num("ASC('A')"), 65);
    EXPECT_EQ(Num("ASC('\xE4')"), 228);
    EXPECT_EQ(Text("CHR(65)"), "A");
    EXPECT_EQ(Text("CHR(321)"), "A"); // the low 8 bits
    EXPECT_EQ(Text("CHR(-191)"), "A");
    EXPECT_EQ(Num("LEN('ab  ')"), 4);
    EXPECT_EQ(Num("LEN('')"), 0);
    EXPECT_EQ(Text("LTRIM('  a ')"), "a ");
    EXPECT_EQ(Text("LTRIM('\ta')"), "\ta"); // blanks only
    EXPECT_EQ(Text("RTRIM(' a  ')"), " a");
    EXPECT_EQ(Text("TRIM('a  ') + 'b'"), "ab");
    EXPECT_EQ(Text("TRIM('   ')"), "");
    EXPECT_EQ(Text("SPACE(3)"), "   ");
    EXPECT_EQ(Text("SPACE(-1)"), "");
    EXPECT_EQ(Text("REPLICATE('ab', 3)"), "ababab");
    EXPECT_EQ(Text("REPLICATE('ab', 0)"), "");
    EXPECT_EQ(Text("REPLICATE('', 5)"), "");
    EXPECT_EQ(Text("IIF(1 < 2, 'yes', 'no')"), "yes");
    EXPECT_EQ(Text("IIF(1 > 2, 'yes', 'no')"), "no");
    EXPECT_EQ(Text("SOUNDEX('Robert')"), "R163");
    EXPECT_EQ(Text("SOUNDEX('')"), "0000");
    EXPECT_EQ(Num("VAL('12.5  ')"), 12.5);
    EXPECT_EQ(Num("VAL('  -3')"), -3);
    EXPECT_EQ(Num("VAL('12abc')"), 12);
    EXPECT_EQ(Num("VAL('1,5')"), 1);
    EXPECT_EQ(Num("VAL('1e3')"), 1000);
    EXPECT_EQ(Num("VAL('1e')"), 1);
    EXPECT_EQ(Num("VAL('abc')"), 0);
    EXPECT_EQ(Num("VAL('')"), 0);
    EXPECT_EQ(Num("VAL('nan')"), 0);
    EXPECT_EQ(Num("VAL('inf')"), 0);
    EXPECT_EQ(Num("VAL('.5')"), 0.5);
}

TEST_F(ExprFunctions, CaseMappingIsCp1252)
{
    EXPECT_EQ(Text("UPPER('m\xFCller stra\xDF" "e')"), "M\xDCLLER STRA\xDF" "E");
    EXPECT_EQ(Text("LOWER('\xC4\xD6\xDC\xC9')"), "\xE4\xF6\xFC\xE9");
    EXPECT_EQ(Text("UPPER('\x9A\x9C\x9E\xFF')"), "\x8A\x8C\x8E\x9F");
    EXPECT_EQ(Text("LOWER('\x8A\x8C\x8E\x9F')"), "\x9A\x9C\x9E\xFF");
    EXPECT_EQ(Text("UPPER('\xF7\xB5')"), "\xF7\xB5");
    EXPECT_EQ(Text("LOWER('\xD7')"), "\xD7");
}

TEST_F(ExprFunctions, Dates)
{
    // German layout dd.mm.yy, century window from 1956.
    EXPECT_EQ(Text("DTOS(CTOD('01.01.00') + 1)"), "20000102");
    EXPECT_EQ(Text("DTOS(1 + CTOD('31.12.99'))"), "20000101");
    EXPECT_EQ(Text("DTOS(CTOD('01.03.00') - 1)"), "20000229");
    EXPECT_EQ(Num("CTOD('01.03.2000') - CTOD('01.02.2000')"), 29);
    EXPECT_EQ(Text("DTOS(CTOD(''))"), "        ");
    EXPECT_EQ(Text("DTOS(CTOD('31.02.2000'))"), "        ");
    EXPECT_EQ(Text("DTOC(CTOD('5.3.2024'))"), "05.03.24");
    EXPECT_EQ(Text("DTOC(CTOD(''))"), "  .  .  ");
    DateWithCentury = true;
    EXPECT_EQ(Text("DTOC(CTOD('5.3.2024'))"), "05.03.2024");
    SetDateFormat(0);
    EXPECT_EQ(Text("DTOC(CTOD('12/31/1999'))"), "12/31/1999");
    EXPECT_EQ(Text("DTOS(DATE())"), "20240517");
    EXPECT_TRUE(Bool("DATE() > CTOD('12/31/2023') .AND. DATE() = CTOD('05/17/24')"));
    EXPECT_EQ(Text("DTOS(MAX(CTOD('01/01/20'), CTOD('01/01/21')))"), "20210101");
    EXPECT_EQ(Text("DTOS(MIN(CTOD('01/01/20'), CTOD('01/01/21')))"), "20200101");
}

TEST_F(ExprFunctions, DatePartsAndNames)
{
    EXPECT_EQ(Num("DAY(CTOD('17.05.2024'))"), 17);
    EXPECT_EQ(Num("MONTH(CTOD('17.05.2024'))"), 5);
    EXPECT_EQ(Num("YEAR(CTOD('17.05.2024'))"), 2024); // four digits, century off too
    EXPECT_EQ(Num("YEAR(CTOD('01.01.1900'))"), 1900);
    EXPECT_EQ(Num("DOW(CTOD('01.01.2000'))"), 7);       // a Saturday
    EXPECT_EQ(Num("DOW(CTOD('01.01.1900'))"), 2);       // a Monday, outside the window
    for (const char* f : {"DAY", "MONTH", "YEAR", "DOW"})
        EXPECT_EQ(Num(std::string(f) + "(CTOD(''))"), 0) << f;
    EXPECT_EQ(Text("CDOW(CTOD('01.01.2000'))"), "Samstag   ");
    EXPECT_EQ(Text("CDOW(CTOD('01.01.1900'))"), "Montag    ");
    EXPECT_EQ(Text("CMONTH(CTOD('01.03.2000'))"), "M\xE4rz     ");
    EXPECT_EQ(Text("CDOW(CTOD(''))"), std::string(10, ' '));
    EXPECT_EQ(Text("CMONTH(CTOD(''))"), std::string(9, ' '));
    SetDateFormat(4);
    EXPECT_EQ(Text("CMONTH(CTOD('01.02.2000'))"), "F\xE9vrier  ");
    SetDateFormat(8);
    EXPECT_EQ(Text("CDOW(CTOD('01.01.2000'))"), "Subbota    ");
}

TEST_F(ExprFunctions, NoTableOpen)
{
    // RECNO() and DELETED() need a table: an error, and 0 / false.
    ExprPtr e = Run("RECNO()");
    EXPECT_EQ(e->Number(), 0);
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(EngineErrorCode, 215);
    e = Run("DELETED()");
    EXPECT_FALSE(e->Logical());
    EXPECT_EQ(EngineErrorCode, 215);
}

} // namespace
} // namespace kt4::dbase::test
