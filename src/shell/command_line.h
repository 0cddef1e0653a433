// The program's command line, sorted into what the start-up does with it.
//
//   (none)            the window on the default data
//   ? or /?           the usage text, then end
//   DEMO              the window in tour mode, default files not loaded
//   file /E           the window with file as the (unloaded) current name
//   file /I           the calculated printout beside the file, then end
//   file /CADi:j      a CAD file of view j (i: 1 DXF, 2 IGES, 4 plot,
//                     5 TXT, 6 STL, 7 STEP), then end
//   file /G           the window; the file is not loaded
//   file              the window on the loaded file; so also with any
//                     other parameter 2 ("/g", "/x"); later parameters
//                     are not read
//   "/NOGUI" may follow anywhere: no window is opened and no dialog waits
//   for an answer. With a file alone the run reads and calculates it, tells
//   the calculation's messages on the error output and ends (exit 1 after a
//   fatal error); the modes that only make sense in the window are usage
//   errors then.
#pragma once

#include <string>
#include <vector>

namespace kt4::shell {

enum class StartMode {
    Interactive,      // no parameters
    Usage,            // "?" or "/?"
    Demo,             // "DEMO"
    KeepName,         // file /E
    Printout,         // file /I
    CadFile,          // file /CADi:j
    SkipLoad,         // file /G
    OpenFile,         // file (with anything that is not a switch after it)
    MissingExtension, // file without an extension
    UnknownSwitch,    // "/CAD..." when no such CAD file can be written
};

struct CommandLine {
    StartMode mode = StartMode::Interactive;
    std::string file;    // parameter 1
    int cadDevice = 0;   // i of /CADi:j
    int cadIndex = 0;    // j of /CADi:j (0 when it is no number)
    std::string badSwitch;
    bool noGui = false;  // "/NOGUI" given
};

// Sorts the parameters (without the program name). CAD files are offered
// only when CadAvailable; otherwise "/CAD..." is an unknown switch, as is
// a device the CAD layer cannot write (CadOutputAvailable(device)).
CommandLine ParseCommandLine(const std::vector<std::string>& Params, bool CadAvailable);

// True for the modes that end without a window: usage, printout, CAD file,
// the usage errors and every run with "/NOGUI".
bool RunsWithoutWindow(const CommandLine& Cmd);

// The usage text, 20 lines.
std::vector<std::string> UsageLines();

} // namespace kt4::shell
