// The one door through which the core asks the user something or shows
// something outside a report: the four input dialogs, message boxes, file
// dialogs, the wait cursor, the text viewer, printing, started programs and
// help pictures.
//
// Texts crossing this interface are display texts (UTF-8); the dialog layer
// converts stored OEM texts before it calls. A call returns false (or
// Answer::Cancel) when the user cancelled; setting AbortFlag stays the
// caller's business.
//
// Two backends: HeadlessUi (scripted answers, never blocks; tests, batch
// modes and "/NOGUI") and the Qt one in foundation/gui.
#pragma once

#include "foundation/types.h"

#include <memory>
#include <string>
#include <vector>

namespace kt4 {

enum class BoxKind { Message, Error, Help };
enum class Answer { Yes, No, Cancel };

// The world window of a help picture: the plot area in plotter units.
struct PictureWindow {
    Real x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// What the help-picture browser was closed with. Pick, Previous and Next
// name a line (1-based) through the browser's line argument.
enum class PictureAction { Ok, Pick, Previous, Next, Help, New, Change, Insert, Delete, Print };

class UiService {
public:
    virtual ~UiService() = default;

    // True when a person can answer (a window system is there).
    virtual bool Interactive() const = 0;

    // Input dialogs. Sel is 1-based and preset by the caller.
    virtual bool RadioChoice(const std::string& prompt, const std::vector<std::string>& lines,
                             int& sel) = 0;
    virtual bool ListChoice(const std::string& prompt, const std::vector<std::string>& lines,
                            int& sel) = 0;
    // answer: 'J' or 'N', preset by the caller
    virtual bool YesNoChoice(const std::string& prompt, char& answer) = 0;
    virtual bool TextInput(const std::string& prompt, std::string& text, int maxLen) = 0;

    // Message boxes
    virtual void MessageBox(const std::string& caption, const std::string& text, BoxKind kind) = 0;
    virtual Answer YesNoCancelBox(const std::string& caption, const std::string& text) = 0;
    // A fixed-pitch screen of text lines with one OK button; 0, or the
    // system's errno when the text did not reach the user (a standard
    // output on a full disk or a broken pipe).
    virtual int MessageScreen(const std::string& caption, const std::vector<std::string>& lines) = 0;
    virtual void Beep() = 0;

    // File dialogs. filter is "description|pattern"; path is preset with the
    // proposed name and receives the chosen full path. A save dialog gives
    // a chosen file name without any "." the suffix (e.g. "cfg", none when
    // empty) before it asks about overwriting, so it asks of the file that
    // is to be written.
    virtual bool OpenFileDialog(const std::string& title, const std::string& dir,
                                const std::string& filter, std::string& path) = 0;
    virtual bool SaveFileDialog(const std::string& title, const std::string& dir,
                                const std::string& filter, const std::string& suffix,
                                std::string& path) = 0;

    // Cursor and progress
    virtual void SetWaitCursor(bool on) = 0;
    virtual void Progress(const std::string& text, int percent) = 0;
    // Ends the progress of a long operation (headless: nothing to close).
    virtual void ProgressEnd() {}

    // Documents and programs (argument vectors, never a shell line)
    virtual void ShowTextFile(const std::string& path, const std::string& caption) = 0;
    virtual bool PrintTextFile(const std::string& path, int fromPage, int toPage) = 0;
    virtual bool OpenDocument(const std::string& path) = 0;
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;

    // Draws an HP-GL picture file into the graphics window. An empty path
    // asks only for the cleared page of that window.
    virtual void ShowPlotPicture(const std::string& path, const PictureWindow& window) = 0;

    // The calls below have defaults so that a backend written before them
    // keeps working.

    // The report viewer: shows shownFile (display text); its print command
    // prints printFile (the stored report) through the text printing.
    virtual void ShowTextViewer(const std::string& shownFile, const std::string& printFile)
    {
        (void)printFile;
        ShowTextFile(shownFile, "");
    }
    // The explanation of a calculation message with editable cause and
    // remedy. True when the user changed either text and closed with OK;
    // cause and remedy then hold the edited texts.
    virtual bool EditExplanation(const std::string& message, std::string& cause,
                                 std::string& remedy)
    {
        MessageBox("Fehlermeldung", message + "\n\n" + cause + "\n\n" + remedy, BoxKind::Message);
        return false;
    }
    // The help-picture browser over lines of display text (pictureCount
    // picture lines, then the command lines); line is the preselected line
    // and receives the chosen one.
    virtual PictureAction HelpPictureBrowser(const std::vector<std::string>& lines,
                                             int pictureCount, int& line)
    {
        (void)lines;
        (void)pictureCount;
        (void)line;
        return PictureAction::Ok;
    }
    // A folder chooser; chosen receives the folder.
    virtual bool FolderDialog(const std::string& title, const std::string& dir, std::string& chosen)
    {
        std::string path = dir;
        if (!OpenFileDialog(title, dir, "*|*", path))
            return false;
        auto slash = path.find_last_of('/');
        chosen = slash == std::string::npos ? dir : path.substr(0, slash);
        return true;
    }
    // The title of the application and its main window.
    virtual void SetAppTitle(const std::string& title) { (void)title; }
    // A web or mail address ("https:", "mailto:") with the desktop's
    // associated program. False when it could not be handed on.
    virtual bool OpenUrl(const std::string& url) { return StartProgram("xdg-open", {url}); }
    // A question with OK and Cancel; true for OK.
    virtual bool OkCancelBox(const std::string& caption, const std::string& text)
    {
        return YesNoCancelBox(caption, text) == Answer::Yes;
    }
};

// The current backend; a HeadlessUi until the program installs another.
UiService& Ui();
// Installs a backend and returns the previous one.
std::unique_ptr<UiService> SetUi(std::unique_ptr<UiService> ui);

} // namespace kt4
