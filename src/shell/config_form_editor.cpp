// The commands of the configuration form on the settings: OK, Save,
// Export, Import and Cancel. An imported file is held as a scratch set of
// settings; the live settings change only by OK and Save.
#include "shell/config_form_model.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"
#include "shell/config_file.h"
#include "shell/screen_defaults.h"

#include <filesystem>

namespace kt4::shell::configform {

namespace s = kt4::settings;

namespace {

const char* const CfgFilter = "*.cfg|*.cfg";

std::vector<std::string> Folders()
{
    return {s::DbfDir, s::PltDir, s::TempDir, s::DefaultDataDir, s::CadDir,
            s::ProgramsDir, s::EdiDir, s::WorkingDir};
}

void Refuse(const FormError& Error) { ErrorBoxAlways(DisplayToOem(Error.message)); }

// ConfigDir and BaseName point at another configuration file for a while;
// the end of the scope puts them back, and the main window keeps its size
// meanwhile (reading a file applies its screen settings).
class OtherConfigFile {
public:
    explicit OtherConfigFile(const std::filesystem::path& File)
        : dir_(s::ConfigDir), base_(s::BaseName), resize_(ClientResizeHook())
    {
        SetClientResizeHook({});
        s::ConfigDir = AddBackslash(File.parent_path().string());
        s::BaseName = File.stem().string();
    }
    ~OtherConfigFile()
    {
        s::ConfigDir = dir_;
        s::BaseName = base_;
        SetClientResizeHook(resize_);
    }
    OtherConfigFile(const OtherConfigFile&) = delete;
    OtherConfigFile& operator=(const OtherConfigFile&) = delete;

private:
    std::string dir_, base_;
    std::function<void()> resize_;
};

bool IsCfgName(const std::filesystem::path& File)
{
    return LowerStr(File.extension().string()) == ".cfg" && !File.stem().empty();
}

} // namespace

FormValues ConfigEditor::Values() const
{
    if (!imported_)
        return GlobalsToForm();
    config::Snapshot live;
    imported_->Restore();
    FormValues values = GlobalsToForm();
    live.Restore();
    return values;
}

bool ConfigEditor::Ok(const FormValues& Shown, const FormValues& Now, FormError& Error)
{
    s::AbortFlag = false;
    if (!CheckFormValues(Shown, Now, Error)) {
        Refuse(Error);
        return false;
    }
    std::vector<std::string> before = Folders();
    if (imported_) {
        imported_->Restore();
        imported_.reset();
    }
    FormToGlobals(Shown, Now, Error);
    if (Folders() != before)
        s::DbfWriteChecked = false;
    return true;
}

bool ConfigEditor::Save(const FormValues& Shown, const FormValues& Now, FormError& Error)
{
    if (!Ok(Shown, Now, Error))
        return false;
    WriteConfigFile();
    return !s::AbortFlag;
}

bool ConfigEditor::Export(const FormValues& Shown, const FormValues& Now, FormError& Error)
{
    s::AbortFlag = false;
    if (!CheckFormValues(Shown, Now, Error)) {
        Refuse(Error);
        return false;
    }
    std::string chosen;
    if (!Ui().SaveFileDialog("Export", s::ConfigDir, CfgFilter, "cfg", chosen) || chosen.empty()) {
        s::AbortFlag = true;
        return false;
    }
    // The writer names the file <name>.cfg: that file is the one checked
    // (a name the dialog kept with another extension gets ".cfg" too).
    std::filesystem::path file(chosen);
    file = IsCfgName(file) ? file.parent_path() / (file.stem().string() + ".cfg")
                           : std::filesystem::path(chosen + ".cfg");
    if (!CheckDialogOutputFile(file.string()))
        return false;

    // What the form shows, written with the live settings set aside.
    config::Snapshot live;
    std::string workingDir = s::WorkingDir;
    bool borderLine = printer::DrawBorderLine;
    if (imported_)
        imported_->Restore();
    FormToGlobals(Shown, Now, Error);
    {
        OtherConfigFile other(file);
        WriteConfigFile();
    }
    bool written = !s::AbortFlag;
    live.Restore();
    s::WorkingDir = workingDir;
    printer::DrawBorderLine = borderLine;
    return written;
}

bool ConfigEditor::Import()
{
    s::AbortFlag = false;
    std::string chosen;
    if (!Ui().OpenFileDialog("Import", s::ConfigDir, CfgFilter, chosen) || chosen.empty()) {
        s::AbortFlag = true;
        return false;
    }
    std::filesystem::path file(chosen);
    auto refuse = [](const std::string& text) {
        ErrorBoxAlways(DisplayToOem(text));
        s::AbortFlag = true;
        return false;
    };
    std::vector<std::string> lines;
    if (!IsCfgName(file) || !FileReadable(chosen) || !ReadTextLines(chosen, lines))
        return refuse("Keine lesbare Konfigurationsdatei (*.cfg): " + chosen);
    if (!HasConfigHeader(lines))
        return refuse("Datei " + chosen + " ist keine Konfigurationsdatei (die ersten Zeilen sind nicht "
                      "\"Konfiguration ...\" und \"Version ...\"); nichts übernommen.");
    config::Snapshot live;
    std::vector<std::string> before = Folders();
    std::vector<std::string> notes;
    ConfigNumberFault bad;
    {
        OtherConfigFile other(file);
        notes = TakeConfigLines(lines, &bad);
    }
    if (bad.line != 0) {
        live.Restore();
        const std::size_t shown = 60;
        const std::string text = OemToDisplay(bad.text.substr(0, shown)) + (bad.text.size() > shown ? "..." : "");
        return refuse("Datei " + chosen + ", Zeile " + IntStr(static_cast<std::int64_t>(bad.line)) + ": \"" + text +
                      "\" ist keine Zahl; nichts übernommen.");
    }
    imported_.emplace();
    if (Folders() != before)
        s::DbfWriteChecked = false;
    live.Restore();
    for (const auto& note : notes)
        MessageText(DisplayToOem(chosen + ": " + note));
    return true;
}

void ConfigEditor::Cancel()
{
    imported_.reset();
    s::AbortFlag = true;
}

} // namespace kt4::shell::configform
