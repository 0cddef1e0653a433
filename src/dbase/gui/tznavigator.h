// TTzNavigator: the ten buttons that move through and edit a dataset
// (first, prior, next, last, insert, delete, edit, post, cancel, refresh),
// over the DatasetModel the grid shows. Its delete button is a toggle for
// dBase's soft deletion: on a record marked deleted it restores it, on any
// other record it marks it deleted.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <initializer_list>

class QToolButton;

namespace kt4::dbase::gui {

class DatasetModel;

enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };

class TTzNavigator : public QWidget {
    Q_OBJECT
public:
    explicit TTzNavigator(QWidget* parent = nullptr);

    // Ask "Datensatz löschen ?" / "Datensatz restaurieren ?" first.
    bool ConfirmDelete = true;
    bool ConfirmRestore = false;
    // Called after a button's action, with the button.
    std::function<void(TTzNavigator& sender, TNavigateBtn button)> OnClick;

    void SetDataSource(DatasetModel* model);
    // Only these buttons are shown, in their fixed order.
    void SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons);
    void SetAllButtonsVisible();
    QToolButton* Button(TNavigateBtn button) const;
    // The width the shown buttons take.
    int ButtonsWidth() const;

    // What a click on the button does.
    void BtnClick(TNavigateBtn button);
    // Buttons enabled by the dataset's position and state.
    void UpdateButtons();

private:
    void Arrange();
    DatasetModel* model_ = nullptr;
    std::array<QToolButton*, 10> buttons_{};
};

} // namespace kt4::dbase::gui
