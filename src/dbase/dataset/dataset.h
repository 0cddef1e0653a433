// Datasets over a work area: a table (or a virtual file) seen as a cursor
// with one active record that is browsed, edited, appended and deleted.
//
// TTzPrimDataset is the cursor and edit-state machine; it reaches its data
// only through the Tzi operations, which return 0 or an error code.
// TTzDataSet implements them on one engine work area and knows the fields.
// The record buffer is the core's typed record buffer (workarea.h): 64-bit
// integers for N(10..18,0), doubles beyond, dates as text, so nothing is
// lost between the file and the dataset. A post writes only the fields set
// since the edit began; every other byte of the record stays as it is.
// Bookmarks are record numbers.
//
// Engine errors inside dataset operations raise EZodarError (the dataset
// layer switches the engine to exception mode for its calls); errors of the
// dataset itself raise EDatasetError ("Dataset error: " + text).
#pragma once

#include "dbase/engine/dbf_format.h"
#include "dbase/engine/workarea.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kt4::dbase {

class EDatasetError : public std::runtime_error {
public:
    EDatasetError(int code, const std::string& text);
    int Code() const { return code_; }
    // The text without the "Dataset error: " lead (for the user's boxes).
    const std::string& Text() const { return text_; }

private:
    int code_;
    std::string text_;
};

enum class TTzTableLanguage { tlOem, tlAnsi };
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Options of Locate and Lookup.
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };

using TBookmark = std::int32_t;

// Messages of the dataset layer go through one switch: message boxes only
// in mode 2 (the start value). Returns the mode; a new value 0 leaves it.
std::uint8_t DatasetMessageMode(std::uint8_t newMode = 0);
void DatasetMessage(const std::string& text);
// Logical display texts (at most 20 characters).
extern std::string LogicalYesText, LogicalNoText, LogicalTrueText, LogicalFalseText;
// Start-up of the dataset unit: the logical texts, the German date layout
// dd.mm.yyyy and the decimal point ".".
void InitDatasets();

// ---- Field definitions as text lines "NAME,C,10, 0" (DbfFields) ----
// Corrects a definition for presentation (B, G, P as M; unknown types as C;
// N at most 20 long with at most 18 decimals and room for them; C at most
// 254); true when something changed.
bool NormalizeFieldDef(FieldDef& def);
// The line of a definition.
std::string FieldDefLine(const FieldDef& def);
// Reads the lines: exactly three commas each (else error 211 naming the
// line), type X skipped, M as N 10,0 with memoAsInteger, normalised.
bool ParseDbfFields(const std::vector<std::string>& lines, bool memoAsInteger,
                    std::vector<FieldDef>& defs);

class TTzPrimDataset {
public:
    using TNotifyEvent = std::function<void(TTzPrimDataset&)>;

    virtual ~TTzPrimDataset() = default;

    std::string Name; // the component name: alias of its table, and in error texts
    TNotifyEvent BeforeScroll, AfterScroll, BeforePost, AfterPost, AfterCancel;

    void Open();
    void Close();
    void SetActive(bool on);
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }

    // Moving (a pending edit is posted first).
    void First();
    void Last();
    void Next();
    void Prior();
    // Moves by up to distance rows; the number moved.
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return empty_; }
    // The record number of the active record (0 when there is none).
    std::int32_t RecNo() const { return recNo_; }
    void SetRecNo(std::int32_t recNo);
    std::int32_t RecordCount();

    // Editing
    void Edit();
    void Append();
    void Insert() { Append(); }
    // Writes the edit; on failure the dataset stays in its edit state.
    void Post();
    void Cancel();
    void Delete();
    // Posts a pending edit.
    void CheckBrowseMode();

    TBookmark GetBookmark() const { return empty_ ? 0 : recNo_; }
    void GotoBookmark(TBookmark bookmark);
    int CompareBookmarks(TBookmark a, TBookmark b);
    bool BookmarkValid(TBookmark bookmark);

    // Finds the first record whose fields (";"-separated) hold the values.
    virtual bool Locate(const std::string& fields, const std::vector<std::string>& values,
                        unsigned options);
    // The result fields of the first record with the key values; the cursor
    // does not move.
    bool Lookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                const std::string& resultFields, std::vector<std::string>& result);

    // The raw slot bytes of field n in the active record (false: null).
    bool GetFieldData(int field, std::vector<std::uint8_t>& data);
    void SetFieldData(int field, const std::vector<std::uint8_t>& data, bool null = false);
    // Whether field n was set since the edit began.
    bool FieldChanged(int field) const;

protected:
    // Error text of a code (default: the code in decimal).
    virtual void GetErrorText(int code, std::string& text);
    virtual bool IsEmptyTable() { return empty_; }
    virtual bool CanModify() const { return true; }
    // Whether field n (1-based) may be changed (default: yes).
    virtual bool FieldReadOnly(int field) const;

    virtual int TziSetToBegin() = 0;
    virtual int TziSetToEnd() = 0;
    virtual int TziOpen() = 0;
    virtual int TziClose() = 0;
    virtual int TziGetRecordCount(std::int32_t& count) = 0;
    virtual int TziForceReread() = 0;
    virtual int TziAppend(std::uint8_t* buffer) = 0;
    virtual int TziInsert(std::uint8_t* buffer) = 0;
    virtual int TziDelete() = 0;
    virtual int TziInitRecord(std::uint8_t* buffer) = 0;
    virtual int TziUpdate(std::uint8_t* buffer) = 0;
    virtual int TziGetRecordSize(std::size_t& size) = 0;
    virtual int TziGetCursorKind() = 0;
    virtual int TziGetRecord(std::uint8_t* buffer, std::int32_t& recNo) = 0;
    virtual int TziGetNextRecord(std::uint8_t* buffer, std::int32_t& recNo) = 0;
    virtual int TziGetPriorRecord(std::uint8_t* buffer, std::int32_t& recNo) = 0;
    // The field's slot bytes from buffer; false when the value is null.
    virtual bool TziGetFieldData(int field, const std::uint8_t* buffer,
                                 std::vector<std::uint8_t>& data) = 0;
    virtual void TziSetFieldData(int field, std::uint8_t* buffer,
                                 const std::vector<std::uint8_t>& data, bool null) = 0;
    virtual int TziGoto(std::int32_t recNo) = 0;
    virtual int TziLocate(const std::string& fields, const std::vector<std::string>& values,
                          unsigned options, bool& found) = 0;
    virtual int TziLookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                          const std::string& resultFields, std::vector<std::string>& result,
                          bool& found) = 0;
    virtual int TziGetBookmarkSize() { return 4; }
    virtual int TziGotoBookmark(TBookmark bookmark) = 0;
    virtual int TziSetToBookmark(TBookmark& bookmark) = 0;
    virtual int TziCompareBookmarks(TBookmark a, TBookmark b);

    // Raises EDatasetError for a non-zero code.
    void Check(int code);
    // The engine positioned on the active record (a no-op when it is).
    void UpdateCursorPos();
    // Reads the engine's current record into the active buffer; an empty
    // table empties the dataset.
    void ReadActive();
    void SetEmpty();
    void ClearDirty();
    void SetState(TDataSetState s) { state_ = s; }
    void SetCursorFlags(bool bof, bool eof)
    {
        bof_ = bof;
        eof_ = eof;
    }
    // Before any field data are interpreted (after TziOpen).
    virtual void InitFields() {}
    // Called when a field value was set (the Qt model listens).
    virtual void DataChanged(int field) { (void)field; }
    // Checks before a post (dates): may correct the buffer.
    virtual void ValidateBeforePost() {}
    // The after-scroll and after-cancel events.
    virtual void DoAfterScroll();
    virtual void DoAfterCancel();

    std::vector<std::uint8_t> active_;
    std::int32_t recNo_ = 0;

private:
    // A record read by get into the active buffer; get's code (0: read).
    int Fetch(int (TTzPrimDataset::*get)(std::uint8_t*, std::int32_t&));
    bool MoveOne(bool forward);
    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<bool> dirty_;
    bool bof_ = true, eof_ = true, empty_ = true;
    std::int32_t insertFrom_ = 0; // the record that was active before an append
};

// A field of a dataset (numbers count from 1).
struct TTzField {
    std::string name;
    char type = 'C';
    int len = 0;
    int dec = 0;
    SlotKind slot = SlotKind::None;
    std::uint32_t offset = 0; // in the record buffer
    std::uint32_t size = 0;
    bool readOnly = false;    // unknown types keep their bytes
};

class TTzDataSet : public TTzPrimDataset {
public:
    TTzDataSet();
    ~TTzDataSet() override;

    std::vector<std::string> DbfFields; // one line per field: name, type, length, decimals
    bool ShowProgress = true;
    TTzTableLanguage TableLanguage = TTzTableLanguage::tlOem;
    TNotifyEvent BeforeRestore, AfterRestore;

    const std::string& DbfFileName() const { return fileName_; }
    // Trimmed, ".DBF" when it has no extension; an open dataset re-opens.
    void SetDbfFileName(const std::string& name);
    bool HideDeletedRecs() const { return hideDeleted_; }
    void SetHideDeletedRecs(bool on);
    // The work area (0 while closed).
    int WorkArea() const { return area_; }

    // ---- Fields of the active record ----
    int FieldCount() const { return int(fields_.size()); }
    const TTzField& FieldAt(int n) const;
    // 0 when there is none (the name cut to 10 characters, any case).
    int FieldNo(const std::string& name) const;
    // The field of that name; error 220 when there is none.
    int FieldByName(const std::string& name) const;
    bool IsNull(int n);
    // Display text: C without trailing blanks, numbers in the field's
    // format, dates in the engine layout, logicals "Wahr"/"Falsch", memos
    // "none", "MEMO" or "BLOB".
    std::string AsString(int n);
    double AsFloat(int n);
    std::int64_t AsInteger(int n);
    bool AsBoolean(int n);
    // The date as a Julian day number (0: null).
    double AsDate(int n);
    void SetAsString(int n, const std::string& value);
    // The code page of the table's text.
    const TableCodePage& TextPage();
    // Field n from UTF-8 text by the table's page (a character field is then
    // written as it stands); a character the page lacks is refused naming
    // the field (220), the field unchanged.
    void SetAsTableText(int n, const std::string& utf8);
    void SetAsFloat(int n, double value);
    void SetAsInteger(int n, std::int64_t value);
    void SetAsBoolean(int n, bool value);
    void SetAsDate(int n, double julian);
    void Clear(int n);
    // The text the engine shows for field n (as SField).
    std::string FieldText(int n);

    bool Deleted();
    // True deletes the active record; false restores it.
    void SetDeleted(bool on);

    // The record numbers of the rows in the shown order (hidden rows left out).
    std::vector<std::int32_t> VisibleRecords();
    // The 1-based row of a record in the shown order (0: not shown).
    std::int32_t RowOfRecord(std::int32_t recNo);

    // Opens or closes the work area of a dataset that is not a real table.
    void DirectOpenClose(bool open);

    // Re-reads after an engine-level move made outside the dataset.
    void Resync();

protected:
    void GetErrorText(int code, std::string& text) override;
    bool FieldReadOnly(int field) const override;

    // Selects the work area for an operation (1103 when there is none).
    virtual void SelectArea(const char* operation);
    virtual void DoBeforeRestore();
    virtual void DoAfterRestore();
    virtual void SyncArea();
    virtual bool MemoAsInteger() const { return false; }
    virtual void ClearCallbacks() {}
    // Opens the table of the dataset in the current (selected) work area.
    virtual bool OpenArea(const std::string& fileName);
    virtual int s_AppendWithLock() = 0;
    virtual int s_DeleteWithLock() = 0;
    virtual int s_RestoreWithLock() = 0;
    virtual int s_ReplaceWithLock() = 0;
    virtual bool IsRealTable() const { return true; }
    // Whether TziOpen needs DbfFileName.
    virtual bool NeedsFileName() const { return true; }

    int TziSetToBegin() override;
    int TziSetToEnd() override;
    int TziOpen() override;
    int TziClose() override;
    int TziGetRecordCount(std::int32_t& count) override;
    int TziForceReread() override;
    int TziAppend(std::uint8_t* buffer) override;
    int TziInsert(std::uint8_t* buffer) override { return TziAppend(buffer); }
    int TziDelete() override;
    int TziInitRecord(std::uint8_t* buffer) override;
    int TziUpdate(std::uint8_t* buffer) override;
    int TziGetRecordSize(std::size_t& size) override;
    int TziGetCursorKind() override { return 2; }
    int TziGetRecord(std::uint8_t* buffer, std::int32_t& recNo) override;
    int TziGetNextRecord(std::uint8_t* buffer, std::int32_t& recNo) override;
    int TziGetPriorRecord(std::uint8_t* buffer, std::int32_t& recNo) override;
    bool TziGetFieldData(int field, const std::uint8_t* buffer, std::vector<std::uint8_t>& data) override;
    void TziSetFieldData(int field, std::uint8_t* buffer, const std::vector<std::uint8_t>& data,
                         bool null) override;
    int TziGoto(std::int32_t recNo) override { return TziGotoBookmark(recNo); }
    int TziLocate(const std::string& fields, const std::vector<std::string>& values, unsigned options,
                  bool& found) override;
    int TziLookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                  const std::string& resultFields, std::vector<std::string>& result,
                  bool& found) override;
    int TziGotoBookmark(TBookmark bookmark) override;
    int TziSetToBookmark(TBookmark& bookmark) override;

    void InitFields() override;
    void ValidateBeforePost() override;

    // Goes to recNo when it exists, else to the end.
    void SafeGo(std::int32_t recNo);
    bool s_IsEmptyDbf();
    TWorkArea& AreaRef();
    // The engine record buffer from the active buffer: every field, or only
    // the fields set since the edit began.
    void BufferToEngine(const std::uint8_t* buffer, bool onlyChanged);
    // Creates the table DbfFileName from DbfFields.
    bool CreateFromDbfFields();
    // The dataset's active buffer with the engine record around a callback.
    std::string WithEngineRecord(const std::function<std::string()>& f);

    int area_ = 0;
    bool engineBof_ = true, engineEof_ = true;

private:
    void RebuildDbfFields();
    std::uint8_t* Slot(int n);
    const TTzField& F(int n) const;
    std::string fileName_;
    bool hideDeleted_ = false;
    std::vector<TTzField> fields_;
    std::vector<bool> tableText_; // [n]: field n was last set by SetAsTableText
};

} // namespace kt4::dbase
