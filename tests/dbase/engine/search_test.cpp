// Search, LOCATE, Peek and Poke, APPEND FROM and delimited text.
#include "dbase_fixture.h"

namespace kt4::dbase::test {
namespace {

class SearchTest : public EngineTest {
protected:
    void OpenNames(const std::vector<std::string>& names)
    {
        table_ = MakeParts();
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        int i = 0;
        for (const auto& n : names) {
            ClearRecord();
            Buffer().SetText(1, n);
            Buffer().SetNumber(2, ++i * 1.25);
            Buffer().SetLogical(4, i % 2 == 1);
            Buffer().SetText(5, "0" + std::to_string(i) + ".03.24");
            ASSERT_TRUE(Append());
        }
        GoTop();
    }
    std::string table_;
};

TEST_F(SearchTest, SearchFindsTextInsideOneField)
{
    OpenNames({"MEIER", "SMITH", "M\xC4" "DCHEN", "ABCDEFGHIJ"});
    int field = 0;
    EXPECT_TRUE(Search("smith", field, true));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_EQ(field, 1);
    field = 0;
    EXPECT_FALSE(Search("m\xE4" "dchen", field, true)); // only a..z compare without case
    EXPECT_EQ(field, 0);
    EXPECT_EQ(RecNo(), 2); // back where it started
    field = 0;
    EXPECT_FALSE(Search("J    5", field, true)); // would span two fields
    field = 2;
    EXPECT_FALSE(Search("SMITH", field, true));
    field = 2;
    EXPECT_TRUE(Search("3.75", field, true));
    EXPECT_EQ(RecNo(), 3);
}

TEST_F(SearchTest, LocateByPrefixExactAndContained)
{
    OpenNames({"MEIER", "SMITH", "SMI", "ASMIX"});
    EXPECT_TRUE(Locate("NAME", "SM", false, 1, false));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Continue());
    EXPECT_EQ(RecNo(), 3);
    EXPECT_FALSE(Continue());
    EXPECT_TRUE(dEOF());
    EXPECT_TRUE(Locate("NAME", "SMI", false, 1, true));
    EXPECT_EQ(RecNo(), 3);
    EXPECT_TRUE(Locate("NAME", "smi", true, 1, false, true));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Continue());
    EXPECT_TRUE(Continue());
    EXPECT_EQ(RecNo(), 4);
    EXPECT_FALSE(Locate("NAME", "ZZ", false, 1, false));
    EXPECT_FALSE(Continue());
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(LastErrorText(), "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
    EXPECT_FALSE(Locate("NOSUCH", "x", false, 1, false));
    EXPECT_EQ(LastErrorText(), "Unrecognized field name [Locate/Count/Sum(NOSUCH)]");
}

TEST_F(SearchTest, LocateComparesStoredForms)
{
    OpenNames({"M\xE4" "DCHEN", "B"}); // stored as OEM 0x84
    GoTop();
    EXPECT_EQ(Name(), "M\xE4" "DCHEN");
    EXPECT_TRUE(Locate("NAME", "m\xE4" "dchen", true, 1, false));
    EXPECT_EQ(RecNo(), 1);
    EXPECT_TRUE(Locate("DAY", "02.03.24", false, 1, false));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Locate("PRICE", "2.5", false, 1, false));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Locate("OK", "Y", false, 1, false));
    EXPECT_EQ(RecNo(), 1);
    EXPECT_TRUE(Locate("OK", "F", false, 0, false)); // a start below 1 starts at 1
    EXPECT_EQ(RecNo(), 2);
}

TEST_F(SearchTest, LocateRoundsTheValueToTheField)
{
    ASSERT_TRUE(CreateDbf(Path("NUM"), {{"P", 'N', 8, 2}, {"Q", 'N', 4, 0}}));
    ASSERT_TRUE(USE(Path("NUM") + " EXCLUSIVE"));
    for (double v : {1.0, 1.23}) {
        ClearRecord();
        Buffer().SetNumber(1, v);
        Buffer().SetNumber(2, v == 1.0 ? 3 : 7);
        ASSERT_TRUE(Append());
    }
    EXPECT_TRUE(Locate("P", "1.234", false, 1, false));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Locate("Q", "7.4", false, 1, false));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_FALSE(Locate("P", "1.24", false, 1, false));
}

TEST_F(SearchTest, LocateSeveralFields)
{
    OpenNames({"A", "B", "A", "A"});
    GO(2);
    EXPECT_TRUE(LocateFields("NAME;OK", "A;F", false, true, false));
    EXPECT_EQ(RecNo(), 4);
    GO(2);
    EXPECT_FALSE(LocateFields("NAME;PRICE", "A;99", false, true, false));
    EXPECT_EQ(RecNo(), 2);
}

TEST_F(SearchTest, PeekAndPoke)
{
    OpenNames({"SMITHSONIA", "B"});
    PeekCacheSize = 4096;
    std::string text = "unchanged";
    Peek(1, 0, text);
    EXPECT_EQ(text, "unchanged");
    Peek(9, 1, text);
    EXPECT_EQ(text, "unchanged");
    Peek(1, 2, text);
    EXPECT_EQ(text, "B         ");
    Peek(0, 1, text);
    EXPECT_EQ(text, " ");
    ASSERT_TRUE(Poke("AB", 1, 1));
    Peek(1, 1, text);
    EXPECT_EQ(text, "AB        "); // no tail of the old text
    ASSERT_TRUE(Poke("\xE4", 1, 2));
    USE("");
    auto b = ReadBytes(table_);
    EXPECT_EQ(b[193 + 33 + 1], 0x84); // stored in OEM
}

TEST_F(SearchTest, PokeNeedsTheRecordLockInSharedTables)
{
    table_ = MakeParts();
    ASSERT_TRUE(USE(table_));
    AddRows(2);
    EXPECT_FALSE(Poke("X", 1, 1));
    EXPECT_EQ(EngineErrorCode, 1200);
    EXPECT_EQ(LastErrorText(), "[Poke(X,1,1)]");
    GO(1);
    ASSERT_TRUE(RLock());
    EXPECT_TRUE(Poke("X", 1, 1));
}

TEST_F(SearchTest, AppendFromPairsFieldsByName)
{
    ASSERT_TRUE(CreateDbf(Path("SRC"), {{"PRICE", 'N', 12, 3}, {"NAME", 'C', 20, 0},
                                        {"QTY", 'C', 6, 0}, {"OK", 'C', 1, 0}, {"EXTRA", 'C', 2, 0}}));
    ASSERT_TRUE(USE(Path("SRC") + " EXCLUSIVE"));
    for (int i = 1; i <= 3; ++i) {
        ClearRecord();
        Buffer().SetNumber(1, 1234567.125 * i);
        Buffer().SetText(2, "Source " + std::to_string(i));
        Buffer().SetText(3, " 42");
        Buffer().SetText(4, "T");
        ASSERT_TRUE(Append());
    }
    GO(2);
    DeleteRec();
    USE("");
    table_ = MakeParts();
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    EXPECT_EQ(AppendFrom(Path("SRC")), 3);
    EXPECT_EQ(CurrentAreaNo(), 1);
    EXPECT_EQ(Area(FromFileArea), nullptr);
    GO(1);
    EXPECT_EQ(Name(), "Source 1");
    EXPECT_EQ(Buffer().Text(1), "Source 1  ");
    EXPECT_EQ(NumericOverflowFields(), std::vector<int>{2}); // PRICE too wide for N(8,2)
    EXPECT_EQ(Buffer().Integer(3), 42);
    EXPECT_FALSE(Buffer().Logical(4)); // L from C gives false
    GO(2);
    EXPECT_TRUE(Deleted() == false);
    USE("");
    auto b = ReadBytes(table_);
    EXPECT_EQ(std::string(b.begin() + 193 + 11, b.begin() + 193 + 19), "********"); // too wide
}

TEST_F(SearchTest, InvalidDatesReadFromFilesCountAsEmpty)
{
    // a source table whose second record holds the date "00000000"
    ASSERT_TRUE(CreateDbf(Path("SRC"), {{"NAME", 'C', 10, 0}, {"DAY", 'D', 8, 0}}));
    ASSERT_TRUE(USE(Path("SRC") + " EXCLUSIVE"));
    for (const char* name : {"A", "B", "C"}) {
        ClearRecord();
        Buffer().SetText(1, name);
        Buffer().SetText(2, "17.05.24");
        ASSERT_TRUE(Append());
    }
    USE("");
    auto bytes = ReadBytes(Path("SRC.DBF"));
    const std::size_t header = 32 * 3 + 1, recLen = 19;
    for (std::size_t k = 0; k < 8; ++k)
        bytes[header + recLen + 11 + k] = '0';
    WriteBytes(Path("SRC.DBF"), bytes);
    table_ = MakeParts();
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    EXPECT_EQ(AppendFrom(Path("SRC")), 3);
    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
    GO(2);
    EXPECT_EQ(Buffer().Text(5), "  .  .  ");
    GO(3);
    EXPECT_EQ(Buffer().Text(5), "17.05.24");
    // a delimited line with a day that does not exist
    std::ofstream(Path("in.txt"), std::ios::binary) << "\"B\",,,,20240230\r\n\"C\",,,,20240229\r\n";
    EXPECT_EQ(AppendFromDelimited(Path("in.txt")), 2);
    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
    GO(4);
    EXPECT_EQ(Buffer().Text(5), "  .  .  ");
    GO(5);
    EXPECT_EQ(Buffer().Text(5), "29.02.24");
}

TEST_F(SearchTest, AppendFromItselfIsRefused)
{
    table_ = MakeParts();
    std::filesystem::create_symlink(table_, Path("ALIASNAME.DBF"));
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    AddRows(2);
    EXPECT_EQ(AppendFrom(Path("ALIASNAME")), 0);
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_NE(LastErrorText().find("Datei kann nicht an sich selbst angehängt werden."),
              std::string::npos);
    EXPECT_EQ(RecCount(), 2);
}

TEST_F(SearchTest, FailedAppendFromClosesItsSource)
{
    ASSERT_TRUE(CreateDbf(Path("SRC"), {{"DAY", 'C', 10, 0}}));
    table_ = MakeParts();
    ASSERT_TRUE(USE(table_)); // shared, and no lock: APPEND is refused
    EXPECT_EQ(AppendFrom(Path("SRC")), 0);
    USE(Path("SRC") + " EXCLUSIVE");
    ClearRecord();
    ASSERT_TRUE(Append());
    USE(table_);
    EXPECT_EQ(AppendFrom(Path("SRC")), 0);
    EXPECT_EQ(EngineErrorCode, 5);
    EXPECT_NE(LastErrorText().find("(0 Datensätze angehängt)"), std::string::npos);
    EXPECT_EQ(CurrentAreaNo(), 1);
    EXPECT_EQ(Area(FromFileArea), nullptr);
}

TEST_F(SearchTest, DelimitedRoundTrip)
{
    ASSERT_TRUE(CreateDbf(Path("TXT"), {{"NAME", 'C', 12, 0}, {"NOTE", 'M', 10, 0},
                                        {"PRICE", 'N', 8, 2}, {"OK", 'L', 1, 0},
                                        {"DAY", 'D', 8, 0}}));
    ASSERT_TRUE(USE(Path("TXT") + " EXCLUSIVE"));
    const std::vector<std::string> names = {"say \"hi\"", "a,b", "line\r\nbreak", ""};
    for (std::size_t i = 0; i < names.size(); ++i) {
        ClearRecord();
        Buffer().SetText(1, names[i]);
        Buffer().SetNumber(3, 12.5 * double(i));
        Buffer().SetLogical(4, i % 2 == 0);
        if (i != 3)
            Buffer().SetText(5, "17.05.24");
        ASSERT_TRUE(Append());
    }
    ASSERT_TRUE(CopyToDelimited(Path("out.txt")));
    auto text = ReadBytes(Path("out.txt"));
    std::string s(text.begin(), text.end());
    EXPECT_EQ(s.substr(0, s.find('\n') + 1), "\"say \"\"hi\"\"\",0.00,T,20240517\r\n");
    EXPECT_EQ(s.back(), '\x1a');
    ASSERT_TRUE(CreateDbf(Path("BACK"), {{"NAME", 'C', 12, 0}, {"NOTE", 'M', 10, 0},
                                         {"PRICE", 'N', 8, 2}, {"OK", 'L', 1, 0},
                                         {"DAY", 'D', 8, 0}}));
    ASSERT_TRUE(USE(Path("BACK") + " EXCLUSIVE"));
    DecimalSeparator = ','; // the import still reads "12.50"
    EXPECT_EQ(AppendFromDelimited(Path("out.txt")), 4);
    for (std::size_t i = 0; i < names.size(); ++i) {
        GO(std::int32_t(i + 1));
        EXPECT_EQ(RTrimBlanks(Buffer().Text(1)), names[i]);
        EXPECT_DOUBLE_EQ(Buffer().Number(3), 12.5 * double(i));
        EXPECT_EQ(Buffer().Logical(4), i % 2 == 0);
        EXPECT_EQ(Buffer().Text(5), i == 3 ? "  .  .  " : "17.05.24");
    }
}

} // namespace
} // namespace kt4::dbase::test
