#include "dbase/gui/dataset_model.h"

#include "dbase/engine/codepage.h"
#include "dbase/dataset/dataset.h"
#include "dbase/gui/tzmsg.h"
#include "dbase/engine/engine_dates.h"
#include "dbase/engine/errors.h"
#include "dbase/dataset/tzfds.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/ui_service.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <utility>

namespace kt4::dbase::gui {

namespace {

// Code page 1252 from 0x80 to 0x9F; the five bytes it leaves undefined keep
// their own code points, so every byte comes back as it was.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::size_t kCacheRows = 2048;

std::string RTrim(const std::string& s)
{
    const auto end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string Trim(const std::string& s)
{
    const auto begin = s.find_first_not_of(' ');
    return begin == std::string::npos ? std::string() : RTrim(s.substr(begin));
}

bool LogicalTrue(const std::string& raw)
{
    return !raw.empty() && std::string("TtYyJj").find(raw[0]) != std::string::npos;
}

bool Editing(const TTzFileDataSet& ds)
{
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

bool AnyFieldChanged(const TTzFileDataSet& ds)
{
    bool changed = false;
    for (int n = 1; n <= ds.FieldCount() && !changed; ++n)
        changed = ds.FieldChanged(n);
    return changed;
}

} // namespace

QString EngineText(const std::string& bytes)
{
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (unsigned char c : bytes)
        out += (c >= 0x80 && c < 0xA0) ? QChar(kHigh[c - 0x80]) : QChar(c);
    return out;
}

bool Guarded(const std::function<void()>& f)
{
    std::string text;
    try {
        f();
        return true;
    } catch (const EDatasetError& e) {
        text = e.Text();
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = "Unbekannter Fehler";
    }
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    // as it stands: the text may name characters no OEM text can show
    Ui().MessageBox("Fehler : ", text, BoxKind::Error);
    return false;
}

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::SetDataset(TTzFileDataSet* dataset)
{
    if (dataset == ds_)
        return;
    beginResetModel();
    ds_ = dataset;
    posted_ = false;
    lastRecNo_ = 0;
    signature_.clear();
    fields_.clear();
    rows_.clear();
    mapped_ = appendRow_ = false;
    baseRows_ = 0;
    cache_.clear();
    endResetModel();
    Reload();
}

void DatasetModel::SetDisplayValues(int field, const QString& values)
{
    if (values.isEmpty())
        displayValues_.erase(field);
    else
        displayValues_[field] = values;
    cache_.clear();
    if (rowCount() > 0 && field >= 1 && field <= columnCount())
        emit dataChanged(index(0, field - 1), index(rowCount() - 1, field - 1));
}

QString DatasetModel::ShownTrueText(int field) const
{
    auto it = displayValues_.find(field);
    return it == displayValues_.end() ? EngineText(LogicalTrueText) : it->second.section(';', 0, 0);
}

QString DatasetModel::ShownFalseText(int field) const
{
    auto it = displayValues_.find(field);
    return it == displayValues_.end() ? EngineText(LogicalFalseText) : it->second.section(';', 1);
}

QString DatasetModel::TrueText(int field) const
{
    return displayValues_.count(field) ? ShownTrueText(field) : QStringLiteral("wahr");
}

QString DatasetModel::FalseText(int field) const
{
    return displayValues_.count(field) ? ShownFalseText(field) : QStringLiteral("falsch");
}

std::string DatasetModel::Signature() const
{
    std::string s = ds_->DbfFileName();
    for (const auto& line : ds_->DbfFields)
        s += "\n" + line;
    return s;
}

void DatasetModel::ReadFields()
{
    fields_.clear();
    for (int n = 1; n <= ds_->FieldCount(); ++n) {
        const TTzField& f = ds_->FieldAt(n);
        fields_.push_back({EngineText(f.name), f.type, f.len, f.readOnly});
    }
}

bool DatasetModel::NeedsMap() const
{
    return ds_->HideDeletedRecs() || !ds_->IsSequenced();
}

void DatasetModel::Reload()
{
    if (!ds_ || !ds_->Active()) {
        beginResetModel();
        fields_.clear();
        rows_.clear();
        page_ = nullptr;
        lastRecNo_ = 0;
        signature_.clear();
        mapped_ = appendRow_ = false;
        baseRows_ = 0;
        cache_.clear();
        endResetModel();
        return;
    }
    bool mapped = false;
    std::vector<std::int32_t> rows;
    int base = 0;
    const TableCodePage* page = nullptr;
    const bool ok = Guarded([&] {
        page = &ds_->TextPage();
        mapped = NeedsMap();
        if (mapped) {
            rows = ds_->VisibleRecords();
            base = int(rows.size());
        } else {
            base = ds_->RecordCount();
        }
    });
    if (!ok)
        return; // the rows stay as they were
    const bool append = ds_->State() == TDataSetState::dsInsert;
    const std::string sig = Signature();
    auto apply = [&] {
        page_ = page;
        mapped_ = mapped;
        rows_.swap(rows);
        lastRecNo_ = 0;
        baseRows_ = base;
        appendRow_ = append;
        cache_.clear();
    };
    if (sig != signature_) {
        beginResetModel();
        apply();
        signature_ = sig;
        ReadFields();
        endResetModel();
        return;
    }
    const int before = rowCount();
    const int after = base + (append ? 1 : 0);
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        apply();
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        apply();
        endRemoveRows();
    } else {
        apply();
    }
    if (after > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, after - 1);
    }
}

void DatasetModel::SyncAppendRow()
{
    const bool want = ds_ && ds_->Active() && ds_->State() == TDataSetState::dsInsert;
    if (want == appendRow_)
        return;
    if (want) {
        beginInsertRows(QModelIndex(), baseRows_, baseRows_);
        appendRow_ = true;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), baseRows_, baseRows_);
        appendRow_ = false;
        endRemoveRows();
    }
}

void DatasetModel::Notify(Change change)
{
    if (!ds_)
        return;
    // A record posted on leaving it may be a new one or stand elsewhere in
    // the index order now: whatever the caller did next, the rows follow.
    if (std::exchange(posted_, false))
        change = Change::Records;
    if (!ds_->Active() || signature_ != Signature()) {
        Reload();
    } else if (change == Change::Records) {
        Reload();
    } else if (change == Change::Values) {
        int count = baseRows_;
        bool sequenced = true;
        Guarded([&] {
            count = ds_->RecordCount();
            sequenced = ds_->IsSequenced();
        });
        // A post can add a record or move one in index order.
        const bool posted = ds_->State() == TDataSetState::dsBrowse;
        if ((!mapped_ && count != baseRows_) || (mapped_ && posted && (appendRow_ || !sequenced))) {
            Reload();
        } else {
            SyncAppendRow();
            cache_.clear();
            if (rowCount() > 0 && columnCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        }
    } else {
        SyncAppendRow();
    }
    if (rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    emit positionChanged();
}

void DatasetModel::UpdateRecord()
{
    emit updateRecordRequested();
}

void DatasetModel::DiscardEdit()
{
    emit discardEditRequested();
}

void DatasetModel::LeaveRecord()
{
    if (!ds_ || !ds_->Active())
        return;
    UpdateRecord();
    if (!Editing(*ds_))
        return;
    if (AnyFieldChanged(*ds_)) {
        ds_->Post();
        posted_ = true;
    } else {
        ds_->Cancel();
    }
}

bool DatasetModel::CancelUnchangedEdit()
{
    if (!ds_ || !ds_->Active() || ds_->State() != TDataSetState::dsEdit || AnyFieldChanged(*ds_))
        return false;
    return Guarded([&] { ds_->Cancel(); });
}

int DatasetModel::RecordOfRow(int row) const
{
    if (row < 0 || row >= baseRows_)
        return 0;
    return mapped_ ? rows_[std::size_t(row)] : row + 1;
}

int DatasetModel::RowOfRecord(int recNo) const
{
    if (recNo < 1)
        return -1;
    if (!mapped_)
        return recNo <= baseRows_ ? recNo - 1 : -1;
    if (recNo == lastRecNo_)
        return lastRow_;
    const auto it = std::find(rows_.begin(), rows_.end(), recNo);
    lastRecNo_ = recNo;
    lastRow_ = it == rows_.end() ? -1 : int(it - rows_.begin());
    return lastRow_;
}

int DatasetModel::CurrentRow() const
{
    if (!ds_ || !ds_->Active())
        return -1;
    if (appendRow_)
        return baseRows_;
    return ds_->IsEmpty() ? -1 : RowOfRecord(ds_->RecNo());
}

int DatasetModel::DisplayWidth(int column) const
{
    if (column < 0 || column >= int(fields_.size()))
        return 0;
    const FieldInfo& f = fields_[std::size_t(column)];
    const int len = f.type == 'D' ? 10 : (f.type == 'M' ? 4 : (f.type == 'L' ? 1 : f.len));
    return std::max(int(f.name.size()), std::min(len, 40));
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : baseRows_ + (appendRow_ ? 1 : 0);
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(fields_.size());
}

QString DatasetModel::TableText(const std::string& bytes) const
{
    return page_ ? QString::fromStdString(TableTextToUtf8(*page_, bytes)) : EngineText(bytes);
}

QString DatasetModel::FieldTextOf(int field, const std::string& raw) const
{
    const FieldInfo& f = fields_[std::size_t(field - 1)];
    switch (f.type) {
    case 'C':
        return TableText(RTrim(raw));
    case 'N':
    case 'F':
        return EngineText(Trim(raw));
    case 'D': {
        const std::string t = Trim(raw);
        return t.empty() ? QString() : EngineText(DtosToDateTextOf(t));
    }
    case 'L':
        return LogicalTrue(raw) ? ShownTrueText(field) : ShownFalseText(field);
    case 'M': {
        const bool none = raw.find_first_not_of(f.len == 4 ? std::string(1, '\0') : std::string(" 0")) ==
                          std::string::npos;
        return none ? QStringLiteral("none") : QStringLiteral("MEMO");
    }
    default:
        return TableText(RTrim(raw));
    }
}

DatasetModel::RowTexts DatasetModel::ReadRecord(int recNo) const
{
    RowTexts r;
    std::string raw;
    ds_->Peek(0, recNo, raw);
    r.deleted = raw == "*";
    for (int n = 1; n <= int(fields_.size()); ++n) {
        raw.clear();
        ds_->Peek(n, recNo, raw);
        r.texts.push_back(FieldTextOf(n, raw));
    }
    return r;
}

DatasetModel::RowTexts DatasetModel::ReadBuffer() const
{
    RowTexts r;
    r.deleted = ds_->Deleted();
    for (int n = 1; n <= int(fields_.size()); ++n) {
        const char type = fields_[std::size_t(n - 1)].type;
        if (type == 'L')
            r.texts.push_back(ds_->AsBoolean(n) ? ShownTrueText(n) : ShownFalseText(n));
        else if (type == 'C')
            r.texts.push_back(TableText(ds_->AsString(n)));
        else
            r.texts.push_back(EngineText(ds_->AsString(n)));
    }
    return r;
}

const DatasetModel::RowTexts& DatasetModel::Row(int row) const
{
    static RowTexts buffer;
    const int recNo = RecordOfRow(row);
    if (IsAppendRow(row) || (ds_->State() == TDataSetState::dsEdit && recNo == ds_->RecNo())) {
        buffer = ReadBuffer();
        return buffer;
    }
    auto it = cache_.find(recNo);
    if (it != cache_.end())
        return it->second;
    if (CurrentProgress100()) {
        // The engine is busy with long work that lets the windows repaint:
        // no read may come in between.
        static RowTexts blank;
        blank.texts.assign(fields_.size(), QString());
        return blank;
    }
    if (cache_.size() >= kCacheRows)
        cache_.clear();
    return cache_.emplace(recNo, ReadRecord(recNo)).first->second;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !ds_ || !ds_->Active() || index.column() >= int(fields_.size()))
        return {};
    const int field = index.column() + 1;
    const FieldInfo& f = fields_[std::size_t(index.column())];
    try {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const RowTexts& r = Row(index.row());
            return std::size_t(index.column()) < r.texts.size() ? r.texts[std::size_t(index.column())]
                                                                : QString();
        }
        case DeletedRole:
            return Row(index.row()).deleted;
        case RecNoRole:
            return RecordOfRow(index.row());
        case FieldTypeRole:
            return QChar(f.type);
        case TrueTextRole:
            return f.type == 'L' ? QVariant(TrueText(field)) : QVariant();
        case FalseTextRole:
            return f.type == 'L' ? QVariant(FalseText(field)) : QVariant();
        case Qt::TextAlignmentRole:
            if (f.type == 'N' || f.type == 'F')
                return int(Qt::AlignRight | Qt::AlignVCenter);
            if (f.type == 'L')
                return int(Qt::AlignCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return Row(index.row()).deleted ? QVariant(QColor(Qt::red)) : QVariant();
        default:
            return {};
        }
    } catch (const std::exception&) {
        return {}; // an unreadable record shows empty cells
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < int(fields_.size()) ? fields_[std::size_t(section)].name
                                                            : QVariant();
    if (!ds_ || !ds_->Active() || section != CurrentRow())
        return QString();
    switch (ds_->State()) {
    case TDataSetState::dsInsert:
        return QStringLiteral("*");
    case TDataSetState::dsEdit:
        return QStringLiteral("I");
    default:
        return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() >= int(fields_.size()))
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const FieldInfo& f = fields_[std::size_t(index.column())];
    if (editable_ && !f.readOnly && f.type != 'L' && f.type != 'M')
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable_ || role != Qt::EditRole || !index.isValid() || !ds_ || !ds_->Active() ||
        index.column() >= int(fields_.size()) || index.row() >= rowCount())
        return false;
    // The appended row of an append that has ended is leaving the views: a
    // text for it belongs to no record.
    if (IsAppendRow(index.row()) && ds_->State() != TDataSetState::dsInsert)
        return false;
    const int field = index.column() + 1;
    const char type = fields_[std::size_t(index.column())].type;
    const QString text = value.toString();
    const bool ok = Guarded([&] {
        if (!IsAppendRow(index.row())) {
            const int recNo = RecordOfRow(index.row());
            if (Editing(*ds_) && ds_->RecNo() != recNo)
                LeaveRecord();
            if (ds_->RecNo() != recNo || ds_->IsEmpty())
                ds_->GotoBookmark(recNo);
        }
        if (!Editing(*ds_))
            ds_->Edit();
        if (type == 'L' && text.compare(TrueText(field), Qt::CaseInsensitive) == 0)
            ds_->SetAsBoolean(field, true);
        else if (type == 'L' && text.compare(FalseText(field), Qt::CaseInsensitive) == 0)
            ds_->SetAsBoolean(field, false);
        else
            ds_->SetAsTableText(field, text.toStdString());
    });
    Notify(Change::Values);
    return ok;
}

} // namespace kt4::dbase::gui
