// The typed record buffer and the conversion of records in both directions.
#include "common/comma_locale.h"
#include "dbase_fixture.h"

#include <cstring>
#include <fstream>

namespace kt4::dbase::test {
namespace {

class RecordsTest : public EngineTest {
protected:
    // Opens a one-record table whose record bytes are given raw.
    void OpenRaw(const std::vector<FieldDef>& fields, const std::string& record)
    {
        ASSERT_TRUE(CreateDbf(Path("RAW"), fields));
        auto t = ReadBytes(Path("RAW.DBF"));
        t.pop_back();
        t.insert(t.end(), record.begin(), record.end());
        t.push_back(0x1a);
        PutU32(t.data() + 4, 1);
        WriteBytes(Path("RAW.DBF"), t);
        USE(Path("RAW.DBF") + " EXCLUSIVE");
        ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    }
    std::string StoredRecord()
    {
        USE("");
        auto t = ReadBytes(Path("RAW.DBF"));
        std::uint32_t h = GetU16(t.data() + 8), r = GetU16(t.data() + 10);
        return std::string(t.begin() + h, t.begin() + h + r);
    }
};

TEST_F(RecordsTest, BufferLayoutOfTheAnchorTable)
{
    ASSERT_TRUE(CreateDbf(Path("ANCHOR"), {{"C", 'C', 10, 0}, {"N", 'N', 8, 2}, {"I", 'N', 5, 0},
                                           {"L", 'L', 1, 0}, {"D", 'D', 8, 0}, {"M", 'M', 10, 0}}));
    std::vector<std::uint8_t> small(39), exact(40);
    EXPECT_FALSE(USE(Path("ANCHOR"), small.data(), small.size()));
    EXPECT_EQ(EngineErrorCode, 266);
    EXPECT_NE(LastErrorText().find("Record Size=40, Buffer Size=39"), std::string::npos);
    ASSERT_TRUE(USE(Path("ANCHOR"), exact.data(), exact.size()));
    EXPECT_EQ(FieldAddress(0), exact.data());
    EXPECT_EQ(FieldAddress(2), exact.data() + 12);
    EXPECT_EQ(FieldAddress(6), exact.data() + 36);
    EXPECT_EQ(FieldLen(5), 8);
    DateWithCentury = true;
    EXPECT_EQ(FieldLen(5), 10);
}

TEST_F(RecordsTest, ReadingFieldsIntoTheBuffer)
{
    OpenRaw({{"NAME", 'C', 5, 0}, {"P", 'N', 8, 2}, {"Q", 'N', 4, 0}, {"OK", 'L', 1, 0},
             {"DAY", 'D', 8, 0}, {"M", 'M', 10, 0}},
            "*AB   " "   12.50" "  -7" "y" "20240517" "        42");
    TypedBuffer b = Buffer();
    EXPECT_TRUE(b.Deleted());
    EXPECT_EQ(b.Text(1), "AB   ");
    EXPECT_DOUBLE_EQ(b.Number(2), 12.5);
    EXPECT_EQ(b.Integer(3), -7);
    EXPECT_TRUE(b.Logical(4));
    EXPECT_EQ(b.Text(5), "17.05.24");
    EXPECT_EQ(b.MemoRef(6), 42);
    EXPECT_EQ(FieldText(2), "   12,50");
    EXPECT_EQ(FieldText(4), "Y");
    EXPECT_EQ(FieldText(6), "MEMO");
    DateWithCentury = true;
    SetDateFormat(0);
    SKIP(0);
    EXPECT_EQ(b.Text(5), "05/17/2024");
}

TEST_F(RecordsTest, WritingEncodesTheChangedFields)
{
    OpenRaw({{"NAME", 'C', 5, 0}, {"P", 'N', 8, 2}, {"Q", 'N', 3, 0}, {"OK", 'L', 1, 0},
             {"DAY", 'D', 8, 0}},
            " AB   " "   12.50" "  7" "F" "        ");
    TypedBuffer b = Buffer();
    b.SetText(1, "XYZ");
    b.SetNumber(2, -3.456);
    b.SetInteger(3, 1234); // too wide: stored as "***" and reported
    b.SetLogical(4, true);
    b.SetText(5, "29.02.2000");
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(NumericOverflowFields(), std::vector<int>{3});
    EXPECT_EQ(StoredRecord(), " XYZ     -3.46***T20000229");
}

TEST_F(RecordsTest, UntouchedFieldsKeepTheirBytes)
{
    // Forms another program may have written: "?" and "y" logicals, text in
    // a numeric field, an invalid date, 17 significant digits, "1.5" unpadded.
    const std::string record = " Smith" "?" "y" "abc     " "20241399" "12345678901234567" "1.5 ";
    OpenRaw({{"NAME", 'C', 5, 0}, {"L1", 'L', 1, 0}, {"L2", 'L', 1, 0}, {"N1", 'N', 8, 2},
             {"D", 'D', 8, 0}, {"BIG", 'N', 17, 0}, {"F", 'N', 4, 1}},
            record);
    Buffer().SetText(1, "Jones");
    ASSERT_TRUE(REPLACE());
    std::string expected = record;
    expected.replace(1, 5, "Jones");
    EXPECT_EQ(StoredRecord(), expected);
}

TEST_F(RecordsTest, WideIntegersKeepAllDigits)
{
    OpenRaw({{"ID", 'N', 12, 0}, {"X", 'C', 1, 0}}, "   9876543210" "a");
    EXPECT_EQ(Buffer().Integer(1), 9876543210LL);
    Buffer().SetText(2, "b");
    ASSERT_TRUE(REPLACE());
    Buffer().SetInteger(1, -99999999999LL);
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(StoredRecord(), " -99999999999b");
}

TEST_F(RecordsTest, DateTextsWithTwoOrFourDigitYears)
{
    OpenRaw({{"D", 'D', 8, 0}}, " 20240517");
    Buffer().SetText(1, "01.02.1999");
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(Buffer().Text(1), "01.02.99");
    Buffer().SetText(1, "03.04.55"); // century window from 1956: 2055
    ASSERT_TRUE(REPLACE());
    Buffer().SetText(1, "31.04.2001");
    EXPECT_FALSE(REPLACE());
    EXPECT_EQ(EngineErrorCode, 220);
    SKIP(0);
    EXPECT_EQ(Buffer().Text(1), "03.04.55"); // nothing was written
    Buffer().SetText(1, "  .  .  ");
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(StoredRecord(), "         ");
}

TEST_F(RecordsTest, NumbersIgnoreTheProcessLocale)
{
    {
        kt4::testing::CommaLocale comma;
        ASSERT_TRUE(comma.Active()) << comma.Missing();
        OpenRaw({{"P", 'N', 8, 2}}, "     1.25");
        EXPECT_DOUBLE_EQ(Buffer().Number(1), 1.25);
        Buffer().SetNumber(1, 12.5);
        ASSERT_TRUE(REPLACE());
    }
    EXPECT_EQ(StoredRecord(), "    12.50");
}

TEST_F(RecordsTest, StoredHalvesRoundAwayFromZero)
{
    OpenRaw({{"A", 'N', 6, 1}, {"B", 'N', 20, 0}, {"C", 'N', 5, 0}},
            std::string(1 + 6 + 20 + 5, ' '));
    Buffer().SetNumber(1, 0.25);
    Buffer().SetNumber(2, -2.5);
    Buffer().SetNumber(3, 2.5);
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(StoredRecord(), "    0.3" + std::string(18, ' ') + "-3    3");
}

// Appends store what the general formatting gives, and leave the buffer as
// reading the record back fills it; a cleared record follows the layout.
TEST_F(RecordsTest, AppendsStoreTheGeneralFormsAndReadBackAsBuffered)
{
    const std::vector<FieldDef> fields = {{"C", 'C', 6, 0},  {"P", 'N', 10, 2}, {"Q", 'N', 6, 0},
                                          {"W", 'N', 12, 0}, {"F", 'F', 20, 15}, {"Z", 'N', 5, 3},
                                          {"B", 'N', 19, 0}, {"L", 'L', 1, 0},  {"D", 'D', 8, 0}};
    ASSERT_TRUE(CreateDbf(Path("APP"), fields));
    ASSERT_TRUE(USE(Path("APP") + " EXCLUSIVE"));
    struct Row {
        const char* text;
        double p, f, z, b;
        std::int64_t q, w;
        bool l;
        const char* date;
    } rows[] = {
        {"abc", 12.5, 0.1, 1.0005, 2.5, 7, 9876543210, true, "17.05.24"},
        {"sixsix+", -0.125, -1.0 / 3, -0.0005, -2.5, -99999, -99999999999, false, "29.02.2000"},
        {"", 1e9, 12345.123456789012345, 12.5, 1e19, 1234567, 123456789012, true, "01.01.55"},
        {"x", -0.005, 0.000000000000001, 99.9995, -0.5, -100000, 0, false, "  .  .  "},
        {"y", 1.005, 2.675, 0.125, 123456789012345678.0, 0, -1, true, "31.12.1899"},
        {"z", -0.0, 1e-20, -9.9995, 4503599627370497.0, 999999, 999999999999, false, "5.6.07"},
    };
    auto right = [](const std::string& text, std::size_t len) {
        return text.size() > len ? std::string(len, '*') : std::string(len - text.size(), ' ') + text;
    };
    std::string expected;
    std::vector<std::vector<std::string>> slots; // per row: the fields as the buffer holds them
    auto takeSlots = [&] {
        std::vector<std::string> v;
        TypedBuffer b = Buffer();
        for (int n = 1; n <= int(fields.size()); ++n)
            v.push_back(fields[std::size_t(n - 1)].type == 'C' || fields[std::size_t(n - 1)].type == 'D'
                            ? b.Text(n)
                            : std::string(reinterpret_cast<const char*>(FieldAddress(n)),
                                          FieldInfoOf(*Current(), n)->bufSize));
        return v;
    };
    for (const Row& r : rows) {
        ClearRecord();
        TypedBuffer b = Buffer();
        b.SetText(1, r.text);
        b.SetNumber(2, r.p);
        b.SetInteger(3, r.q);
        b.SetInteger(4, r.w);
        b.SetNumber(5, r.f);
        b.SetNumber(6, r.z);
        b.SetNumber(7, r.b);
        b.SetLogical(8, r.l);
        b.SetText(9, r.date);
        ASSERT_TRUE(Append()) << r.text << ": " << LastErrorText();
        slots.push_back(takeSlots());
        std::string date;
        ASSERT_TRUE(StoredDateOfText(r.date, date)) << r.date;
        expected += " " + (std::string(r.text) + "      ").substr(0, 6) + right(FloatToText(0, 2, r.p), 10) +
                    right(std::to_string(r.q), 6) + right(std::to_string(r.w), 12) +
                    right(FloatToText(0, 15, r.f), 20) + right(FloatToText(0, 3, r.z), 5) +
                    right(FloatToText(0, 0, r.b), 19) + (r.l ? "T" : "F") + date;
    }
    for (int n = 1; n <= int(std::size(rows)); ++n) {
        GO(n);
        EXPECT_EQ(takeSlots(), slots[std::size_t(n - 1)]) << "record " << n;
    }
    for (std::uint8_t layout : {0, 1, 3, 5}) {
        SetDateFormat(layout);
        DateWithCentury = layout == 1;
        ClearRecord();
        EXPECT_EQ(Buffer().Text(9), EmptyDateTemplate()) << int(layout);
    }
    ASSERT_TRUE(Append());
    expected += "       " + right("0.00", 10) + right("0", 6) + right("0", 12) + right(FloatToText(0, 15, 0), 20) +
                right("0.000", 5) + right("0", 19) + "F" + std::string(8, ' ');
    USE("");
    const auto t = ReadBytes(Path("APP.DBF"));
    const std::uint32_t h = GetU16(t.data() + 8);
    EXPECT_EQ(std::string(t.begin() + h, t.end() - 1), expected);
}

TEST_F(RecordsTest, OemTextRoundTripIsByteExact)
{
    std::string all;
    for (int c = 128; c < 256; ++c)
        all.push_back(char(c));
    EXPECT_EQ(AnsiToOem(OemToAnsi(all)), all);
    EXPECT_EQ(OemToAnsi(AnsiToOem(all)), all);
    EXPECT_EQ(OemToAnsi("\x84\x94\x81\xE1"), "\xE4\xF6\xFC\xDF"); // ä ö ü ß
    // A record with box-drawing characters survives an edit of another field.
    OpenRaw({{"A", 'C', 4, 0}, {"B", 'C', 2, 0}}, " \xB3\xC4\xDA\xBF" "xx");
    EXPECT_EQ(Buffer().Text(2), "xx");
    Buffer().SetText(2, "yy");
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(StoredRecord(), " \xB3\xC4\xDA\xBF" "yy");
}

// Windows text an OEM table cannot hold is refused naming the field, by
// REPLACE (the record keeps its bytes) and by the delimited import, which
// stops at that record.
TEST_F(RecordsTest, TextTheTablesPageLacksIsRefusedNamingTheField)
{
    OpenRaw({{"A", 'C', 4, 0}, {"B", 'C', 2, 0}}, " \xB3\xC4\xDA\xBF" "xx");
    Buffer().SetText(2, "\x80");
    EXPECT_FALSE(REPLACE());
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_NE(LastErrorText().find("Zeichen nicht darstellbar: € im Feld B von "), std::string::npos);
    EXPECT_NE(LastErrorText().find(" (Codepage 850) [REPLACE]"), std::string::npos);
    std::ofstream(Path("in.txt"), std::ios::binary) << "\"ok\",\"\xE4\"\r\n\"\x84x\x93\",\"y\"\r\n\"nie\"\r\n";
    EXPECT_EQ(AppendFromDelimited(Path("in.txt")), 1);
    EXPECT_NE(LastErrorText().find("„ “ im Feld A"), std::string::npos) << LastErrorText();
    EXPECT_NE(LastErrorText().find(", Datensatz 2 von " + Path("in.txt") +
                                   " [AppendFromDelimited] (1 Datensätze angehängt)"),
              std::string::npos);
    USE("");
    const auto t = ReadBytes(Path("RAW.DBF"));
    EXPECT_EQ(std::string(t.begin() + GetU16(t.data() + 8), t.end() - 1), " \xB3\xC4\xDA\xBF" "xx" " ok  \x84 ");
    // Box drawing into a Windows table stops APPEND FROM there.
    ASSERT_TRUE(CreateDbf(Path("ANSI"), {{"B", 'C', 2, 0}, {"A", 'C', 4, 0}}));
    auto ansi = ReadBytes(Path("ANSI.DBF"));
    ansi[29] = 0x03;
    WriteBytes(Path("ANSI.DBF"), ansi);
    ASSERT_TRUE(USE(Path("ANSI") + " EXCLUSIVE"));
    EXPECT_EQ(AppendFrom(Path("RAW")), 0);
    EXPECT_NE(LastErrorText().find("│ ─ ┌ ┐ (Codepage 1252), Datensatz 1, Feld A"), std::string::npos)
        << LastErrorText();
    EXPECT_EQ(RecCount(), 0);
}

TEST_F(RecordsTest, AnsiTablesAreNotConverted)
{
    TableIsAnsi = true;
    OpenRaw({{"A", 'C', 2, 0}}, " \x84\x94");
    EXPECT_EQ(Buffer().Text(1), "\x84\x94");
    TableIsAnsi = false;
    USE(Path("RAW.DBF"));
    EXPECT_EQ(Buffer().Text(1), "\xE4\xF6");
}

TEST_F(RecordsTest, RecordHooksSeeTheStoredText)
{
    ASSERT_TRUE(CreateDbf(Path("HOOK"), {{"A", 'C', 3, 0}}));
    auto rot = [](std::uint8_t* t, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            t[i] = std::uint8_t(t[i] ^ 0x20);
    };
    ASSERT_TRUE(USE(Path("HOOK") + " EXCLUSIVE", nullptr, 0, rot, rot));
    ClearRecord();
    Buffer().SetText(1, "abc");
    ASSERT_TRUE(Append());
    USE("");
    auto bytes = ReadBytes(Path("HOOK.DBF"));
    EXPECT_EQ(std::string(bytes.begin() + 65, bytes.begin() + 69), " ABC");
    ASSERT_TRUE(USE(Path("HOOK"), nullptr, 0, rot, rot));
    EXPECT_EQ(Buffer().Text(1), "abc");
}

TEST_F(RecordsTest, FieldInformation)
{
    USE(MakeParts());
    EXPECT_EQ(FieldNo(" price "), 2);
    EXPECT_EQ(FieldNo("PRICEXXXXXXXX"), 0);
    EXPECT_EQ(FieldType(4), 'L');
    EXPECT_EQ(FieldDec(2), 2);
    EXPECT_EQ(FieldType(9), ' ');
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(LastErrorText(), "Ungültige Feldnr. [FieldType(9)]");
    EXPECT_EQ(RecSize(), 1 + 10 + 8 + 5 + 1 + 8);
    USE("");
    EXPECT_EQ(FieldCount(), 0);
    EXPECT_EQ(EngineErrorCode, 215);
    EXPECT_EQ(LastErrorText(),
              "Keine Datenbank (bzw.kein Arbeitsbereich) geöffnet. [FieldCount]  WorkArea = 1");
    EXPECT_FALSE(Deleted());
}

} // namespace
} // namespace kt4::dbase::test
