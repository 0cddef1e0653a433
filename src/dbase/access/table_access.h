// The table access layer: how the calculation and the printing read and
// write dBase tables. There is one current table for the whole program, the
// dataset tzdbf; it exists after InitTableAccess() (shell::InitModules), with
// or without a window. Field numbers count from 1; field names are cut to 10
// characters. Texts of fields are the engine's text (code page 1252);
// character fields come without their trailing blanks.
//
// No operation lets an engine error out: it shows "Fehler : DBF Error " +
// code (opening, indexing, fields) or "Fehler : Database #" + code
// (positioning) with the engine's text and sets AbortFlag.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kt4::dbase {

class TTzDbf;

// The program's table; nullptr before InitTableAccess.
extern TTzDbf* tzdbf;
// Makes tzdbf (closed) and the headless browser; again: a fresh one.
void InitTableAccess();
// The table engine as the program starts it: the engine, then its
// expressions, indexes, memo files, virtual files, datasets and this layer.
void StartTableEngine();

// TDbf4Mode: 1 select (deleted rows hidden), 4 select (shown), 5 select
// (hiding unchanged), any other value edits.
using TDbf4Mode = int;

// The browser behind DbfShow. It shows tzdbf modally and sets LastKey (13
// accept, 27 cancel), AbortFlag, DbfSelectedRecNo, DbfGridRow and DbfGridCol.
class TDbf4Browser {
public:
    virtual ~TDbf4Browser() = default;
    virtual void DbfSetMode(const std::string& option, TDbf4Mode mode) = 0;
};
// Installs the browser (nullptr: the headless one, which answers from the
// headless UI's script: "ok" accepts the current record, a number goes to
// that record and accepts, "<cancel>" or no answer cancels).
void SetDbf4Browser(std::shared_ptr<TDbf4Browser> browser);
// What the browser shows: the titles (display text) and the file.
const std::string& DbfTitle1();
const std::string& DbfTitle2();
const std::string& DbfShownFile();
// Accepts the current record for the browser: posts a pending edit (false
// when that failed: the edit stays), then LastKey 13 and the outcome globals.
bool DbfAcceptSelection(std::int32_t gridRow, std::int32_t gridCol);

// ---- Opening, showing, closing ----
void DbfOpenTable(const std::string& name);
void DbfOpenFile(const std::string& path);
bool DbfWriteCheck(const std::string& folder, const std::string& fileName);
// Titles in the stored code page.
void DbfSetTitles(const std::string& title1, const std::string& title2);
void DbfShow(const std::string& option, TDbf4Mode mode);
void DbfClose();

// ---- Navigation ----
void DbfGoTop();
void DbfGoRecord(std::int32_t n);
void DbfGoOrFirst(std::int32_t n);
// Moves n rows in the shown order; past the last row DbfEof is true and
// the last row stays current.
void DbfSkip(std::int32_t n);
bool DbfEof();
std::int32_t DbfRecNo();
std::int32_t DbfRecCount();
// Appends a record holding the field values set and not yet posted (else
// blank); the new record number, 0 when the append lock was refused.
std::int32_t DbfAppendRec();

// ---- Fields of the current record ----
std::string DbfFieldName(int n);
std::string DbfFieldText(int n);
// Field n as OEM text (code page 850) by its table's code page; a character
// 850 lacks becomes "?" and sets lost.
std::string DbfFieldOemText(int n, bool& lost);
std::int32_t DbfFieldAsInteger(const std::string& fieldName);
void DbfSetFieldString(const std::string& fieldName, const std::string& value);
void DbfSetFieldFloat(const std::string& fieldName, double value);
void DbfSetFieldInteger(const std::string& fieldName, std::int32_t value);
void DbfSetFieldBoolean(const std::string& fieldName, bool value);

// ---- Indexes and keys ----
// A path in the table engine's private temporary folder.
std::string DbfTempPath(const std::string& fileName);
void DbfIndexOn(const std::string& keyExpr, const std::string& indexFile);
void DbfMakeIndex(const std::string& keyExpr, const std::string& indexName);
void DbfFindKey(const std::string& key);
bool DbfFound();

// ---- Copies of tables ----
// Copies a table and its memo file (found whatever its case) into a folder;
// each file replaces an earlier copy whole or not at all, and the copies are
// writable for the user. False after an error.
bool CopyTableWithMemo(const std::string& table, const std::string& toFolder);
// Every "*.dbf" of a folder with its memo file; false when none was found
// or a copy failed.
bool CopyTablesWithMemos(const std::string& fromFolder, const std::string& toFolder);
// The folder of this process's copies of tables (the working copies that
// DbfUseTemp makes at start-up, and those DbfOpenTable makes of tables it
// may not write), with a trailing separator: the process's private folder,
// where the copies keep their names and no other user can plant one. ""
// when it cannot be made.
std::string DbfCopyFolder();

} // namespace kt4::dbase
