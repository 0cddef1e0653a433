// The spreadsheet link. There is no automation interface here: each
// operation collects its cells (row by row, field by field, in the order
// the spreadsheet would have received them) into a CSV file in TempDir and
// opens that file with the desktop's associated program, which is left
// the file after the run.
//
// CSV: UTF-8 with a byte-order mark, lines ending CR LF, fields separated
// by ";" (ExcelDecimalPoint 2, the German setting) or "," (1); a field
// holding the separator, a double quote, CR or LF is quoted with its inner
// quotes doubled; texts go in unchanged.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kt4::shell {

class PreviewGrid;

using CsvRows = std::vector<std::vector<std::string>>;

// ";" or "," by ExcelDecimalPoint.
char CsvSeparator();
// The whole file's bytes.
std::string CsvText(const CsvRows& Rows, char Separator);

// Writes Rows into a new file Stem + "-XXXXXX.csv" in TempDir (created
// exclusively; the file is complete or not there) and returns its name.
// A file that cannot be written is reported with its name: "" and
// AbortFlag.
std::string WriteCsvFile(const std::string& Stem, const CsvRows& Rows);

// WriteCsvFile, then the file opened with the associated program; an
// opener that fails shows FailText. False (AbortFlag) on either failure.
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
