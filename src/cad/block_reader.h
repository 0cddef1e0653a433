// The DXF block reader: replays a block file through the c_ operations
// with the insert's offset, rotation and scales applied. It reads LINE,
// CIRCLE, ARC, TEXT, SOLID, POLYLINE with VERTEX and SEQEND, LWPOLYLINE
// and INSERT (up to four files deep); of a whole DXF file written by a
// CAD program it replays the ENTITIES section. Each file is parsed once
// and kept (block_cache.h).
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::cad {

inline constexpr Integer MaxBlockLevel = 4;
inline constexpr Integer MaxLwVertices = 100000;

// Replays block Name inserted at (X, Y) under the current transform,
// turned by Angle degrees and scaled by ScaleX, ScaleY. The transform and
// level are restored on every return.
void ReplayDxfBlock(const std::string& Name, Real X, Real Y, Real Angle, Real ScaleX, Real ScaleY);

// The file of block Name, whatever the case of its name: the private
// block folder, and for the logo templates "LOGO_2" and "LOGO_3" also
// TempDir itself. "" when there is none or the name cannot be a file name.
std::string FindBlockFile(const std::string& Name);

} // namespace kt4::cad
