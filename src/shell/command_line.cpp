#include "shell/command_line.h"

#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "shell/services.h"

#include <algorithm>

namespace kt4::shell {

namespace {

bool IsNoGui(const std::string& P) { return UpperStr(P) == "/NOGUI"; }

bool IsCadSwitch(const std::string& P)
{
    std::string head = UpperStr(P.substr(0, 4));
    return head == "/CAD" || head == "-CAD";
}

// "/CADi:j": i is the one digit after "/CAD", j the text from the seventh
// character on. False for a device that writes no CAD file.
bool ParseCad(const std::string& P, CommandLine& Cmd)
{
    if (P.size() < 5 || P[4] < '0' || P[4] > '9')
        return false;
    Cmd.cadDevice = P[4] - '0';
    Integer j = 0;
    Cmd.cadIndex = P.size() > 6 && TryStrToInteger(P.substr(6), j) ? j : 0;
    return CadOutputAvailable(Cmd.cadDevice);
}

StartMode SecondParameter(const std::string& P, bool CadAvailable, CommandLine& Cmd)
{
    if (P == "/E" || P == "/e")
        return StartMode::KeepName;
    if (P == "/I" || P == "/i" || P == "-I" || P == "-i")
        return StartMode::Printout;
    if (P == "/G")
        return StartMode::SkipLoad;
    if (CadAvailable && IsCadSwitch(P) && ParseCad(P, Cmd))
        return StartMode::CadFile;
    // a CAD file that cannot be written is refused; anything else ("/g",
    // "/x", "-e") opens the file in the window
    if (IsCadSwitch(P)) {
        Cmd.badSwitch = P;
        return StartMode::UnknownSwitch;
    }
    return StartMode::OpenFile;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& Params, bool CadAvailable)
{
    CommandLine cmd;
    if (Params.empty())
        return cmd;
    cmd.file = Params[0];
    cmd.noGui = std::any_of(Params.begin() + 1, Params.end(), IsNoGui);
    if (cmd.file == "?" || cmd.file == "/?") {
        cmd.mode = StartMode::Usage;
        return cmd;
    }
    if (UpperStr(cmd.file) == "DEMO") {
        cmd.mode = StartMode::Demo;
        return cmd;
    }
    // only parameter 2 chooses; later ones are not read ("/NOGUI" aside)
    cmd.mode = Params.size() > 1 ? SecondParameter(Params[1], CadAvailable, cmd) : StartMode::OpenFile;
    if (cmd.mode == StartMode::OpenFile && FileNamePart(cmd.file).find('.') == std::string::npos)
        cmd.mode = StartMode::MissingExtension;
    return cmd;
}

bool RunsWithoutWindow(const CommandLine& Cmd)
{
    if (Cmd.noGui)
        return true;
    switch (Cmd.mode) {
    case StartMode::Usage:
    case StartMode::Printout:
    case StartMode::CadFile:
    case StartMode::MissingExtension:
    case StartMode::UnknownSwitch:
        return true;
    default:
        return false;
    }
}

std::vector<std::string> UsageLines()
{
    using namespace settings;
    std::string example = "Example: w" + BaseName + " test." + DataFileExt;
    return {
        ProductName + " Command Line Mode",
        "",
        "w" + BaseName + " Filename [/I] [/CADi:j] [/NOGUI]",
        "",
        "/I       -> TXT file",
        "",
        "/CADi:j  -> CAD File",
        "            i: 1=DXF, 2=IGS, 5=TXT",
        "            j: index (1,2,3, ..)",
        "",
        "/NOGUI   -> no windows, fatal error ends program",
        "",
        "",
        "",
        "/?       -> Help",
        "",
        "",
        example + "          ->  GUI",
        example + " /I       ->  test.txt",
        example + " /CAD1:01 ->  test.dxf",
    };
}

} // namespace kt4::shell
