// What the two sibling-program exports share: the configuration values
// they read, choosing the file name, writing the file whole or not at all,
// and opening the written file with its associated program.
#pragma once

#include "foundation/types.h"

#include <functional>
#include <string>

namespace kt4::siblings {

// The full name of an export file with extension Ext: an empty Name asks in
// the save dialog (starting in DataDir); a Name that ends in "." + Ext is
// used as it is; any other (a project name, with or without the project
// extension) gets "." + Ext, in DataDir when it names no folder. The name is
// checked (CheckDialogOutputFile). "" with AbortFlag set when cancelled or
// refused. No setting changes.
std::string ExportFileName(const std::string& Name, const std::string& Ext);

// After a refused calculation the files would carry the design before it
// (the values the calculation stopped before recomputing): the messages
// are shown instead (CalcMessagesDialog), AbortFlag set and true returned.
bool RefusedDesign();

// Writes Path through ReportFile with Body, replacing the file only when
// every line was written. False, with an error box and AbortFlag, when it
// could not be written.
bool WriteExportFile(const std::string& Path, const std::function<void()>& Body);

// Opens the written file with its associated program, unless the
// configuration's cad::ExportLaunchFlag is off or the program runs with two or more command-line
// parameters. A failure is reported. True when nothing failed.
bool LaunchExportFile(const std::string& Path);

} // namespace kt4::siblings
