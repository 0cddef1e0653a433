// Texts between the stored OEM code page (850) and what the user sees.
//
// Stored texts (messages, labels, help, project and report files) are OEM
// bytes in std::string. The screen and the display copies of reports take
// UTF-8. CAD files take single-byte Windows text (code page 1252). Every
// conversion handles texts of any length; a character that the target
// cannot hold becomes "?" (box lines become "-", "|" or "+" in CP1252).
#pragma once

#include <iconv.h>
#include <string>

namespace kt4 {

// Stored OEM text to UTF-8. With CharConversion 1 the text is first made
// plain ASCII (OemToAscii) and then the program's own table applies, where
// a stored "|" stands for "ã" and box lines become "-", "|" and "+".
std::string OemToDisplay(const std::string& S);
// UTF-8 back to OEM.
std::string DisplayToOem(const std::string& S);
// Where the conversion to OEM gets its iconv descriptor: iconv_open by
// default; a test puts one in place that fails, as in a run without a
// descriptor left, when the compiled-in table converts.
using IconvOpener = iconv_t (*)(const char* To, const char* From);
IconvOpener& IconvOpenSource();
// The characters of a UTF-8 text that OEM cannot hold (they would not come
// back as they were), each once, in their order, between blanks: "Ω 漢";
// empty when the whole text can be stored.
std::string OemMissingChars(const std::string& S);

// The same pair for CAD text: OEM <-> Windows code page 1252.
std::string OemToCp1252(const std::string& S);
std::string Cp1252ToOem(const std::string& S);

// Umlauts, accents, "ß", "µ", "±", "°", "²" and the horizontal box lines
// spelt out in ASCII ("ü" -> "ue", "°" -> "deg"); other bytes stay.
std::string OemToAscii(const std::string& S);

// A text as written into a CAD file, by CadTextMode: 1 as stored, 2 in
// Windows text (OemToCp1252), 3 plain ASCII, any other as stored.
std::string CadText(const std::string& S);

} // namespace kt4
