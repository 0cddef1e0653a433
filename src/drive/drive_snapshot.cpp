#include "drive/drive_snapshot.h"

#include "drive/drive_values.h"

namespace kt4::drive {

DriveSnapshot CaptureDrive()
{
    DriveSnapshot s;
    for (const DriveValue& v : DriveValueTable()) {
        if (Real* const* x = std::get_if<Real*>(&v.global))
            s.reals.push_back(**x);
        else
            s.integers.push_back(*std::get<Integer*>(v.global));
    }
    s.bearingSlots = bearings::BearingSlots;
    return s;
}

void RestoreDrive(const DriveSnapshot& S)
{
    std::size_t r = 0, k = 0;
    for (const DriveValue& v : DriveValueTable()) {
        if (Real* const* x = std::get_if<Real*>(&v.global))
            **x = S.reals.at(r++);
        else
            *std::get<Integer*>(v.global) = S.integers.at(k++);
    }
    bearings::BearingSlots = S.bearingSlots;
}

} // namespace kt4::drive
