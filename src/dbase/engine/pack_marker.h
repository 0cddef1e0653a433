// A table and its memo file replaced together (the memo PACK renumbers the
// records' memo blocks): both new files are complete and flushed under
// their temporary names; a marker beside the table, ".kt4keep-<table>",
// names them with their sizes and digests and what the names held before
// (it is the atomic writer's keep list, so they outlive a killed writer);
// then both are renamed and the marker removed. A kill before the marker
// leaves the old pair, after it the next USE finishes the renames, but only
// while each name holds its old or its new file and each waiting file is
// the one the marker names (this user's, under no other name); otherwise it
// refuses the table and names them.
// The marker is input like any other file: USE honours only this user's
// small regular file naming exactly this table, its memo file and the
// writer's temporaries beside them, and refuses any other of this user's.
// Other programs ignore the marker: after a kill between the two renames
// they see the new table with the old memo file.
#pragma once

#include "foundation/atomic_file.h"

#include <functional>
#include <string>

namespace kt4::dbase {

// Puts both writers' files in place together; each was written at offsets
// (nothing left in the writer's buffer). Returns 0 or an engine error code.
// tableFd and memoFd receive the descriptors of the new files, open (the
// table's with the locks taken on it before), or -1 for a file not put in
// place. An error before the first rename changes nothing; one between the
// two leaves the marker, and USE then refuses the table. When the marker or
// a new file cannot be put in place (a folder, a FIFO or another user's
// file in the marker's place, a name that no longer holds the file it was
// opened as), failed receives the text that names it and why; else "".
int CommitTableWithMemo(AtomicWriter& table, AtomicWriter& memo, int& tableFd, int& memoFd, std::string& failed);

// For USE, before the table is opened: finishes an interrupted replacement
// of table and its memo file, holding the table exclusively meanwhile (it
// waits up to 2 s for another program that holds it, which may be
// finishing it). False after an error (reported: 1014 naming the marker
// when it is unfit, or the files when they are no longer those it names).
bool FinishTableWithMemo(const std::string& table);

// A test's look at the moments between the steps, where another run may
// act: called with the marker's path once it is written, and with each
// waiting file's path just before USE renames it. Empty by default.
std::function<void(const std::string& path)>& PackMarkerSeam();

} // namespace kt4::dbase
