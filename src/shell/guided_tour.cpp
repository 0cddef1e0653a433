#include "shell/guided_tour.h"

#include "drive/bearing_types.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/settings.h"
#include "foundation/tour.h"
#include "foundation/ui_service.h"
#include "shell/menu_commands.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/window_link.h"

namespace kt4::shell {

using namespace settings;

namespace {

constexpr const char* IntroText =
    "Die Tour stellt die Möglichkeiten von KT4 für Exzentergetriebe vor: Hilfebilder, "
    "Projekttexte, Vorauslegung, Geometrie und Antriebsdaten, CAD-Ausgabe, Ausdruck, "
    "Animation und STL-Dateien der Einzelteile, am Beispiel eines kleinen Getriebes.";
constexpr const char* ContinueText = "Mit <OK> oder ENTER-Taste wird weitergeschaltet.";

// A tour text (display text) with OK and Cancel; Cancel sets AbortFlag.
void TourBox(const std::string& Text)
{
    if (!Ui().OkCancelBox(OemToDisplay(ProductName), Text))
        AbortFlag = true;
}

// After a Cancel: asks whether to end the tour. True when it ends.
bool TourEnds()
{
    if (!AbortFlag)
        return false;
    if (YesNoCancelBox("Demomodus beenden ?")) {
        DemoRunning = false;
        AbortFlag = true;
        return true;
    }
    AbortFlag = false;
    return false;
}

void RunItem(const std::string& Item)
{
    if (auto command = TourCommandLookup()(Item))
        command();
}

} // namespace

const std::vector<std::vector<std::string>>& TourCommandItems()
{
    static const std::vector<std::vector<std::string>> items = {
        {"mi_HelpHilfebild"},
        {"mi_editText"},
        {"mi_editvorauslegung"},
        {"mi_editGeometrie"},
        {"mi_editantrieb"},
        {"mi_cadQuick"},
        {"mi_viewausdruck"},
        {"mi_viewanimation"},
        {"mi_viewQuick", "mi_stlAbtriebswelle"},
    };
    return items;
}

std::function<std::function<void()>(const std::string&)>& TourCommandLookup()
{
    static std::function<std::function<void()>(const std::string&)> lookup = MenuCommand;
    return lookup;
}

void TourStart()
{
    TourBox(std::string(IntroText) + "\n\n" + ContinueText);
    if (AbortFlag)
        DemoRunning = false;
}

void TourStep(int& Step)
{
    if (TourEnds())
        return;
    ++Step;
    char cmd1 = ' ', cmd2 = ' '; // read, not used: the steps run in a fixed order
    std::string text;
    ReadDemoStep(Step, cmd1, cmd2, text);
    TourBox(OemToDisplay(text));
    TourEnds();
}

void RunGuidedTour()
{
    AbortFlag = false;
    AskSaveChanges();
    if (AbortFlag) {
        DemoRunning = false;
        return;
    }
    DemoRunning = true;
    CurrentFileName.clear();
    FileNameHasDir = false;
    UpdateWindowCaption();
    // The demo drive alone: no bearing, text or documentation of the
    // project before stays with it.
    bearings::InitBearingSlots();
    DropProjectDocumentation();
    docu::ClearRemarkLines();
    docu::ZeichNr.clear();
    docu::ZeichName.clear();
    docu::ZeichName2.clear();
    drive::LoadDemoDriveData();
    drive::CalcDrive();
    Window().UpdateErrorMessagesItem(true);
    RedrawCurrentView();

    int step = 0;
    TourStart();
    if (!AbortFlag)
        TourStep(step);
    for (const auto& items : TourCommandItems()) {
        if (AbortFlag)
            break;
        for (const auto& item : items)
            if (!AbortFlag)
                RunItem(item);
        TourStep(step);
    }
    DemoRunning = false;
}

} // namespace kt4::shell
