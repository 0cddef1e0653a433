#include "foundation/fontstyle.h"

#include <array>

namespace kt4 {

namespace {

struct StyleWord {
    FontStyleBit bit;
    const char* word;
};

constexpr std::array<StyleWord, 4> StyleWords{{
    {FontBold, "bold"},
    {FontItalic, "italic"},
    {FontUnderline, "underline"},
    {FontStrikeOut, "strikeout"},
}};

} // namespace

Word FontStyleToCode(FontStyleSet Styles) { return static_cast<Word>(Styles & 15u); }

void CodeToFontStyle(Word Code, FontStyleSet& Styles)
{
    if (Code <= 15)
        Styles = Code;
}

void FontStyleName(Word Code, std::string& Text)
{
    if (Code > 15)
        return;
    Text.clear();
    for (const auto& s : StyleWords) {
        if ((Code & s.bit) == 0)
            continue;
        if (!Text.empty())
            Text += ' ';
        Text += s.word;
    }
}

} // namespace kt4
