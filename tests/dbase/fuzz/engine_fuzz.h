// Shared by the table engine's fuzz targets: the engine started afresh,
// without error boxes and with a fixed date.
#pragma once

#include "dbase/dbase.h"
#include "foundation/ui_headless.h"

namespace kt4::dbase {

inline void StartQuietEngine()
{
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    SetReportErrors(false);
    SetTodayProvider([] { return Ymd{2024, 5, 17}; });
}

} // namespace kt4::dbase
