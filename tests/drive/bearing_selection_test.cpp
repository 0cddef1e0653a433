// The bearing selection over the table access layer, with no window: where
// the browser opens, the automatic walk by bore and width, a missing table,
// and every way to cancel an interactive pick.
#include "selection_fixture.h"

#include "dbase/access/table_access.h"
#include "drive/bearing_catalogue.h"
#include "drive/bearing_selection.h"
#include "drive/drive_series.h"
#include "foundation/codepage.h"
#include "foundation/helptext.h"
#include "foundation/numstr.h"

#include <fstream>
#include <iterator>
#include <map>

namespace kt4::drivetest {
namespace {

using namespace kt4::dbase;

// A browser that notes where it opened and what it showed, then accepts
// the row it opened on or cancels.
class RecordingBrowser : public TDbf4Browser {
public:
    void DbfSetMode(const std::string&, TDbf4Mode mode) override
    {
        shownMode = mode;
        openedOn = DbfRecNo();
        DbfSkip(1);
        nextInOrder = DbfEof() ? 0 : DbfRecNo();
        DbfSkip(-1);
        help = help::HelpNumber;
        title1 = DbfTitle1();
        title2 = DbfTitle2();
        if (accept) {
            DbfGoRecord(openedOn);
            DbfAcceptSelection(0, 1);
        } else {
            settings::LastKey = 27;
            settings::AbortFlag = true;
        }
    }
    bool accept = true;
    TDbf4Mode shownMode = -1;
    std::int32_t openedOn = 0, nextInOrder = 0;
    Word help = 0;
    std::string title1, title2;
};

const std::vector<CatalogueRecord>& Rows(TBearingType Typ)
{
    static std::map<TBearingType, std::vector<CatalogueRecord>> rows;
    auto& r = rows[Typ];
    if (r.empty())
        r = ReadTableRows(Typ, CatalogueDir + "/" + BearingTableName(Typ) + ".dbf");
    return r;
}

// The record number of the first row of bore d in the table, 0 when none.
Integer FirstOfBore(TBearingType Typ, Real d)
{
    for (const auto& r : Rows(Typ))
        if (SameReal(r.RealField(2), d))
            return r.RecNo();
    return 0;
}

std::shared_ptr<RecordingBrowser> Record()
{
    auto b = std::make_shared<RecordingBrowser>();
    SetDbf4Browser(b);
    return b;
}

TEST_F(BearingSelection, ASlotsOwnRowOpensInKeyOrderAndThePickIsCalculated)
{
    auto browser = Record();
    Slot(1).Typ = DeepGrooveBall;
    Slot(1).CatRecNo = 17;
    Script({"1", "3"}); // the type, then clearance C3
    BearingSelect(0, 1, 1, 99, 100, 10, 1000, 1, 2, 1);
    ASSERT_FALSE(settings::AbortFlag);
    EXPECT_EQ(browser->openedOn, 17);
    // The next row in the order of d, then D, then B.
    std::vector<CatalogueRecord> byKey = Rows(DeepGrooveBall);
    std::stable_sort(byKey.begin(), byKey.end(), [](const CatalogueRecord& a, const CatalogueRecord& b) {
        auto key = [](const CatalogueRecord& r) { return r.RealField(2) * 1e6 + r.RealField(3) * 1e3 + r.RealField(4); };
        return key(a) < key(b);
    });
    auto at = std::find_if(byKey.begin(), byKey.end(), [](const CatalogueRecord& r) { return r.RecNo() == 17; });
    ASSERT_NE(at + 1, byKey.end());
    EXPECT_EQ(browser->nextInOrder, (at + 1)->RecNo());
    EXPECT_EQ(browser->shownMode, 1);
    EXPECT_EQ(browser->help, 8505);
    EXPECT_EQ(browser->title1,
              " " + settings::ProductName + "   Datenbank " + OemToDisplay(BearingTypeName(DeepGrooveBall)) + " ");
    EXPECT_EQ(browser->title2, "Lagerbelastung Fr = 100 N   Fa = 10 N ");

    const CatalogueRecord& row17 = Rows(DeepGrooveBall)[16];
    EXPECT_EQ(Slot(1).Designation, row17.Text(1));
    EXPECT_EQ(Slot(1).d, static_cast<Real>(row17.RealField(2)));
    EXPECT_EQ(Slot(1).CatRecNo, 17);
    EXPECT_EQ(Slot(1).Clearance, 3);
    EXPECT_GT(Slot(1).L10, 0) << "the slot was calculated";
    EXPECT_TRUE(NoTableOpen());
}

TEST_F(BearingSelection, AFreshSlotOpensOnTheFirstRowOfTheBoreOrOnTheTop)
{
    struct Case {
        TBearingType typ;
        Real dKey;
        Integer opened;
    };
    const Integer bore25 = FirstOfBore(DeepGrooveBall, 25);
    ASSERT_GT(bore25, 0);
    // A full-complement needle bearing is found by its needle ring's bore.
    const Real needleBore = StrToReal(FixedStrPoint(FullComplementNeedleFw(20), 4, 3));
    const Integer needles = FirstOfBore(FullComplementNeedle, needleBore);
    ASSERT_GT(needles, 0) << "nadelv holds the ring of shaft 20";
    for (const Case& c : {Case{DeepGrooveBall, 25, bore25}, Case{DeepGrooveBall, 26.5L, 1},
                          Case{FullComplementNeedle, 20, needles}}) {
        auto browser = Record();
        browser->accept = false;
        bearings::InitBearingSlots();
        settings::AbortFlag = false;
        BearingSelect(c.typ, 4, 1, c.dKey, 100, 0, 10, 1, 2, 1);
        EXPECT_EQ(browser->openedOn, c.opened) << c.dKey;
        if (c.typ == DeepGrooveBall && c.opened == bore25) {
            EXPECT_EQ(Rows(c.typ)[static_cast<std::size_t>(browser->nextInOrder - 1)].RealField(2), 25)
                << "in bore order";
        }
        EXPECT_TRUE(settings::AbortFlag);
    }
}

TEST_F(BearingSelection, TheAutomaticWalkTakesTheWidestRowOfTheBoreThatFits)
{
    testing::ScratchDir dir;
    WriteTestCatalogue(DeepGrooveBall,
                       "BEZ,DI,DA,B,RMIN,Z,DW,TEXT\n"
                       "6004,20,42,12,0.6,9,6.35,a\n"
                       "6204,20,47,14,1,8,7.938,b\n"
                       "6304,20,52,15,1.1,7,9.525,c\n"
                       "6205,25,52,15,1,9,7.938,d\n",
                       dir.Path());
    settings::DbfDir = dir.Path();
    struct Case {
        Real d, B;
        const char* taken; // "" = the slot stays as it was
    };
    // 25/15: the widest row of the bore is the last row of the index; the
    // walk stays on it and does not step back to another bore.
    for (const Case& c : {Case{20, 14, "6204"}, Case{20, 11, "6004"}, Case{20, 16, "6304"}, Case{20, 0, "6004"},
                          Case{25, 15, "6205"}, Case{25, 40, "6205"}, Case{30, 15, ""}}) {
        bearings::InitBearingSlots();
        Slot(2).Designation = "alt";
        settings::ClearMessages();
        settings::CalcErrorFlag = true;
        BearingAutoSelect(DeepGrooveBall, 2, c.d, c.B, 100, 0);
        EXPECT_EQ(Slot(2).Designation, *c.taken ? c.taken : "alt") << c.d << " " << c.B;
        EXPECT_EQ(settings::MessageCount, 0) << "silent";
        EXPECT_EQ(settings::CalcErrorFlag, !*c.taken);
        EXPECT_FALSE(settings::AbortFlag);
        EXPECT_TRUE(NoTableOpen());
    }
    EXPECT_EQ(drive::StdBearingWidth(20), 12) << "the 20/0 case asks for the standard width";

    // A designation from a Windows table is taken with "?" for what OEM
    // text lacks, and the user is told.
    const std::string table = dir.Path() + BearingTableName(DeepGrooveBall) + ".dbf";
    std::string bytes;
    {
        std::ifstream in(table, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes[29] = 0x03;
    bytes.replace(bytes.find("6004"), 12, "1200 Gr\xF6\xDF" "e \x80");
    std::ofstream(table, std::ios::binary | std::ios::trunc) << bytes;
    ui->ClearLog();
    BearingAutoSelect(DeepGrooveBall, 2, 20, 11, 100, 0);
    EXPECT_EQ(Slot(2).Designation, "1200 Gr\x94\xE1" "e ?");
    ASSERT_EQ(ui->Log().size(), 1u);
    EXPECT_NE(ui->Log()[0].find("als \"?\" übernommen"), std::string::npos) << ui->Log()[0];
}

TEST_F(BearingSelection, AMissingTableIsToldAndChangesNothing)
{
    testing::ScratchDir empty;
    settings::DbfDir = empty.Path();
    Slot(3).Designation = "6205";
    const WaelzLagerTyp before = Slot(3);
    BearingSelect(DeepGrooveBall, 3, 1, 25, 100, 0, 10, 1, 2, 1);
    EXPECT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    BearingAutoSelect(DeepGrooveBall, 3, 25, 0, 100, 0);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(ui->Log().size(), 2u);
    EXPECT_TRUE(ErrorShown("Datei " + empty.Path() + "rikula.dbf nicht gefunden oder kein Zugriffsrecht !"));
    EXPECT_TRUE(Slot(3) == before);
    EXPECT_TRUE(NoTableOpen());
}

TEST_F(BearingSelection, EveryCancelLeavesTheSlotAsItsCopyAndNoTableOpen)
{
    // Type choice, browser, clearance choice, X of the entered factors; the
    // browser is answered with another row than the slot's (bore 25).
    const std::string row25 = IntStr(FirstOfBore(DeepGrooveBall, 25));
    struct Case {
        const char* what;
        std::vector<std::string> answers;
    };
    for (const Case& c : {Case{"type choice", {"<cancel>"}}, Case{"Esc in the browser", {"1", "<cancel>"}},
                          Case{"clearance choice", {"1", row25, "<cancel>"}},
                          Case{"X/Y input", {"1", row25, "1", "<cancel>"}}}) {
        bearings::InitBearingSlots();
        settings::AbortFlag = false;
        BearingAutoSelect(DeepGrooveBall, 2, 30, 0, 100, 0);
        ASSERT_EQ(Slot(2).d, 30);
        const WaelzLagerTyp before = Slot(2);
        settings::AbortFlag = false;
        ui->ClearScript();
        for (const auto& a : c.answers)
            ui->Script(a);
        BearingSelect(0, 2, 1, 25, 111, 11, 1111, 1, 2, 1);
        EXPECT_TRUE(settings::AbortFlag) << c.what;
        EXPECT_TRUE(Slot(2) == before) << c.what;
        EXPECT_EQ(ui->PendingAnswers(), 0u) << c.what;
        EXPECT_TRUE(NoTableOpen()) << c.what;
    }
    // The same steps answered: the slot's own row (the browser opens on
    // it), now with C4 factors, and calculated.
    const Integer own = Slot(2).CatRecNo;
    settings::AbortFlag = false;
    Script({"1", "ok", "4"});
    BearingSelect(0, 2, 1, 25, 111, 11, 1111, 1, 2, 1);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(Slot(2).CatRecNo, own);
    EXPECT_EQ(Slot(2).Clearance, 4);
    EXPECT_GT(Slot(2).L10, 0);
    EXPECT_TRUE(NoTableOpen());

    // Browsing only (ShowMode 0 with DatabaseMode 2) takes nothing and
    // closes the table as well.
    settings::DatabaseMode = 2;
    const WaelzLagerTyp before = Slot(2);
    Script({"ok"});
    BearingSelect(DeepGrooveBall, 2, 1, 40, 111, 11, 1111, 0, 2, 1);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(Slot(2) == before);
    EXPECT_TRUE(NoTableOpen());
}

} // namespace
} // namespace kt4::drivetest
