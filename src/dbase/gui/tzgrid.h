// TTzGrid: the table grid over a DatasetModel, with the dBase specifics:
// logical fields as boxes that toggle with the mouse, records marked deleted
// in their own colours (a colour event may change the seven colours of any
// row), a right press on a column title that the owner can use to sort,
// clicks on the corner cell, date fields edited through a digit mask, and
// Ctrl+Delete that restores (or deletes) the current record.
//
// The grid's current row is the dataset's current record both ways: moving
// in the grid moves the dataset (a pending edit is posted when the row is
// left, an appended row left without a change is cancelled), a cell editor
// opened on a record puts the dataset into its edit state, and every
// Notify of the model brings the grid to the dataset's record.
#pragma once

#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

namespace kt4::dbase::gui {

class DatasetModel;
class TTzGrid;

// How logical cells look.
enum class TTzBooleanBox {
    bbCheckBox,   // rectangle, a cross when checked
    bbCheckMark,  // no frame, a tick when checked
    bbText,       // the field's text
    bbFillBox,    // rectangle, filled in the font colour when checked
    bbFillBoxRed, // rectangle, filled red
    bbRButton,    // ellipse, a filled ellipse inside
    bbRButtonRed, // the same in red
    bbDot,        // no frame, a filled ellipse
    bbDotRed,     // the same in red
};

// The seven colours a row is drawn with.
struct TTzRowColors {
    QColor gridBack, cellBack, cellFont, highlight, highlightText, deletedBack, deletedFont;
};

// Sender, row, then the colours in the order deleted font, deleted
// background, highlight text, highlight, cell font, cell background, grid
// background; the event may change them for that row.
using TTzChangeColorsEvent =
    std::function<void(TTzGrid& sender, int row, QColor& deletedFont, QColor& deletedBack,
                       QColor& highlightText, QColor& highlight, QColor& cellFont,
                       QColor& cellBack, QColor& gridBack)>;
using TTzGridClickEvent = std::function<void(TTzGrid& sender, int column)>;
using TTzGridNotifyEvent = std::function<void(TTzGrid& sender)>;

// The input mask of date cells in the engine's date layout: "99.99.9999"
// for the German layout, two nines for a year without century, the year
// first in the year-first layout (the Qt mask, with " " as the blank).
QString DateEditMask();

class TTzGridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TTzGridHeader(QWidget* parent);
    int depressed = -1; // logical index of the pressed title, -1: none

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
};

class TTzGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TTzGridDelegate(TTzGrid* grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

    // The box of a logical cell in the rectangle (a square as high as the
    // cell, centred) in the colour.
    static void PaintBox(QPainter* painter, const QRect& cell, TTzBooleanBox style, bool checked,
                         const QColor& color);

private:
    TTzGrid* grid_;
};

class TTzGrid : public QTableView {
    Q_OBJECT
public:
    explicit TTzGrid(QWidget* parent = nullptr);

    bool AutoAppend = true;
    TTzBooleanBox BooleanBox = TTzBooleanBox::bbCheckBox;
    // Ask before Ctrl+Delete deletes or restores.
    bool ConfirmDelete = false;
    TTzGridNotifyEvent OnCornerLeftClick, OnCornerRightClick;
    TTzChangeColorsEvent OnChangeColorsEvent;
    TTzGridClickEvent OnDepressTitle;
    // Called for every key pressed in the grid before the grid acts on it;
    // true: the key is used up.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> OnKeyDown;
    // Called when a key is released in the grid.
    std::function<void(int key)> OnKeyUp;

    bool DepressDisabled() const { return depressDisabled_; }
    // Setting it releases the pressed title.
    void SetDepressDisabled(bool on);
    int DepressedColumn() const { return header_->depressed; }
    // The pressed title marks the column the rows are sorted by: -1
    // releases it. The grid releases it itself when the model shows
    // another table or its records in their natural order.
    void SetDepressedColumn(int column);
    // The title pressed before the last right click (a sort that failed
    // leaves the rows in that order).
    void RestoreDepressedColumn() { SetDepressedColumn(depressedBefore_); }

    // Row select (the selection modes) or cell editing.
    void SetRowSelect(bool on);
    void SetEditing(bool on);
    bool Editing() const { return editing_; }

    void SetDataSource(DatasetModel* model);
    DatasetModel* DataSource() const { return model_; }
    // The grid to the dataset's current record (row selected and shown).
    void FollowDataset();
    // Hands an open cell editor's text to the model.
    void CommitEdit();
    // Closes an open cell editor without handing its text over.
    void DiscardEdit();
    // The cells in the system's fixed-pitch font at 8 points, the titles in
    // the default font (again after a form scaled its controls' fonts).
    void ApplyFonts();
    // Column widths from the fields' lengths and names.
    void AdjustColumns();
    // The seven colours of a row after OnChangeColorsEvent.
    TTzRowColors RowColors(int row);

    // What a left click on a logical cell does: the field toggles between
    // its true and false text (edit mode only).
    void ToggleLogical(const QModelIndex& index);
    // What Ctrl+Delete does: restores a deleted record, deletes any other.
    void DeleteOrRestore();

    using QTableView::edit;

protected:
    // An editor opened on a record puts the dataset into its edit state.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Rows that go (an empty new row dropped, records hidden or packed)
    // move the view's current row off them; the dataset stays where the
    // move that dropped them put it, and the grid follows it afterwards.
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyboardSearch(const QString& search) override;

private:
    friend class TTzGridDelegate;
    // The dataset follows the grid to row; false when the row could not be
    // left (its edit was refused).
    bool MoveDatasetTo(int row);
    // Releases the pressed title when the records show in natural order.
    void FollowOrder();

    DatasetModel* model_ = nullptr;
    TTzGridHeader* header_;
    bool depressDisabled_ = false;
    int depressedBefore_ = -1;
    bool editing_ = false;
    bool syncing_ = false;
    bool committing_ = false;
    QWidget* editor_ = nullptr; // the open cell editor
};

} // namespace kt4::dbase::gui
