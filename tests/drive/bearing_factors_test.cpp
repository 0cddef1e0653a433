#include "drive/bearing_factors.h"
#include "drive/bearing_types.h"
#include "foundation/codepage.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include "bearing_test_support.h"
#include "foundation/scratch_dir.h"

#include <sstream>

using namespace kt4;
using namespace kt4::bearing_test;
using bearings::BearingSlots;

namespace {

std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> out;
    std::istringstream in(Text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

// Two rows as in the normal-clearance table.
const char* const TwoRows = "# header\n"
                            "\n"
                            "  indented header line\n"
                            "0 also header\n"
                            "Table\n"
                            "row 1\n0.014\n0.19\n1\n0\n0.56\n2.30\n"
                            "row 2\n0,028\n0.22\n1\n0\n0.56\n1.99\n";

std::vector<LoadFactorRow> Normal()
{
    std::vector<LoadFactorRow> rows;
    const Real fa[] = {0.014L, 0.028L, 0.056L, 0.084L, 0.11L, 0.17L, 0.28L, 0.42L, 0.56L};
    const Real e[] = {0.19L, 0.22L, 0.26L, 0.28L, 0.30L, 0.34L, 0.38L, 0.42L, 0.44L};
    const Real y[] = {2.30L, 1.99L, 1.71L, 1.55L, 1.45L, 1.31L, 1.15L, 1.04L, 1.00L};
    for (int i = 0; i < 9; ++i)
        rows.push_back({fa[i], e[i], 1, 0, 0.56L, y[i]});
    return rows;
}

void Lookup(const std::vector<LoadFactorRow>& rows, Real& X, Real& Y, Real Fr, Real Fa, Real C0)
{
    LookupXYFactors(rows, X, Y, Fr, Fa, C0);
}

} // namespace

class BearingFactors : public bearing_test::BearingTest {};

TEST_F(BearingFactors, ParseSkipsTheHeaderAndReadsSevenLineBlocks)
{
    auto rows = ParseLoadFactorLines(Lines(TwoRows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].FaC0, 0.014L);
    EXPECT_EQ(rows[0].e, 0.19L);
    EXPECT_EQ(rows[0].XBelow, 1);
    EXPECT_EQ(rows[0].YBelow, 0);
    EXPECT_EQ(rows[0].XAbove, 0.56L);
    EXPECT_EQ(rows[0].YAbove, 2.3L);
    EXPECT_EQ(rows[1].FaC0, 0.028L); // a comma is read too

    // trailing blank lines and an incomplete last block are ignored
    auto tail = ParseLoadFactorLines(Lines(std::string(TwoRows) + "row 3\n0.056\n0.26\n\n  \n\n"));
    EXPECT_EQ(tail.size(), 2u);
    EXPECT_EQ(ParseLoadFactorLines(Lines(std::string(TwoRows) + "\n\n\n\n\n\n\n\n")).size(), 2u);

    // a line that is no number counts as 0, and so does a number no factor
    // can be; blanks around a number do not matter
    auto odd = ParseLoadFactorLines(Lines("Table\nrow\n  0.5 \nnone\n1E4000\n-1\n100\n1\n"));
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].FaC0, 0.5L);
    EXPECT_EQ(odd[0].e, 0);
    EXPECT_EQ(odd[0].XBelow, 0);
    EXPECT_EQ(odd[0].YBelow, 0);
    EXPECT_EQ(odd[0].XAbove, 100);

    EXPECT_TRUE(ParseLoadFactorLines(Lines("# only header\n# lines\n")).empty());
    EXPECT_TRUE(ParseLoadFactorLines({}).empty());
}

TEST_F(BearingFactors, LookupInterpolatesBetweenRows)
{
    const auto rows = Normal();
    Real X = 0, Y = 0;
    // q = 0.021 between the first two rows, Fa/Fr above both e: the means
    Lookup(rows, X, Y, 50, 21, 1000);
    EXPECT_NEAR(D(X), 0.56, 1e-15);
    EXPECT_NEAR(D(Y), (2.30 + 1.99) / 2, 1e-15);
    // q equal to a row: that row's pair
    Lookup(rows, X, Y, 100, 56, 1000);
    EXPECT_NEAR(D(Y), 1.71, 1e-15);
    // below the first row: from (0; 0.56, 2)
    Lookup(rows, X, Y, 10, 7, 1000);
    EXPECT_NEAR(D(X), 0.56, 1e-15);
    EXPECT_NEAR(D(Y), 2 + (2.30 - 2) * 0.5, 1e-15);
    // between the last two rows, at and beyond the last row: the last
    // row's pair, not interpolated
    for (Real fa : {500, 560, 900}) {
        Lookup(rows, X, Y, 100, fa, 1000);
        EXPECT_EQ(Y, 1) << D(fa);
        EXPECT_EQ(X, 0.56L) << D(fa);
    }
    // a table of one row is its end at once
    Lookup({rows[0]}, X, Y, 10, 7, 1000);
    EXPECT_NEAR(D(Y), 2.30, 1e-15);
}

TEST_F(BearingFactors, LookupTakesThePairBelowEForSmallAxialLoads)
{
    const auto rows = Normal();
    Real X = 7, Y = 7;
    // Fa = 0: 1 and 0 whatever the table holds
    Lookup(rows, X, Y, 1000, 0, 1000);
    EXPECT_EQ(X, 1);
    EXPECT_EQ(Y, 0);
    // Fa/Fr = 0.1 < e of the row reached (0.22)
    Lookup(rows, X, Y, 210, 21, 1000);
    EXPECT_EQ(X, 1);
    EXPECT_EQ(Y, 0);
    // Fa/Fr exactly e of the row reached: the second pair is read, but
    // Fa/Fr at most e gives 1 and 0
    Lookup(rows, X, Y, 100, 22, 1000);
    EXPECT_EQ(X, 1);
    EXPECT_EQ(Y, 0);
    // Fr = 0 always takes the second pair
    Lookup(rows, X, Y, 0, 28, 1000);
    EXPECT_NEAR(D(X), 0.56, 1e-15);
    EXPECT_NEAR(D(Y), 1.99, 1e-15);
    // q = 0 without a radial load to compare: 0.56 and 2
    Lookup(rows, X, Y, -1, 0, 1000);
    EXPECT_NEAR(D(X), 0.56, 1e-15);
    EXPECT_EQ(Y, 2);
}

TEST_F(BearingFactors, BearingXYFactorsReportsBadLoadsWithoutFlags)
{
    Real X = 0.3L, Y = 1.7L;
    const std::string file = ClearanceFilePath(2);
    EXPECT_FALSE(BearingXYFactors(file, X, Y, 1000, 100, 0));
    EXPECT_FALSE(BearingXYFactors(file, X, Y, 0, 0, 1000));
    EXPECT_EQ(X, 0.3L);
    EXPECT_EQ(Y, 1.7L);
    ASSERT_EQ(settings::MessageCount, 2);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : C0 = 0 !");
    EXPECT_EQ(settings::MessageTexts[2], "Fatal  : Fr=0, Fa=0 !");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(settings::CalcErrorFlag);

    // q 0.05 between the rows 0.028 and 0.056 of the shipped table
    EXPECT_TRUE(BearingXYFactors(file, X, Y, 100, 50, 1000));
    EXPECT_NEAR(D(X), 0.56, 1e-15);
    EXPECT_NEAR(D(Y), 1.99 + (1.71 - 1.99) * (0.05 - 0.028) / 0.028, 1e-12);
}

TEST_F(BearingFactors, MissingTableIsOneMessageAndNoAbort)
{
    settings::DbfDir = "/nonexistent/catalogues";
    Real X = 0.4L, Y = 1.2L;
    const std::string file = ClearanceFilePath(3);
    EXPECT_EQ(file, "/nonexistent/catalogues/rikul_c3.hdf");
    EXPECT_FALSE(BearingXYFactors(file, X, Y, 1000, 100, 5000));
    EXPECT_EQ(X, 0.4L); // with an axial load the stored factors stay
    EXPECT_EQ(Y, 1.2L);
    EXPECT_FALSE(BearingXYFactors(file, X, Y, 1000, 0, 5000));
    EXPECT_EQ(X, 1); // without one the table is not needed
    EXPECT_EQ(Y, 0);
    ASSERT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1],
              "Fatal  : Datei /nonexistent/catalogues/rikul_c3.hdf nicht gefunden oder kein Zugriffsrecht !");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_TRUE(ui->Log().empty()); // no box during a calculation
}

TEST_F(BearingFactors, TableFoundWhateverTheCaseAndOddContentTolerated)
{
    kt4::testing::ScratchDir dir;
    settings::DbfDir = dir.Path();
    // upper-case name, CR LF lines, trailing blank lines, incomplete last block
    std::string text = TwoRows;
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    dir.Put("RIKULA_U.HDF", crlf + "row 3\r\n0.05\r\n\r\n\r\n");
    Real X = 0, Y = 0;
    EXPECT_TRUE(BearingXYFactors(ClearanceFilePath(5), X, Y, 10, 7, 1000));
    EXPECT_NEAR(D(Y), (2 + 2.30) / 2, 1e-15);
    // beyond the last complete row: its pair
    EXPECT_TRUE(BearingXYFactors(ClearanceFilePath(5), X, Y, 100, 50, 1000));
    EXPECT_NEAR(D(Y), 1.99, 1e-15);
    EXPECT_EQ(settings::MessageCount, 0);
    EXPECT_FALSE(settings::AbortFlag);

    // a table without rows is reported and treated like a missing one
    dir.Put("rikul_c4.hdf", "# nothing but a header\nTable\nrow 1\n0.014\n");
    X = 0.5L;
    Y = 1.5L;
    EXPECT_FALSE(BearingXYFactors(ClearanceFilePath(4), X, Y, 100, 50, 1000));
    EXPECT_EQ(Y, 1.5L);
    ASSERT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : Datei " + dir.Path() + "rikul_c4.hdf ohne Tabellenzeilen !");
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(BearingFactors, EditedOrRemovedTableIsNoticed)
{
    kt4::testing::ScratchDir dir;
    settings::DbfDir = dir.Path();
    dir.Put("rikula_u.hdf", TwoRows);
    Real X = 0, Y = 0;
    EXPECT_TRUE(BearingXYFactors(ClearanceFilePath(5), X, Y, 100, 50, 1000));
    EXPECT_NEAR(D(Y), 1.99, 1e-15);

    // the user edits his table: the next calculation uses the new factors
    std::string edited = TwoRows;
    edited.replace(edited.find("1.99"), 4, "1.75");
    dir.Put("rikula_u.hdf", edited + "\n");
    EXPECT_TRUE(BearingXYFactors(ClearanceFilePath(5), X, Y, 100, 50, 1000));
    EXPECT_NEAR(D(Y), 1.75, 1e-15);

    std::remove((dir.Path() + "rikula_u.hdf").c_str());
    EXPECT_FALSE(BearingXYFactors(ClearanceFilePath(5), X, Y, 100, 50, 1000));
    EXPECT_EQ(settings::MessageCount, 1);
}

TEST_F(BearingFactors, ClearanceFileNames)
{
    EXPECT_EQ(ClearanceFileName(1), "");
    EXPECT_EQ(ClearanceFileName(2), "rikula_n.hdf");
    EXPECT_EQ(ClearanceFileName(3), "rikul_c3.hdf");
    EXPECT_EQ(ClearanceFileName(4), "rikul_c4.hdf");
    EXPECT_EQ(ClearanceFileName(5), "rikula_u.hdf");
    EXPECT_EQ(ClearanceFileName(0), "");
    EXPECT_EQ(ClearanceFileName(6), "");
    settings::DbfDir = "cat";
    EXPECT_EQ(ClearanceFilePath(2), "cat/rikula_n.hdf");
    EXPECT_EQ(ClearanceFilePath(1), "");
    EXPECT_EQ(ClearanceChoiceTexts[2], "Lagerluft normal (RIKULA_N.HDF)");
    EXPECT_EQ(ClearanceChoiceTexts[5], "Faktoren aus Userfile (RIKULA_U.HDF)");
}

// The shipped tables: the ISO 281 values for normal clearance, and in every
// table rows in ascending order whose two pairs meet at e (X + Y e = 1
// within the rounding of the published values).
TEST_F(BearingFactors, ShippedTablesHoldConsistentFactors)
{
    std::vector<LoadFactorRow> normal, user;
    ASSERT_TRUE(ReadLoadFactorTable(ClearanceFilePath(2), normal));
    const auto iso = Normal();
    ASSERT_EQ(normal.size(), iso.size());
    for (std::size_t i = 0; i < iso.size(); ++i) {
        EXPECT_EQ(normal[i].FaC0, iso[i].FaC0) << i;
        EXPECT_EQ(normal[i].e, iso[i].e) << i;
        EXPECT_EQ(normal[i].XAbove, 0.56L) << i;
        EXPECT_EQ(normal[i].YAbove, iso[i].YAbove) << i;
    }
    ASSERT_TRUE(ReadLoadFactorTable(ClearanceFilePath(5), user));
    ASSERT_EQ(user.size(), normal.size());
    for (std::size_t i = 0; i < user.size(); ++i)
        EXPECT_EQ(user[i].YAbove, normal[i].YAbove);

    const Real xs[] = {0.56L, 0.46L, 0.44L};
    for (Word c = 2; c <= 5; ++c) {
        std::vector<LoadFactorRow> rows;
        ASSERT_TRUE(ReadLoadFactorTable(ClearanceFilePath(c), rows)) << c;
        ASSERT_EQ(rows.size(), 9u) << c;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            EXPECT_EQ(r.FaC0, iso[i].FaC0) << c;
            EXPECT_EQ(r.XBelow, 1);
            EXPECT_EQ(r.YBelow, 0);
            EXPECT_EQ(r.XAbove, xs[c == 5 ? 0 : c - 2]) << c;
            EXPECT_NEAR(D(r.XAbove + r.YAbove * r.e), 1.0, 0.0075) << c << " row " << i;
            if (i > 0) {
                EXPECT_GE(r.e, rows[i - 1].e);
                EXPECT_LE(r.YAbove, rows[i - 1].YAbove);
            }
        }
    }
    // larger clearance: larger e and smaller Y on every row
    std::vector<LoadFactorRow> c3, c4;
    ASSERT_TRUE(ReadLoadFactorTable(ClearanceFilePath(3), c3));
    ASSERT_TRUE(ReadLoadFactorTable(ClearanceFilePath(4), c4));
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_GT(c3[i].e, normal[i].e);
        EXPECT_GE(c4[i].e, c3[i].e);
        EXPECT_LE(c3[i].YAbove, normal[i].YAbove);
        EXPECT_LE(c4[i].YAbove, c3[i].YAbove);
    }
}

TEST_F(BearingFactors, ClearanceChoiceReadsTheChosenTable)
{
    auto& b = BearingSlots[1];
    b.C0 = 1000;
    ui->Script("3");
    BearingClearanceChoice(1, 100, 50);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(b.Clearance, 3);
    EXPECT_EQ(help::HelpNumber, 4120);
    // C3: q 0.05 between 0.028 (Y 1.71) and 0.056 (Y 1.52), Fa/Fr 0.5 above e
    EXPECT_NEAR(D(b.X), 0.46, 1e-15);
    EXPECT_NEAR(D(b.Y), 1.71 + (1.52 - 1.71) * (0.05 - 0.028) / 0.028, 1e-12);
    ASSERT_FALSE(ui->Log().empty());
    EXPECT_EQ(ui->Log()[0].rfind("radio|Radial- und Axialfaktor|5", 0), 0u) << ui->Log()[0];
    EXPECT_EQ(OemToDisplay(settings::DialogLines[4]), "Lagerluft C4 (RIKUL_C4.HDF)");

    // Cancel: AbortFlag, nothing changed
    const auto before = b;
    ui->Script("<cancel>");
    BearingClearanceChoice(1, 100, 50);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(b, before);
}

TEST_F(BearingFactors, ClearanceChoiceOfEnteredFactorsAsksForXAndY)
{
    auto& b = BearingSlots[2];
    ui->Script("1");
    ui->Script("0,7");
    ui->Script("abc");   // refused, asked again
    ui->Script("120");   // outside 0..100, asked again
    ui->Script("1.6");
    BearingClearanceChoice(2, 100, 50);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(b.Clearance, 1);
    EXPECT_EQ(b.X, 0.7L);
    EXPECT_EQ(b.Y, 1.6L);
    EXPECT_EQ(help::HelpNumber, 4110);
    int refusals = 0;
    for (const auto& entry : ui->Log())
        if (entry.find("Ung\u00fcltige Eingabe \"abc\" !") != std::string::npos ||
            entry.find("G\u00fcltiger Wertebereich: 0 .. 100 !") != std::string::npos)
            ++refusals;
    EXPECT_EQ(refusals, 2);

    // Cancel at Y keeps the confirmed X and the old Y
    ui->Script("0.5");
    ui->Script("<cancel>");
    InputXYFactors(2);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(b.X, 0.5L);
    EXPECT_EQ(b.Y, 1.6L);
}

TEST_F(BearingFactors, ClearanceChoiceWithMissingTableShowsABox)
{
    settings::DbfDir = "/nonexistent";
    auto& b = BearingSlots[1];
    b.C0 = 1000;
    ui->Script("2");
    BearingClearanceChoice(1, 100, 0);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(b.X, 1);
    EXPECT_EQ(b.Y, 0);
    bool box = false;
    for (const auto& entry : ui->Log())
        box = box || entry.find("/nonexistent/rikula_n.hdf nicht gefunden") != std::string::npos;
    EXPECT_TRUE(box);
    EXPECT_EQ(settings::MessageCount, 1);
}
