// The expression language over a small in-memory record: grammar,
// precedence, compile errors, result types and widths, and the operators.
#include "dbase/engine/keys_date.h"
#include "dbase/engine/runtime.h"
#include "dbase/expr/expr.h"
#include "dbase/expr/expr_env.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace kt4::dbase;

namespace {

// One record of fields NAME C(20), PRICE N(10,2), QTY N(5,0), OK L, DAY D,
// NOTE M, and a field called DATE (D).
class OneRecord : public ExprEnvironment {
public:
    struct Def {
        const char* name;
        char type;
        int length, decimals;
    };
    OneRecord()
    {
        const Def defs[] = {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 5, 0}, {"OK", 'L', 1, 0},
                            {"DAY", 'D', 8, 0},   {"NOTE", 'M', 10, 0},  {"DATE", 'D', 8, 0}, {"RATE", 'F', 8, 3}};
        int offset = 1;
        for (const Def& d : defs) {
            fields.push_back(d);
            offsets.push_back(offset);
            offset += d.length;
        }
        record.assign(static_cast<std::size_t>(offset), ' ');
    }

    void Set(const std::string& name, const std::string& text)
    {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name == name) {
                std::string v = text;
                v.resize(static_cast<std::size_t>(fields[i].length), ' ');
                record.replace(static_cast<std::size_t>(offsets[i]), v.size(), v);
            }
    }

    int CurrentArea() const override { return 1; }
    int AreaOfAlias(std::string_view alias) const override { return alias == "T" ? 1 : 0; }
    bool FindField(int area, std::string_view name, ExprField& f) const override
    {
        if (area != 1 || !open)
            return false;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (name == fields[i].name) {
                f = ExprField{fields[i].name, fields[i].type, fields[i].length, fields[i].decimals, 1,
                              static_cast<int>(i + 1)};
                return true;
            }
        return false;
    }
    RawField ReadField(const ExprField& f) override
    {
        if (!open) {
            Error(215, "closed");
            return {};
        }
        const std::size_t i = static_cast<std::size_t>(f.number - 1);
        RawField r;
        r.kind = RawField::Kind::Bytes;
        r.bytes = std::string_view(record).substr(static_cast<std::size_t>(offsets[i]),
                                                  static_cast<std::size_t>(fields[i].length));
        return r;
    }
    std::string MemoText(const ExprField&, std::int32_t block) override
    {
        return block == 7 ? "first line, second line" : "";
    }
    std::optional<bool> Deleted() override { return record[0] == '*'; }
    std::optional<double> RecNo() override { return 42; }
    void Error(std::uint16_t code, const std::string& text) override { errors.push_back({code, text}); }

    std::vector<Def> fields;
    std::vector<int> offsets;
    std::string record;
    bool open = true;
    std::vector<std::pair<int, std::string>> errors;
};

class Expr : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = {EngineDateFormat, DateWithCentury, CenturyStart};
        SetDateFormat(5);
        DateWithCentury = false;
        CenturyStart = 1956;
        env.Set("NAME", "Meier");
        env.Set("PRICE", "    123.45");
        env.Set("QTY", "    7");
        env.Set("OK", "T");
        env.Set("DAY", "20000101");
        env.Set("NOTE", "         7");
    }
    void TearDown() override
    {
        EngineDateFormat = saved_.format;
        DateWithCentury = saved_.century;
        CenturyStart = saved_.window;
    }

    ExprPtr Compile(const std::string& text) { return CompileExpr(text, &env); }

    // Compiles and evaluates; fails the test on a compile error.
    ExprPtr Run(const std::string& text)
    {
        ExprPtr e = Compile(text);
        EXPECT_TRUE(e) << text << ": " << (env.errors.empty() ? "" : env.errors.back().second);
        if (e)
            Evaluate(*e);
        return e;
    }
    double Num(const std::string& text)
    {
        ExprPtr e = Run(text);
        EXPECT_TRUE(!e || e->Type() == 'N' || e->Type() == 'D') << text;
        return e ? e->Number() : -999;
    }
    std::string Text(const std::string& text)
    {
        ExprPtr e = Run(text);
        EXPECT_TRUE(!e || e->Type() == 'C' || e->Type() == 'M') << text;
        return e ? std::string(e->Text()) : "<error>";
    }
    bool Bool(const std::string& text)
    {
        ExprPtr e = Run(text);
        EXPECT_TRUE(!e || e->Type() == 'L') << text;
        return e && e->Logical();
    }
    // The reason of a compile error (the text between ": " and the line break).
    std::string CompileError(const std::string& text)
    {
        env.errors.clear();
        ExprPtr e = Compile(text);
        if (e || env.errors.empty())
            return "<compiled>";
        EXPECT_EQ(env.errors.back().first, 351);
        const std::string& msg = env.errors.back().second;
        const std::string head = "Fehler in dBASE-Ausdruck : ";
        EXPECT_EQ(msg.substr(0, head.size()), head);
        return msg.substr(head.size(), msg.find("\r\n") - head.size());
    }

    OneRecord env;
    struct Saved {
        std::uint8_t format;
        bool century;
        std::uint16_t window;
    } saved_{};
};

} // namespace

TEST_F(Expr, PrecedenceAndAssociativity)
{
    EXPECT_EQ(Num("2+3*4"), 14);
    EXPECT_EQ(Num("(2+3)*4"), 20);
    EXPECT_EQ(Num("2^3^2"), 64);   // left-associative
    EXPECT_EQ(Num("2**3**2"), 64);
    EXPECT_EQ(Num("2^-1"), 0.5);
    EXPECT_EQ(Num("-2*3"), -6);
    EXPECT_EQ(Num("-2^2"), 4);     // unary minus binds tighter than ^
    EXPECT_EQ(Num("10-4-3"), 3);
    EXPECT_EQ(Num("100/10/5"), 2);
    EXPECT_EQ(Num("- -5"), 5);
    EXPECT_EQ(Num("+5"), 5);
    EXPECT_EQ(Num("INT(2^3)"), 8);
    EXPECT_EQ(Num("1E3 + 1.5"), 1001.5);
    EXPECT_EQ(Num("12."), 12);
    EXPECT_TRUE(Bool(".NOT. .T. = .F."));         // (.NOT. .T.) = .F.
    EXPECT_TRUE(Bool(".NOT. .NOT. .T."));
    EXPECT_TRUE(Bool(".T. .OR. .F. .AND. .F."));   // .AND. binds tighter
    EXPECT_FALSE(Bool("(.T. .OR. .F.) .AND. .F."));
    EXPECT_TRUE(Bool("1 < 2 = .T."));              // comparisons before =
    EXPECT_TRUE(Bool("'ab' $ 'xaby' = .T."));      // $ before =
    EXPECT_TRUE(Bool("NAME = 'Meier' .AND. PRICE > 100"));
    EXPECT_TRUE(Bool("name = 'Mei' .and. qty = 7"));
}

TEST_F(Expr, SyntaxErrors)
{
    EXPECT_EQ(CompileError("NAME='x'.AND.PRICE>3"), "Syntax error");
    EXPECT_EQ(CompileError("UPP(NAME)"), "Syntax error");
    EXPECT_EQ(CompileError("SUBSTR(NAME, 2)"), "Syntax error");
    EXPECT_EQ(CompileError("SUBSTR(NAME, 2, 3, 4)"), "Syntax error");
    EXPECT_EQ(CompileError("RECNO"), "Syntax error");
    EXPECT_EQ(CompileError("DELETED"), "Syntax error");
    EXPECT_EQ(CompileError(".5"), "Syntax error");
    EXPECT_EQ(CompileError("1E"), "Syntax error");     // a malformed literal
    EXPECT_EQ(CompileError("1E+5"), "Syntax error");   // no sign after E
    EXPECT_EQ(CompileError("1E999"), "Syntax error");  // no double holds it
    EXPECT_EQ(CompileError("!OK"), "Syntax error");
    EXPECT_EQ(CompileError("OK & OK"), "Syntax error");
    EXPECT_EQ(CompileError("'abc"), "Syntax error");
    EXPECT_EQ(CompileError("(1+2"), "Syntax error");
    EXPECT_EQ(CompileError("1 +"), "Syntax error");
    EXPECT_EQ(CompileError(""), "Syntax error");
    EXPECT_EQ(CompileError("UNKNOWN"), "Syntax error");
    EXPECT_EQ(CompileError("X->NAME"), "Syntax error");  // no such alias
    EXPECT_EQ(CompileError("T->NOFIELD"), "Syntax error");
    EXPECT_EQ(CompileError("AND"), "Syntax error");
    // Surplus input or a missing operator.
    EXPECT_EQ(CompileError("NAME NAME"), "Parser_stack_overflow");
    EXPECT_EQ(CompileError("NAME)"), "Parser_stack_overflow");
    EXPECT_EQ(CompileError("1 2"), "Parser_stack_overflow");
    EXPECT_EQ(CompileError("(1 2)"), "Parser_stack_overflow");
    EXPECT_EQ(CompileError("1,2"), "Parser_stack_overflow");
    // Too deep.
    EXPECT_EQ(CompileError(std::string(200, '-') + "1"), "Parser_stack_overflow");
    EXPECT_EQ(Num(std::string(100, '-') + "1"), 1);
}

TEST_F(Expr, TypeErrorsNameTheOperatorOrFunction)
{
    EXPECT_EQ(CompileError("1 + 'a'"), "PARSER:Unvereinbare Typen in Ausdruck \"+\"");
    EXPECT_EQ(CompileError("2 ^ 'a'"), "PARSER:Unvereinbare Typen in Ausdruck \"** or ^\"");
    EXPECT_EQ(CompileError("1 == 1"), "PARSER:Unvereinbare Typen in Ausdruck \"==\"");
    EXPECT_EQ(CompileError("OK < OK"), "PARSER:Unvereinbare Typen in Ausdruck \"<\"");
    EXPECT_EQ(CompileError("DAY + DAY"), "PARSER:Unvereinbare Typen in Ausdruck \"+\"");
    EXPECT_EQ(CompileError("1 - DAY"), "PARSER:Unvereinbare Typen in Ausdruck \"-\"");
    EXPECT_EQ(CompileError(".NOT. 1"), "PARSER:Unvereinbare Typen in Ausdruck \".NOT.\"");
    EXPECT_EQ(CompileError("-NAME"), "PARSER:Unvereinbare Typen in Ausdruck \"Unary -\"");
    EXPECT_EQ(CompileError("+OK"), "PARSER:Unvereinbare Typen in Ausdruck \"Unary +\"");
    EXPECT_EQ(CompileError("1 .AND. OK"), "PARSER:Unvereinbare Typen in Ausdruck \".AND.\"");
    EXPECT_EQ(CompileError("NOTE = 'a'"), "PARSER:Unvereinbare Typen in Ausdruck \"=\"");
    EXPECT_EQ(CompileError("UPPE(1)"), "PARSER:Unvereinbare Typen in Funktion \"UPPER\"");
    EXPECT_EQ(CompileError("MAX(1, DAY)"), "PARSER:Unvereinbare Typen in Funktion \"MAX\"");
    EXPECT_EQ(CompileError("IIF(OK, 1, 2)"), "PARSER:Unvereinbare Typen in Funktion \"IIF\"");
    EXPECT_EQ(CompileError("SUBSTR(NOTE, 1, 2)"), "PARSER:Unvereinbare Typen in Funktion \"SUBSTR\"");
}

TEST_F(Expr, ErrorMessageShowsAnExcerpt)
{
    env.errors.clear();
    EXPECT_FALSE(Compile("NAME='x'.AND.PRICE>3"));
    ASSERT_EQ(env.errors.size(), 1u);
    EXPECT_EQ(env.errors[0].second,
              "Fehler in dBASE-Ausdruck : Syntax error\r\n[NAME='x'.AND.PRICE>3]\r\n [AssignExpr]");

    // 60 characters of padding before the fault, 60 after it.
    const std::string text = "1" + std::string(60, ' ') + "+ ! +" + std::string(60, ' ') + "1";
    env.errors.clear();
    EXPECT_FALSE(Compile(text));
    const std::string& msg = env.errors.at(0).second;
    const std::string excerpt = msg.substr(msg.find("\r\n") + 2, msg.rfind("\r\n") - msg.find("\r\n") - 2);
    EXPECT_EQ(excerpt.substr(0, 4), "[...");
    EXPECT_EQ(excerpt.substr(excerpt.size() - 4), "...]");
    EXPECT_EQ(excerpt.size(), 4 + 51 + 4u);

    // Longer than 255 characters: refused with 351 before scanning.
    env.errors.clear();
    EXPECT_FALSE(Compile(std::string(250, ' ') + "1 + 1 "));
    ASSERT_EQ(env.errors.size(), 1u);
    EXPECT_EQ(env.errors[0].first, 351);
    EXPECT_TRUE(Compile(std::string(250, ' ') + "1 + 1"));
}

TEST_F(Expr, WordsFieldsAndKeywords)
{
    EXPECT_TRUE(Compile("UPPE(NAME)"));
    EXPECT_TRUE(Compile("UPPER(NAME)"));
    EXPECT_TRUE(Compile("SUBS(NAME,1,2)"));
    EXPECT_TRUE(Compile("REPL('a',2) + REPLI('b',1) + REPLICATE('c',1)"));
    EXPECT_EQ(CompileError("REPLICATES('c',1)"), "Syntax error");
    EXPECT_EQ(CompileError("TRI(NAME)"), "Syntax error");
    // A field named DATE is the field; followed by "(" it is the function.
    EXPECT_EQ(Run("DATE")->Number(), 0.0);
    ExprPtr today = Run("DATE ()");
    EXPECT_EQ(today->Number(), TodayJulian());
    EXPECT_EQ(Text("T->NAME"), std::string("Meier") + std::string(15, ' '));
    EXPECT_EQ(Text("t->name"), Text("NAME"));
    // String literals take either quote; the other may appear inside.
    EXPECT_EQ(Text("\"it's\""), "it's");
    EXPECT_EQ(Text("'say \"hi\"'"), "say \"hi\"");
    EXPECT_EQ(Num("\t1\t+ 2 "), 3);
}

TEST_F(Expr, ResultTypesAndWidths)
{
    auto layout = [this](const std::string& text) {
        ExprPtr e = Compile(text);
        EXPECT_TRUE(e) << text;
        return e ? std::to_string(e->Type()) + "," + std::to_string(e->Width()) + "," + std::to_string(e->Decimals())
                 : std::string("<error>");
    };
    auto type = [](char t) { return std::to_string(t); };
    EXPECT_EQ(layout("NAME"), type('C') + ",20,0");
    EXPECT_EQ(layout("NAME + NAME"), type('C') + ",0,0");
    EXPECT_EQ(Compile("NAME + NAME")->ResultLength(), 42);
    EXPECT_EQ(layout("UPPER(NAME)"), type('C') + ",20,0");
    EXPECT_EQ(Compile("STR(PRICE)")->ResultLength(), 256);
    EXPECT_EQ(layout("PRICE"), type('N') + ",10,2");
    EXPECT_EQ(layout("PRICE * 2"), type('N') + ",13,2");
    EXPECT_EQ(layout("QTY"), type('N') + ",5,0");
    EXPECT_EQ(layout("QTY + PRICE"), type('N') + ",10,2");
    EXPECT_EQ(layout("RATE"), type('N') + ",8,3");
    EXPECT_EQ(layout("1"), type('N') + ",13,2");
    EXPECT_EQ(layout("DAY"), type('D') + ",8,0");
    EXPECT_EQ(layout("OK"), type('L') + ",1,0");
    EXPECT_EQ(layout("NOTE"), type('M') + ",256,0");
}

TEST_F(Expr, TextOperators)
{
    EXPECT_TRUE(Bool("'abc' = 'ab'"));
    EXPECT_FALSE(Bool("'ab' = 'abc'"));
    EXPECT_FALSE(Bool("'abc' = ''"));
    EXPECT_TRUE(Bool("'abc' == 'abc'"));
    EXPECT_FALSE(Bool("'abc ' == 'abc'"));
    EXPECT_TRUE(Bool("'abc' <> 'ab'"));   // exact, not the prefix rule
    EXPECT_FALSE(Bool("'abc' # 'abc'"));
    EXPECT_TRUE(Bool("'b' $ 'abc'"));
    EXPECT_FALSE(Bool("'abc' $ 'b'"));
    EXPECT_TRUE(Bool("'ab' < 'abc'"));    // a prefix is smaller
    EXPECT_TRUE(Bool("'abc' < 'abd'"));
    EXPECT_TRUE(Bool("'\xE4' > 'z'"));    // bytes compare unsigned
    EXPECT_TRUE(Bool("'b' >= 'b' .AND. 'a' <= 'b'"));
    EXPECT_EQ(Text("'AB  ' - 'CD'"), "ABCD  ");
    EXPECT_EQ(Text("'AB  ' + 'CD'"), "AB  CD");
    EXPECT_EQ(Text("'    ' - 'CD'"), "CD    ");
    EXPECT_EQ(Text("TRIM(NAME) + '!'"), "Meier!");
    EXPECT_EQ(Text("NAME - '!'"), "Meier!" + std::string(15, ' '));
}

TEST_F(Expr, TextsAreCutAt255)
{
    EXPECT_EQ(Text("REPLICATE('a', 200) + REPLICATE('b', 200)"), std::string(200, 'a') + std::string(55, 'b'));
    EXPECT_EQ(Text("REPLICATE('a', 200) - REPLICATE('b', 200)").size(), 255u);
    EXPECT_EQ(Text("SPACE(100) - REPLICATE('b', 200)"), std::string(200, 'b') + std::string(55, ' '));
    const std::string deep = "REPLICATE('x', 255) + (REPLICATE('y', 255) + (REPLICATE('z', 255) + NAME))";
    EXPECT_EQ(Text(deep), std::string(255, 'x'));
    EXPECT_EQ(Num("LEN(" + deep + ")"), 255);
    EXPECT_EQ(Text("IIF(.F., NAME, REPLICATE('q', 300)) + 'x'"), std::string(255, 'q'));
}

TEST_F(Expr, NumbersAndErrors)
{
    env.errors.clear();
    EXPECT_EQ(Num("1/0"), 1e250);
    ASSERT_EQ(env.errors.size(), 1u);
    EXPECT_EQ(env.errors[0].first, 358);
    EXPECT_EQ(env.errors[0].second, "Auswertungsfehler: Division durch 0 [Evaluate/Engine]");

    EXPECT_EQ(Num("(-2)^2"), 4);
    EXPECT_EQ(Num("(-2)^3"), -8);
    EXPECT_EQ(Num("0^0"), 1);
    EXPECT_EQ(Num("2^0.5"), std::sqrt(2.0));
    env.errors.clear();
    ExprPtr e = Run("(-8)^(1/3)");
    EXPECT_EQ(e->Number(), 0.0);
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(env.errors.at(0).first, 358);

    // A NaN never leaves the evaluator as a value.
    env.errors.clear();
    e = Run("1E300*1E300 - 1E300*1E300");
    EXPECT_EQ(e->Number(), 0.0);
    EXPECT_TRUE(e->Failed());
    env.errors.clear();
    e = Run("PRICE * 2");
    EXPECT_FALSE(e->Failed());
    EXPECT_TRUE(env.errors.empty());
}

TEST_F(Expr, FieldValues)
{
    EXPECT_EQ(Num("PRICE"), 123.45);
    EXPECT_EQ(Num("QTY"), 7);
    EXPECT_TRUE(Bool("OK"));
    EXPECT_EQ(Text("DTOS(DAY)"), "20000101");
    EXPECT_EQ(Text("NOTE"), "first line, second line");
    EXPECT_EQ(Num("RECNO()"), 42);
    EXPECT_FALSE(Bool("DELETED()"));
    env.record[0] = '*';
    EXPECT_TRUE(Bool("DELETED()"));

    env.Set("PRICE", "    -12.50");
    EXPECT_EQ(Num("PRICE"), -12.5);
    env.Set("PRICE", "**********");
    EXPECT_EQ(Num("PRICE"), 0);
    env.Set("PRICE", "1234567.89");
    EXPECT_EQ(Num("PRICE"), 1234567.89);
    env.Set("PRICE", "  1.5e3");
    EXPECT_EQ(Num("PRICE"), 1500);
    env.Set("OK", "y");
    EXPECT_TRUE(Bool("OK"));
    env.Set("OK", "?");
    EXPECT_FALSE(Bool("OK"));
    env.Set("DAY", "20010229");
    EXPECT_EQ(Num("DAY"), 0);

    // A blank record (an empty table) gives the blank values.
    env.record.assign(env.record.size(), ' ');
    EXPECT_EQ(Text("NAME"), std::string(20, ' '));
    EXPECT_EQ(Num("PRICE"), 0);
    EXPECT_FALSE(Bool("OK"));
    EXPECT_EQ(Num("DAY"), 0);
    EXPECT_EQ(Text("NOTE"), "");
    EXPECT_FALSE(Bool("DELETED()"));
}

TEST_F(Expr, ClosedAreaGivesBlankValuesAndAnError)
{
    ExprPtr e = Compile("NAME + STR(PRICE)");
    ASSERT_TRUE(e);
    env.open = false;
    env.errors.clear();
    Evaluate(*e);
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(e->Text(), std::string(20, ' ') + std::string(9, ' ') + "0");
    EXPECT_EQ(env.errors.size(), 2u);
    env.open = true;
    Evaluate(*e);
    EXPECT_FALSE(e->Failed());
}

TEST_F(Expr, LifetimeAndHooks)
{
    TExpr* unknown = reinterpret_cast<TExpr*>(&env);
    FreeExpr(unknown); // not an expression: nothing happens
    EXPECT_EQ(unknown, reinterpret_cast<TExpr*>(&env));
    TExpr* none = nullptr;
    FreeExpr(none);
    EXPECT_EQ(EvaluateExpr(nullptr), nullptr);
    EXPECT_EQ(ResultType(nullptr), ' ');

    TExpr* e = CompileExpr("UPPER(NAME)", &env).release();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ResultText(EvaluateExpr(e)), "MEIER" + std::string(15, ' '));
    SetCurrentExpr(e);
    EXPECT_EQ(ResultText(EvaluateCurrent()), "MEIER" + std::string(15, ' '));
    FreeExpr(e);
    EXPECT_EQ(e, nullptr);
    EXPECT_EQ(EvaluateCurrent(), nullptr);

    TExpr* n = CompileExpr("QTY * 2", &env).release();
    EXPECT_EQ(*static_cast<const double*>(EvaluateExpr(n)), 14.0);
    TExpr* l = CompileExpr("QTY > 2", &env).release();
    EXPECT_EQ(*static_cast<const std::int32_t*>(EvaluateExpr(l)), 1);
    FreeExpr(n);
    FreeExpr(l);
}
