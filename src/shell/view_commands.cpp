// The menu commands that draw: View (the animation too), CAD and STL, and
// the manual of the Help menu. Each clears AbortFlag first; the drawings are reached through
// Services().drawCadView, so the items are offered only when the
// drawings are there.
#include "shell/menu_commands.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "drawings/animation.h"
#include "drawings/part_drawings.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "shell/services.h"

#include <map>

namespace kt4::shell {

using namespace settings;

namespace {

struct ViewItem {
    int view;
    int device; // 0: the CAD output dialog, 3: the screen
    int mode;   // CAD mode preset before the view (0: none)
    bool gearMessage;
};

// View, CAD and STL items by name.
const std::map<std::string, ViewItem>& ViewItems()
{
    static const std::map<std::string, ViewItem> items = {
        {"mi_viewQuick", {1, 3, 0, false}},
        {"mi_viewzeichnung", {3, 3, 0, false}},
        {"mi_viewWolf", {21, 3, 0, false}},
        {"mi_cadQuick", {1, 0, 0, false}},
        {"mi_cadTabelle", {3, 0, 0, false}},
        {"mi_cadzeichnung", {3, 0, 0, false}},
        {"mi_stlRolle", {7, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelabtrgeschlossenvoll", {8, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelabtrieboffenvoll", {15, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelabtriebgeschlossenduenn", {16, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelabtrieboffenduenn", {19, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelantrgeschlossenvoll", {9, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelantroffenvoll", {17, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelantrgeschlossenduenn", {18, 0, cad::cmStl, false}},
        {"mi_stllagerdeckelantrieboffenduenn", {20, 0, cad::cmStl, false}},
        {"mi_stldistanzscheibeabtriebvoll", {14, 0, cad::cmStl, false}},
        {"mi_stldistanzscheibeabtriebduenn", {22, 0, cad::cmStl, false}},
        {"mi_stlExzenterwelle", {10, 0, cad::cmStl, false}},
        {"mi_stlAbtriebswelle", {11, 0, cad::cmStl, false}},
        {"mi_stlReibrad", {12, 0, cad::cmScreen, true}},
        {"mi_stlHohlrad", {13, 0, cad::cmScreen, true}},
    };
    return items;
}

// A design the calculation refused shows only its messages, the gear
// wheels' note not before them.
void DrawItem(const ViewItem& item)
{
    AbortFlag = false;
    if (item.gearMessage && !CalcErrorFlag)
        MessageText("Use QOV1+ to generate involute gear wheel");
    if (item.mode != 0)
        cad::c_setmode(static_cast<Word>(item.mode));
    Services().drawCadView(item.view, item.device);
}

} // namespace

void OutputDiskCommand()
{
    AbortFlag = false;
    MessageText(drawings::OutputDiskMessage());
}

void AnimationCommand()
{
    AbortFlag = false;
    drawings::RunAnimation(1);
}

void HandbookCommand()
{
    AbortFlag = false;
    const std::string path = AddBackslash(ManualDir) + BaseName + ".htm";
    CheckFileReadable(path);
    if (AbortFlag)
        return;
    const bool started = HtmlBrowser.empty() ? Ui().OpenDocument(path) : Ui().StartProgram(HtmlBrowser, {path});
    if (!started) {
        ErrorBox(DisplayToOem(HtmlBrowser.empty() ? "Handbuch " + path + " kann nicht geöffnet werden !"
                                                  : "Programm \"" + HtmlBrowser + "\" kann nicht gestartet werden !"));
        AbortFlag = true;
    }
}

std::function<void()> ViewMenuCommand(const std::string& ItemName)
{
    if (ItemName == "mi_helphandbuch")
        return HandbookCommand;
    if (!Services().drawCadView)
        return {};
    if (ItemName == "mi_Abtriebscheibe")
        return OutputDiskCommand;
    if (ItemName == "mi_viewanimation")
        return AnimationCommand;
    auto it = ViewItems().find(ItemName);
    if (it == ViewItems().end())
        return {};
    const ViewItem item = it->second;
    return [item] { DrawItem(item); };
}

} // namespace kt4::shell
