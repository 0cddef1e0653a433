// Time of the overview page on the screen device with roller and ball
// bearings of five types in the slots (every redraw after an input change
// draws it), and of the animation list of the default drive, 360 images
// per turn.
#include "cad/cad_device.h"
#include "cad/cad_settings.h"
#include "drawings/animation.h"
#include "drawings/view_dispatcher.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_takeover.h"
#include "drive/catalogue_source.h"
#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/helptext.h"
#include "foundation/numstr.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kt4;

namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch()
    {
        std::string base = (fs::temp_directory_path() / "kt4bench.XXXXXX").string();
        if (::mkdtemp(base.data()))
            path_ = base + "/";
    }
    ~Scratch()
    {
        RemovePrivateTempDir();
        if (!path_.empty())
            fs::remove_all(path_);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

void StartModules(const std::string& temp)
{
    settings::InitSettings();
    printer::InitPrinterSettings();
    dialogs::InitDialogs();
    help::InitHelp();
    report::InitReport();
    drive::InitDriveData();
    bearings::InitBearingSlots();
    docu::InitDocuTexts();
    docu::InitDocuData();
    graphics::InitGraphSettings();
    cad::InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = temp;
    settings::DataDir = temp;
    settings::DbfDir = KT4_DATA_DIR;
    settings::CurrentFileName = temp + "bench";
}

// The catalogue row Designation of type Typ, taken over into Slot.
bool TakeRow(Word Slot, TBearingType Typ, const std::string& Designation)
{
    std::ifstream in(std::string(KT4_DATA_DIR) + "/catalogues/" + BearingTableName(Typ) + ".csv");
    std::stringstream csv;
    csv << in.rdbuf();
    catalogue::CatalogueSource source;
    catalogue::ReadCatalogueSource(Typ, csv.str(), source);
    for (std::size_t k = 0; k < source.rows.size(); ++k) {
        const catalogue::CatalogueRow& row = source.rows[k];
        if (row.Text(1) != Designation)
            continue;
        CatalogueRecord record(Typ);
        for (int n = 1; n <= record.FieldCount(); ++n)
            record.SetFromText(n, record.Kind(n) == 'S' ? DisplayToOem(row.Text(n)) : FloatStr(row.Value(n)));
        record.SetRecNo(static_cast<Integer>(k + 1));
        bearings::CatalogueBuffers[Typ] = record;
        BearingTakeOver(Slot, Typ, 1000, 0);
        return true;
    }
    return false;
}

void BM_OverviewWithRollerBearings(benchmark::State& state)
{
    Scratch scratch;
    StartModules(scratch.Path());
    const std::pair<TBearingType, const char*> slots[] = {
        {SphericalRoller, "22205"}, {TaperedRoller, "30205"}, {SelfAligningBall, "1205"},
        {DoubleRowAngularContact, "3205"}, {CylindricalRoller, "NU 205"}};
    for (Word k = 1; k <= BearingSlotCount; ++k)
        if (!TakeRow(k, slots[k - 1].first, slots[k - 1].second)) {
            state.SkipWithError("catalogue row missing");
            return;
        }
    drive::CalcDrive();
    for (auto _ : state)
        drawings::DrawView(1, cad::cmScreen);
    state.counters["records"] = static_cast<double>(graphics::GraphDevice.Window().DisplayList().Count());
}
BENCHMARK(BM_OverviewWithRollerBearings)->Unit(benchmark::kMillisecond);

void BM_AnimationList360(benchmark::State& state)
{
    Scratch scratch;
    StartModules(scratch.Path());
    drive::CalcDrive();
    for (auto _ : state)
        drawings::DrawAnimation({360, 1, 0, false}, cad::cmScreen);
    state.counters["records"] = static_cast<double>(graphics::GraphDevice.Window().DisplayList().Count());
}
BENCHMARK(BM_AnimationList360)->Unit(benchmark::kMillisecond);

} // namespace
