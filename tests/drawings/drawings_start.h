// The start of the drawing tests and benchmarks, with no test framework
// in it: every module the drawings use at its start values, and rows of
// our catalogue sources taken over into a bearing slot.
#pragma once

#include "cad/cad_settings.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_takeover.h"
#include "drive/bearing_types.h"
#include "drive/catalogue_source.h"
#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/helptext.h"
#include "foundation/numstr.h"
#include "foundation/printer_settings.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"

#include <fstream>
#include <sstream>
#include <string>

namespace kt4::drawtest {

// Every module the drawings use at its start values, with the headless
// user interface (quiet).
inline HeadlessUi& StartDrawingModules()
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
    HeadlessUi& ui = UseHeadlessUi();
    ui.quiet = true;
    return ui;
}

// The catalogue source of type Typ (data/catalogues); false when it cannot
// be read.
inline bool ReadCatalogue(TBearingType Typ, catalogue::CatalogueSource& Source)
{
    std::ifstream in(std::string(KT4_DATA_DIR) + "/catalogues/" + BearingTableName(Typ) + ".csv",
                     std::ios::binary);
    std::stringstream csv;
    csv << in.rdbuf();
    return catalogue::ReadCatalogueSource(Typ, csv.str(), Source);
}

// Row, row k (0-based) of type Typ's catalogue, taken over into Slot as the
// catalogue selection does.
inline void TakeOverRow(Word Slot, TBearingType Typ, const catalogue::CatalogueRow& Row, std::size_t k)
{
    CatalogueRecord record(Typ);
    for (int n = 1; n <= record.FieldCount(); ++n)
        record.SetFromText(n, record.Kind(n) == 'S' ? DisplayToOem(Row.Text(n)) : FloatStr(Row.Value(n)));
    record.SetRecNo(static_cast<Integer>(k + 1));
    bearings::CatalogueBuffers[Typ] = record;
    settings::DbfDir = KT4_DATA_DIR; // the load-factor tables
    BearingTakeOver(Slot, Typ, 1000, 0); // a radial load for the X, Y look-up
}

} // namespace kt4::drawtest
