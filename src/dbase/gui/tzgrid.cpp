#include "dbase/gui/tzgrid.h"

#include "dbase/dataset/tzfds.h"
#include "dbase/engine/runtime.h"
#include "dbase/gui/dataset_model.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace kt4::dbase::gui {

namespace {

bool IsLogical(const QModelIndex& index)
{
    return index.isValid() && index.data(DatasetModel::FieldTypeRole).toChar() == QChar('L');
}

bool Ask(const char* text)
{
    return Ui().OkCancelBox(settings::ProductName, text);
}

} // namespace

QString DateEditMask()
{
    return QString::fromStdString(LayoutDate(DateWithCentury ? "9999" : "99", "99", "99")) + "; ";
}

// ---- Header ----

TTzGridHeader::TTzGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setObjectName("TzGridTitles");
}

void TTzGridHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (logicalIndex == depressed) {
        option->state |= QStyle::State_Sunken | QStyle::State_On;
        option->state &= ~QStyle::State_Raised;
    }
}

// ---- Cells ----

TTzGridDelegate::TTzGridDelegate(TTzGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void TTzGridDelegate::PaintBox(QPainter* painter, const QRect& cell, TTzBooleanBox style, bool checked,
                               const QColor& color)
{
    const int side = std::max(4, cell.height() - 2);
    const QRect box(cell.left() + (cell.width() - side) / 2, cell.top() + (cell.height() - side) / 2,
                    side, side);
    const QColor mark = (style == TTzBooleanBox::bbFillBoxRed || style == TTzBooleanBox::bbRButtonRed ||
                         style == TTzBooleanBox::bbDotRed)
                            ? QColor(Qt::red)
                            : color;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, style == TTzBooleanBox::bbRButton ||
                                                       style == TTzBooleanBox::bbRButtonRed ||
                                                       style == TTzBooleanBox::bbDot ||
                                                       style == TTzBooleanBox::bbDotRed ||
                                                       style == TTzBooleanBox::bbCheckMark);
    const QPen frame(color, 1);
    const QPen marks(mark, 2);
    painter->setBrush(Qt::NoBrush);
    switch (style) {
    case TTzBooleanBox::bbCheckBox:
        painter->setPen(frame);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (checked) {
            painter->setPen(marks);
            const QRect in = box.adjusted(3, 3, -4, -4);
            painter->drawLine(in.topLeft(), in.bottomRight());
            painter->drawLine(in.bottomLeft(), in.topRight());
        }
        break;
    case TTzBooleanBox::bbCheckMark:
        if (checked) {
            painter->setPen(marks);
            const QPoint points[3] = {QPoint(box.left() + 2, box.top() + box.height() / 2),
                                      QPoint(box.left() + box.width() / 3, box.bottom() - 2),
                                      QPoint(box.right() - 2, box.top() + 2)};
            painter->drawPolyline(points, 3);
        }
        break;
    case TTzBooleanBox::bbFillBox:
    case TTzBooleanBox::bbFillBoxRed:
        painter->setPen(frame);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (checked)
            painter->fillRect(box.adjusted(1, 1, -1, -1), mark);
        break;
    case TTzBooleanBox::bbRButton:
    case TTzBooleanBox::bbRButtonRed:
        painter->setPen(frame);
        painter->drawEllipse(box.adjusted(0, 0, -1, -1));
        if (checked) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(mark);
            painter->drawEllipse(box.adjusted(2, 2, -3, -3));
        }
        break;
    case TTzBooleanBox::bbDot:
    case TTzBooleanBox::bbDotRed:
        if (checked) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(mark);
            painter->drawEllipse(box.adjusted(0, 0, -1, -1));
        }
        break;
    case TTzBooleanBox::bbText:
        break;
    }
    painter->restore();
}

void TTzGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const TTzRowColors c = grid_->RowColors(index.row());
    QColor back = c.cellBack, fore = c.cellFont;
    if (index.data(DatasetModel::DeletedRole).toBool()) {
        back = c.deletedBack;
        fore = c.deletedFont;
    }
    if (option.state & QStyle::State_Selected) {
        back = c.highlight;
        fore = c.highlightText;
    }
    painter->save();
    painter->fillRect(option.rect, c.gridBack);
    painter->fillRect(option.rect, back);
    const QString text = index.data().toString();
    if (IsLogical(index) && grid_->BooleanBox != TTzBooleanBox::bbText) {
        const bool checked =
            text.compare(index.data(DatasetModel::TrueTextRole).toString(), Qt::CaseInsensitive) == 0;
        PaintBox(painter, option.rect, grid_->BooleanBox, checked, fore);
    } else {
        const int align = index.data(Qt::TextAlignmentRole).toInt();
        QRect r = option.rect;
        if (align & Qt::AlignRight)
            r.adjust(0, 0, -3, 0);
        else if (!(align & Qt::AlignHCenter))
            r.adjust(2, 0, 0, 0);
        painter->setClipRect(option.rect);
        painter->setFont(option.font);
        painter->setPen(fore);
        painter->drawText(r, (align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                          text);
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setClipping(false);
        painter->setPen(QPen(fore, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QWidget* TTzGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setObjectName("TzGridEditor");
    editor->setFrame(false);
    editor->setFont(grid_->font());
    if (index.data(DatasetModel::FieldTypeRole).toChar() == QChar('D'))
        editor->setInputMask(DateEditMask());
    grid_->editor_ = editor;
    return editor;
}

void TTzGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* e = qobject_cast<QLineEdit*>(editor))
        e->setText(index.data(Qt::EditRole).toString());
}

void TTzGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* e = qobject_cast<QLineEdit*>(editor))
        model->setData(index, e->text(), Qt::EditRole);
}

// ---- Grid ----

TTzGrid::TTzGrid(QWidget* parent) : QTableView(parent), header_(new TTzGridHeader(this))
{
    setObjectName("TTzGrid");
    setHorizontalHeader(header_);
    header_->setSectionsMovable(true);
    header_->setSectionsClickable(false);
    header_->setHighlightSections(false);
    header_->viewport()->installEventFilter(this);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setFixedWidth(14);
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);
    setItemDelegate(new TTzGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setAlternatingRowColors(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    ApplyFonts();
}

void TTzGrid::ApplyFonts()
{
    QFont cells = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    cells.setPointSize(8);
    setFont(cells);
    header_->setFont(QApplication::font());
    verticalHeader()->setFont(QApplication::font());
    const int rowHeight = QFontMetrics(cells).height() + 4;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
}

void TTzGrid::AdjustColumns()
{
    if (!model_)
        return;
    const QFontMetrics cells(font()), titles(header_->font());
    for (int c = 0; c < model_->columnCount(); ++c) {
        const int chars = model_->DisplayWidth(c);
        const int w = std::max(cells.horizontalAdvance(QString(chars, QChar('0'))),
                               titles.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()));
        header_->resizeSection(c, w + 8);
    }
}

void TTzGrid::SetDepressDisabled(bool on)
{
    depressDisabled_ = on;
    if (on)
        SetDepressedColumn(-1);
}

void TTzGrid::SetDepressedColumn(int column)
{
    if (header_->depressed != column) {
        header_->depressed = column;
        header_->viewport()->update();
    }
}

void TTzGrid::FollowOrder()
{
    if (header_->depressed < 0)
        return;
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    bool natural = true;
    try {
        natural = !ds || !ds->Active() || ds->IsSequenced();
    } catch (...) {
    }
    if (natural)
        SetDepressedColumn(-1);
}

void TTzGrid::SetRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setTabKeyNavigation(!on); // Tab moves between cells only when cells are selected
}

void TTzGrid::SetEditing(bool on)
{
    editing_ = on;
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
    if (model_)
        model_->SetEditable(on);
}

void TTzGrid::SetDataSource(DatasetModel* model)
{
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    setModel(model);
    SetDepressedColumn(-1);
    if (!model)
        return;
    model->SetEditable(editing_);
    connect(model, &DatasetModel::positionChanged, this, &TTzGrid::FollowDataset);
    connect(model, &DatasetModel::positionChanged, this, &TTzGrid::FollowOrder);
    connect(model, &DatasetModel::updateRecordRequested, this, &TTzGrid::CommitEdit);
    connect(model, &DatasetModel::discardEditRequested, this, &TTzGrid::DiscardEdit);
    connect(model, &QAbstractItemModel::modelReset, this, &TTzGrid::AdjustColumns);
    // another table: its titles are not sorted by
    connect(model, &QAbstractItemModel::modelReset, this, [this] { SetDepressedColumn(-1); });
    AdjustColumns();
}

void TTzGrid::FollowDataset()
{
    if (!model_ || model_->columnCount() == 0)
        return;
    const int row = model_->CurrentRow();
    syncing_ = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const int col = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex index = model_->index(row, col);
        const auto flags = QItemSelectionModel::ClearAndSelect |
                           (selectionBehavior() == SelectRows ? QItemSelectionModel::Rows
                                                              : QItemSelectionModel::NoUpdate);
        if (index != currentIndex() || !selectionModel()->isSelected(index))
            selectionModel()->setCurrentIndex(index, flags);
        scrollTo(index);
    }
    syncing_ = false;
    viewport()->update();
}

void TTzGrid::CommitEdit()
{
    if (committing_ || !editor_)
        return;
    committing_ = true;
    QWidget* editor = editor_;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    committing_ = false;
}

bool TTzGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    // Typing into a cell of the dataset's current record starts its edit
    // here, so that the navigator's Post and Cancel act on the open editor;
    // a cell of another record starts it when the text is handed over
    // (DatasetModel::setData moves the dataset there first).
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    if (editor_ && ds && ds->Active() && ds->State() == TDataSetState::dsBrowse &&
        model_->RecordOfRow(index.row()) == ds->RecNo() && Guarded([&] { ds->Edit(); }))
        model_->Notify(DatasetModel::Change::Position);
    return true;
}

void TTzGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor == editor_)
        editor_ = nullptr;
    QTableView::closeEditor(editor, hint);
    // Closed without its text (Escape): an edit that changed nothing ends.
    if (hint == QAbstractItemDelegate::RevertModelCache && model_ && model_->CancelUnchangedEdit())
        model_->Notify(DatasetModel::Change::Values);
}

void TTzGrid::DiscardEdit()
{
    if (!committing_ && editor_)
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
}

TTzRowColors TTzGrid::RowColors(int row)
{
    const QPalette p = palette();
    TTzRowColors c;
    c.gridBack = p.color(QPalette::Base);
    c.cellBack = p.color(QPalette::Base);
    c.cellFont = p.color(QPalette::Text);
    c.highlight = p.color(QPalette::Highlight);
    c.highlightText = p.color(QPalette::HighlightedText);
    c.deletedBack = QColor(Qt::red);
    c.deletedFont = p.color(QPalette::Text);
    if (OnChangeColorsEvent)
        OnChangeColorsEvent(*this, row, c.deletedFont, c.deletedBack, c.highlightText, c.highlight,
                            c.cellFont, c.cellBack, c.gridBack);
    return c;
}

bool TTzGrid::MoveDatasetTo(int row)
{
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    if (!ds || !ds->Active() || model_->IsAppendRow(row))
        return true;
    const int recNo = model_->RecordOfRow(row);
    const bool ok = Guarded([&] {
        model_->LeaveRecord();
        if (recNo > 0 && (ds->RecNo() != recNo || ds->IsEmpty()))
            ds->GotoBookmark(recNo);
    });
    model_->Notify(ok ? DatasetModel::Change::Position : DatasetModel::Change::Values);
    return ok;
}

void TTzGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (syncing_ || !model_ || !current.isValid())
        return;
    if (previous.isValid() && previous.row() == current.row())
        return;
    if (!MoveDatasetTo(current.row()))
        FollowDataset(); // the row with the refused edit stays current
}

void TTzGrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    const bool syncing = std::exchange(syncing_, true);
    QTableView::rowsAboutToBeRemoved(parent, start, end);
    syncing_ = syncing;
}

void TTzGrid::keyboardSearch(const QString&)
{
    // typing never jumps to a row
}

void TTzGrid::ToggleLogical(const QModelIndex& index)
{
    if (!editing_ || !model_ || !IsLogical(index))
        return;
    const QString text = index.data().toString();
    const QString trueText = index.data(DatasetModel::TrueTextRole).toString();
    const QString falseText = index.data(DatasetModel::FalseTextRole).toString();
    model_->setData(index, text.compare(trueText, Qt::CaseInsensitive) == 0 ? falseText : trueText);
}

void TTzGrid::DeleteOrRestore()
{
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    if (!editing_ || !ds || !ds->Active())
        return;
    const bool hiding = ds->HideDeletedRecs();
    Guarded([&] {
        if (ds->State() == TDataSetState::dsInsert) {
            ds->Cancel();
            return;
        }
        if (ds->IsEmpty())
            return;
        if (ds->Deleted()) {
            if (!ConfirmDelete || Ask("Datensatz restaurieren ?"))
                ds->SetDeleted(false);
        } else if (!ConfirmDelete || Ask("Datensatz löschen ?")) {
            ds->Delete();
        }
    });
    model_->Notify(hiding ? DatasetModel::Change::Records : DatasetModel::Change::Values);
}

void TTzGrid::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (OnKeyDown && OnKeyDown(key, event->modifiers())) {
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        DeleteOrRestore();
        event->accept();
        return;
    }
    const QModelIndex current = currentIndex();
    // Typed characters in a logical column are ignored; control characters
    // (Backspace, Enter, Tab, ...) pass on.
    if (IsLogical(current) && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->accept();
        return;
    }
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    if (key == Qt::Key_Down && editing_ && AutoAppend && ds && ds->Active() && current.isValid() &&
        current.row() == model_->rowCount() - 1 && !model_->IsAppendRow(current.row()) &&
        state() != EditingState) {
        Guarded([&] {
            model_->LeaveRecord();
            ds->Append();
        });
        model_->Notify(DatasetModel::Change::Position);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TTzGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (OnKeyUp)
        OnKeyUp(event->key());
}

void TTzGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && editing_ && IsLogical(index) &&
        index.row() == currentIndex().row())
        ToggleLogical(index);
    QTableView::mouseReleaseEvent(event);
}

bool TTzGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QTableView::eventFilter(watched, event);
    auto* me = static_cast<QMouseEvent*>(event);
    if (watched == header_->viewport() && me->button() == Qt::RightButton) {
        const bool plain = !(me->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        const int column = header_->logicalIndexAt(me->position().toPoint());
        if (plain && !depressDisabled_ && column >= 0) {
            depressedBefore_ = header_->depressed;
            SetDepressedColumn(column);
            if (OnDepressTitle)
                OnDepressTitle(*this, column);
        }
        return true;
    }
    if (qobject_cast<QAbstractButton*>(watched) && watched->parent() == this) {
        if (me->button() == Qt::LeftButton && OnCornerLeftClick)
            OnCornerLeftClick(*this);
        else if (me->button() == Qt::RightButton && OnCornerRightClick)
            OnCornerRightClick(*this);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace kt4::dbase::gui
