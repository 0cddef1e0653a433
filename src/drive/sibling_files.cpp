#include "drive/sibling_files.h"

#include "cad/cad_settings.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/explain.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

namespace kt4::siblings {

std::string ExportFileName(const std::string& Name, const std::string& Ext)
{
    if (Name.empty())
        return AskSaveFileName(Ext, settings::DataDir);
    // the project's name "proj.v2" (or "proj.v2.kt4") gives "proj.v2." + Ext
    std::string full = Name;
    if (!NameHasExt(Name, Ext)) {
        std::string folder = FilePathPart(Name).empty() ? AddBackslash(settings::DataDir) : "";
        full = folder + NameWithoutThisExt(Name, settings::DataFileExt) + "." + Ext;
    }
    return CheckDialogOutputFile(full) ? full : std::string();
}

bool RefusedDesign()
{
    if (!settings::CalcErrorFlag)
        return false;
    CalcMessagesDialog();
    settings::AbortFlag = true;
    return true;
}

bool WriteExportFile(const std::string& Path, const std::function<void()>& Body)
{
    HourglassCursor();
    ReportFile.Assign(Path);
    if (ReportFile.Rewrite())
        Body();
    int code = ReportFile.IoError();
    bool ok = ReportFile.Close() && code == 0;
    NormalCursor();
    if (ok)
        return true;
    if (code == 0)
        code = ReportFile.IoError();
    ErrorBox(DisplayToOem(IoErrorText(code) + ": " + Path + " wurde nicht geschrieben."));
    settings::AbortFlag = true;
    return false;
}

bool LaunchExportFile(const std::string& Path)
{
    if (!cad::ExportLaunchFlag || environment::CommandLineParams.size() >= 2)
        return true;
    return OpenWrittenFile(Path);
}

} // namespace kt4::siblings
