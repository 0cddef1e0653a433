// Font styles coded as numbers 0..15 for the configuration file: the sum
// of bold 1, italic 2, underline 4 and strikeout 8.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4 {

enum FontStyleBit : unsigned {
    FontBold = 1,
    FontItalic = 2,
    FontUnderline = 4,
    FontStrikeOut = 8,
};
using FontStyleSet = unsigned; // FontStyleBit values or-ed together

Word FontStyleToCode(FontStyleSet Styles);
// A Code above 15 leaves Styles unchanged.
void CodeToFontStyle(Word Code, FontStyleSet& Styles);
// "" for 0, else the words "bold", "italic", "underline", "strikeout" in
// this order, separated by one blank; a Code above 15 leaves Text as it is.
void FontStyleName(Word Code, std::string& Text);

} // namespace kt4
