// Fuzz target: any bytes as the help files, the message explanations and
// the help-picture index. Look-ups of any number or message end, and give
// texts no longer than the file; an index written back reads the same.
#include "common/fuzz_support.h"
#include "foundation/explain.h"
#include "foundation/helppictures.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <string>
#include <vector>

using namespace kt4;
using kt4::fuzz::Check;

namespace {

HeadlessUi* ui = nullptr;

const std::string& Dir()
{
    static const std::string dir = fuzz::ScratchSubdir("help");
    return dir;
}

void LookUpHelp(Word nr, std::size_t size)
{
    const HelpEntry e = ReadHelpEntry(nr);
    Check(e.fileFound);
    for (const auto& line : e.lines)
        Check(line.size() <= size + 64);
    std::string text;
    ReadHelpText(nr, text);
}

void HelpTexts(const std::vector<std::string>& lines, std::size_t size)
{
    for (Word nr : {Word(5), Word(1030), Word(3995), Word(4000), Word(4100), Word(65535)})
        LookUpHelp(nr, size);
    // the first numbers the file names
    int taken = 0;
    for (std::size_t k = 0; k < lines.size() && taken < 8; ++k) {
        Integer nr = -1;
        std::string picture;
        ParseHelpKey(lines[k], nr, picture);
        if (nr < 0 || nr > 65535)
            continue;
        LookUpHelp(static_cast<Word>(nr), size);
        ++taken;
    }
    help::HelpNumber = 4005;
    LookUpHelp(0, size);
}

void Explanations(const std::vector<std::string>& fileLines)
{
    std::vector<std::string> lines;
    Check(ReadExplanationLines(ExplanationFileName(), lines));
    Check(lines == fileLines);
    settings::ClearMessages();
    for (std::size_t k = 0; k < lines.size() && k < 16; ++k)
        settings::AddMessage(lines[k]);
    settings::AddMessage("Warnung: i < 10 !");
    for (Word i = 1; i <= settings::MessageCount; ++i) {
        const int at = FindExplanation(lines, settings::MessageTexts[i]);
        Check(at < 0 || static_cast<std::size_t>(at) + 1 < lines.size());
        std::string cause, remedy;
        MessageCause(i, cause);
        MessageRemedy(i, remedy);
    }
    settings::ClearMessages();
}

void PictureIndex(std::size_t lineCount)
{
    std::vector<PictureIndexEntry> entries;
    bool malformed = false;
    Check(ReadPictureIndex(PictureIndexName(), entries, malformed));
    Check(entries.size() <= lineCount);
    const std::size_t listed = entries.size() < MaxListedPictures ? entries.size() : MaxListedPictures;
    Check(PictureListLines(entries).size() == listed + PictureCommandLines().size());
    if (malformed)
        return;
    // an index the browser saves again reads back the same
    const std::string copy = Dir() + "copy.dbh";
    Check(WritePictureIndex(copy, entries));
    std::vector<PictureIndexEntry> back;
    Check(ReadPictureIndex(copy, back, malformed));
    Check(!malformed && back.size() == entries.size());
    for (std::size_t k = 0; k < back.size(); ++k)
        Check(back[k].key == entries[k].key && back[k].title == entries[k].title);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    settings::InitSettings();
    settings::BaseName = "kt4";
    settings::PltDir = Dir();
    settings::HelpLevel = 2;
    ui = &UseHeadlessUi();
    ui->quiet = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const char* name : {"velmora.hlp", "kt4.hlp", "kt4.err", "kt4.dbh"})
        fuzz::WriteInput(std::string("help/") + name, data, size);
    ui->ClearLog();
    // the file's lines as the line reader splits them (CR LF, LF or CR)
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t k = 0; k < size; ++k) {
        const char c = static_cast<char>(data[k]);
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && k + 1 < size && data[k + 1] == '\n')
                ++k;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);

    const bool abort = settings::AbortFlag;
    HelpTexts(lines, size);
    Explanations(lines);
    PictureIndex(lines.size());
    Check(settings::AbortFlag == abort);
    return 0;
}
