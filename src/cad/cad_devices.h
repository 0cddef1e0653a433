// The devices of this layer's own formats (cad_device.h has their common
// interface).
#pragma once

#include "cad/cad_device.h"

#include <memory>

namespace kt4::cad {

std::unique_ptr<TCadDevice> MakeDxfDevice();    // mode 1
std::unique_ptr<TCadDevice> MakeScreenDevice(); // mode 3
std::unique_ptr<TCadDevice> MakePlotDevice();   // mode 4
std::unique_ptr<TCadDevice> MakeTxtDevice();    // mode 5
std::unique_ptr<TCadDevice> MakeIgesDevice();   // mode 2
std::unique_ptr<TCadDevice> MakeStlDevice();    // mode 6
std::unique_ptr<TCadDevice> MakeStepDevice();   // mode 7

} // namespace kt4::cad
