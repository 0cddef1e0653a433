// The report viewer: a read-only text with a File menu (export to the text
// editor, print, exit) and an Edit menu (select all, copy). It shows a
// display copy of a report (FileName) and prints the stored report
// (PrintFileName). Its position and size are kept in TextWindowRect.
#pragma once

#include <QDialog>
#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;

namespace kt4::gui {

class TForm_showtextfile : public QDialog {
    Q_OBJECT
public:
    explicit TForm_showtextfile(QWidget* parent = nullptr);

    // The shown file (UTF-8 text) and the file the print command prints.
    std::string FileName;
    std::string PrintFileName;

    // Loads FileName into the memo and sets the caption and the font; a
    // missing file is told ("... not found !").
    void FormShow();

    QPlainTextEdit* Memo1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* mi_Datei = nullptr;
    QMenu* mi_Edit = nullptr;
    QAction* mi_dateiExportNotepad = nullptr;
    QAction* ExportWordpad1 = nullptr;
    QAction* mi_DateiDrucken = nullptr;
    QAction* mi_dateiBeenden = nullptr;
    QAction* mi_EditMarkAll = nullptr;
    QAction* mi_EditCopy = nullptr;

public slots:
    void mi_dateiExportNotepadClick();
    void mi_DateiDruckenClick();
    void mi_dateiBeendenClick();
    void mi_EditMarkAllClick();
    void mi_EditCopyClick();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StoreRect();
};

} // namespace kt4::gui
