// Shared by the files of the CAD layer; not for its callers.
#pragma once

#include "cad/cad_device.h"
#include "foundation/types.h"

#include <initializer_list>
#include <string>

namespace kt4::cad::detail {

// True when every value is a finite number. Otherwise the job's message
// "Fehler : CAD: ungültige Koordinate" is added (once per job) and the
// caller draws nothing.
bool Finite(std::initializer_list<Real> Values);

// The device the c_ operations draw through: the job's device, or one
// that writes nothing when there is no job or its file has failed.
TCadDevice& Dev();

// Shows the I/O text of a failed job file once per job and sets
// AbortFlag.
void TellWriteFailure();

// The number of line segments of an arc with the included angle
// (radians) and length L at the resolution s: segments of length s while
// each turns by at most 0.1 radian, else steps of 0.1 radian; 1 at least,
// MaxArcSegments at most.
Integer ArcSegments(Real angle, Real L, Real s);

} // namespace kt4::cad::detail
