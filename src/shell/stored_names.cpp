#include "shell/stored_names.h"

#include "foundation/codepage.h"
#include "foundation/settings.h"

namespace kt4::shell {

std::string NameToFile(const std::string& Name) { return DisplayToOem(Name); }

std::string NameFromFile(const std::string& Oem)
{
    Word saved = settings::CharConversion;
    settings::CharConversion = 0;
    std::string name = OemToDisplay(Oem);
    settings::CharConversion = saved;
    return name;
}

bool NameStorable(const std::string& Name) { return OemMissingChars(Name).empty(); }

} // namespace kt4::shell
