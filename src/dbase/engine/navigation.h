// Moving the current record of the current area and changing records:
// top, bottom, skip, go, append, replace, delete, recall and pack.
// Visibility combines the hide-deleted switch, a FOR filter and a WHILE
// condition; ordering follows the controlling index when the index unit is
// linked, else the physical order. After every positioning the area's
// relation procedure runs.
#pragma once

#include "dbase/engine/workarea.h"

#include <cstdint>

namespace kt4::dbase {

void GoTop();
void GoBottom();
// Top and bottom inside a WHILE block (dataset begin and end).
void GoTopInWhile();
void GoBottomInWhile();
void SKIP(std::int32_t n = 1);
void GO(std::int32_t n);
// GO(n) and true when 1 <= n <= RecCount, else false.
bool GoIfValid(std::int32_t n);
// Physical record n without index, filters or relation.
void Dbf4RawGo(std::int32_t n);
void Dbf4RawGoRelation(std::int32_t n);

bool dEOF();
bool dBOF();
std::int32_t RecCount();
std::int32_t RecNo();

// Appends the typed buffer as a new record; false when nothing was written,
// or when the new keys could not be added to every index (the record stays).
bool Append();
// Writes the typed buffer over the current record; false also when an index
// could not follow (the record stays written, every index that could has
// followed).
bool REPLACE();
bool DeleteRec();
bool RecallRec();
void Pack();
bool SetIgnoreDel(bool on);
// Leaves the current record when it no longer qualifies; true when it moved.
bool LeaveHiddenRecord();
// Installs the relation procedure and runs it; returns the previous one.
RelationProc SetRelation(RelationProc relation);
// FOR and WHILE conditions (procedures or compiled expressions); the
// expressions are owned by the area and freed through the parser hooks.
void SetFilter(ConditionProc filter);
void SetForExpr(TExpr* expr);
void SetWhile(ConditionProc condition);
void SetWhileExpr(TExpr* expr);

// True when the area's current record is hidden (deleted and hidden, or
// failing the filter); WhileHolds: the WHILE condition.
bool RecordHidden(TWorkArea& area);
bool WhileHolds(TWorkArea& area);
// Fields stored as "*" by the last Append or REPLACE of the current area.
const std::vector<int>& NumericOverflowFields();

} // namespace kt4::dbase
