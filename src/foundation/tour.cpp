#include "foundation/tour.h"

#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

namespace kt4 {

namespace {

constexpr int HeaderLines = 2;
constexpr int LinesPerStep = 4;

// Skips n lines; false when the script ends first.
bool Skip(LineFile& f, long long n)
{
    for (long long k = 0; k < n; ++k) {
        if (f.Eof())
            return false;
        f.ReadLine();
    }
    return true;
}

} // namespace

std::string TourScriptName()
{
    std::string name = AddBackslash(settings::PltDir) + settings::BaseName + ".dem";
    std::string found = FindFileNoCase(name);
    return found.empty() ? name : found;
}

void ReadDemoStep(int Step, char& Cmd1, char& Cmd2, std::string& Text)
{
    bool abort = settings::AbortFlag;
    std::string name = TourScriptName();
    LineFile f;
    if (!FileReadable(name) || !f.OpenRead(name)) {
        Text = "Demosteuerdatei " + name + " nicht gefunden !";
        settings::AbortFlag = abort;
        return;
    }
    std::string command, text;
    const long long before = HeaderLines + (static_cast<long long>(Step) - 1) * LinesPerStep;
    bool found = Step >= 1 && Skip(f, before) && Skip(f, 1) && !f.Eof() && f.ReadLine(command) &&
                 !f.Eof() && f.ReadLine(text);
    f.Close();
    settings::AbortFlag = abort;
    if (!found) {
        Cmd1 = Cmd2 = '0';
        Text = "Demotext Nr." + IntStr(Step) + " nicht vorhanden !";
        return;
    }
    Cmd1 = command.size() > 0 ? command[0] : ' ';
    Cmd2 = command.size() > 1 ? command[1] : ' ';
    Text = text;
}

} // namespace kt4
