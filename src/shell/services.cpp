#include "shell/services.h"

#include "cad/cad_device.h"

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

bool CadOutputAvailable(int device)
{
    static constexpr int fileDevices[] = {1, 2, 4, 5, 6, 7};
    bool file = false;
    for (int d : fileDevices)
        file = file || d == device;
    return file && CadOutputAvailable() && cad::CadDeviceRegistered(static_cast<Word>(device));
}

} // namespace kt4::shell
