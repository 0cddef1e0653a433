#include "drive/drive_inputs.h"

#include "drive/drive_values.h"

namespace kt4::drive {

namespace {

// Copies every value the dialogs edit between the globals and Copy.
void Transfer(DriveInputs& Copy, bool ToGlobals)
{
    for (const DriveValue& v : DriveValueTable())
        if (v.inCopy)
            std::visit(
                [&](auto* global) {
                    auto* copy = std::get<decltype(global)>(v.inCopy(Copy));
                    if (ToGlobals)
                        *global = *copy;
                    else
                        *copy = *global;
                },
                v.global);
}

} // namespace

DriveInputs CaptureDriveInputs()
{
    DriveInputs c;
    Transfer(c, false);
    return c;
}

void CommitDriveInputs(const DriveInputs& Inputs)
{
    DriveInputs c = Inputs;
    Transfer(c, true);
}

} // namespace kt4::drive
