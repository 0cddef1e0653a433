// The window backend of the UI service: the input dialogs, message boxes,
// file dialogs, the wait cursor, the report viewer, text printing through
// QPrinter (a printer of the system or a PDF file), documents opened with
// the desktop's associated program and programs started with an argument
// list. Help pictures are drawn by the graphics window and the progress of
// long work is shown by the table engine's progress window, through hooks
// that the program entry sets.
#pragma once

#include "foundation/ui_service.h"

#include <functional>
#include <string>

class QWidget;

namespace kt4::gui {

class QtUi : public UiService {
public:
    // Text printing: with showDialog the print dialog offers the page range
    // (preset to the range asked for); pdfFile, when set, makes the
    // printer a PDF file of that name.
    struct PrintOptions {
        bool showDialog = true;
        std::string pdfFile;
    };
    PrintOptions printOptions;

    // Draws an HP-GL picture in the graphics window.
    std::function<void(const std::string&, const PictureWindow&)> pictureHook;
    // Shows and ends the progress window of long work (text, percent).
    std::function<void(const std::string&, int)> progressHook;
    std::function<void()> progressEndHook;

    bool Interactive() const override { return true; }
    bool RadioChoice(const std::string& prompt, const std::vector<std::string>& lines, int& sel) override;
    bool ListChoice(const std::string& prompt, const std::vector<std::string>& lines, int& sel) override;
    bool YesNoChoice(const std::string& prompt, char& answer) override;
    bool TextInput(const std::string& prompt, std::string& text, int maxLen) override;
    void MessageBox(const std::string& caption, const std::string& text, BoxKind kind) override;
    Answer YesNoCancelBox(const std::string& caption, const std::string& text) override;
    bool OkCancelBox(const std::string& caption, const std::string& text) override;
    int MessageScreen(const std::string& caption, const std::vector<std::string>& lines) override;
    void Beep() override;
    bool OpenFileDialog(const std::string& title, const std::string& dir, const std::string& filter,
                        std::string& path) override;
    bool SaveFileDialog(const std::string& title, const std::string& dir, const std::string& filter,
                        const std::string& suffix, std::string& path) override;
    void SetWaitCursor(bool on) override;
    void Progress(const std::string& text, int percent) override;
    void ProgressEnd() override;
    void ShowTextFile(const std::string& path, const std::string& caption) override;
    bool PrintTextFile(const std::string& path, int fromPage, int toPage) override;
    bool OpenDocument(const std::string& path) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    void ShowPlotPicture(const std::string& path, const PictureWindow& window) override;
    void ShowTextViewer(const std::string& shownFile, const std::string& printFile) override;
    bool EditExplanation(const std::string& message, std::string& cause, std::string& remedy) override;
    PictureAction HelpPictureBrowser(const std::vector<std::string>& lines, int pictureCount,
                                     int& line) override;
    bool FolderDialog(const std::string& title, const std::string& dir, std::string& chosen) override;
    void SetAppTitle(const std::string& title) override;
    bool OpenUrl(const std::string& url) override;

private:
    bool waitCursor_ = false;
};

// The window a new form belongs to: the active window, else the modal form
// on top, else the main window.
QWidget* DialogParent();

// Installs a QtUi as the UI service and returns it.
QtUi& UseQtUi();

} // namespace kt4::gui
