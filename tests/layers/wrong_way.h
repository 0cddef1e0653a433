// An engine header that reaches the parts above the engine, for the test
// of the include check (CMakeLists.txt here); never compiled.
#pragma once

#include "dbase/engine/errors.h"
#include "dbase/ndx/ndx.h"
#include "foundation/ui_service.h"
#include <dbase/memo/memo.h>
#include <vector>
#include "dbase/dbase.h"
#include "dbase/engine/../ndx/ndx.h"
#include "foundation/gui/qt_ui.h"
#include "./errors.h"
