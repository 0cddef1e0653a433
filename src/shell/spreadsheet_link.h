// The spreadsheet link. There is no automation interface here: each
// operation collects its cells (row by row, field by field, in the order
// the spreadsheet would have received them) into a CSV file in TempDir
// (spreadsheet_csv.h) and opens that file with the desktop's associated
// program, which is left the file after the run.
#pragma once

#include "shell/spreadsheet_csv.h"

#include <functional>
#include <string>
#include <vector>

namespace kt4::shell {

class PreviewGrid;

// WriteCsvFile, then the file opened with the associated program; an
// opener that fails is told with FailText and the file's full path. False
// (AbortFlag) on either failure.
bool HandToSpreadsheet(const std::string& Stem, const CsvRows& Rows, const std::string& FailText);

// "Start Excel" succeeded (the export items are enabled).
extern bool SpreadsheetStarted;

// "Start Excel": needs a current file (else a message and AbortFlag).
void StartSpreadsheet();
// "Export KT3 -> Excel": saves unsaved changes first (a cancelled or
// failed save stops it), then the project file as one column.
void ExportToSpreadsheet();
// The project data file Name (in DataDir with DataFileExt unless Name
// holds a "."), one line per row in column 1, converted to display text.
void CopyTextFileToSpreadsheet(const std::string& Name);
// "Printout -> Excel": after a failed calculation the message review and
// nothing else; otherwise the printout through the TXT device (6, no
// device question; both settings come back on every way out), each line
// one row split at its tabs.
void PrintoutToSpreadsheet(int Arg);
// The list of TForm_preview, header row included ("Export Excel").
void ExportGridToSpreadsheet(const PreviewGrid& Grid);

// The printout PrintoutToSpreadsheet writes (drive::WriteAusdruck).
std::function<bool(int)>& SpreadsheetPrintoutWriter();

// The menu commands.
void StartSpreadsheetCommand();
void ExportToSpreadsheetCommand();
void PrintoutToSpreadsheetCommand();

} // namespace kt4::shell
