// Rounding of world values to pixels for the graphics window.
#pragma once

#include "foundation/types.h"

namespace kt4::graphics {

// Nearest integer, halves to the even neighbour; clamped to +-1e9 so that
// a far-off world point never overflows a pixel value.
Integer RoundInt(Real x);

} // namespace kt4::graphics
