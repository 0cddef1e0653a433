#include "shell/modules.h"

#include "cad/cad_settings.h"
#include "dbase/access/table_access.h"
#include "dbase/dataset/dataset.h"
#include "dbase/engine/runtime.h"
#include "dbase/expr/expr.h"
#include "dbase/memo/memo.h"
#include "dbase/ndx/ndx.h"
#include "dbase/vfile/vfile.h"
#include "drawings/view_dispatcher.h"
#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/dialog_fields.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "drive/drive_data.h"
#include "drive/sibling_gear.h"
#include "drive/sibling_shaft.h"
#include "foundation/captions.h"
#include "foundation/dialogs.h"
#include "foundation/helptext.h"
#include "foundation/printer_settings.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "graphics/hpgl.h"
#include "shell/config_file.h"
#include "shell/languages.h"
#include "shell/project_files.h"
#include "shell/services.h"

namespace kt4::shell {

void InitModules()
{
    // foundation
    settings::InitSettings();
    captions::InitCaptions();
    printer::InitPrinterSettings();
    dialogs::InitDialogs();
    help::InitHelp();
    report::InitReport();
    // table engine
    dbase::InitEngine();
    dbase::InitExpressions();
    dbase::IndexInit();
    dbase::MemoInit();
    dbase::VFilesInit();
    dbase::InitDatasets();
    dbase::InitTableAccess();
    // drive data, bearings, documentation, sibling files
    drive::InitDriveData();
    bearings::InitBearingSlots();
    InstallCatalogueSelection();
    docu::InitDocuTexts();
    docu::InitDocuData();
    docu::InitDocumentLinks();
    gear::InitGearStrengthData();
    shaft::AllocShaftData();
    // graphics and CAD
    graphics::InitGraphSettings();
    graphics::InitHpgl();
    cad::InitCadSettings();
    // shell
    InitLanguages();
    InitShellConfig();
    SetSavedValues(std::nullopt);
    // the drawings of the views
    Services().drawCadView = [](int view, int device) {
        drawings::DrawView(static_cast<Word>(view), static_cast<Word>(device));
    };
    Services().redrawCurrentView = drawings::RedrawCurrentView;
    drive::dialogs::RedrawHook() = drawings::RedrawCurrentView; // the input dialogs' Calc
}

} // namespace kt4::shell
