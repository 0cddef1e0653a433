#include "drive_fixture.h"

#include "foundation/ui_headless.h"

namespace kt4::drivetest {

void DriveTest::SetUp()
{
    settings::InitSettings();
    UseHeadlessUi().quiet = true;
    drive::InitDriveData();
}

} // namespace kt4::drivetest
