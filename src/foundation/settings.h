// Program-wide settings, the flags of the running action and the
// calculation message list. Every module reads and writes these directly.
// Texts are stored as OEM (code page 850) bytes.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4::settings {

// Program identity and current file
extern std::string ProductName;
extern std::string BaseName;
extern std::string DataFileExt;
extern std::string ProgramTitle;
extern std::string ProgramVersion;
extern std::string CurrentFileName;
extern std::string DataDir;
extern std::string StartDir;
extern bool FileNameHasDir;
extern bool ArchiveMode;
extern bool DataModified;
extern std::array<std::string, 3> RemarkLines; // [0..2]

// Folders and external programs
extern std::string CadDir;
extern std::string DbfDir;
extern std::string EdiDir;
extern std::string PltDir;
extern std::string TempDir;
extern std::string ProgramsDir;
extern std::string ConfigDir;
extern std::string WorkingDir;
extern std::string DefaultDataDir;
extern std::string TextProgram;
extern std::string HtmlBrowser;
extern std::string ExternalTableEditor;
extern Array1<std::string, 4> RecentFiles;

// Output, display and calculation options
extern Word UnitSystem;
extern std::array<std::string, 5> UnitSystemNames; // [0..4], index = UnitSystem
extern Integer Decimals;
extern Word DecimalPoint;
extern Word DateFormat;
extern Word CharConversion;
extern Word CadTextMode;
extern bool HideWarnings;
extern Word HelpLevel;
extern Word TextDevice;
extern bool TextDeviceDialog;
extern Word TextPrintMode;
extern Integer LinesPerPage;
extern Word PrintHeaderMode;
extern Integer HeaderSpaceLines;
extern Word PrinterPort;
extern Word HardcopyPort;
extern Word PrinterType;
extern Word PrintDensity;
extern Word PrintDensityVertical;
extern char HardcopyRotated;
extern Word WindowsPrintMode;
extern bool ColorGraphics;
extern Word MaxColorNumber;
extern Integer GraphicsMode;
extern Integer GraphicsDriver;
extern Word ScreenResX;
extern Word ScreenResY;
extern Integer ScreenPPI;
extern Integer InputWindowScale;
extern Integer DialogElementScale;
extern Integer HelpPictureLeft;
extern Integer HelpPictureTop;
extern Word DatabaseMode;
extern bool DbfUseTemp;
extern Integer DbfSelectedRecNo;
extern Integer DbfGridRow;
extern Integer DbfGridCol;
extern bool DbfWriteChecked;
extern bool DbfFolderWritable;
extern Integer TitleBlockStandard;
extern Word ChangeIndexMode;
extern Integer LanguageId;
extern Integer ScreenViewMode;
extern bool PasswordPrompt;
extern bool SmallOnlineWindow;
extern bool EnterDiagramLimits;
extern Word AngleFormat;
extern Word ExcelDecimalPoint;
extern Integer ScreenSizeCode;
extern Integer DialogWindowSizeCode;
extern Integer TextWindowSizeCode;
extern Integer IsoFrameMargin;
extern bool SaveMenuLanguage;
extern std::string ManualDir;
extern bool ShowErrorBoxes;
extern bool DemoRunning;
extern char LastKey;
extern Integer OutputFileCounter;

// Flags of the running action
extern bool AbortFlag;
extern bool CalcErrorFlag;

// Shared text buffers
extern Array1<std::string, 135> DialogLines;
extern Array1<std::string, 5> WrapLines;

// The calculation message list: entries 1..MessageCount are valid.
constexpr Word MaxMessages = 12;
extern Word MessageCount;
extern Array1<std::string, MaxMessages> MessageTexts;

// Severity words every calculation message begins with
inline constexpr const char* SevFatal = "Fatal  : ";
inline constexpr const char* SevError = "Fehler : ";
inline constexpr const char* SevWarning = "Warnung: ";

// Adds Text unless it is already in the list; a thirteenth distinct text
// is dropped, unless it is fatal: it then takes the place of the last
// message that is not, at the end of the list.
void AddMessage(const std::string& Text);
// Empties the list for a new calculation and clears CalcErrorFlag and
// AbortFlag.
void ClearMessages();
// The texts of the list, in order.
std::vector<std::string> ListedMessages();
// Puts Earlier (the messages of an earlier step of the same action) in
// front of the list's own, each text once, as AddMessage keeps them;
// CalcErrorFlag and AbortFlag stay as they are.
void PutMessagesFirst(const std::vector<std::string>& Earlier);

// Gives every variable of this module its start value.
void InitSettings();

} // namespace kt4::settings
