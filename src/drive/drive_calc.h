// The drive calculation: from the geometry and drive data to the derived
// geometry, power, speed and torque of both shafts, gear, bolt and roller
// forces, bolt and contact stresses, shaft stresses, the radial loads of the
// five bearings and, through the bearing calculation, their lives.
#pragma once

namespace kt4::drive {

// Reads and writes the drive data and the bearing slots; reports only
// through the message list and CalcErrorFlag. A fatal input (a length of 0
// or below, a count, angle or efficiency outside its range, a housing that
// does not enclose the hollow wheel or the screw holes, a geometry that has
// no contact, a value so large or small that a result leaves the range of the
// numbers) ends the run with a "Fatal  : " message and CalcErrorFlag;
// results not yet reached keep their values.
void CalcDrive();

} // namespace kt4::drive
