#include "graphics/graph_util.h"

#include "foundation/maths.h"

namespace kt4::graphics {

Integer RoundInt(Real x)
{
    if (!(x == x))
        return 0;
    if (x > 1e9L)
        return 1000000000;
    if (x < -1e9L)
        return -1000000000;
    return Integer(Round(x));
}

} // namespace kt4::graphics
