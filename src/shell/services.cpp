#include "shell/services.h"

namespace kt4::shell {

LaterServices& Services()
{
    static LaterServices services;
    return services;
}

void RedrawCurrentView()
{
    if (Services().redrawCurrentView)
        Services().redrawCurrentView();
}

bool CadOutputAvailable() { return static_cast<bool>(Services().drawCadView); }

} // namespace kt4::shell
