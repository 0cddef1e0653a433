// The backend without windows. Questions take the next scripted answer;
// with none left they are cancelled. Messages, and questions with the
// answer they got, go to stderr (unless quiet)
// and every call is recorded, so tests can check what the user would have
// seen.
#pragma once

#include "foundation/ui_service.h"

#include <deque>
#include <string>
#include <vector>

namespace kt4 {

class HeadlessUi : public UiService {
public:
    // Scripted answers, taken in order by the next question:
    //   choices: the 1-based number as text ("3")
    //   yes/no:  "J"/"Y"/"yes" or "N"/"no"
    //   texts and file dialogs: the text itself
    //   explanations: "cause|remedy" (changed and OK), "keep" (OK unchanged)
    //   picture browser: "ok", "help", "prev N", "next N", "new", "change",
    //                    "insert", "delete", "print", or "N" (pick line N)
    //   "<cancel>" cancels the question it reaches.
    void Script(const std::string& answer) { answers_.push_back(answer); }
    void ClearScript() { answers_.clear(); }
    std::size_t PendingAnswers() const { return answers_.size(); }

    // What was shown or asked, one entry per call: "kind|caption|text".
    const std::vector<std::string>& Log() const { return log_; }
    // The entries of one kind ("error", "save", ...), in order.
    std::vector<std::string> Logged(const std::string& kind) const;
    void ClearLog() { log_.clear(); }

    bool quiet = false; // true: nothing on stderr

    bool Interactive() const override { return false; }
    bool RadioChoice(const std::string& prompt, const std::vector<std::string>& lines,
                     int& sel) override;
    bool ListChoice(const std::string& prompt, const std::vector<std::string>& lines,
                    int& sel) override;
    bool YesNoChoice(const std::string& prompt, char& answer) override;
    bool TextInput(const std::string& prompt, std::string& text, int maxLen) override;
    void MessageBox(const std::string& caption, const std::string& text, BoxKind kind) override;
    Answer YesNoCancelBox(const std::string& caption, const std::string& text) override;
    // The text on the standard output, flushed (nothing when quiet).
    int MessageScreen(const std::string& caption, const std::vector<std::string>& lines) override;
    void Beep() override;
    bool OpenFileDialog(const std::string& title, const std::string& dir,
                        const std::string& filter, std::string& path) override;
    bool SaveFileDialog(const std::string& title, const std::string& dir,
                        const std::string& filter, const std::string& suffix,
                        std::string& path) override;
    void SetWaitCursor(bool on) override;
    void Progress(const std::string& text, int percent) override;
    void ShowTextFile(const std::string& path, const std::string& caption) override;
    bool PrintTextFile(const std::string& path, int fromPage, int toPage) override;
    bool OpenDocument(const std::string& path) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    void ShowPlotPicture(const std::string& path, const PictureWindow& window) override;
    void ShowTextViewer(const std::string& shownFile, const std::string& printFile) override;
    bool EditExplanation(const std::string& message, std::string& cause,
                         std::string& remedy) override;
    PictureAction HelpPictureBrowser(const std::vector<std::string>& lines, int pictureCount,
                                     int& line) override;
    bool FolderDialog(const std::string& title, const std::string& dir,
                      std::string& chosen) override;
    void SetAppTitle(const std::string& title) override;
    // Recorded as "openurl"; started only with launchPrograms.
    bool OpenUrl(const std::string& url) override;
    // OK for "J"/"Y"/"yes"/"ok", Cancel otherwise
    bool OkCancelBox(const std::string& caption, const std::string& text) override;

    // Whether OpenDocument/StartProgram/OpenUrl really start anything (off: only
    // recorded). Batch runs leave it off.
    bool launchPrograms = false;

private:
    bool NextAnswer(std::string& answer);
    bool Choice(const char* kind, const std::string& prompt, const std::vector<std::string>& lines,
                int& sel);
    void Record(const std::string& kind, const std::string& caption, const std::string& text);
    void Tell(const std::string& question, bool answered, const std::string& answer) const;
    bool AnswerText(const std::string& question, std::string& text);

    std::deque<std::string> answers_;
    std::vector<std::string> log_;
};

// Installs a fresh HeadlessUi and returns it (for tests).
HeadlessUi& UseHeadlessUi();

} // namespace kt4
