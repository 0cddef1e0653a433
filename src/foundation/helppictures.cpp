// The index of the help pictures and the drawing of one picture.
#include "foundation/helppictures.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kt4 {

namespace {

std::string NoQuotes(std::string s)
{
    std::replace(s.begin(), s.end(), '"', '\'');
    return s;
}

} // namespace

std::string PictureIndexName()
{
    std::string name = AddBackslash(settings::PltDir) + LowerStr(settings::BaseName) + ".dbh";
    std::string found = FindFileNoCase(name);
    return found.empty() ? name : found;
}

bool ReadDbhField(const std::string& Line, std::size_t& Pos, std::string& S)
{
    S.clear();
    if (Pos < Line.size() && Line[Pos] == ',')
        ++Pos;
    if (Pos >= Line.size())
        return true; // an empty field at the end of the line
    if (Line[Pos] != '"') {
        // read on up to the next separator
        std::size_t end = Line.find(',', Pos);
        S = Line.substr(Pos, end == std::string::npos ? std::string::npos : end - Pos);
        Pos = end == std::string::npos ? Line.size() : end;
        return false;
    }
    std::size_t end = Line.find('"', Pos + 1);
    S = Line.substr(Pos + 1, end == std::string::npos ? std::string::npos : end - Pos - 1);
    Pos = end == std::string::npos ? Line.size() : end + 1;
    return true;
}

std::string DbhEntryLine(const std::string& Key, const std::string& Title)
{
    return "\"" + NoQuotes(Key) + "\",\"" + NoQuotes(Title) + "\"";
}

void WriteDbhEntry(LineFile& F, const std::string& Key, const std::string& Title)
{
    F.WriteLine(DbhEntryLine(Key, Title));
}

bool ReadPictureIndex(const std::string& File, std::vector<PictureIndexEntry>& Entries, bool& Malformed)
{
    Entries.clear();
    Malformed = false;
    const bool abort = settings::AbortFlag;
    LineFile f;
    bool ok = FileReadable(File) && f.OpenRead(File);
    std::string line;
    while (ok && !f.Eof() && f.ReadLine(line)) {
        if (TrimBlanks(line).empty())
            continue;
        std::size_t pos = 0;
        PictureIndexEntry e;
        if (!ReadDbhField(line, pos, e.key) || !ReadDbhField(line, pos, e.title))
            Malformed = true;
        Entries.push_back(e);
    }
    f.Close();
    settings::AbortFlag = abort;
    return ok;
}

bool WritePictureIndex(const std::string& File, const std::vector<PictureIndexEntry>& Entries)
{
    LineFile f;
    f.Assign(File);
    if (!RewriteChecked(f))
        return false;
    for (const auto& e : Entries)
        WriteDbhEntry(f, e.key, e.title);
    return CloseChecked(f);
}

const std::vector<std::string>& PictureCommandLines()
{
    static const std::vector<std::string> lines{
        "-----  Erweitern  -----",
        "-----  L\x94schen  -----",          // Löschen
        "-----  \x8Endern  ------",          // Ändern
        "-----  Einf\x81gen ------",         // Einfügen
        "-----  HP-GL/2 drucken/plotten  ------",
    };
    return lines;
}

std::vector<std::string> PictureListLines(const std::vector<PictureIndexEntry>& Entries)
{
    std::vector<std::string> lines;
    const std::size_t n = std::min<std::size_t>(Entries.size(), MaxListedPictures);
    for (std::size_t k = 0; k < n; ++k)
        lines.push_back(PadRight(Entries[k].key, std::max<int>(8, static_cast<int>(Entries[k].key.size()))) +
                        ": " + Entries[k].title);
    const auto& commands = PictureCommandLines();
    lines.insert(lines.end(), commands.begin(), commands.end());
    return lines;
}

void ShowHelpPicture(const std::string& Name)
{
    std::string path = AddBackslash(settings::PltDir) + LowerStr(Name) + ".plt";
    std::string found = FindFileNoCase(path);
    // the logo mode marks the picture's page header only while it is drawn,
    // so that later CAD output is not changed by it
    const Word logo = printer::CadLogoMode;
    printer::CadLogoMode = 1;
    Ui().ShowPlotPicture(found.empty() ? path : found, PictureWindow{0, 0, 160, 120});
    printer::CadLogoMode = logo;
}

bool SendPictureToPort(const std::string& Key, Integer Port, bool Control)
{
    std::string plot = AddBackslash(settings::PltDir) + Key + ".plt";
    std::string found = FindFileNoCase(plot);
    CheckFileReadable(found.empty() ? plot : found);
    if (settings::AbortFlag)
        return false;
    std::ifstream in(found, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LineFile port;
    port.Assign(PrinterPortPath(Port));
    if (!RewriteChecked(port))
        return false;
    if (Control)
        WriteTextChecked(port, "\x1B" "E" "\x1B" "%0B");
    WriteTextChecked(port, bytes);
    if (Control)
        WriteTextChecked(port, "\x1B" "%0A" "\x1B" "E");
    if (settings::AbortFlag) {
        port.Discard();
        return false;
    }
    return CloseChecked(port);
}

} // namespace kt4
