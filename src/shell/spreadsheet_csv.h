// The CSV files of the spreadsheet link.
//
// CSV: UTF-8 with a byte-order mark, lines ending CR LF. ExcelDecimalPoint
// 2 ("German x,xx") separates fields by ";" and writes every field that is
// a decimal number (a sign, digits, ".", digits, an exponent; blanks
// around it) with a decimal comma; 1 ("English x.xx") separates by "," and
// keeps the point. A field holding the separator, a double quote, CR or
// LF is quoted with its inner quotes doubled; other texts go in unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kt4::shell {

using CsvRows = std::vector<std::vector<std::string>>;

// ";" or "," by ExcelDecimalPoint.
char CsvSeparator();
// True for a decimal number as above.
bool IsDecimalNumber(std::string_view Field);
// The whole file's bytes; ";" brings the decimal comma.
std::string CsvText(const CsvRows& Rows, char Separator);

// Writes Rows into a new file Stem + "-XXXXXX.csv" in TempDir and returns
// its name. The name only ever holds the complete file: a run killed at
// any moment leaves no part of it (unique_file.h). A file that cannot be
// written is reported with its name: "" and AbortFlag.
std::string WriteCsvFile(const std::string& Stem, const CsvRows& Rows);

} // namespace kt4::shell
