// The help-picture browser of the Help menu and its index editing.
#include "foundation/helppictures.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <algorithm>

namespace kt4 {

namespace {

constexpr Integer TitleLength = 60;
constexpr Integer KeyLength = 60;

class PictureBrowser {
public:
    bool Run();

private:
    void Load();
    bool PickPlotFile(std::string& key);
    bool AskTitle(std::string& title);
    Integer ChooseLine(const std::string& prompt);
    void Show(int line);
    void Extend();
    void Insert();
    void Delete();
    void Change();
    void Print();
    void Command(int command);
    void Save() { WritePictureIndex(PictureIndexName(), entries_); }
    int Listed() const { return std::min<int>(static_cast<int>(entries_.size()), MaxListedPictures); }

    std::vector<PictureIndexEntry> entries_;
    std::vector<std::string> lines_;
    int current_ = 0; // the picture shown last, 0 for none
    bool warned_ = false;
};

void PictureBrowser::Load()
{
    bool malformed = false;
    ReadPictureIndex(PictureIndexName(), entries_, malformed);
    if (malformed && !warned_) {
        ErrorBox("DBH file error");
        warned_ = true;
    }
    lines_ = PictureListLines(entries_);
    current_ = std::min(current_, Listed());
}

void PictureBrowser::Show(int line)
{
    current_ = std::clamp(line, 1, std::max(Listed(), 1));
    if (current_ <= Listed())
        ShowHelpPicture(entries_[static_cast<std::size_t>(current_ - 1)].key);
}

bool PictureBrowser::PickPlotFile(std::string& key)
{
    std::string dir = settings::PltDir, name;
    BrowseFileInDir(0, dir, "*.plt", name);
    if (settings::AbortFlag)
        return false;
    settings::PltDir = dir;
    key = DisplayToOem(name);
    return true;
}

bool PictureBrowser::AskTitle(std::string& title)
{
    SetHelpNumber(2310);
    InputText("Information zum Hilfebild", TitleLength, title);
    return !settings::AbortFlag;
}

Integer PictureBrowser::ChooseLine(const std::string& prompt)
{
    for (int k = 1; k <= Listed(); ++k)
        settings::DialogLines[static_cast<std::size_t>(k)] = lines_[static_cast<std::size_t>(k - 1)];
    Integer sel = current_ > 0 ? current_ : 1;
    ChoiceDialog(prompt, Listed(), sel);
    return settings::AbortFlag ? 0 : sel;
}

void PictureBrowser::Extend()
{
    PictureIndexEntry e;
    if (!PickPlotFile(e.key) || !AskTitle(e.title))
        return;
    Load(); // the picture folder may have changed
    entries_.push_back(e);
    Save();
}

void PictureBrowser::Insert()
{
    SetHelpNumber(2350);
    Integer before = ChooseLine(DisplayToOem("Vor welche Zeile einfügen ?"));
    PictureIndexEntry e;
    if (before == 0 || !PickPlotFile(e.key) || !AskTitle(e.title))
        return;
    Load();
    std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(before - 1), entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), e);
    Save();
}

void PictureBrowser::Delete()
{
    SetHelpNumber(2320);
    Integer line = current_ > 0 ? current_ : ChooseLine(DisplayToOem("Zu löschende Zeile wählen..."));
    if (line == 0 || !YesNoCancelBox(DisplayToOem("Löschen ?")))
        return;
    entries_.erase(entries_.begin() + (line - 1));
    current_ = 0;
    Save();
}

void PictureBrowser::Change()
{
    SetHelpNumber(2330);
    Integer line = ChooseLine(DisplayToOem("Zu ändernde Zeile wählen..."));
    if (line == 0)
        return;
    PictureIndexEntry e = entries_[static_cast<std::size_t>(line - 1)];
    SetHelpNumber(2340);
    InputText("Dateiname (ohne Endung .plt)", KeyLength, e.key);
    if (settings::AbortFlag || !AskTitle(e.title))
        return;
    entries_[static_cast<std::size_t>(line - 1)] = e;
    Save();
}

void PictureBrowser::Print()
{
    SetHelpNumber(2360);
    Integer line = current_ > 0 ? current_ : ChooseLine("Welches Bild ausdrucken ?");
    if (line == 0)
        return;
    const std::string key = entries_[static_cast<std::size_t>(line - 1)].key;
    SetHelpNumber(2365);
    Integer port = 1;
    InputInteger("Druckerschnittstelle (max = " + std::to_string(MaxPrinterPort()) + ", default=1)", port, 1,
                 MaxPrinterPort());
    if (settings::AbortFlag)
        return;
    SetHelpNumber(2370);
    bool control = YesNoCancelBox(DisplayToOem("Steuersequenz für HP-GL/2-Laserdrucker vorausschicken ?"));
    if (settings::AbortFlag)
        return;
    StatusMessage("Hilfebild wird ausgegeben ..");
    SendPictureToPort(key, port, control);
}

void PictureBrowser::Command(int command)
{
    switch (command) {
    case 1: Extend(); break;
    case 2: Delete(); break;
    case 3: Change(); break;
    case 4: Insert(); break;
    case 5: Print(); break;
    default: break;
    }
}

bool PictureBrowser::Run()
{
    for (;;) {
        Load();
        SetHelpNumber(2300);
        int line = current_ > 0 ? current_ : 1;
        // the list is stored text; the browser shows display text
        std::vector<std::string> shown;
        for (const auto& l : lines_)
            shown.push_back(OemToDisplay(l));
        PictureAction a = Ui().HelpPictureBrowser(shown, Listed(), line);
        settings::AbortFlag = false;
        switch (a) {
        case PictureAction::Ok:
            settings::AbortFlag = true;
            return true;
        case PictureAction::Help:
            ShowHelpText(2300, "", 1);
            break;
        case PictureAction::Pick:
            if (line >= 1 && line <= Listed())
                Show(line);
            else
                Command(line - Listed());
            break;
        case PictureAction::Previous:
            Show(line - 1);
            break;
        case PictureAction::Next:
            Show(line + 1);
            break;
        case PictureAction::New: Extend(); break;
        case PictureAction::Insert: Insert(); break;
        case PictureAction::Delete: Delete(); break;
        case PictureAction::Change: Change(); break;
        case PictureAction::Print: Print(); break;
        }
        settings::AbortFlag = false;
    }
}

} // namespace

void HelpPicturesMenu()
{
    if (!FileReadable(PictureIndexName())) {
        std::string path;
        if (!Ui().OpenFileDialog("", StripBackslash(settings::PltDir), "*.plt|*.plt", path) || path.empty())
            return;
        settings::PltDir = StripBackslash(FilePathPart(path));
    }
    PictureBrowser().Run();
}

} // namespace kt4
