// Tdbf4: the table browser. It shows the access layer's table (tzdbf)
// in a grid with a navigator, search buttons, a record number box and a
// menu, either to pick a record (the selection modes 1, 4 and 5) or to edit
// the table (any other mode: append, delete and restore, pack, imports,
// exports, print). The main window creates the one instance Dbf4Form at
// start-up and installs it as the browser behind DbfShow; it keeps its
// table, index, column layout and search text between showings.
//
// Closing the window (title bar, Esc) is Cancel. A pick whose pending edit
// cannot be written keeps the form open with the edit and the message.
#pragma once

#include "dbase/access/table_access.h"

#include <QDialog>
#include <QPointer>

#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;

namespace kt4::dbase {
class TTzFileDataSet;
}

namespace kt4::dbase::gui {

class DatasetModel;
class TTzGrid;
class TTzNavigator;

class Tdbf4 : public QDialog {
    Q_OBJECT
public:
    // FormCreate: controls, captions from the vocabulary of this moment,
    // scaling.
    explicit Tdbf4(QWidget* owner = nullptr);
    ~Tdbf4() override;

    // The components, named as their objectName.
    TTzGrid* TzGrid1;
    TTzNavigator* TzNavigator1;
    DatasetModel* tzdbf0; // the data source of grid and navigator
    QPushButton *Button_ok, *Button_cancel, *Button_search, *Button_SearchNext;
    QLineEdit* Edit_recno;
    QLabel *Label_reccount, *Label_title1, *Label_title2, *Label_filename;
    QMenuBar* MainMenu1;
    QMenu *mi_file, *mi_edit, *mi_view, *mi_Help;
    QAction *mi_fileExportHtml, *mi_fileSaveAsDelimited, *N1, *mi_fileAppenddbf,
        *mi_fileAppendDelimited, *N2, *mi_filePrint, *N3, *mi_fileExit;
    QAction *mi_editAppend, *mi_editPack;
    QAction *mi_viewSearch, *mi_viewSearchNext;
    QAction *mi_helpdbf, *mi_helpCommon, *mi_helphilfebild, *mi_helpDatei;

    std::string FSearchText;
    bool FCloseOnSelect = false;

    // The table the form shows (the access layer's tzdbf).
    TTzFileDataSet* Table() const;
    bool SelectionMode() const { return selection_; }

    // Sets the form up for the mode (captions, navigator, menus, grid,
    // hiding of deleted records, the temporary-folder warning in edit
    // mode) and FCloseOnSelect; then DbfSetMode shows it modally.
    void PrepareMode(const std::string& option, TDbf4Mode mode);
    void DbfSetMode(const std::string& option, TDbf4Mode mode);

    // LastKey 13 and the outcome globals after a posted edit, then closes;
    // a refused post keeps the form open with the edit.
    void AcceptSelection();
    void Button_okClick() { AcceptSelection(); }
    // AbortFlag, LastKey 27, a pending edit discarded, closed.
    void Button_cancelClick();
    void Button_searchClick();
    void Button_SearchNextClick();
    void Edit_recnoChange();
    void TzGrid1CellClick();
    void TzGrid1DepressTitle(int column);
    void mi_editAppendClick();
    void mi_editPackClick();
    void mi_fileAppenddbfClick();
    void mi_fileAppendDelimitedClick();
    void mi_fileSaveAsDelimitedClick();
    void mi_fileExportHtmlClick();
    void mi_filePrintClick();
    void mi_helpdbfClick();
    void mi_helpCommonClick();
    void mi_helphilfebildClick();
    void mi_helpDateiClick();

    // FormShow: the column of the last pick with "CLOSE", the record count
    // and number.
    void FormShow();
    // Writes the HTML page of the table (every record in record order).
    bool WriteHtml(const std::string& fileName);

    void reject() override; // Esc, the title bar's close and Cancel

protected:
    void resizeEvent(QResizeEvent* event) override; // lays out the grid anew
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus();
    void ConnectControls();
    void LayoutTopRow();
    void LayoutTitle();
    // The record number and count after a move.
    void ShowPosition();
    // Runs a search from the top or after the current record; the comma
    // of a number is tried as a point.
    void RunSearch(bool fromTop);
    // Imports under the file lock.
    void AppendFromFile(bool delimited);
    void BindTable();
    QWidget* client_;
    bool selection_ = true;
    TTzFileDataSet* bound_ = nullptr;
};

// The one browser form while it exists.
extern QPointer<Tdbf4> Dbf4Form;
// Creates Dbf4Form (owned by owner) and installs it as the browser behind
// DbfShow; the headless browser comes back when it is destroyed.
Tdbf4* CreateDbf4Form(QWidget* owner);

} // namespace kt4::dbase::gui
