// Shared by the files of the CAD layer; not for its callers.
#pragma once

#include "cad/cad_device.h"
#include "foundation/types.h"

#include <initializer_list>
#include <string>

namespace kt4::cad::detail {

// True when every value is a usable number: finite and within a range far
// inside that of float. Otherwise the caller draws nothing, the message
// "Fehler : CAD: ungültige Koordinate" is added (once per job) and the
// running job fails: it is told once, writes nothing more and leaves its
// file as it was.
bool Finite(std::initializer_list<Real> Values);

// The device the c_ operations draw through: the job's device, or one
// that writes nothing when there is no job or its file has failed.
TCadDevice& Dev();

// Fails the running job: Text (WriteFailureText of the failed file) is
// shown once per job, AbortFlag is set and the job writes nothing more.
void TellWriteFailure(const std::string& Text);

// The arc from (x1, y1) to (x2, y2) with the included angle (radians) as
// line segments at ArcToLinesResolution (0.2 when it is 0 or less):
// MoveTo to the start point, then LineTo to the points First .. n of the
// arc (point 0 is the start point, n the end point). A segment of length
// s turns by at most 0.1 radian, else the steps are 0.1 radian; 1 segment
// at least, MaxArcSegments at most. Points that lie on no arc give the
// straight line, an arc of no length nothing.
void ArcAsSegments(void (*MoveTo)(Real, Real), void (*LineTo)(Real, Real), Integer First, Real x1,
                   Real y1, Real x2, Real y2, Real angle);

} // namespace kt4::cad::detail
