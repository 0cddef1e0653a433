// Menu captions that windows of the foundation read when they are created
// (the text viewer's menus). The shell's language switch sets them; they
// start with the German texts. Captions are display texts (UTF-8).
#pragma once

#include <string>

namespace kt4::captions {

extern std::string CaptionFile;
extern std::string CaptionPrint;
extern std::string CaptionExit;
extern std::string CaptionEdit;
extern std::string CaptionSelectAll;
extern std::string CaptionCopy;

void InitCaptions();

} // namespace kt4::captions
