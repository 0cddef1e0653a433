// The program's surroundings: environment variables, the command line and
// the version of the program file.
#pragma once

#include <string>
#include <vector>

namespace kt4 {

namespace environment {
// The command-line parameters without the program name; the program entry
// sets them (SetCommandLine).
extern std::vector<std::string> CommandLineParams;
} // namespace environment

void SetCommandLine(int argc, const char* const* argv);

// Opens each of the standard descriptors 0, 1 and 2 that is closed on
// /dev/null (0 for reading, 1 and 2 for writing). Called first at the
// start, before any file is opened: no file of the program may get one of
// those numbers, or a message meant for the terminal would land in it.
// False when one of them stays closed (no /dev/null to open).
bool OpenClosedStandardDescriptors();

// The variable's value, at most 255 characters; "" when it is not defined.
std::string GetEnvVar(const std::string& Name);
// True when a parameter equals Switch, both in upper case.
bool HasParam(const std::string& Switch);

// "major.minor", then ".release" when release > 0 and ".build" when also
// build > 0 (1.1.0.0 -> "1.1", 2.0.3.4 -> "2.0.3.4", 2.0.0.4 -> "2.0").
std::string FormatFileVersion(int Major, int Minor, int Release, int Build);
// The version of a program file: our own program (an empty name, "wkt4" or
// the historic "Wkt4.exe") has the build's version; any other file has no
// version information and gives "0".
std::string GetFileVersion(const std::string& FileName);

// The highest text printer port the configuration offers.
inline int MaxPrinterPort() { return 3; }

} // namespace kt4
