// The session file BaseName + ".cff" in ConfigDir: the data folder and the
// four recently used data files, kept between runs.
//   line 1     DataDir + " Session " + BaseName (not read back)
//   lines 2-5  RecentFiles[1..4], full names, empty lines for free slots
// Names are code page 850 in the file, as every stored text.
#pragma once

#include <string>

namespace kt4::shell {

// AddBackslash(ConfigDir) + BaseName + ".cff"
std::string SessionFileName();

// Writes the file when RecentFiles[1] is not empty (else an old file
// stays). The file is replaced whole or not at all; a name that code page
// 850 cannot hold is left out rather than stored garbled.
void WriteSessionFile();
// Reads the four entries; a file that cannot be opened clears them.
void ReadSessionFile();

} // namespace kt4::shell
