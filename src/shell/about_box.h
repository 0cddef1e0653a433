// Help > KT4: the about box TAboutBox with the program's version. The
// texts are made here; the form (gui/about_box_form.h) only shows them.
#pragma once

#include <string>

namespace kt4::shell {

// Display texts of the box.
struct AboutTexts {
    std::string caption;       // ProductName
    std::string productName;   // "Version 1.1 für Linux"
    std::string extended;      // ProgramTitle
    std::string sonderversion; // empty
    std::string fileVersion;   // "File Version : 1.1   (wkt4:64)"
    std::string comments;
    std::string owner;
};
AboutTexts AboutBoxTexts();

// The menu command: the graphics window cleared with the logo, then the
// box (without a window: the texts as a message).
void HelpAboutCommand();

} // namespace kt4::shell
