// Registers the shell's own forms (TForm_preview, TAboutBox) with the
// menu commands, so the core shows them without knowing Qt. The main
// window calls it when it is created.
#pragma once

namespace kt4::shell::gui {

void InstallShellForms();

} // namespace kt4::shell::gui
