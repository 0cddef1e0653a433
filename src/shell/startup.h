// The program's start: reading the configuration and session files, the
// command line with its batch modes, the default data files, the first
// calculation and the start picture. The window steps around it (menus,
// graphics device, window size, language) belong to the main window; the
// batch modes run the same core steps without a window.
#pragma once

#include <string>

namespace kt4::shell {

// The product code this program starts with.
inline constexpr int ProductCode = 8;

struct StartResult {
    bool end = false;  // the program ends now (batch mode, usage, refusal)
    int exitCode = 0;  // 0 done, 1 nothing written, 2 usage error
    // A DEMO start: the tour's introduction (TourStart) is due once the
    // main window is up, as from the menu.
    bool tourIntro = false;
};

// The steps of the main window's creation that need no window: program
// identity, default 3-D view angles (0, 90 and -75 degrees), configuration
// file, session file; AbortFlag is clear afterwards.
void ReadStartFiles();

// The start-up routine on the command line in environment::
// CommandLineParams. Batch modes and usage errors end here (result.end).
StartResult StartUp(int Code);

// A message (stored text) for the window to tell once it is up, given
// once: why the drawing of the project named on the command line failed;
// "" when there is none.
std::string TakeStartMessage();

// The tour's introduction of a DEMO start, once the main window is up. A
// Cancel there ends the tour mode, and the start then loads the default
// files and calculates as one without "DEMO" does.
void DemoStartIntroduction(int Code);

// The view that "/CADi:j" draws: j when it names a view with content (1,
// 3, 7 to 22), else the overview page 1.
int CadViewOfIndex(int J);
// View CadViewOfIndex(J) on CAD device I (the view dispatcher's DrawView).
void RunCommandLineCad(int I, int J);

// A hook without effect that callers run before each record allocation.
void AllocHook();

} // namespace kt4::shell
