// Folder, file, program and font names as the configuration and session
// files keep them: UTF-8 in the program (what the file system takes), code
// page 850 in the files.
#pragma once

#include <string>

namespace kt4::shell {

// The name in code page 850.
std::string NameToFile(const std::string& Name);
// A name read from a file, converted plainly (whatever CharConversion says
// for texts on the screen).
std::string NameFromFile(const std::string& Oem);
// True when the name comes back unchanged from the file.
bool NameStorable(const std::string& Name);

} // namespace kt4::shell
