// What closing the main window removes: the process's private temporary
// folder (foundation/private_temp.h) with the CAD layer's block files and
// every other file of this run in it. Nothing in TempDir itself is
// touched: templates such as "$LOGO_2.dx$" and other programs' files stay.
#pragma once

namespace kt4::shell {

// AbortFlag := False, the status text, the removal; always True (the
// window may close).
bool ExitCleanup();

} // namespace kt4::shell
