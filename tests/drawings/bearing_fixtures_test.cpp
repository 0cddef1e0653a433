// The fixture projects bearings_1..3.kt4 hold one bearing of every type
// between them, taken over from our catalogue sources into the five slots
// of the default drive. Each is written here and compared byte for byte
// with the file in tests/drawings/fixtures (KT4_UPDATE_FIXTURES=1 writes
// those instead). tests/drawings/extra.sh writes their CAD files.
#include "section_helpers.h"

#include <cstdlib>
#include <filesystem>
#include <set>

namespace kt4::drawtest {
namespace {

struct Pick {
    TBearingType typ;
    const char* designation;
};

// Slots 1..5 of each fixture.
const Pick Fixtures[3][5] = {
    {{DeepGrooveBall, "6204"}, {SelfAligningBall, "1205"}, {NeedleBush, "HK 2016"},
     {NeedleNoInnerRing, "RNA 4904"}, {CylindricalRoller, "NU 205"}},
    {{TaperedRoller, "30205"}, {SphericalRoller, "22205"}, {AngularContactBall, "7205 B"},
     {DoubleRowAngularContact, "3205"}, {NeedleCage, "K 25x29x10"}},
    {{FullComplementRoller, "NCF 2205 V"}, {FullComplementNeedle, "NV 25"}, {CylindricalRoller, "NJ 205"},
     {CylindricalRoller, "NUP 205"}, {DoubleRowAngularContact, "3305"}},
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class BearingFixtures : public DrawingsTest {};

TEST_F(BearingFixtures, AreWrittenByTheProgramFromCatalogueRows)
{
    const bool update = std::getenv("KT4_UPDATE_FIXTURES") != nullptr;
    std::set<TBearingType> types;
    for (int k = 0; k < 3; ++k) {
        const std::string name = "bearings_" + std::to_string(k + 1);
        drive::InitDriveData();
        bearings::InitBearingSlots();
        docu::InitDocuData();
        settings::RemarkLines = {"Lagerschnitte aus den Katalogen", "", ""};
        docu::ZeichNr = "KT4-L" + std::to_string(k + 1);
        docu::ZeichName = "Exzentergetriebe";
        docu::ZeichName2 = "Lagerschnitte";
        for (Word slot = 1; slot <= BearingSlotCount; ++slot) {
            const Pick& p = Fixtures[k][slot - 1];
            TakeRow(slot, p.typ, p.designation);
            types.insert(p.typ);
        }
        const std::string written = dir.File(name + ".kt4");
        ASSERT_TRUE(project::WriteDataFile(written)) << name;
        if (update)
            std::filesystem::copy_file(written, FixturePath(name), std::filesystem::copy_options::overwrite_existing);
        EXPECT_EQ(ReadAll(written), ReadAll(FixturePath(name))) << name << " differs from what the program writes";

        LoadFixture(name);
        for (Word slot = 1; slot <= BearingSlotCount; ++slot) {
            const WaelzLagerTyp& b = bearings::BearingSlots[slot];
            EXPECT_EQ(b.Typ, Fixtures[k][slot - 1].typ) << name << " " << slot;
            EXPECT_EQ(OemToDisplay(b.Designation), Fixtures[k][slot - 1].designation) << name << " " << slot;
        }
        // the overview page defines every bearing block with its section
        const std::vector<Call>& calls = Record(1);
        for (Word slot = 1; slot <= BearingSlotCount; ++slot) {
            std::vector<Call> block;
            for (const Call& c : calls)
                if (c.block == drawings::BearingBlockName(slot))
                    block.push_back(c);
            EXPECT_GT(Polylines(block).size() + Only(block, "circle").size(), 1u) << name << " " << slot;
            EXPECT_EQ(Texts(block), std::vector<std::string>{bearings::BearingSlots[slot].Designation}) << name;
        }
    }
    EXPECT_EQ(types.size(), std::size_t(BearingTypeCount));
}

} // namespace
} // namespace kt4::drawtest
