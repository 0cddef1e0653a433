#include "shell/gui/shell_forms_qt.h"

#include "shell/gui/about_box_form.h"
#include "shell/gui/preview_form.h"
#include "shell/menu_commands.h"
#include "shell/preview_grid.h"

#include <memory>

namespace kt4::shell::gui {

void InstallShellForms()
{
    MenuForms& forms = FormServices();
    // The form lives as long as its grid: shown again, it keeps the
    // user's column widths.
    forms.preview = [](PreviewGrid& grid) {
        if (!grid.View)
            grid.View = std::make_shared<TForm_preview>();
        static_cast<TForm_preview*>(grid.View.get())->ShowGrid(grid);
    };
    forms.aboutBox = [] {
        TAboutBox box;
        box.exec();
    };
}

} // namespace kt4::shell::gui
