#include "shell/services.h"

#include "foundation/private_temp.h"

namespace kt4::shell {

LaterServices& Services()
{
    static LaterServices services = [] {
        LaterServices s;
        s.exitCleanup = RemovePrivateTempDir;
        return s;
    }();
    return services;
}

void RedrawCurrentView()
{
    if (Services().redrawCurrentView)
        Services().redrawCurrentView();
}

bool CadOutputAvailable() { return static_cast<bool>(Services().drawCadView); }

} // namespace kt4::shell
