// The Qt model over a table dataset: one row per shown record, one column
// per field (column 0 shows field 1). It is the data source that the grid
// and the navigator share: whoever changes the dataset tells the model
// (Notify), and the model tells the views.
//
// Rows map to records. In record order with nothing hidden row r is record
// r + 1 and no map exists; in index order or with deleted records hidden a
// row -> record vector is built in one pass (the controlling index's leaves,
// or one sequential read of the deletion flags) when the rows change.
// data() reads only the records a view asks for (raw field texts, a small
// cache); the current record while it is edited comes from the dataset's
// buffer. While the dataset appends (insert state) an extra last row shows
// the new record.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace kt4::dbase {
class TTzFileDataSet;
struct TableCodePage;
}

namespace kt4::dbase::gui {

// Engine text (code page 1252, every byte kept).
QString EngineText(const std::string& bytes);

// Runs f. An engine or dataset error (or any other exception) is shown with
// its text in an error box and leaves the caller's form usable; false then.
bool Guarded(const std::function<void()>& f);

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        DeletedRole = Qt::UserRole + 1, // bool: the record is marked deleted
        RecNoRole,                      // int: the record number (0: the appended row)
        FieldTypeRole,                  // QChar: the dBase type letter
        TrueTextRole,                   // QString: logical columns, the true text
        FalseTextRole,                  // QString: logical columns, the false text
    };
    // What changed in the dataset.
    enum class Change {
        Position, // the current record or the dataset's state
        Values,   // field values of the current record (an edit, a post, a cancel)
        Records,  // records or their order (append, delete while hiding, pack, index)
    };

    explicit DatasetModel(QObject* parent = nullptr);

    void SetDataset(TTzFileDataSet* dataset);
    TTzFileDataSet* Dataset() const { return ds_; }
    // Whether cells may be edited (the grid's editing option).
    void SetEditable(bool on) { editable_ = on; }
    bool Editable() const { return editable_; }
    // The display values of a logical field: "true;false" (split at the
    // first ";"); empty: the dataset's texts.
    void SetDisplayValues(int field, const QString& values);
    // The texts a logical field shows, and those the grid compares with
    // ("wahr" and "falsch" without display values).
    QString ShownTrueText(int field) const;
    QString ShownFalseText(int field) const;
    QString TrueText(int field) const;
    QString FalseText(int field) const;

    // Tells the model (and through it every view) what changed.
    void Notify(Change change);
    // Rebuilds the rows (the map only when one is needed) and drops the cache.
    void Reload();
    // Ends a pending edit as the grid does when it leaves a row: an edit
    // with changed fields is posted, one without is cancelled. Raises the
    // dataset's error when the post fails (the edit then stays). After a
    // post the next Notify reloads the rows, whatever change it is told.
    void LeaveRecord();
    // Cancels an edit of a record (not an append) with no field changed;
    // true when it did.
    bool CancelUnchangedEdit();
    // Asks the views to hand over what is typed in an open cell editor.
    void UpdateRecord();
    // Asks the views to close an open cell editor without handing it over
    // (before an edit or an append is cancelled).
    void DiscardEdit();

    bool HasMap() const { return mapped_; }
    int RecordOfRow(int row) const;   // 0 for the appended row or none
    int RowOfRecord(int recNo) const; // -1 when the record is not shown
    int CurrentRow() const;           // the dataset's current row, -1 for none
    bool IsAppendRow(int row) const { return appendRow_ && row == baseRows_; }
    // The rows without the appended one.
    int RecordRows() const { return baseRows_; }
    // Characters a column needs: the field's length or its name's.
    int DisplayWidth(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The dataset's current record moved or its state changed.
    void positionChanged();
    // An open cell editor is to write its text (before posts and moves).
    void updateRecordRequested();
    // An open cell editor is to close without writing (before a cancel).
    void discardEditRequested();

private:
    struct RowTexts {
        bool deleted = false;
        std::vector<QString> texts;
    };
    struct FieldInfo {
        QString name;
        char type = 'C';
        int len = 0;
        bool readOnly = false;
    };
    const RowTexts& Row(int row) const;
    RowTexts ReadRecord(int recNo) const;
    RowTexts ReadBuffer() const;
    QString FieldTextOf(int field, const std::string& raw) const;
    // Text of a character field as the table's code page has it.
    QString TableText(const std::string& bytes) const;
    bool NeedsMap() const;
    // Rows and the append row as the dataset has them now.
    void SyncAppendRow();
    void ReadFields();
    std::string Signature() const;

    TTzFileDataSet* ds_ = nullptr;
    const TableCodePage* page_ = nullptr;
    bool editable_ = false;
    bool posted_ = false; // LeaveRecord posted: the next Notify reloads
    std::vector<FieldInfo> fields_;
    std::map<int, QString> displayValues_;
    std::string signature_;
    bool mapped_ = false;
    std::vector<std::int32_t> rows_; // row -> record when mapped_
    int baseRows_ = 0;               // rows of records
    bool appendRow_ = false;         // the dataset appends: one more row
    mutable std::unordered_map<int, RowTexts> cache_;
    // The row of the last record asked for (a search through the map).
    mutable int lastRecNo_ = 0, lastRow_ = -1;
};

} // namespace kt4::dbase::gui
