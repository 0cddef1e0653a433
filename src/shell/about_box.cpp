#include "shell/about_box.h"

#include "foundation/codepage.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "graphics/graph_device.h"
#include "shell/menu_commands.h"

namespace kt4::shell {

using namespace settings;

AboutTexts AboutBoxTexts()
{
    AboutTexts t;
    t.caption = OemToDisplay(ProductName);
    t.productName = "Version " + ProgramVersion + " für Linux";
    t.extended = OemToDisplay(ProgramTitle);
    t.fileVersion = "File Version : " + GetFileVersion("") + "   (wkt4:" +
                    std::to_string(sizeof(void*) * 8) + ")";
    t.comments = "Berechnung von Exzentergetrieben: Geometrie, Kräfte, Spannungen und "
                 "Lebensdauer der Wälzlager, Ausdruck, Zeichnungen, CAD- und STL-Dateien.";
    t.owner = "Velmora Getriebetechnik";
    return t;
}

void HelpAboutCommand()
{
    AbortFlag = false;
    graphics::GraphDevice.Clear();
    graphics::GraphDevice.DrawLogo();
    if (FormServices().aboutBox) {
        FormServices().aboutBox();
        return;
    }
    const AboutTexts t = AboutBoxTexts();
    Ui().MessageBox(t.caption, t.extended + "\n" + t.productName + "\n" + t.fileVersion + "\n\n" +
                                   t.comments + "\n" + t.owner,
                    BoxKind::Message);
}

} // namespace kt4::shell
