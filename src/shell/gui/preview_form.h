// TForm_preview: a string grid in a window with its own small menu (export
// to the spreadsheet, search, help), shown modally on a PreviewGrid; and
// TForm_Suchen, its search dialog. A left click on a cell of a row other
// than SelectedRow (or Enter on it) chooses that row and closes the form;
// OK, Cancel, File > Exit and the close box close it with AbortFlag set.
// A right click inside a header cell sorts by that column.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableWidget;

namespace kt4::shell {
class PreviewGrid;
}

namespace kt4::shell::gui {

class TForm_Suchen : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Suchen(QWidget* Parent = nullptr);
    QLabel* Label_suchen;
    QLineEdit* Edit_suchbegriff;
    QPushButton* Button_search;
};

class TForm_preview : public QDialog {
    Q_OBJECT
public:
    explicit TForm_preview(QWidget* Parent = nullptr);

    // Shows Grid until the form closes; the grid keeps order, current
    // cell and selection for the next showing.
    void ShowGrid(PreviewGrid& Grid);

    QMenuBar* MainMenu1;
    QMenu* mi_File;
    QAction* mi_fileExportExcel;
    QAction* mi_fileExit;
    QMenu* mi_edit;
    QAction* mi_editsearch;
    QAction* SearchNext1;
    QMenu* mi_Help;
    QAction* mi_HelpHelp;
    QTableWidget* StringGrid1;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    QPushButton* Button_hilfebild;

    // The handlers, also for tests.
    void SortByColumn(int Col);
    void Search();      // Ctrl+F
    void SearchNext();  // F3
    void ExportExcel();
    void HelpClick();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void reject() override;

private:
    void FormCreate();
    void Fill();
    void ShowCurrentCell();
    void CellChosen(int TableRow, int Col);
    void CloseAborted();
    void Found(bool Hit);

    PreviewGrid* grid_ = nullptr;
};

} // namespace kt4::shell::gui
