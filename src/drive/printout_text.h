// Report texts written in the source as display text (UTF-8) and stored,
// like every report line, in the OEM code page.
#pragma once

#include "foundation/codepage.h"

#include <string>

namespace kt4::drive {

inline std::string Oem(const std::string& displayText) { return DisplayToOem(displayText); }

} // namespace kt4::drive
