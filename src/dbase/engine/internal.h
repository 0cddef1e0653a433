// The engine internals that the table engine's own parts share: the engine
// and the parts built on it (dataset, memo, ndx, vfile). Callers outside the
// table engine never include it.
#pragma once

#include "dbase/engine/workarea.h"

#include <string>

namespace kt4::dbase::detail {

// Drops the Peek cache when it belongs to alias.
void DropPeekCacheFor(const std::string& alias);
// Keeps the Peek cache in step with a record written by the engine.
void UpdatePeekCache(const TWorkArea& area, std::int32_t recNo);
// Ends an active LOCATE that belongs to the area.
void ForgetLocateFor(const TWorkArea& area);
// Runs the area's relation procedure (224 on re-entry or a moved record).
void RunRelation(TWorkArea& area);
// Blank record at the end: current record count + 1, EOF (and BOF) set.
void BlankAtEnd(TWorkArea& area, bool bofToo);
// Reports an index entry that names no record of the table (a stale index
// after a PACK without it, or a damaged page): error 212, unless an error is
// pending already.
void StrayIndexEntry(TWorkArea& area, std::int32_t recNo, const std::string& operation);
// Frees the area's compiled FOR and WHILE expressions.
void FreeConditions(TWorkArea& area);

// Restores CurrentArea on scope exit.
class KeepArea {
public:
    KeepArea();
    ~KeepArea();
    KeepArea(const KeepArea&) = delete;
    KeepArea& operator=(const KeepArea&) = delete;

private:
    int saved_;
};

} // namespace kt4::dbase::detail
