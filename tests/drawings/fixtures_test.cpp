// The two fixture projects are files the program writes itself: x.kt4 the
// default drive, y.kt4 the default drive with deep-groove ball bearings in
// slots 1, 2 and 4, taken over from our catalogue source. Each is written
// here and compared byte for byte with the file in tests/drawings/fixtures
// (KT4_UPDATE_FIXTURES=1 writes those instead).
#include "drawings_fixture.h"

#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_takeover.h"
#include "drive/catalogue_source.h"
#include "foundation/codepage.h"
#include "foundation/numstr.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kt4::drawtest {
namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The catalogue row of a deep-groove ball bearing taken over into Slot.
void TakeDeepGrooveRow(Word Slot, const std::string& Designation)
{
    catalogue::CatalogueSource source;
    ASSERT_TRUE(catalogue::ReadCatalogueSource(
        1, ReadAll(std::string(KT4_DATA_DIR) + "/catalogues/rikula.csv"), source));
    for (std::size_t k = 0; k < source.rows.size(); ++k) {
        const catalogue::CatalogueRow& row = source.rows[k];
        if (row.Text(1) != Designation)
            continue;
        CatalogueRecord record(1);
        for (int n = 1; n <= record.FieldCount(); ++n)
            record.SetFromText(n, record.Kind(n) == 'S' ? DisplayToOem(row.Text(n)) : FloatStr(row.Value(n)));
        record.SetRecNo(static_cast<Integer>(k + 1));
        bearings::CatalogueBuffers[1] = record;
        BearingTakeOver(Slot, 1, 0, 0);
        return;
    }
    FAIL() << Designation << " is not in rikula.csv";
}

void CatalogueDrive()
{
    using namespace drive;
    settings::DbfDir = KT4_DATA_DIR; // the load-factor tables
    d1 = 8;
    deLg1 = 22;
    bLg1 = 7;
    dexz = 5;
    diw = 16;
    bP = 5;
    d2 = 12;
    deLg4 = 28;
    bLg45 = 8;
    TakeDeepGrooveRow(1, "608");
    TakeDeepGrooveRow(2, "625");
    TakeDeepGrooveRow(4, "6001");
    docu::ZeichNr = "KT4-Y";
    docu::ZeichName = "Exzentergetriebe";
    docu::ZeichName2 = "Rillenkugellager";
    settings::RemarkLines = {"Lager 608, 625 und 6001 aus rikula", "",
                             DisplayToOem("Zeichnungsprüfung")};
}

class Fixtures : public DrawingsTest {};

TEST_F(Fixtures, AreWrittenByTheProgram)
{
    struct Fixture {
        const char* name;
        void (*values)();
    };
    const Fixture fixtures[] = {{"x", [] {}}, {"y", CatalogueDrive}};
    const bool update = std::getenv("KT4_UPDATE_FIXTURES") != nullptr;
    for (const Fixture& f : fixtures) {
        drive::InitDriveData();
        bearings::InitBearingSlots();
        docu::InitDocuData();
        settings::RemarkLines = {"", "", ""};
        f.values();
        const std::string written = dir.File(std::string(f.name) + ".kt4");
        ASSERT_TRUE(project::WriteDataFile(written)) << f.name;
        if (update)
            std::filesystem::copy_file(written, FixturePath(f.name),
                                       std::filesystem::copy_options::overwrite_existing);
        EXPECT_EQ(ReadAll(written), ReadAll(FixturePath(f.name))) << f.name << " differs from what the program writes";
    }
    LoadFixture("y");
    for (Word slot : {1, 2, 4})
        EXPECT_TRUE(BearingSlotUsed(slot)) << slot;
    EXPECT_EQ(bearings::BearingSlots[1].d, drive::d1);
    EXPECT_EQ(bearings::BearingSlots[2].d, drive::dexz);
    EXPECT_EQ(bearings::BearingSlots[4].d, drive::d2);
    EXPECT_GT(bearings::BearingSlots[4].D1(), bearings::BearingSlots[4].d1());
}

} // namespace
} // namespace kt4::drawtest
