// The table engine with everything the table access layer needs, started
// as the program's module start does it, for drive tests and benchmarks
// that do not link the shell.
#pragma once

#include "dbase/access/table_access.h"
#include "dbase/dataset/dataset.h"
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"
#include "dbase/memo/memo.h"
#include "dbase/vfile/vfile.h"

namespace kt4::drivetest {

inline void StartTableLayer()
{
    dbase::InitEngine();
    dbase::InitExpressions();
    dbase::IndexInit();
    dbase::MemoInit();
    dbase::VFilesInit();
    dbase::InitDatasets();
    dbase::InitTableAccess();
}

} // namespace kt4::drivetest
