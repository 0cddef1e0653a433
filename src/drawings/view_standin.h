// The drawing of a view on an output device, as far as it exists: the
// page of the default frame with its tables section and empty blocks and
// entities sections. Every view is drawn as that page until the drawings
// of the drive take its place.
#pragma once

#include "foundation/types.h"

namespace kt4::drawings {

// With a failed calculation the messages are told (a dialog in the
// window, the error output without one) and no job is opened.
void DrawViewStandIn(Word view, Word device);

} // namespace kt4::drawings
