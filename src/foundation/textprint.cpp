#include "foundation/textprint.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <algorithm>

namespace kt4 {

namespace {

constexpr char FormFeed = '\f';
// Frame, title, date, file, middle rule, four header lines, column
// headings with their rules, the blank line after the header, one blank
// line of the compact mode: 16 lines, and 5 lines of text.
constexpr Integer MinBodyLines = 21;

bool Blank(const std::string& s) { return s.find_first_not_of(" \t\r") == std::string::npos; }

bool HasContent(const TextPage& p) { return std::any_of(p.begin(), p.end(), [](auto& l) { return !Blank(l); }); }

} // namespace

std::vector<TextPage> SplitTextPages(const std::vector<std::string>& Lines)
{
    std::vector<TextPage> pages;
    TextPage page;
    for (const auto& line : Lines) {
        std::size_t k = 0;
        while (k < line.size() && line[k] == FormFeed) {
            pages.push_back(std::move(page));
            page.clear();
            ++k;
        }
        if (k == 0)
            page.push_back(line);
        else if (k < line.size())
            page.push_back(line.substr(k));
    }
    if (HasContent(page))
        pages.push_back(std::move(page));
    return pages;
}

bool ReadTextPages(const std::string& FileName, std::vector<TextPage>& Pages)
{
    bool abort = settings::AbortFlag;
    LineFile f;
    if (!FileReadable(FileName) || !f.OpenRead(FileName)) {
        settings::AbortFlag = abort;
        return false;
    }
    std::vector<std::string> lines;
    std::string line;
    while (!f.Eof() && f.ReadLine(line))
        lines.push_back(line);
    bool ok = f.IoError() == 0;
    f.Close();
    settings::AbortFlag = abort;
    Pages = SplitTextPages(lines);
    return ok;
}

Integer EffectiveHeaderSpaceLines() { return std::max<Integer>(settings::HeaderSpaceLines, 0); }

Integer EffectiveLinesPerPage()
{
    // the header space is limited so that the sum cannot overflow
    Integer least = MinBodyLines + std::min<Integer>(EffectiveHeaderSpaceLines(), 10000);
    return std::max(settings::LinesPerPage, least);
}

bool PrintTextFile(const std::string& FileName)
{
    std::vector<TextPage> pages;
    if (!ReadTextPages(FileName, pages)) {
        ShowMessageText(DisplayToOem(FileName) + " not found !");
        return false;
    }
    if (settings::AbortFlag)
        return false;
    const bool content = std::any_of(pages.begin(), pages.end(), HasContent);
    if (!content) {
        MessageText(DisplayToOem("Nichts zu drucken: ") + DisplayToOem(FileName) + DisplayToOem(" enthält keine Seite."));
        return false;
    }
    return Ui().PrintTextFile(FileName, 1, static_cast<int>(pages.size()));
}

} // namespace kt4
