// The dBase table engine core and its indexes: everything a caller of
// tables with NDX indexes needs.
#pragma once

#include "dbase/engine/codepage.h"
#include "dbase/engine/dbf_create.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/search.h"
#include "dbase/engine/workarea.h"
#include "dbase/ndx/ndx.h"
