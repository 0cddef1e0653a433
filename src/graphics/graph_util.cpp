#include "graphics/graph_util.h"

#include <cmath>

namespace kt4::graphics {

Integer RoundInt(Real x)
{
    if (!(x == x))
        return 0;
    if (x > 1e9L)
        return 1000000000;
    if (x < -1e9L)
        return -1000000000;
    // the default rounding mode rounds halves to the even neighbour; this
    // is the hot path of every repaint, so no nearbyint
    return Integer(std::llrintl(x));
}

} // namespace kt4::graphics
