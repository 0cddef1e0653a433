// TTzDataSet: the Tzi operations on one engine work area, and its fields.
#include "dbase/dataset/dataset.h"

#include "dbase/dataset/dataset_internal.h"
#include "dbase/engine/dbf_create.h"
#include "dbase/engine/engine_dates.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/keys_date.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/search.h"
#include "dbase/ndx/ndx.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace kt4::dbase {

using detail::EngineExceptions;

namespace {

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t semi = text.find(';', start);
        out.push_back(AllTrim(text.substr(start, semi == std::string::npos ? std::string::npos : semi - start)));
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    return out;
}

bool IsBlankDate(const std::string& text)
{
    return text.find_first_not_of(" ./-") == std::string::npos;
}

} // namespace

TTzDataSet::TTzDataSet() = default;

TTzDataSet::~TTzDataSet()
{
    if (!Active())
        return;
    try {
        Close();
    } catch (...) {
        // The engine may already be shut down.
    }
}

TWorkArea& TTzDataSet::AreaRef()
{
    TWorkArea* a = Area(area_);
    if (!a) {
        SetError(1103, "Datenbank ist nicht offen [" + Name + "]");
        throw EDatasetError(1103, "Datenbank ist nicht offen [" + Name + "]");
    }
    return *a;
}

void TTzDataSet::SelectArea(const char* operation)
{
    if (area_ == 0 || !Area(area_)) {
        const std::string text = std::string("Datenbank ist nicht offen [") + Name + "." + operation + "]";
        SetError(1103, text);
        throw EDatasetError(1103, text);
    }
    CurrentArea = area_;
    TableIsAnsi = TableLanguage == TTzTableLanguage::tlAnsi;
}

void TTzDataSet::GetErrorText(int code, std::string& text)
{
    if (code >= 1401 && code <= 1403) {
        text = std::to_string(code);
    } else if (code == 1404) {
        text = "The FileName property of the dataset not set";
    } else {
        text = ErrorMessage(std::uint16_t(code)) + "\r\n" + LastErrorText();
    }
}

void TTzDataSet::SetDbfFileName(const std::string& name)
{
    std::string trimmed = AllTrim(name);
    if (!trimmed.empty() && trimmed.back() != '.')
        trimmed = WithDefaultExtension(trimmed, "DBF");
    const bool was = Active();
    if (was)
        Close();
    fileName_ = trimmed;
    if (was)
        Open();
}

void TTzDataSet::SetHideDeletedRecs(bool on)
{
    hideDeleted_ = on;
    if (!Active() || !IsRealTable())
        return;
    CheckBrowseMode();
    EngineExceptions engine;
    SelectArea("SetHideDeletedRecs");
    UpdateCursorPos();
    AreaRef().hideDeleted = on;
    LeaveHiddenRecord();
    Resync();
}

const TTzField& TTzDataSet::F(int n) const
{
    if (n < 1 || n > int(fields_.size()))
        throw EDatasetError(220, "Ungültige Feldnr. " + std::to_string(n) + " [" + Name + "]");
    return fields_[std::size_t(n - 1)];
}

const TTzField& TTzDataSet::FieldAt(int n) const
{
    return F(n);
}

int TTzDataSet::FieldNo(const std::string& name) const
{
    const std::string want = UpperText(AllTrim(name.substr(0, 10)));
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == want)
            return int(i) + 1;
    return 0;
}

int TTzDataSet::FieldByName(const std::string& name) const
{
    const int n = FieldNo(name);
    if (n == 0)
        throw EDatasetError(220, "Ungültiges Feld " + name.substr(0, 10) + " [" + Name + "]");
    return n;
}

bool TTzDataSet::FieldReadOnly(int field) const
{
    return F(field).readOnly;
}

void TTzDataSet::InitFields()
{
    fields_.clear();
    TWorkArea* a = Area(area_);
    if (!a)
        return;
    for (const auto& f : a->fields) {
        TTzField t;
        t.name = f.name.substr(0, 10);
        t.type = f.type;
        t.len = f.len;
        t.dec = f.dec;
        t.slot = f.slot;
        t.offset = f.bufOffset;
        t.size = f.bufSize;
        t.readOnly = f.slot == SlotKind::None;
        fields_.push_back(t);
    }
}

std::uint8_t* TTzDataSet::Slot(int n)
{
    const TTzField& f = F(n);
    if (active_.size() < f.offset + f.size)
        throw EDatasetError(detail::kNotActive, "Cannot perform this operation on a closed dataset");
    return active_.data() + f.offset;
}

// ---- Field values ----

bool TTzDataSet::IsNull(int n)
{
    std::vector<std::uint8_t> data;
    return !GetFieldData(n, data);
}

std::string TTzDataSet::AsString(int n)
{
    const TTzField& f = F(n);
    const std::uint8_t* p = Slot(n);
    switch (f.slot) {
    case SlotKind::Text:
        return RTrimBlanks(std::string(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.size - 1)));
    case SlotKind::Date: {
        std::string t(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.size - 1));
        return IsBlankDate(t) ? std::string() : t;
    }
    case SlotKind::Double:
        return AllTrim(FloatToDisplayText(f.len, f.dec, LoadSlot<double>(p)));
    case SlotKind::Int32:
        return std::to_string(LoadSlot<std::int32_t>(p));
    case SlotKind::Int64:
        return std::to_string(LoadSlot<std::int64_t>(p));
    case SlotKind::Logical:
        return p[0] ? LogicalTrueText : LogicalFalseText;
    case SlotKind::MemoRef: {
        const std::int32_t ref = LoadSlot<std::int32_t>(p);
        return ref == 0 ? "none" : (ref < 0 ? "BLOB" : "MEMO");
    }
    default:
        return {};
    }
}

std::string TTzDataSet::FieldText(int n)
{
    const TTzField& f = F(n);
    const std::uint8_t* p = Slot(n);
    switch (f.slot) {
    case SlotKind::Text:
    case SlotKind::Date:
        return RTrimBlanks(std::string(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.size - 1)));
    case SlotKind::Double:
        return FloatToDisplayText(f.len, f.dec, LoadSlot<double>(p));
    case SlotKind::Int32:
        return IntToText(LoadSlot<std::int32_t>(p), f.len);
    case SlotKind::Int64:
        return IntToText(LoadSlot<std::int64_t>(p), f.len);
    case SlotKind::Logical:
        return p[0] ? "Y" : "N";
    case SlotKind::MemoRef: {
        const std::int32_t ref = LoadSlot<std::int32_t>(p);
        return ref == 0 ? "none" : (ref < 0 ? "BLOB" : "MEMO");
    }
    default:
        return {};
    }
}

double TTzDataSet::AsFloat(int n)
{
    const TTzField& f = F(n);
    const std::uint8_t* p = Slot(n);
    switch (f.slot) {
    case SlotKind::Double:
        return LoadSlot<double>(p);
    case SlotKind::Int32:
    case SlotKind::MemoRef:
        return LoadSlot<std::int32_t>(p);
    case SlotKind::Int64:
        return double(LoadSlot<std::int64_t>(p));
    case SlotKind::Logical:
        return p[0] ? 1 : 0;
    case SlotKind::Date:
        return AsDate(n);
    case SlotKind::Text: {
        double v = 0;
        std::string t = AsString(n);
        std::replace(t.begin(), t.end(), ',', '.');
        return ParseFileNumber(t, v) ? v : 0;
    }
    default:
        return 0;
    }
}

std::int64_t TTzDataSet::AsInteger(int n)
{
    const TTzField& f = F(n);
    const std::uint8_t* p = Slot(n);
    if (f.slot == SlotKind::Int64)
        return LoadSlot<std::int64_t>(p);
    const double v = AsFloat(n);
    return std::isfinite(v) && std::fabs(v) < 9.2e18 ? std::llround(v) : 0;
}

bool TTzDataSet::AsBoolean(int n)
{
    const TTzField& f = F(n);
    if (f.slot == SlotKind::Logical)
        return Slot(n)[0] != 0;
    if (f.slot == SlotKind::Text) {
        const std::string t = UpperText(AllTrim(AsString(n)));
        return !t.empty() && (t[0] == 'T' || t[0] == 'Y' || t[0] == 'J' || t == "WAHR");
    }
    return AsFloat(n) != 0;
}

double TTzDataSet::AsDate(int n)
{
    const TTzField& f = F(n);
    if (f.slot != SlotKind::Date)
        return 0;
    return DateTextToJulian(AsString(n));
}

const TableCodePage& TTzDataSet::TextPage()
{
    return AreaRef().TextPage();
}

void TTzDataSet::SetAsTableText(int n, const std::string& utf8)
{
    const TTzField& f = F(n);
    std::string text, lacking;
    if (!Utf8ToTableText(TextPage(), utf8, text, lacking))
        throw EDatasetError(220, detail::LackingCharsText(lacking, f.name, AreaRef()));
    SetAsString(n, text);
    if (f.slot == SlotKind::Text) {
        if (tableText_.size() <= std::size_t(n))
            tableText_.resize(std::size_t(n) + 1, false);
        tableText_[std::size_t(n)] = true;
    }
}

void TTzDataSet::SetAsString(int n, const std::string& value)
{
    const TTzField& f = F(n);
    if (std::size_t(n) < tableText_.size())
        tableText_[std::size_t(n)] = false;
    std::vector<std::uint8_t> data(f.size, 0);
    switch (f.slot) {
    case SlotKind::Text:
    case SlotKind::Date: {
        const std::size_t len = std::min<std::size_t>(value.size(), f.size - 1);
        data[0] = std::uint8_t(len);
        std::memcpy(data.data() + 1, value.data(), len);
        SetFieldData(n, data, f.slot == SlotKind::Date && IsBlankDate(value));
        return;
    }
    case SlotKind::Logical: {
        const std::string t = UpperText(AllTrim(value));
        SetAsBoolean(n, !t.empty() && (t[0] == 'T' || t[0] == 'Y' || t[0] == 'J' || t == "WAHR" ||
                                       t == "1"));
        return;
    }
    case SlotKind::Double:
    case SlotKind::Int32:
    case SlotKind::Int64: {
        std::string t = AllTrim(value);
        if (t.empty()) {
            Clear(n);
            return;
        }
        std::replace(t.begin(), t.end(), ',', '.');
        double v = 0;
        if (!ParseFileNumber(t, v))
            throw EDatasetError(220, "'" + value + "' ist keine gültige Zahl [" + f.name + "]");
        if (f.slot == SlotKind::Int64 && t.find_first_of(".eE") == std::string::npos) {
            long long i = 0;
            try {
                i = std::stoll(t);
            } catch (...) {
                i = std::llround(v);
            }
            SetAsInteger(n, i);
        } else {
            SetAsFloat(n, v);
        }
        return;
    }
    default:
        throw EDatasetError(detail::kFieldReadOnly, "Field " + f.name + " cannot be modified");
    }
}

void TTzDataSet::SetAsFloat(int n, double value)
{
    const TTzField& f = F(n);
    std::vector<std::uint8_t> data(f.size, 0);
    switch (f.slot) {
    case SlotKind::Double:
        StoreSlot(data.data(), value);
        break;
    case SlotKind::Int32:
        StoreSlot(data.data(), Int32SlotValue(value));
        break;
    case SlotKind::Int64:
        StoreSlot(data.data(), Int64SlotValue(value));
        break;
    case SlotKind::Logical:
        data[0] = value != 0;
        break;
    case SlotKind::Text:
        SetAsString(n, AllTrim(FloatToText(0, f.dec, value)));
        return;
    default:
        throw EDatasetError(detail::kFieldReadOnly, "Field " + f.name + " cannot be modified");
    }
    SetFieldData(n, data);
}

void TTzDataSet::SetAsInteger(int n, std::int64_t value)
{
    const TTzField& f = F(n);
    std::vector<std::uint8_t> data(f.size, 0);
    switch (f.slot) {
    case SlotKind::Int64:
        StoreSlot(data.data(), value);
        break;
    case SlotKind::Int32:
        StoreSlot(data.data(), Int32SlotValue(value));
        break;
    case SlotKind::Text:
        SetAsString(n, std::to_string(value));
        return;
    default:
        SetAsFloat(n, double(value));
        return;
    }
    SetFieldData(n, data);
}

void TTzDataSet::SetAsBoolean(int n, bool value)
{
    const TTzField& f = F(n);
    if (f.slot == SlotKind::Text) {
        SetAsString(n, value ? "T" : "F");
        return;
    }
    if (f.slot != SlotKind::Logical) {
        SetAsFloat(n, value ? 1 : 0);
        return;
    }
    std::vector<std::uint8_t> data(f.size, 0);
    data[0] = value ? 1 : 0;
    SetFieldData(n, data);
}

void TTzDataSet::SetAsDate(int n, double julian)
{
    const TTzField& f = F(n);
    if (f.slot != SlotKind::Date) {
        SetAsFloat(n, julian);
        return;
    }
    SetAsString(n, julian > 0 ? JulianToDateText(julian) : EmptyDateTemplate());
}

void TTzDataSet::Clear(int n)
{
    const TTzField& f = F(n);
    if (f.slot == SlotKind::Date) {
        SetAsString(n, EmptyDateTemplate());
        return;
    }
    SetFieldData(n, std::vector<std::uint8_t>(f.size, 0), true);
}

bool TTzDataSet::TziGetFieldData(int field, const std::uint8_t* buffer, std::vector<std::uint8_t>& data)
{
    const TTzField& f = F(field);
    data.assign(buffer + f.offset, buffer + f.offset + f.size);
    if (f.slot == SlotKind::Date) {
        const std::string t(reinterpret_cast<const char*>(data.data() + 1),
                            std::min<std::size_t>(data[0], f.size - 1));
        return !IsBlankDate(t);
    }
    return true;
}

void TTzDataSet::TziSetFieldData(int field, std::uint8_t* buffer, const std::vector<std::uint8_t>& data,
                                 bool null)
{
    const TTzField& f = F(field);
    std::uint8_t* p = buffer + f.offset;
    if (null && f.slot != SlotKind::Date) {
        std::memset(p, 0, f.size);
        return;
    }
    std::memcpy(p, data.data(), std::min<std::size_t>(data.size(), f.size));
}

void TTzDataSet::ValidateBeforePost()
{
    for (int n = 1; n <= FieldCount(); ++n) {
        const TTzField& f = F(n);
        if (f.slot != SlotKind::Date || (State() == TDataSetState::dsEdit && !FieldChanged(n)))
            continue;
        std::uint8_t* p = Slot(n);
        std::string t(reinterpret_cast<const char*>(p + 1), std::min<std::size_t>(p[0], f.size - 1));
        if (IsBlankDate(t))
            continue;
        if (DateTextToJulian(t) == 0.0) {
            DatasetMessage("        Invalid date       ");
            const std::string blank = EmptyDateTemplate();
            p[0] = std::uint8_t(std::min<std::size_t>(blank.size(), f.size - 1));
            std::memcpy(p + 1, blank.data(), p[0]);
        } else {
            const std::string norm = JulianToDateText(DateTextToJulian(t));
            p[0] = std::uint8_t(std::min<std::size_t>(norm.size(), f.size - 1));
            std::memcpy(p + 1, norm.data(), p[0]);
        }
    }
}

bool TTzDataSet::Deleted()
{
    return Active() && !IsEmpty() && !active_.empty() && active_[0] != 0;
}

void TTzDataSet::SetDeleted(bool on)
{
    if (on) {
        if (!IsEmpty())
            Delete();
        return;
    }
    if (State() == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    CheckBrowseMode();
    if (IsEmpty())
        return;
    EngineExceptions engine;
    DoBeforeRestore();
    SelectArea("Restore");
    UpdateCursorPos();
    Check(s_RestoreWithLock());
    SetState(TDataSetState::dsBrowse);
    ReadActive();
    DoAfterRestore();
}

void TTzDataSet::DoBeforeRestore()
{
    if (BeforeRestore)
        BeforeRestore(*this);
}

void TTzDataSet::DoAfterRestore()
{
    if (AfterRestore)
        AfterRestore(*this);
}

void TTzDataSet::SyncArea()
{
    if (State() == TDataSetState::dsInsert) {
        SelectArea("SyncArea");
        std::memcpy(AreaRef().buffer, active_.data(), std::min(active_.size(), AreaRef().bufSize));
    } else {
        UpdateCursorPos();
    }
}

// ---- Visible rows ----

std::vector<std::int32_t> TTzDataSet::VisibleRecords()
{
    std::vector<std::int32_t> rows;
    if (!Active())
        return rows;
    EngineExceptions engine;
    SelectArea("VisibleRecords");
    TWorkArea& a = AreaRef();
    RefreshRecCount(a);
    // The deletion flags, one bit a record (bit r % 64 of word r / 64), of
    // the records up to flagged.
    std::vector<std::uint64_t> deleted;
    std::int32_t flagged = 0;
    auto readFlags = [&] {
        deleted.resize(std::size_t(std::max(a.recCount, 0)) / 64 + 1, 0);
        auto mark = [&](std::int32_t r) { deleted[std::size_t(r) / 64] |= std::uint64_t{1} << (r % 64); };
        if (a.isVirtual) {
            const std::int32_t keep = recNo_;
            for (std::int32_t r = flagged + 1; r <= a.recCount; ++r) {
                Dbf4RawGo(r);
                if (a.buffer[0] != 0)
                    mark(r);
            }
            SafeGo(keep);
        } else {
            // Blocks aligned to the memory page, which the kernel copies into fastest.
            struct alignas(4096) Block {
                std::uint8_t bytes[1 << 18];
            };
            const std::unique_ptr<Block> block(new Block);
            const std::int32_t per = std::max<std::int32_t>(1, std::int32_t(sizeof block->bytes / a.recLen));
            for (std::int32_t r = flagged + 1; r <= a.recCount; r += per) {
                const std::int32_t n = std::min(per, a.recCount - r + 1);
                const long long got = a.file.ReadAt(a.RecordOffset(r), block->bytes, std::size_t(n) * a.recLen);
                for (std::int32_t i = 0; i < n && std::int64_t(i + 1) * a.recLen <= got; ++i)
                    if (block->bytes[std::size_t(i) * a.recLen] == '*')
                        mark(r + i);
            }
        }
        flagged = std::max(flagged, a.recCount);
    };
    const bool keyOrder = IndexLinked() && Index.IndexActive() && CurrentOrder() > 0 && !a.isVirtual;
    if (a.hideDeleted && keyOrder)
        readFlags(); // the walk leaves the deleted records out
    std::vector<std::int32_t> order;
    if (keyOrder) {
        RecordsInKeyOrder(order, deleted);
    } else {
        order.resize(std::size_t(a.recCount));
        for (std::int32_t r = 1; r <= a.recCount; ++r)
            order[std::size_t(r - 1)] = r;
    }
    if (!a.hideDeleted)
        return order;
    // Every record in record order; in key order those another program
    // appended during the walk.
    const std::int32_t before = flagged;
    readFlags();
    if (flagged > before)
        order.erase(std::remove_if(order.begin(), order.end(),
                                   [&](std::int32_t r) {
                                       return r > before && (deleted[std::size_t(r) / 64] >> (r % 64) & 1) != 0;
                                   }),
                    order.end());
    return order;
}

std::int32_t TTzDataSet::RowOfRecord(std::int32_t recNo)
{
    const std::vector<std::int32_t> rows = VisibleRecords();
    auto it = std::find(rows.begin(), rows.end(), recNo);
    return it == rows.end() ? 0 : std::int32_t(it - rows.begin()) + 1;
}

void TTzDataSet::DirectOpenClose(bool open)
{
    if (!Active()) {
        SetError(1103, "DataSet must be active. " + Name);
        return;
    }
    if (IsRealTable())
        return;
    EngineExceptions engine;
    SelectArea("DirectOpenClose");
    USE(open ? DbfFileName() : std::string());
}

void TTzDataSet::Resync()
{
    if (EngineErrorCode != 0 || !Active())
        return;
    EngineExceptions engine;
    SetState(TDataSetState::dsBrowse);
    ClearDirty();
    if (s_IsEmptyDbf()) {
        SetEmpty();
        engineBof_ = engineEof_ = true;
        return;
    }
    engineBof_ = engineEof_ = false;
    SetCursorFlags(false, false);
    ReadActive();
}

// ---- The Tzi operations ----

bool TTzDataSet::s_IsEmptyDbf()
{
    SelectArea("IsEmptyDbf");
    return dBOF() && dEOF();
}

void TTzDataSet::SafeGo(std::int32_t recNo)
{
    SelectArea("SafeGo");
    TWorkArea& a = AreaRef();
    RefreshRecCount(a);
    if (recNo >= 1 && recNo <= a.recCount) {
        if (a.recNo != recNo || a.eof || a.bof)
            GO(recNo);
        engineBof_ = engineEof_ = false;
    } else {
        TziSetToEnd();
    }
}

int TTzDataSet::TziSetToBegin()
{
    SelectArea("SetToBegin");
    dbase::GoTop();
    engineBof_ = true;
    engineEof_ = false;
    return 0;
}

int TTzDataSet::TziSetToEnd()
{
    SelectArea("SetToEnd");
    GoBottom();
    engineEof_ = true;
    engineBof_ = false;
    return 0;
}

int TTzDataSet::TziOpen()
{
    if (NeedsFileName() && fileName_.empty())
        return 1404;
    const int previous = CurrentArea;
    if (!Select(0))
        return EngineErrorCode ? EngineErrorCode : 1401;
    TableIsAnsi = TableLanguage == TTzTableLanguage::tlAnsi;
    EngineErrorCode = 0;
    bool ok = false;
    const int mine = CurrentArea;
    try {
        ok = OpenArea(fileName_);
    } catch (...) {
        if (Area(mine)) {
            QuietErrors quiet;
            CurrentArea = mine;
            CloseCurrentArea();
        }
        CurrentArea = previous;
        throw;
    }
    if (!ok || EngineErrorCode != 0) {
        const int code = EngineErrorCode ? EngineErrorCode : 1401;
        if (Area(mine)) {
            QuietErrors quiet;
            CurrentArea = mine;
            CloseCurrentArea();
        }
        CurrentArea = previous;
        return code;
    }
    area_ = CurrentArea;
    TWorkArea& a = AreaRef();
    a.hideDeleted = hideDeleted_;
    if (!a.isVirtual)
        RebuildDbfFields();
    engineBof_ = engineEof_ = true;
    return 0;
}

bool TTzDataSet::OpenArea(const std::string& fileName)
{
    return USE(fileName);
}

void TTzDataSet::RebuildDbfFields()
{
    DbfFields.clear();
    TWorkArea& a = AreaRef();
    for (const auto& f : a.fields) {
        FieldDef def{UpperText(f.name.substr(0, 10)), f.type, f.len, f.dec};
        const FieldDef old = def;
        if (NormalizeFieldDef(def))
            DatasetMessage("Invalid field definition for " + fileName_ + ": " + old.name + "," +
                           std::string(1, old.type) + "," + std::to_string(old.len) + "," +
                           std::to_string(old.dec) + ". Will use corrected definition: " + def.name +
                           "," + std::string(1, def.type) + "," + std::to_string(def.len) + "," +
                           std::to_string(def.dec));
        DbfFields.push_back(FieldDefLine(def));
    }
}

bool TTzDataSet::CreateFromDbfFields()
{
    EngineErrorCode = 0;
    if (DbfFields.empty()) {
        DatasetMessage("FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen");
        SetErrorSilent(211, "FieldList.Count ist <= 0 beim Versuch, eine Datenbank zu erzeugen [" + Name + "]");
        return false;
    }
    std::vector<FieldDef> defs;
    {
        QuietErrors quiet;
        if (!ParseDbfFields(DbfFields, MemoAsInteger(), defs))
            return false;
    }
    QuietErrors quiet;
    return CreateDbf(fileName_, defs);
}

int TTzDataSet::TziClose()
{
    if (area_ == 0)
        return 0;
    if (Area(area_)) {
        CurrentArea = area_;
        struct CloseArea {
            TTzDataSet& ds;
            ~CloseArea()
            {
                if (Area(ds.area_) && ds.IsRealTable()) {
                    CurrentArea = ds.area_;
                    QuietErrors quiet;
                    USE("");
                }
                ds.area_ = 0;
            }
        } close{*this};
        ClearCallbacks();
        CurrentArea = area_;
        if (IsRealTable())
            USE("");
    }
    area_ = 0;
    return 0;
}

int TTzDataSet::TziGetRecordCount(std::int32_t& count)
{
    SelectArea("RecordCount");
    count = dbase::RecCount();
    return 0;
}

int TTzDataSet::TziForceReread()
{
    SelectArea("ForceReread");
    SKIP(0);
    return 0;
}

void TTzDataSet::BufferToEngine(const std::uint8_t* buffer, bool onlyChanged)
{
    TWorkArea& a = AreaRef();
    if (!onlyChanged)
        std::memcpy(a.buffer, buffer, std::min(active_.size(), a.bufSize));
    for (int n = 1; n <= FieldCount(); ++n) {
        const TTzField& f = F(n);
        if (!FieldChanged(n) || f.readOnly || f.offset + f.size > a.bufSize)
            continue;
        if (onlyChanged)
            std::memcpy(a.buffer + f.offset, buffer + f.offset, f.size);
        // what the edit set: numbers are stored, text the page was checked for
        if (f.slot == SlotKind::Double || f.slot == SlotKind::Int32 || f.slot == SlotKind::Int64)
            a.Mark(std::size_t(n), TWorkArea::MarkNumberSet);
        else if (f.slot == SlotKind::Text && std::size_t(n) < tableText_.size() && tableText_[std::size_t(n)])
            a.Mark(std::size_t(n), TWorkArea::MarkTextInPage);
    }
}

int TTzDataSet::TziAppend(std::uint8_t* buffer)
{
    SelectArea("Append");
    TWorkArea& a = AreaRef();
    buffer[0] = 0;
    ClearRecordOf(a);
    BufferToEngine(buffer, false);
    const std::int32_t before = a.recCount;
    const int code = s_AppendWithLock();
    if (code == 0 || AreaRef().recCount > before) // stored, keys or not
        engineBof_ = engineEof_ = false;
    return code;
}

int TTzDataSet::TziDelete()
{
    SelectArea("Delete");
    const int code = s_DeleteWithLock();
    if (code == 0 && s_IsEmptyDbf()) {
        SetEmpty();
        engineBof_ = engineEof_ = true;
    }
    return code;
}

int TTzDataSet::TziInitRecord(std::uint8_t* buffer)
{
    SelectArea("InitRecord");
    TWorkArea& a = AreaRef();
    ClearRecordOf(a);
    std::memcpy(buffer, a.buffer, std::min(active_.size(), a.bufSize));
    return 0;
}

int TTzDataSet::TziUpdate(std::uint8_t* buffer)
{
    if (engineBof_)
        return detail::kNoRecordBefore;
    if (engineEof_)
        return detail::kNoRecordAfter;
    SelectArea("Update");
    BufferToEngine(buffer, true);
    return s_ReplaceWithLock();
}

int TTzDataSet::TziGetRecordSize(std::size_t& size)
{
    SelectArea("GetRecordSize");
    size = AreaRef().bufSize;
    return 0;
}

int TTzDataSet::TziGetRecord(std::uint8_t* buffer, std::int32_t& recNo)
{
    if (engineBof_)
        return detail::kNoRecordBefore;
    if (engineEof_)
        return detail::kNoRecordAfter;
    SelectArea("GetRecord");
    SKIP(0);
    TWorkArea& a = AreaRef();
    if (a.eof || a.recNo < 1 || a.recNo > a.recCount)
        return detail::kNoRecordAfter;
    std::memcpy(buffer, a.buffer, std::min(active_.size(), a.bufSize));
    recNo = a.recNo;
    return 0;
}

int TTzDataSet::TziGetNextRecord(std::uint8_t* buffer, std::int32_t& recNo)
{
    if (engineEof_)
        return detail::kNoRecordAfter;
    SelectArea("GetNextRecord");
    TWorkArea& a = AreaRef();
    if (engineBof_) {
        SKIP(0);
        engineBof_ = false;
    } else if (!a.eof) {
        SKIP(1);
    }
    if (a.eof) {
        if (!a.bof && a.recCount > 0)
            SKIP(-1);
        engineEof_ = true;
        return detail::kNoRecordAfter;
    }
    std::memcpy(buffer, a.buffer, std::min(active_.size(), a.bufSize));
    recNo = a.recNo;
    return 0;
}

int TTzDataSet::TziGetPriorRecord(std::uint8_t* buffer, std::int32_t& recNo)
{
    if (engineBof_)
        return detail::kNoRecordBefore;
    SelectArea("GetPriorRecord");
    TWorkArea& a = AreaRef();
    if (engineEof_) {
        SKIP(0);
        engineEof_ = false;
    } else if (!a.bof) {
        SKIP(-1);
    }
    if (a.bof || a.eof || a.recNo < 1) {
        engineBof_ = true;
        return detail::kNoRecordBefore;
    }
    std::memcpy(buffer, a.buffer, std::min(active_.size(), a.bufSize));
    recNo = a.recNo;
    return 0;
}

int TTzDataSet::TziGotoBookmark(TBookmark bookmark)
{
    SafeGo(bookmark);
    return 0;
}

int TTzDataSet::TziSetToBookmark(TBookmark& bookmark)
{
    SelectArea("SetToBookmark");
    bookmark = dbase::RecNo();
    return 0;
}

int TTzDataSet::TziLocate(const std::string& fields, const std::vector<std::string>& values,
                          unsigned options, bool& found)
{
    SelectArea("Locate");
    const std::vector<std::string> names = SplitList(fields);
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i)
        joined += (i ? ";" : "") + values[i];
    const bool noCase = (options & loCaseInsensitive) != 0;
    const bool exact = (options & loPartialKey) == 0;
    const std::int32_t keep = recNo_;
    {
        QuietErrors quiet;
        if (names.size() == 1 && !values.empty())
            found = dbase::Locate(names.front(), values.front(), noCase, 1, exact);
        else
            found = LocateFields(fields, joined, noCase, true, exact);
    }
    const std::uint16_t code = EngineErrorCode;
    if (found) {
        engineBof_ = engineEof_ = false;
        return 0;
    }
    if (keep > 0)
        SafeGo(keep);
    return code == 0 || code == 212 ? 0 : code;
}

int TTzDataSet::TziLookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                          const std::string& resultFields, std::vector<std::string>& result,
                          bool& found)
{
    SelectArea("Lookup");
    const std::int32_t keep = dbase::RecNo();
    result.clear();
    {
        QuietErrors quiet;
        const std::vector<std::string> names = SplitList(keyFields);
        std::string joined;
        for (std::size_t i = 0; i < keyValues.size(); ++i)
            joined += (i ? ";" : "") + keyValues[i];
        found = names.size() == 1 && !keyValues.empty()
                    ? dbase::Locate(names.front(), keyValues.front(), false, 1, true)
                    : LocateFields(keyFields, joined, false, true, true);
    }
    if (found) {
        const std::vector<std::uint8_t> saved = active_;
        std::memcpy(active_.data(), AreaRef().buffer, std::min(active_.size(), AreaRef().bufSize));
        for (const std::string& name : SplitList(resultFields))
            result.push_back(AsString(FieldByName(name)));
        active_ = saved;
    }
    SafeGo(keep);
    return 0;
}

std::string TTzDataSet::WithEngineRecord(const std::function<std::string()>& f)
{
    TWorkArea* a = Area(area_);
    if (!a)
        return f();
    const std::vector<std::uint8_t> saved = active_;
    std::memcpy(active_.data(), a->buffer, std::min(active_.size(), a->bufSize));
    std::string key;
    try {
        key = f();
    } catch (...) {
        active_ = saved;
        throw;
    }
    active_ = saved;
    return key;
}

} // namespace kt4::dbase
