#include "shell/config_file.h"

#include "foundation/atomic_file.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/file_trust.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "shell/config_table.h"
#include "shell/screen_defaults.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4::shell {

Real GraphicsAspect;

namespace {

std::string CfgName() { return settings::BaseName + ".cfg"; }

// The configuration file in Dir, whatever the case of its name; "" when
// there is none. A folder that is there but cannot be searched hides any
// file in it: that is told as an unreadable file is, once (a folder inside
// it cannot even be seen), and counts as none.
std::string FindIn(const std::string& Dir)
{
    std::string dir = Dir.empty() ? std::string(".") : Dir;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        ::faccessat(AT_FDCWD, dir.c_str(), X_OK, AT_EACCESS) != 0) {
        const std::string cause = std::strerror(errno);
        MessageText(DisplayToOem("Konfigurationsordner " + dir + " wird nicht gelesen: nicht lesbar: " + cause + "."));
        return {};
    }
    return FindFileNoCase(dir, CfgName());
}

void NoFileDefaults()
{
    using namespace settings;
    DefaultScreenResolution();
    DefaultTextWindowRect();
    InputWindowScale = Screen().ppi * 100 / 96;
    DialogElementScale = 100;
    AbortFlag = true;
    ScreenSizeCode = 1;
    ApplyScreenDefaults();
}

void Complete()
{
    DefaultScreenResolution();
    ApplyScreenDefaults();
    // Copying the tables to the temporary folder is never carried over.
    settings::DbfUseTemp = false;
}

} // namespace

std::string ConfigFileName() { return AddBackslash(settings::ConfigDir) + CfgName(); }

std::vector<std::string> FallbackConfigDirs()
{
    std::string base = GetEnvVar("XDG_CONFIG_HOME");
    if (base.empty()) {
        std::string home = GetEnvVar("HOME");
        base = (std::filesystem::path(home.empty() ? "/" : home) / ".config").string();
    }
    std::filesystem::path velmora = std::filesystem::path(base) / "velmora";
    return {AddBackslash(velmora.string()),
            AddBackslash((velmora / settings::BaseName).string())};
}

std::vector<std::string> ConfigLines()
{
    std::vector<std::string> out;
    for (const auto& item : config::Items())
        item.write(out, item);
    return out;
}

std::vector<std::string> ApplyConfigLines(const std::vector<std::string>& Lines, ConfigNumberFault* BadNumber)
{
    config::LineCursor in(Lines);
    const auto& items = config::Items();
    for (auto item = items.begin(); item != items.end(); ++item) {
        if (in.AtEnd()) {
            if (item->atEnd)
                item->atEnd();
            // The settings the file does not reach keep their start values,
            // corrected as if read, so that the file written next reads
            // back the same.
            for (; item != items.end(); ++item)
                if (item->fix)
                    item->fix();
            break;
        }
        item->read(in, *item);
    }
    if (BadNumber)
        *BadNumber = {in.BadNumberLine(), in.BadNumberText()};
    return in.Notes();
}

bool HasConfigHeader(const std::vector<std::string>& Lines)
{
    auto starts = [](const std::string& line, const std::string& head) {
        return line.size() > head.size() && line.compare(0, head.size(), head) == 0;
    };
    return Lines.size() >= 2 && starts(Lines[0], "Konfiguration ") && starts(Lines[1], "Version ");
}

std::vector<std::string> TakeConfigLines(const std::vector<std::string>& Lines, ConfigNumberFault* BadNumber)
{
    GraphicsAspect = 1.0L;
    std::vector<std::string> notes = ApplyConfigLines(Lines, BadNumber);
    Complete();
    return notes;
}

bool OpenOwnFile(LineFile& F, const std::string& Path, const std::string& Kind)
{
    const unsigned user = ::geteuid();
    const bool abort = settings::AbortFlag; // a file not taken is no failure
    std::string why;
    struct stat st {};
    // Its links are followed only where nobody else may move names, then
    // the file found is opened without following one put there since.
    std::string name, link;
    if (!ResolveTrustedLinks(Path, name, &link)) {
        why = "die Verknüpfung " + (link == Path ? std::string() : link + " ") +
              "liegt in einem Ordner, in dem andere Benutzer Namen verschieben dürfen";
    } else if (!F.OpenReadNoFollow(name)) {
        if (F.IoError() == IoNotAFile || F.SysError() == EISDIR)
            why = "keine Datei";
        else
            why = std::string("nicht lesbar: ") + std::strerror(F.SysError() != 0 ? F.SysError() : EIO);
    } else if (F.Owner() != user) {
        why = "sie gehört einem anderen Benutzer";
    } else if (::fstat(F.ReadFd(), &st) != 0 || OthersMayChange(F.ReadFd(), st, user)) {
        why = "andere Benutzer dürfen sie ändern";
    }
    if (why.empty())
        return true;
    F.Close();
    settings::AbortFlag = abort;
    MessageText(DisplayToOem(Kind + " " + Path + " wird nicht gelesen: " + why + "."));
    return false;
}

void ReadConfigFile()
{
    using namespace settings;
    std::vector<std::string> dirs = FallbackConfigDirs();
    dirs.insert(dirs.begin(), ConfigDir);
    for (const auto& dir : dirs) {
        const std::string path = FindIn(dir);
        if (path.empty())
            continue;
        // A file that cannot be taken (none, another user's, one others
        // may write) counts as none; it was told.
        LineFile f;
        if (!OpenOwnFile(f, path, "Konfigurationsdatei"))
            continue;
        std::vector<std::string> lines;
        for (std::string line; !f.Eof() && f.ReadLine(line);)
            lines.push_back(line);
        if (f.IoError() != 0) {
            // the user's own file failed while it was read: nothing taken,
            // and no other file in its place
            ErrorBox(IoErrorText(IoReadPastEnd) + " " + DisplayToOem(path));
            AbortFlag = true;
            Complete();
            return;
        }
        f.Close();
        ConfigDir = dir;
        TakeConfigLines(lines);
        return;
    }
    NoFileDefaults();
}

void WriteConfigFile()
{
    using namespace settings;
    if (AbortFlag)
        return;
    // A folder or program name that code page 850 cannot hold would come
    // back changed: refuse to write rather than store it garbled.
    std::vector<std::string> bad = config::UnstorableTexts();
    if (!bad.empty()) {
        AbortFlag = true;
        RefuseOutsideOem(bad.front(), "Konfiguration nicht gespeichert, ");
        return;
    }
    // Numbers in the file always carry a point, whatever DecimalPoint says;
    // the file records the setting itself.
    std::vector<std::string> lines = ConfigLines();
    LineFile f;
    f.Assign(ConfigFileName());
    if (!RewriteRetry(f))
        return;
    for (const auto& line : lines)
        f.WriteValue(line);
    int code = f.IoError();
    if (!f.Close() || code != 0) {
        AbortFlag = true;
        ErrorBox(IoErrorText(code != 0 ? code : IoWriteFailed) + " " + DisplayToOem(ConfigFileName()));
    }
}

void InitShellConfig() { GraphicsAspect = 1.0L; }

} // namespace kt4::shell
