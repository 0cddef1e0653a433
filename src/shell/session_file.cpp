#include "shell/session_file.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "shell/config_file.h"
#include "shell/stored_names.h"

namespace kt4::shell {

namespace {
// A name that code page 850 cannot hold is left out, not stored garbled.
std::string StoredName(const std::string& name)
{
    return NameStorable(name) ? NameToFile(name) : std::string();
}
} // namespace

std::string SessionFileName()
{
    return AddBackslash(settings::ConfigDir) + settings::BaseName + ".cff";
}

void WriteSessionFile()
{
    using namespace settings;
    if (RecentFiles[1].empty())
        return;
    AbortFlag = false;
    LineFile f;
    f.Assign(SessionFileName());
    if (!RewriteRetry(f))
        return;
    f.WriteValue(StoredName(DataDir) + " Session " + BaseName);
    for (const auto& entry : RecentFiles)
        f.WriteValue(StoredName(entry));
    int code = f.IoError();
    if (!f.Close() || code != 0) {
        AbortFlag = true;
        ErrorBox(IoErrorText(code != 0 ? code : IoWriteFailed) + " " + DisplayToOem(SessionFileName()));
    }
}

void ReadSessionFile()
{
    using namespace settings;
    std::string dir = ConfigDir.empty() ? std::string(".") : ConfigDir;
    std::string path = FindFileNoCase(dir, BaseName + ".cff");
    LineFile f;
    if (path.empty() || !OpenOwnFile(f, path, "Sitzungsdatei")) {
        RecentFiles.fill("");
        return;
    }
    f.ReadLine();
    for (auto& entry : RecentFiles)
        entry = NameFromFile(f.Eof() ? std::string() : f.ReadLine());
    f.Close();
}

} // namespace kt4::shell
