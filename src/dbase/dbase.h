// The dBase table engine core: everything a caller needs.
#pragma once

#include "dbase/codepage.h"
#include "dbase/dbf_create.h"
#include "dbase/dbf_format.h"
#include "dbase/engine_dates.h"
#include "dbase/engine_files.h"
#include "dbase/engine_text.h"
#include "dbase/errors.h"
#include "dbase/hooks.h"
#include "dbase/locking.h"
#include "dbase/navigation.h"
#include "dbase/ndx.h"
#include "dbase/runtime.h"
#include "dbase/search.h"
#include "dbase/workarea.h"
