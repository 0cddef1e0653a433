#include "foundation/settings.h"

#include <filesystem>
#include <system_error>

namespace kt4::settings {

std::string ProductName;
std::string BaseName;
std::string DataFileExt;
std::string ProgramTitle;
std::string ProgramVersion;
std::string CurrentFileName;
std::string DataDir;
std::string StartDir;
bool FileNameHasDir;
bool ArchiveMode;
bool DataModified;
std::array<std::string, 3> RemarkLines;

std::string CadDir;
std::string DbfDir;
std::string EdiDir;
std::string PltDir;
std::string TempDir;
std::string ProgramsDir;
std::string ConfigDir;
std::string WorkingDir;
std::string DefaultDataDir;
std::string TextProgram;
std::string HtmlBrowser;
std::string ExternalTableEditor;
Array1<std::string, 4> RecentFiles;

Word UnitSystem;
std::array<std::string, 5> UnitSystemNames;
Integer Decimals;
Word DecimalPoint;
Word DateFormat;
Word CharConversion;
Word CadTextMode;
bool HideWarnings;
Word HelpLevel;
Word TextDevice;
bool TextDeviceDialog;
Word TextPrintMode;
Integer LinesPerPage;
Word PrintHeaderMode;
Integer HeaderSpaceLines;
Word PrinterPort;
Word HardcopyPort;
Word PrinterType;
Word PrintDensity;
Word PrintDensityVertical;
char HardcopyRotated;
Word WindowsPrintMode;
bool ColorGraphics;
Word MaxColorNumber;
Integer GraphicsMode;
Integer GraphicsDriver;
Word ScreenResX;
Word ScreenResY;
Integer ScreenPPI;
Integer InputWindowScale;
Integer DialogElementScale;
Integer HelpPictureLeft;
Integer HelpPictureTop;
Word DatabaseMode;
bool DbfUseTemp;
Integer DbfSelectedRecNo;
Integer DbfGridRow;
Integer DbfGridCol;
bool DbfWriteChecked;
bool DbfFolderWritable;
Integer TitleBlockStandard;
Word ChangeIndexMode;
Integer LanguageId;
Integer ScreenViewMode;
bool PasswordPrompt;
bool SmallOnlineWindow;
bool EnterDiagramLimits;
Word AngleFormat;
Word ExcelDecimalPoint;
Integer ScreenSizeCode;
Integer DialogWindowSizeCode;
Integer TextWindowSizeCode;
Integer IsoFrameMargin;
bool SaveMenuLanguage;
std::string ManualDir;
bool ShowErrorBoxes;
bool DemoRunning;
char LastKey;
Integer OutputFileCounter;

bool AbortFlag;
bool CalcErrorFlag;

Array1<std::string, 135> DialogLines;
Array1<std::string, 5> WrapLines;

Word MessageCount;
Array1<std::string, MaxMessages> MessageTexts;

void AddMessage(const std::string& Text)
{
    for (Word k = 1; k <= MessageCount; ++k)
        if (MessageTexts[k] == Text)
            return;
    auto fatal = [](const std::string& s) { return s.rfind(SevFatal, 0) == 0; };
    if (MessageCount >= MaxMessages) {
        // A full list still takes a fatal message, in place of the last
        // one that is not: why a calculation stopped is never lost.
        if (!fatal(Text))
            return;
        Word k = MessageCount;
        while (k >= 1 && fatal(MessageTexts[k]))
            --k;
        if (k == 0)
            return;
        for (; k < MessageCount; ++k)
            MessageTexts[k] = MessageTexts[k + 1];
        MessageTexts[MessageCount] = Text;
        return;
    }
    ++MessageCount;
    MessageTexts[MessageCount] = Text;
}

void ClearMessages()
{
    MessageCount = 0;
    CalcErrorFlag = false;
    AbortFlag = false;
}

std::vector<std::string> ListedMessages()
{
    return std::vector<std::string>(MessageTexts.begin(), MessageTexts.begin() + MessageCount);
}

void PutMessagesFirst(const std::vector<std::string>& Earlier)
{
    const std::vector<std::string> own = ListedMessages();
    MessageCount = 0;
    for (const auto* list : {&Earlier, &own})
        for (const std::string& text : *list)
            AddMessage(text);
}

namespace {

std::string CurrentDirectory()
{
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

} // namespace

void InitSettings()
{
    // 1. text buffers and the start folder
    DialogLines.fill(std::string(65, ' '));
    WrapLines.fill(std::string(64, ' '));
    StartDir = CurrentDirectory();

    // 2. identity and current file
    ProductName = "VELMORA";
    BaseName = "VELMORA";
    DataFileExt = "EXT";
    ProgramTitle = "V E L M O R A    -    Software";
    ProgramVersion = "1.0";
    CurrentFileName = "demo";
    DataDir = "ZOZOV";
    FileNameHasDir = false;
    ArchiveMode = false;
    DataModified = false;
    RemarkLines = {"", "", ""};

    // 3. folders, external programs and options
    CadDir.clear();
    DbfDir.clear();
    EdiDir.clear();
    PltDir.clear();
    TempDir.clear();
    ProgramsDir.clear();
    ConfigDir = StartDir;
    WorkingDir = StartDir;
    DefaultDataDir = StartDir;
    TextProgram = "WRITE.EXE";
    HtmlBrowser.clear();
    ExternalTableEditor = "C:\\NORETAB\\NORETAB.EXE";
    RecentFiles.fill("");

    UnitSystem = 0;
    // "°" is 0xF8 and "²" is 0xFD in the OEM code page
    UnitSystemNames = {
        "metrisch (mm, N, MPa, Nmm, \xF8" "C)",
        "englisch (in, lbf, psi, lbfin, degF)",
        "metrisch (mm, kN, MPa, Nm, \xF8" "C)",
        "metrisch (mm, N, N/mm\xFD, Nmm, \xF8" "C)",
        "metrisch (mm, kN, N/mm\xFD, Nm, \xF8" "C)",
    };
    Decimals = 3;
    DecimalPoint = 1;
    DateFormat = 3;
    CharConversion = 0;
    CadTextMode = 2;
    HideWarnings = false;
    HelpLevel = 1;
    TextDevice = 1;
    TextDeviceDialog = false;
    TextPrintMode = 1;
    LinesPerPage = 66;
    PrintHeaderMode = 1;
    HeaderSpaceLines = 0;
    PrinterPort = 1;
    HardcopyPort = 1;
    PrinterType = 3;
    PrintDensity = 1;
    PrintDensityVertical = 1;
    HardcopyRotated = 'J';
    WindowsPrintMode = 1;
    ColorGraphics = true;
    MaxColorNumber = 16;
    GraphicsMode = 0;
    GraphicsDriver = 0;
    ScreenResX = 0;
    ScreenResY = 0;
    DatabaseMode = 1;
    DbfUseTemp = false;
    DbfSelectedRecNo = 1;
    DbfGridRow = 1;
    DbfGridCol = 1;
    DbfWriteChecked = false;
    DbfFolderWritable = false;
    TitleBlockStandard = 2;
    ChangeIndexMode = 0;
    LanguageId = 0;
    ScreenViewMode = 0;
    PasswordPrompt = false;
    SmallOnlineWindow = false;
    EnterDiagramLimits = false;
    AngleFormat = 1;
    ExcelDecimalPoint = 2;
    ScreenSizeCode = 1;
    DialogWindowSizeCode = 1;
    TextWindowSizeCode = 1;
    IsoFrameMargin = 1;
    SaveMenuLanguage = false;
    ManualDir.clear();
    ShowErrorBoxes = true;
    DemoRunning = false;
    LastKey = '0';
    OutputFileCounter = 0;
    HelpPictureLeft = 1;
    HelpPictureTop = 1;

    AbortFlag = false;
    CalcErrorFlag = false;
    MessageCount = 0;
    MessageTexts.fill("");

    // 4. screen density: the window layer measures the screen later
    ScreenPPI = 96;
    InputWindowScale = 100;
    DialogElementScale = 100;
}

} // namespace kt4::settings
