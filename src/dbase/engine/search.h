// Operations that look through a whole table: raw text search, LOCATE with
// CONTINUE, raw field reads and writes (Peek, Poke), and copying records
// from another table or from and to a delimited text file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kt4::dbase {

// Callback of Search: may refuse a hit in field fieldNo.
extern std::function<bool(int fieldNo)> SearchMatchCallback;

bool Search(const std::string& text, int& fieldNo, bool fromTop);
// Raw field (0 = deletion byte) of record recNo; out-of-range numbers leave
// text unchanged. Text is the record's stored text (ANSI once converted).
void Peek(int fieldNo, std::int32_t recNo, std::string& text);
bool Poke(const std::string& text, int fieldNo, std::int32_t recNo);
// Drops the Peek cache.
void FreePeekCache();

// Field number for a LOCATE spec ("NAME NOCASE EXACT CONTAINED"); 0 after an error.
int ParseFieldSpec(const std::string& spec, bool& noCase, bool& exact, bool& contained);
bool Locate(const std::string& fieldName, const std::string& value, bool noCase,
            std::int32_t startRecord, bool exact);
bool Locate(const std::string& fieldName, const std::string& value, bool noCase,
            std::int32_t startRecord, bool exact, bool contained);
bool Continue();
// Several fields separated by ";" with their values separated by ";".
bool LocateFields(const std::string& fieldNames, const std::string& values, bool noCase,
                  bool restoreOnFail, bool exact);

// Appends every visible record of source (a table file, or an open virtual
// file named by its alias with " VIRTUAL FILE") to the current table.
// Returns the number of records appended.
std::int32_t AppendFrom(const std::string& source,
                        std::function<bool()> filter = nullptr);
// Delimited text: "," between fields, C in double quotes.
std::int32_t AppendFromDelimited(const std::string& path);
bool CopyToDelimited(const std::string& path);

} // namespace kt4::dbase
