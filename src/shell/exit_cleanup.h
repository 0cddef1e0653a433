// What closing the main window removes: the process's private temporary
// folder (foundation/private_temp.h) with the CAD layer's block files and
// every other file of this run in it. Nothing in TempDir itself is
// touched: templates such as "$LOGO_2.dx$" and other programs' files stay.
//
// SIGTERM, SIGINT and SIGHUP end the program through this clean-up too.
// The signal handler only passes the signal on to a thread of its own,
// which runs the action set for it, so that the action may do what any
// code may. Without an action (batch runs) the temporaries of the open
// writers and the private folder are removed and the process ends with
// exit code 1; the window program notes a signal until its window exists,
// then sets an action that closes it as the user would, without questions.
#pragma once

#include <functional>

namespace kt4::shell {

// AbortFlag := False, the status text, the removal; always True (the
// window may close).
bool ExitCleanup();

// Installs the handler for the three signals, once, before any other
// thread is started. A signal the program was started with ignored
// (nohup) stays ignored. When the signal thread cannot be started, the
// three keep their default action. SIGXFSZ and SIGPIPE are caught and do nothing: a
// write beyond the file-size limit fails (EFBIG) and is told; a message to
// an output nobody reads is lost (EPIPE), and the run goes on.
void InstallExitSignals();
// The action for those signals from now on (run on the signal thread); an
// empty one restores the default.
void SetExitSignalAction(std::function<void()> Action);
// True once one of them has arrived.
bool ExitSignalReceived();

} // namespace kt4::shell
