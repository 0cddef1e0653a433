#include "foundation/ui_headless.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kt4 {

namespace {

std::unique_ptr<UiService>& Current()
{
    static std::unique_ptr<UiService> ui = std::make_unique<HeadlessUi>();
    return ui;
}

bool IsCancel(const std::string& a) { return a == "<cancel>"; }

bool IsYes(const std::string& a)
{
    return a == "J" || a == "j" || a == "Y" || a == "y" || a == "yes" || a == "ja" || a == "Yes";
}

// Starts a program detached from us with an argument vector.
bool Spawn(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
}

} // namespace

UiService& Ui() { return *Current(); }

std::unique_ptr<UiService> SetUi(std::unique_ptr<UiService> ui)
{
    auto old = std::move(Current());
    Current() = std::move(ui);
    return old;
}

HeadlessUi& UseHeadlessUi()
{
    auto ui = std::make_unique<HeadlessUi>();
    auto& ref = *ui;
    ref.quiet = true;
    SetUi(std::move(ui));
    return ref;
}

bool HeadlessUi::NextAnswer(std::string& answer)
{
    if (answers_.empty())
        return false;
    answer = answers_.front();
    answers_.pop_front();
    return !IsCancel(answer);
}

void HeadlessUi::Record(const std::string& kind, const std::string& caption, const std::string& text)
{
    log_.push_back(kind + "|" + caption + "|" + text);
}

std::vector<std::string> HeadlessUi::Logged(const std::string& kind) const
{
    std::vector<std::string> out;
    for (const auto& e : log_)
        if (e.rfind(kind + "|", 0) == 0)
            out.push_back(e);
    return out;
}

// A question of a run without a person goes to the error output with the
// answer it got, so that a script sees why the run went the way it did.
void HeadlessUi::Tell(const std::string& question, bool answered, const std::string& answer) const
{
    if (!quiet)
        std::cerr << question << " -> " << (answered ? answer : std::string("Abbrechen")) << "\n";
}

// The next answer taken whole (a file or folder name) into text.
bool HeadlessUi::AnswerText(const std::string& question, std::string& text)
{
    std::string a;
    const bool ok = NextAnswer(a);
    Tell(question, ok, a);
    if (ok)
        text = a;
    return ok;
}

bool HeadlessUi::Choice(const char* kind, const std::string& prompt,
                        const std::vector<std::string>& lines, int& sel)
{
    Record(kind, prompt, std::to_string(lines.size()));
    std::string a;
    long n = 0;
    bool ok = NextAnswer(a);
    if (ok) {
        char* end = nullptr;
        n = std::strtol(a.c_str(), &end, 10);
        ok = end != a.c_str() && *end == '\0' && n >= 1 && n <= static_cast<long>(lines.size());
    }
    Tell(prompt, ok, ok ? lines[static_cast<std::size_t>(n - 1)] : std::string());
    if (!ok)
        return false;
    sel = static_cast<int>(n);
    return true;
}

bool HeadlessUi::RadioChoice(const std::string& prompt, const std::vector<std::string>& lines,
                             int& sel)
{
    return Choice("radio", prompt, lines, sel);
}

bool HeadlessUi::ListChoice(const std::string& prompt, const std::vector<std::string>& lines,
                            int& sel)
{
    return Choice("list", prompt, lines, sel);
}

bool HeadlessUi::YesNoChoice(const std::string& prompt, char& answer)
{
    Record("yesno", prompt, std::string(1, answer));
    std::string a;
    bool ok = NextAnswer(a);
    Tell(prompt, ok, IsYes(a) ? "Ja" : "Nein");
    if (!ok)
        return false;
    answer = IsYes(a) ? 'J' : 'N';
    return true;
}

bool HeadlessUi::TextInput(const std::string& prompt, std::string& text, int maxLen)
{
    Record("text", prompt, text);
    std::string a;
    bool ok = NextAnswer(a);
    Tell(prompt, ok, "\"" + a + "\"");
    if (!ok)
        return false;
    if (maxLen > 0 && static_cast<int>(a.size()) > maxLen)
        a.resize(static_cast<std::size_t>(maxLen));
    text = a;
    return true;
}

void HeadlessUi::MessageBox(const std::string& caption, const std::string& text, BoxKind kind)
{
    Record(kind == BoxKind::Error ? "error" : kind == BoxKind::Help ? "help" : "message", caption,
           text);
    if (!quiet)
        std::cerr << caption << " " << text << "\n";
}

Answer HeadlessUi::YesNoCancelBox(const std::string& caption, const std::string& text)
{
    Record("yesnocancel", caption, text);
    std::string a;
    bool ok = NextAnswer(a);
    Tell(caption + " " + text, ok, IsYes(a) ? "Ja" : "Nein");
    if (!ok)
        return Answer::Cancel;
    if (IsYes(a))
        return Answer::Yes;
    return Answer::No;
}

bool HeadlessUi::OkCancelBox(const std::string& caption, const std::string& text)
{
    Record("okcancel", caption, text);
    std::string a;
    bool ok = NextAnswer(a) && (IsYes(a) || a == "ok" || a == "OK");
    Tell(caption + " " + text, ok, "OK");
    return ok;
}

int HeadlessUi::MessageScreen(const std::string& caption, const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& l : lines)
        all += l + "\n";
    Record("screen", caption, all);
    if (quiet)
        return 0;
    // written through now, so that a failure is known while it can be told
    std::cout.clear();
    errno = 0;
    if (!(std::cout << all << std::flush))
        return errno != 0 ? errno : EIO;
    return 0;
}

void HeadlessUi::Beep() { Record("beep", "", ""); }

bool HeadlessUi::OpenFileDialog(const std::string& title, const std::string& dir,
                                const std::string& filter, std::string& path)
{
    Record("open", title, dir + "|" + filter);
    return AnswerText("Datei öffnen " + dir + " " + filter, path);
}

bool HeadlessUi::SaveFileDialog(const std::string& title, const std::string& dir,
                                const std::string& filter, const std::string& suffix,
                                std::string& path)
{
    Record("save", title, dir + "|" + filter + "|" + path);
    if (!AnswerText("Datei speichern " + dir + " " + filter + " " + path, path))
        return false;
    // as a file dialog settles the name: a name without any dot gets the suffix
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (!suffix.empty() && !name.empty() && name.find('.') == std::string::npos)
        path += "." + suffix;
    return true;
}

void HeadlessUi::SetWaitCursor(bool on) { (void)on; }

void HeadlessUi::Progress(const std::string& text, int percent)
{
    (void)text;
    (void)percent;
}

void HeadlessUi::ShowTextFile(const std::string& path, const std::string& caption)
{
    Record("showtext", caption, path);
}

bool HeadlessUi::PrintTextFile(const std::string& path, int fromPage, int toPage)
{
    Record("print", path, std::to_string(fromPage) + ".." + std::to_string(toPage));
    return true;
}

bool HeadlessUi::OpenDocument(const std::string& path)
{
    Record("opendoc", "", path);
    return launchPrograms ? Spawn("xdg-open", {path}) : true;
}

bool HeadlessUi::StartProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::string all;
    for (const auto& a : args)
        all += " " + a;
    Record("start", program, all);
    return launchPrograms ? Spawn(program, args) : true;
}

void HeadlessUi::ShowPlotPicture(const std::string& path, const PictureWindow& window)
{
    (void)window;
    Record("picture", "", path);
}

void HeadlessUi::ShowTextViewer(const std::string& shownFile, const std::string& printFile)
{
    Record("viewer", printFile, shownFile);
}

bool HeadlessUi::EditExplanation(const std::string& message, std::string& cause,
                                 std::string& remedy)
{
    Record("explain", message, cause + "|" + remedy);
    std::string a;
    if (!NextAnswer(a) || a == "keep")
        return false;
    auto bar = a.find('|');
    cause = a.substr(0, bar);
    remedy = bar == std::string::npos ? std::string() : a.substr(bar + 1);
    return true;
}

PictureAction HeadlessUi::HelpPictureBrowser(const std::vector<std::string>& lines,
                                             int pictureCount, int& line)
{
    Record("pictures", std::to_string(pictureCount), std::to_string(lines.size()));
    std::string a;
    if (!NextAnswer(a) || a == "ok")
        return PictureAction::Ok;
    static const struct {
        const char* word;
        PictureAction action;
    } words[] = {{"help", PictureAction::Help},     {"prev", PictureAction::Previous},
                 {"next", PictureAction::Next},     {"new", PictureAction::New},
                 {"change", PictureAction::Change}, {"insert", PictureAction::Insert},
                 {"delete", PictureAction::Delete}, {"print", PictureAction::Print}};
    std::string word = a.substr(0, a.find(' '));
    std::string rest = a.size() > word.size() ? a.substr(word.size() + 1) : std::string();
    for (const auto& w : words)
        if (word == w.word) {
            if (!rest.empty())
                line = std::atoi(rest.c_str());
            return w.action;
        }
    char* end = nullptr;
    long n = std::strtol(a.c_str(), &end, 10);
    if (end == a.c_str() || *end != '\0' || n < 1 || n > static_cast<long>(lines.size()))
        return PictureAction::Ok;
    line = static_cast<int>(n);
    return PictureAction::Pick;
}

bool HeadlessUi::FolderDialog(const std::string& title, const std::string& dir,
                              std::string& chosen)
{
    Record("folder", title, dir);
    return AnswerText("Ordner wählen " + dir, chosen);
}

void HeadlessUi::SetAppTitle(const std::string& title) { Record("title", "", title); }

bool HeadlessUi::OpenUrl(const std::string& url)
{
    Record("openurl", "", url);
    return launchPrograms ? Spawn("xdg-open", {url}) : true;
}

} // namespace kt4
