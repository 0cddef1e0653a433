// Expressions over real tables: fields of the current and of aliased areas,
// references to closed or reopened areas, the parser hooks, FOR and WHILE
// conditions and LOCATE.
#include "dbase_fixture.h"

#include "dbase/expr/expr.h"

namespace kt4::dbase::test {
namespace {

class ExprTables : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        InitExpressions();
    }

    // CUSTOMER with NAME C20 and PRICE N10.2, rows as given.
    void OpenCustomers(const std::string& alias = "")
    {
        ASSERT_TRUE(CreateDbf(Path("CUSTOMER"), {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}}));
        ASSERT_TRUE(USE(Path("CUSTOMER") + (alias.empty() ? "" : " ALIAS " + alias)));
        ASSERT_TRUE(FLock());
        const std::pair<const char*, double> rows[] = {
            {"Meier", 50}, {"Schulz", 150}, {"MEIER", 120}, {"Meier", 300}, {"Meierhof", 180}};
        for (const auto& [name, price] : rows) {
            ClearRecord();
            Buffer().SetText(1, name);
            Buffer().SetNumber(2, price);
            ASSERT_TRUE(Append()) << LastErrorText();
        }
        Unlock();
        GoTop();
    }

    TExpr* Condition(const std::string& text)
    {
        TExpr* e = Parser.AssignExpr(text);
        EXPECT_NE(e, nullptr) << text << ": " << LastErrorText();
        EXPECT_EQ(Parser.ResultType(e), 'L');
        return e;
    }

    std::string Eval(TExpr* e) { return Parser.ResultText(Parser.Evaluate(e)); }
    double EvalNum(TExpr* e) { return *static_cast<const double*>(Parser.Evaluate(e)); }
};

TEST_F(ExprTables, HooksAreFilled)
{
    EXPECT_TRUE(ParserLinked());
    ClearHooks();
    EXPECT_FALSE(ParserLinked());
    InitExpressions();
    EXPECT_TRUE(ParserLinked());
}

TEST_F(ExprTables, FieldsOfTheCurrentArea)
{
    USE(MakeParts());
    AddRows(3);
    GO(2);
    TExpr* e = Parser.AssignExpr("NAME + STR(PRICE, 6, 2) + STR(QTY) + DTOS(DAY) + IIF(OK, 'J', 'N')");
    ASSERT_NE(e, nullptr) << LastErrorText();
    EXPECT_EQ(Eval(e), "R2        " "  3.00" "         2" "20240517" "J");
    SKIP(1);
    EXPECT_EQ(Eval(e), "R3        " "  4.50" "         3" "20240517" "N");
    Parser.FreeExpr(e);
    EXPECT_EQ(e, nullptr);

    TExpr* price = Parser.AssignExpr("PRICE");
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(price->Width(), 8);
    EXPECT_EQ(price->Decimals(), 2);
    EXPECT_EQ(EvalNum(price), 4.5);
    Parser.FreeExpr(price);

    TExpr* recno = Parser.AssignExpr("RECNO() * 10");
    EXPECT_EQ(EvalNum(recno), 30);
    Parser.FreeExpr(recno);
}

TEST_F(ExprTables, EmptyTableGivesBlankValues)
{
    USE(MakeParts());
    TExpr* e = Parser.AssignExpr("NAME + STR(PRICE) + DTOS(DAY) + IIF(OK .OR. DELETED(), 'x', '-')");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Eval(e), std::string(10, ' ') + "         0" + std::string(8, ' ') + "-");
    EXPECT_FALSE(e->Failed());
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, DeletedRecords)
{
    USE(MakeParts());
    AddRows(3);
    GO(2);
    ASSERT_TRUE(RLock());
    ASSERT_TRUE(DeleteRec());
    TExpr* e = Condition("DELETED()");
    EXPECT_EQ(*static_cast<const std::int32_t*>(Parser.Evaluate(e)), 1);
    GO(3);
    EXPECT_EQ(*static_cast<const std::int32_t*>(Parser.Evaluate(e)), 0);
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, AliasedFields)
{
    OpenCustomers("KUNDEN");
    Select(2);
    USE(MakeParts() + " ALIAS P");
    AddRows(2);
    GoTop();
    TExpr* e = Parser.AssignExpr("TRIM(KUNDEN->NAME) + '/' + TRIM(NAME) + '/' + STR(p->qty, 1)");
    ASSERT_NE(e, nullptr) << LastErrorText();
    EXPECT_EQ(Eval(e), "Meier/R1/1");
    Select(1);
    SKIP(1);
    Select(2);
    EXPECT_EQ(Eval(e), "Schulz/R1/1");
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, AliasesInAreaThirtyThreeAndLongAliases)
{
    // Aliases are compared in full, and area 33 is reachable.
    MakeParts("ONE");
    MakeParts("TWO");
    Select(33);
    ASSERT_TRUE(USE(Path("ONE") + " ALIAS LONGALIAS_FIRST"));
    AddRows(1, 1);
    Select(32);
    ASSERT_TRUE(USE(Path("TWO") + " ALIAS LONGALIAS_SECOND"));
    AddRows(1, 7);
    Select(1);
    TExpr* e = Parser.AssignExpr("TRIM(LONGALIAS_SECOND->NAME) + TRIM(LONGALIAS_FIRST->NAME)");
    ASSERT_NE(e, nullptr) << LastErrorText();
    EXPECT_EQ(Eval(e), "R7R1");
    Parser.FreeExpr(e);
    EXPECT_EQ(Parser.AssignExpr("LONGALIAS_->NAME"), nullptr);
    EXPECT_EQ(EngineErrorCode, 351);
}

TEST_F(ExprTables, ClosedAndReopenedAreas)
{
    USE(MakeParts());
    AddRows(2);
    GoTop();
    TExpr* e = Parser.AssignExpr("NAME + STR(QTY)");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Eval(e), "R1                 1");

    USE(""); // the area is free now
    EXPECT_EQ(Eval(e), std::string(10, ' ') + "         0");
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(EngineErrorCode, 215);
    EXPECT_NE(LastErrorText().find("[Evaluate]"), std::string::npos);

    // Reopened with another table: its fields are not the compiled ones.
    ASSERT_TRUE(CreateDbf(Path("OTHER"), {{"QTY", 'C', 3, 0}}));
    ASSERT_TRUE(USE(Path("OTHER")));
    EngineErrorCode = 0;
    EXPECT_EQ(Eval(e), std::string(10, ' ') + "         0");
    EXPECT_TRUE(e->Failed());
    EXPECT_EQ(EngineErrorCode, 220);

    // The same structure again: the reference fits and works.
    ASSERT_TRUE(USE(MakeParts("PARTS2")));
    AddRows(1, 5);
    GoTop();
    EXPECT_EQ(Eval(e), "R5                 5");
    EXPECT_FALSE(e->Failed());
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, AliasedAreaClosed)
{
    OpenCustomers("K");
    Select(2);
    USE(MakeParts());
    TExpr* e = Parser.AssignExpr("K->PRICE * 2");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(EvalNum(e), 100);
    Select(1);
    USE("");
    Select(2);
    EXPECT_EQ(EvalNum(e), 0);
    EXPECT_EQ(EngineErrorCode, 215);
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, ForConditionHidesRecords)
{
    OpenCustomers();
    SetForExpr(Condition("UPPER(NAME) = 'MEIER' .AND. PRICE > 100"));
    GoTop();
    std::vector<std::int32_t> seen;
    while (!dEOF()) {
        seen.push_back(RecNo());
        SKIP(1);
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{3, 4, 5}));
    SetForExpr(nullptr);
}

TEST_F(ExprTables, ConditionsMustBeLogical)
{
    OpenCustomers();
    QuietErrors quiet;
    SetForExpr(Condition("PRICE > 100"));
    SetForExpr(Parser.AssignExpr("PRICE * 2")); // refused; the filter is kept
    EXPECT_EQ(EngineErrorCode, 351);
    SetWhileExpr(Parser.AssignExpr("NAME"));
    EXPECT_EQ(EngineErrorCode, 351);
    GoTop();
    int visible = 0;
    while (!dEOF()) {
        ++visible;
        SKIP(1);
    }
    EXPECT_EQ(visible, 4); // the FOR condition PRICE > 100 still holds
    SetForExpr(nullptr);
}

TEST_F(ExprTables, WhileConditionEndsTheScan)
{
    OpenCustomers();
    SetWhileExpr(Condition("PRICE < 200"));
    GoTop();
    std::vector<std::int32_t> seen;
    while (!dEOF()) {
        seen.push_back(RecNo());
        SKIP(1);
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 2, 3}));
    SetWhileExpr(nullptr);
}

TEST_F(ExprTables, LocateWithForAndWhile)
{
    OpenCustomers();
    SetForExpr(Condition("PRICE > 100"));
    ASSERT_TRUE(Locate("NAME", "Meier", true, 1, false));
    EXPECT_EQ(RecNo(), 3); // MEIER 120: record 1 is hidden by the FOR condition
    ASSERT_TRUE(Continue());
    EXPECT_EQ(RecNo(), 4);
    ASSERT_TRUE(Continue());
    EXPECT_EQ(RecNo(), 5); // Meierhof: a prefix without EXACT
    EXPECT_FALSE(Continue());
    EXPECT_TRUE(dEOF());

    // Exact and case-sensitive: only the two "Meier" records match, and the
    // FOR condition hides the first.
    ASSERT_TRUE(Locate("NAME", "Meier", false, 1, true));
    EXPECT_EQ(RecNo(), 4);

    // LOCATE looks at the FOR condition only; moving on from the hit, the
    // WHILE condition ends the block at the first record that fails it.
    SetWhileExpr(Condition("PRICE < 250"));
    ASSERT_TRUE(Locate("NAME", "MEIER", false, 1, true));
    EXPECT_EQ(RecNo(), 3);
    SKIP(1);
    EXPECT_TRUE(dEOF()); // record 4 costs 300
    SetForExpr(nullptr);
    SetWhileExpr(nullptr);
}

// A stand-in memo layer: block n holds n lines of 100 letters.
bool MemoLines(int, std::int32_t block, std::vector<std::string>& lines)
{
    for (int i = 0; i < block; ++i)
        lines.push_back(std::string(100, static_cast<char>('a' + i)));
    return true;
}

TEST_F(ExprTables, MemoFieldsReadTheMemoText)
{
    ASSERT_TRUE(CreateDbf(Path("MEMOS"), {{"TITLE", 'C', 5, 0}, {"NOTE", 'M', 10, 0}}));
    ASSERT_TRUE(USE(Path("MEMOS")));
    ASSERT_TRUE(FLock());
    for (int block : {0, 1, 3}) {
        ClearRecord();
        Buffer().SetMemoRef(2, block);
        ASSERT_TRUE(Append());
    }
    Unlock();
    TExpr* e = Parser.AssignExpr("NOTE");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Type(), 'M');
    EXPECT_EQ(e->Width(), 256);
    GO(2);
    EXPECT_EQ(Eval(e), ""); // no memo layer linked
    Memo.OpenMemoFile = [](int, const std::string&) { return true; };
    Memo.ReadMemoLines = &MemoLines;
    GO(1);
    EXPECT_EQ(Eval(e), "");
    GO(2);
    EXPECT_EQ(Eval(e), std::string(100, 'a'));
    GO(3); // the lines joined, cut to 255 characters
    EXPECT_EQ(Eval(e), std::string(100, 'a') + std::string(100, 'b') + std::string(55, 'c'));
    Memo = MemoHooks{};
    Parser.FreeExpr(e);
}

TEST_F(ExprTables, CompileErrorsAndTheirCode)
{
    USE(MakeParts());
    EXPECT_EQ(Parser.AssignExpr("NAME +"), nullptr);
    EXPECT_EQ(EngineErrorCode, 351);
    EXPECT_NE(LastErrorText().find("Syntax error"), std::string::npos);
    // The next compile clears the earlier expression error.
    TExpr* e = Parser.AssignExpr("QTY");
    EXPECT_EQ(EngineErrorCode, 0);
    Parser.FreeExpr(e);
    EXPECT_EQ(Parser.AssignExpr("NAME + QTY"), nullptr);
    EXPECT_NE(LastErrorText().find("PARSER:Unvereinbare Typen in Ausdruck \"+\""), std::string::npos);
}

TEST_F(ExprTables, ExceptionModeRaisesOnEvaluationErrors)
{
    USE(MakeParts());
    AddRows(1);
    TExpr* e = Parser.AssignExpr("QTY / 0");
    ASSERT_NE(e, nullptr);
    SetReportErrors(true);
    SetExceptionMode(true);
    EXPECT_THROW(Parser.Evaluate(e), EZodarError);
    SetExceptionMode(false);
    SetReportErrors(false);
    // The expression stays usable.
    EXPECT_EQ(EvalNum(e), 1e250);
    Parser.FreeExpr(e);
}

} // namespace
} // namespace kt4::dbase::test
