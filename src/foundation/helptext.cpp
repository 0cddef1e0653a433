#include "foundation/helptext.h"

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <cctype>

namespace kt4 {

namespace help {
Word HelpNumber;
void InitHelp() { HelpNumber = 0; }
} // namespace help

namespace {

constexpr Word ProductHelpFrom = 4000;

// Keeps AbortFlag as it was while an entry is read (the line reader sets
// it at the end of the file).
class KeepAbortFlag {
public:
    KeepAbortFlag() : saved_(settings::AbortFlag) {}
    ~KeepAbortFlag() { settings::AbortFlag = saved_; }

private:
    bool saved_;
};

bool IsMultipleOf5(Integer n) { return n >= 0 && n % 5 == 0; }

// The next line, false at the end of the file.
bool NextLine(LineFile& f, std::string& line)
{
    if (f.Eof())
        return false;
    return f.ReadLine(line);
}

// The continuation lines 2..5 of an entry whose first pair has been read.
void ReadContinuation(LineFile& f, Integer nr, HelpEntry& e)
{
    for (int j = 2; j <= 5; ++j) {
        std::string key;
        if (!NextLine(f, key))
            return;
        Integer k = -1;
        std::string pic;
        ParseHelpKey(key, k, pic);
        if (k < 0) {
            e.lines[j] = key;
            continue;
        }
        if (IsMultipleOf5(k)) {
            e.endsAtKey = true;
            return;
        }
        std::string text;
        NextLine(f, text);
        if (k == nr + j - 1)
            e.lines[j] = text;
    }
}

} // namespace

void SetHelpNumber(Word Nr) { help::HelpNumber = Nr; }
void SetHelpTextNumber(Word Nr) { help::HelpNumber = Nr; }

std::string HelpFileName(Word Nr)
{
    std::string file = Nr < ProductHelpFrom ? std::string("velmora.hlp")
                                             : LowerStr(settings::BaseName) + ".hlp";
    std::string name = AddBackslash(settings::PltDir) + file;
    std::string found = FindFileNoCase(name);
    return found.empty() ? name : found;
}

void HelpFileName(Word Nr, std::string& Name) { Name = HelpFileName(Nr); }

void NoHelpText(Word Nr, std::string& S)
{
    S = "Hilfetext Nr " + IntStr(Nr) + ": " + "keine Hilfe vorhanden" + ".";
}

void ParseHelpKey(const std::string& Line, Integer& Nr, std::string& Picture)
{
    Nr = -1;
    if (Line.size() >= 4) {
        std::string head = Line.substr(0, 4);
        std::size_t i = head.find_first_not_of(' ');
        bool digits = i != std::string::npos;
        for (std::size_t k = i; digits && k < head.size(); ++k)
            digits = std::isdigit(static_cast<unsigned char>(head[k])) != 0;
        if (digits)
            Nr = StrToInteger(head.substr(i));
    }
    std::size_t colon = Line.find(':');
    Picture = colon == std::string::npos ? std::string("NULL") : Line.substr(colon + 1);
}

HelpEntry ReadHelpEntry(Word Nr)
{
    KeepAbortFlag keep;
    if (Nr == 0)
        Nr = help::HelpNumber;
    HelpEntry e;
    e.picture = "null";
    std::string file = HelpFileName(Nr);
    LineFile f;
    if (!FileReadable(file) || !f.OpenRead(file)) {
        e.lines[1] = "Datei " + DisplayToOem(file) + " " + "nicht gefunden" + " !";
        e.picture.clear();
        return e;
    }
    e.fileFound = true;
    std::string key;
    while (NextLine(f, key)) {
        Integer k = -1;
        std::string pic;
        ParseHelpKey(key, k, pic);
        std::string text = key;
        if (k >= 0 && !NextLine(f, text))
            text.clear(); // a key on the last line of the file: its text is empty
        if (k == Nr) {
            e.found = true;
            e.picture = pic;
            e.lines[1] = text;
            ReadContinuation(f, Nr, e);
            break;
        }
    }
    f.Close();
    if (!e.found)
        NoHelpText(Nr, e.lines[1]);
    return e;
}

void ShowHelpBox(const THelpText& Lines, const std::string& Picture, Word Mode, Word Nr)
{
    std::string text;
    for (const auto& l : Lines)
        text += l + " ";
    std::string caption = UpperStr("Hilfetext") + " " + "Nr" + "." + IntStr(Nr);
    if (Mode == 0 || Mode == 1)
        Ui().MessageBox(OemToDisplay(caption), OemToDisplay(text), BoxKind::Help);
    if (Mode == 0 || Mode == 2) {
        PictureWindow world{0, 0, 160, 120};
        std::string path;
        if (!Picture.empty() && Picture != "NULL") {
            path = AddBackslash(settings::PltDir) + Picture + ".plt";
            std::string found = FindFileNoCase(path);
            if (!found.empty())
                path = found;
        }
        Ui().ShowPlotPicture(path, world);
    }
}

void ShowHelpText(Word Nr, const std::string& S, Word Mode)
{
    (void)S;
    if (Nr == 0)
        Nr = help::HelpNumber;
    HelpEntry e = ReadHelpEntry(Nr);
    ShowHelpBox(e.lines, e.picture, Mode, Nr);
    settings::AbortFlag = false;
}

void ReadHelpText(Word Nr, std::string& Text)
{
    if (Nr == 0)
        Nr = help::HelpNumber;
    HelpEntry e = ReadHelpEntry(Nr);
    Text.clear();
    for (std::size_t j = 1; j <= e.lines.size(); ++j) {
        if (j > 1)
            Text += " ";
        Text += OemToDisplay(e.lines[j]);
    }
    if (settings::HelpLevel >= 2 && e.endsAtKey)
        Text += " (" + IntStr(Nr) + ")";
}

void HelpTextString(Word Nr, std::string& Text) { ReadHelpText(Nr, Text); }

std::string HelpTextString(Word Nr)
{
    std::string t;
    ReadHelpText(Nr, t);
    return t;
}

} // namespace kt4
