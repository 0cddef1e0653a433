#include "dbase/gui/tznavigator.h"

#include "dbase/dataset/tzfds.h"
#include "dbase/gui/dataset_model.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace kt4::dbase::gui {

namespace {

constexpr int kButtonWidth = 21;
constexpr int kButtonHeight = 25;

struct ButtonInfo {
    const char* name;
    const char* hint;
};

constexpr ButtonInfo kButtons[10] = {
    {"nbFirst", "Erster Datensatz"},      {"nbPrior", "Voriger Datensatz"},
    {"nbNext", "Nächster Datensatz"},     {"nbLast", "Letzter Datensatz"},
    {"nbInsert", "Datensatz einfügen"},   {"nbDelete", "Datensatz löschen / restaurieren"},
    {"nbEdit", "Datensatz bearbeiten"},   {"nbPost", "Änderungen speichern"},
    {"nbCancel", "Änderungen verwerfen"}, {"nbRefresh", "Daten aktualisieren"},
};

// The glyph of a button, drawn so that it looks the same on every desktop.
QIcon Glyph(TNavigateBtn b)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](bool left, int x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 6, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 6, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 6, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (b) {
    case TNavigateBtn::nbFirst:
        p.drawRect(3, 3, 2, 10);
        triangle(true, 6);
        break;
    case TNavigateBtn::nbPrior:
        triangle(true, 5);
        break;
    case TNavigateBtn::nbNext:
        triangle(false, 5);
        break;
    case TNavigateBtn::nbLast:
        triangle(false, 4);
        p.drawRect(11, 3, 2, 10);
        break;
    case TNavigateBtn::nbInsert:
        p.drawRect(7, 3, 2, 10);
        p.drawRect(3, 7, 10, 2);
        break;
    case TNavigateBtn::nbDelete:
        p.drawRect(3, 7, 10, 2);
        break;
    case TNavigateBtn::nbEdit: {
        QPainterPath path;
        path.moveTo(8, 3);
        path.lineTo(13, 12);
        path.lineTo(3, 12);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case TNavigateBtn::nbPost:
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 12), QPoint(13, 4)}));
        break;
    case TNavigateBtn::nbCancel:
        p.setPen(QPen(QColor(160, 0, 0), 2));
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
        break;
    case TNavigateBtn::nbRefresh:
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRect(3, 3, 10, 10), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(12, 3), QPoint(8, 6)}));
        break;
    }
    return QIcon(pm);
}

bool Ask(const char* text)
{
    return Ui().OkCancelBox(settings::ProductName, text);
}

} // namespace

TTzNavigator::TTzNavigator(QWidget* parent) : QWidget(parent)
{
    setObjectName("TTzNavigator");
    for (int k = 0; k < 10; ++k) {
        auto* b = new QToolButton(this);
        const auto id = TNavigateBtn(k);
        b->setObjectName(kButtons[k].name);
        b->setToolTip(QString::fromUtf8(kButtons[k].hint));
        b->setIcon(Glyph(id));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, id] { BtnClick(id); });
        buttons_[std::size_t(k)] = b;
    }
    SetAllButtonsVisible();
}

QToolButton* TTzNavigator::Button(TNavigateBtn button) const
{
    return buttons_[std::size_t(button)];
}

void TTzNavigator::SetDataSource(DatasetModel* model)
{
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    if (model)
        connect(model, &DatasetModel::positionChanged, this, &TTzNavigator::UpdateButtons);
    UpdateButtons();
}

void TTzNavigator::SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons)
{
    for (QToolButton* b : buttons_)
        b->setVisible(false);
    for (TNavigateBtn b : buttons)
        Button(b)->setVisible(true);
    Arrange();
}

void TTzNavigator::SetAllButtonsVisible()
{
    for (QToolButton* b : buttons_)
        b->setVisible(true);
    Arrange();
}

int TTzNavigator::ButtonsWidth() const
{
    int n = 0;
    for (QToolButton* b : buttons_)
        n += b->isVisibleTo(this) ? 1 : 0;
    return n * kButtonWidth;
}

void TTzNavigator::Arrange()
{
    int x = 0;
    for (QToolButton* b : buttons_) {
        if (!b->isVisibleTo(this))
            continue;
        b->setGeometry(x, 0, kButtonWidth, kButtonHeight);
        x += kButtonWidth;
    }
    resize(std::max(x, 1), kButtonHeight);
}

void TTzNavigator::UpdateButtons()
{
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    const bool active = ds && ds->Active();
    const bool editing = active && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
    const bool canModify = active && !ds->ReadOnly;
    const int row = active ? model_->CurrentRow() : -1;
    const int rows = active ? model_->rowCount() : 0;
    const bool empty = !active || ds->IsEmpty();
    auto set = [&](TNavigateBtn b, bool on) { Button(b)->setEnabled(on); };
    set(TNavigateBtn::nbFirst, active && !empty && row != 0);
    set(TNavigateBtn::nbPrior, active && !empty && row != 0);
    set(TNavigateBtn::nbNext, active && !empty && row != rows - 1);
    set(TNavigateBtn::nbLast, active && !empty && row != rows - 1);
    set(TNavigateBtn::nbInsert, canModify);
    set(TNavigateBtn::nbDelete, canModify && !empty);
    set(TNavigateBtn::nbEdit, canModify && !editing && !empty);
    set(TNavigateBtn::nbPost, canModify && editing);
    set(TNavigateBtn::nbCancel, canModify && editing);
    set(TNavigateBtn::nbRefresh, active);
    if (active && !empty && !editing && ds->Deleted())
        Button(TNavigateBtn::nbDelete)->setToolTip(QStringLiteral("Datensatz restaurieren"));
    else
        Button(TNavigateBtn::nbDelete)->setToolTip(QString::fromUtf8(kButtons[5].hint));
}

void TTzNavigator::BtnClick(TNavigateBtn button)
{
    TTzFileDataSet* ds = model_ ? model_->Dataset() : nullptr;
    if (!ds || !ds->Active())
        return;
    auto change = DatasetModel::Change::Position;
    Guarded([&] {
        switch (button) {
        case TNavigateBtn::nbFirst:
            model_->LeaveRecord();
            ds->First();
            break;
        case TNavigateBtn::nbPrior: {
            // From a new row that is dropped unchanged: the row above it,
            // the last one, as the grid's Up key goes.
            const bool newRow = model_->IsAppendRow(model_->CurrentRow());
            const std::int32_t records = ds->RecCount();
            model_->LeaveRecord();
            if (newRow && ds->RecCount() == records)
                ds->Last();
            else
                ds->Prior();
            break;
        }
        case TNavigateBtn::nbNext:
            model_->LeaveRecord();
            ds->Next();
            break;
        case TNavigateBtn::nbLast:
            model_->LeaveRecord();
            ds->Last();
            break;
        case TNavigateBtn::nbInsert:
            model_->LeaveRecord();
            ds->Insert();
            break;
        case TNavigateBtn::nbDelete:
            model_->UpdateRecord();
            change = ds->HideDeletedRecs() ? DatasetModel::Change::Records : DatasetModel::Change::Values;
            if (ds->State() == TDataSetState::dsInsert) {
                ds->Cancel();
            } else if (ds->IsEmpty()) {
                return;
            } else if (ds->Deleted()) {
                if (!ConfirmRestore || Ask("Datensatz restaurieren ?"))
                    ds->SetDeleted(false);
            } else if (!ConfirmDelete || Ask("Datensatz löschen ?")) {
                ds->Delete();
            }
            break;
        case TNavigateBtn::nbEdit:
            ds->Edit();
            break;
        case TNavigateBtn::nbPost:
            model_->UpdateRecord();
            change = DatasetModel::Change::Values;
            ds->Post();
            break;
        case TNavigateBtn::nbCancel:
            change = DatasetModel::Change::Values;
            model_->DiscardEdit();
            ds->Cancel();
            break;
        case TNavigateBtn::nbRefresh:
            model_->LeaveRecord();
            change = DatasetModel::Change::Records;
            ds->Skip(0);
            break;
        }
    });
    if (change == DatasetModel::Change::Position &&
        (button == TNavigateBtn::nbInsert || ds->State() != TDataSetState::dsBrowse))
        change = DatasetModel::Change::Values;
    model_->Notify(change);
    if (OnClick)
        OnClick(*this, button);
}

} // namespace kt4::dbase::gui
