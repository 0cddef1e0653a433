#include "drive/doclinks.h"

#include "drive/docu_sections.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/linefile.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <filesystem>

namespace kt4::docu {

Array1<DokuRecord, DokuMax> DokuList;
Word DokuCount = 0;

namespace {

const char* const DefaultPrograms[DokuMax] = {"notepad.exe", "write.exe", "mspaint.exe",
                                              "notepad.exe", "notepad.exe"};

} // namespace

void InitDocumentLinks()
{
    DokuCount = DokuMax;
    for (Word k = 1; k <= DokuMax; ++k)
        DokuList[k] = DokuRecord{DefaultPrograms[k - 1], ""};
}

void ClearRemarkLines()
{
    for (auto& line : settings::RemarkLines)
        line.clear();
    DokuCount = 0;
}

void DropLinkedDocuments()
{
    DokuCount = 0;
    for (auto& link : DokuList)
        link.file.clear();
}

void WriteDokumenteSection()
{
    WriteReportLine("Dokumente");
    WriteReportLine("5");
    WriteReportLine(std::string(20, '-'));
    // the links are kept as the file system names them; the file takes
    // code page 850 like every other text in it
    for (Word k = 1; k <= DokuMax; ++k) {
        WriteReportLine(DisplayToOem(DokuList[k].program));
        WriteReportLine(DisplayToOem(DokuList[k].file));
        WriteReportLine(std::string(14, '-'));
    }
}

bool ExecLinkProgram(const std::string& Program, const std::string& File)
{
    std::string prog = TrimBlanks(Program);
    std::string file = TrimBlanks(File);
    std::vector<std::string> args;
    if (!file.empty())
        args.push_back(file);
    if (!prog.empty() && Ui().StartProgram(prog, args))
        return true;
    ErrorBox(DisplayToOem("Programm \"" + prog + "\" kann nicht gestartet werden !"));
    return false;
}

bool ExecLinkFile(const std::string& File)
{
    std::string file = TrimBlanks(File);
    // a document that is not there is told before any opener starts
    std::error_code ec;
    if (!file.empty() && std::filesystem::exists(file, ec) && Ui().OpenDocument(file))
        return true;
    ErrorBox(DisplayToOem("Datei \"" + file + "\" kann nicht geöffnet werden !"));
    return false;
}

} // namespace kt4::docu
