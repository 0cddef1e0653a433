// The dialog and message layer: every question, message and file dialog
// of the program goes through these procedures. They take stored (OEM)
// texts, show them through the UI service (ui_service.h) as display text,
// and report every Cancel and failed check through settings::AbortFlag,
// which the caller tests after each step. A cancelled or refused input
// leaves the caller's variable unchanged.
#pragma once

#include "foundation/helptext.h"
#include "foundation/types.h"

#include <string>

namespace kt4 {

class LineFile;

namespace dialogs {
// CheckOutputFile asks before overwriting an existing file.
extern bool AskOverwrite;
// The user word the guided tour starts with.
inline constexpr const char* TourUserWord = "ZOZOV";
void InitDialogs();
} // namespace dialogs

// Message box kinds
inline constexpr Word BoxKindMessage = 0;
inline constexpr Word BoxKindNotice = 11;
inline constexpr Word BoxKindError = 12;
inline constexpr Word BoxKindHelp = 3;

// Choices and questions -------------------------------------------------

// A choice among settings::DialogLines[1..Count]: up to seven lines as
// radio buttons, eight or more as a list. Sel (1-based) is the preset; a
// preset outside 1..Count becomes 1. OK stores the choice in Sel; Cancel,
// OK without a choice and Count < 1 set AbortFlag and leave Sel.
void ChoiceDialog(const std::string& Title, Integer Count, Word& Sel);
void ChoiceDialog(const std::string& Title, Integer Count, Integer& Sel);
// Yes/no choice; Answer "J" or "N", preset by the caller.
void YesNoDialog(const std::string& Prompt, char& Answer);
// YesNoDialog preset from B; B := answer <> "N".
void AskYesNo(const std::string& Prompt, bool& B);
// A Yes/No/Cancel box with the program title; Cancel sets AbortFlag. True
// only for Yes.
bool YesNoCancelBox(const std::string& Text);
bool AskYesNoBox(const std::string& Text);

// Messages (OK only) ---------------------------------------------------

// Caption by kind: 12 "Fehler : ", 3 "Hilfe", any other "Meldung:".
void MessageBoxKind(const std::string& Text, Word Kind);
// Kind 12 while settings::ShowErrorBoxes is set, else nothing.
void ErrorBox(const std::string& Text);
void ErrorBoxAlways(const std::string& Text);
void MessageText(const std::string& Text);  // kind 0
void NoticeText(const std::string& Text);   // kind 11
void InfoBox(const std::string& Caption, const std::string& Text);
// The plain message of the application (caption: the product name).
void ShowMessageText(const std::string& Text);
// A status hook that shows nothing.
void StatusMessage(const std::string& Text);
// settings::DialogLines[1..22] in a fixed-pitch screen with OK.
void ShowMessageScreen();
void ArchiveRefusal();
// For a typed text that is stored in OEM: true, after an error box that
// names the characters OEM cannot hold (after Lead, an OEM text), when
// Text (UTF-8) has any; the caller then keeps its form open.
bool RefuseOutsideOem(const std::string& Text, const std::string& Lead = "");

// Text and number input -------------------------------------------------

// The text dialog; true (and Text the typed text) unless cancelled.
bool InputTextDialog(const std::string& Prompt, std::string& Text, Integer MaxLen);
void InputText(const std::string& Prompt, Integer MaxLen, std::string& S);
// Numbers are read strictly: the whole text (blanks around it ignored),
// "," or "." as the decimal separator. A text that is no number is refused
// with "Ungültige Eingabe ..." and asked again, a number outside Lo..Hi
// with "Gültiger Wertebereich: ..."; an unchanged text keeps X exactly.
void InputReal(const std::string& Prompt, Real& X, Real Lo, Real Hi);
void InputDouble(const std::string& Prompt, double& X, double Lo, double Hi);
// X, Lo and Hi in mm; typed in inch when UnitSystem is 1.
void InputLength(const std::string& Prompt, Real& X, Real Lo, Real Hi);
void InputIntegerRange(const std::string& Prompt, Integer& N, Integer Lo, Integer Hi);
void InputInteger(const std::string& Prompt, Integer& N, Integer Lo, Integer Hi);
void InputWord(const std::string& Prompt, Word& W, Word Lo, Word Hi);
// The strict reading of typed numbers.
bool ParseInputReal(const std::string& Text, Real& X);
bool ParseInputInteger(const std::string& Text, Integer& N);

// Files -------------------------------------------------------------------

// Refuses a file part with two or more dots; asks before overwriting an
// existing file (unless AskOverwrite is off or the name holds "aktuell");
// checks that the file can be written: an existing file is never changed
// here, a new name is created and erased again.
void CheckOutputFile(const std::string& Name);
// The file the open project was last read from or saved to; the project
// keeps it while it has a name (CurrentFileName).
void NoteProjectFile(const std::string& Path);
// No output is written over the open project file or a file the table
// engine holds open (HeldFileAt), whatever name reaches it: when Name is
// one, "Ziel ist die Projektdatei: <Name> wurde nicht geschrieben." (or
// "Ziel ist eine geöffnete Tabelle: ...", the memo file, an index or the
// semaphore file of one) is told, AbortFlag set and true returned. Saving
// the project does not ask this.
bool RefuseOpenFileTarget(const std::string& Name);
// The check of every output named in a dialog: refused as above, else
// CheckOutputFile. True when Name may be written.
bool CheckDialogOutputFile(const std::string& Name);
// The name of a data file to write, with the extension DataFileExt in
// DataDir: an empty Name asks with the save dialog (DataDir and
// CurrentFileName change only when the name passed the check); a Name
// without "." goes into DataDir; a Name with "." is used as it is.
void GetSaveFileName(const std::string& Name, std::string& FullName);
// The save dialog for a file of the given extension starting in Dir; the
// chosen name is checked (CheckDialogOutputFile); no setting changes.
// Empty on Cancel or a refused name (AbortFlag set).
std::string AskSaveFileName(const std::string& Ext, const std::string& Dir);
// A folder chooser; Cancel leaves NewDir = Dir (no AbortFlag).
void BrowseFolder(const std::string& Dir, std::string& NewDir);
// An open dialog in Dir with the filter Mask. A chosen file sets Dir to its
// folder and Name to its bare name (the full name for Kind 5); Kind 4 also
// sets DataFileExt to the text after the first "." of the name. No file:
// Name := "" and AbortFlag.
void BrowseFileInDir(Integer Kind, std::string& Dir, const std::string& Mask, std::string& Name);
// An open dialog in the folder of OldName; no file: NewName := OldName and
// AbortFlag.
void BrowseFileName(const std::string& OldName, const std::string& Mask, std::string& NewName);
// An unreadable file gives "Datei ... nicht gefunden oder kein
// Zugriffsrecht !" and AbortFlag.
void CheckFileReadable(const std::string& Name);
// Opens a file the program has written with the program the desktop
// associates with it. A failure is told in a box that says the file was
// written and names its full path (WrittenNotOpenedText, after Lead when
// given; both display text), so that the user can open it by hand.
bool OpenWrittenFile(const std::string& Path, const std::string& Lead = "");
// "Datei <full path> wurde geschrieben; sie kann nicht zum Ansehen
// geöffnet werden." (display text).
std::string WrittenNotOpenedText(const std::string& Path);

// I/O on a caller's line file, with the error texts; failures set
// AbortFlag. RewriteRetry asks to try again after each failure; any answer
// but Yes gives up (AbortFlag, false).
bool RewriteChecked(LineFile& F);
void WriteTextChecked(LineFile& F, const std::string& S);
bool CloseChecked(LineFile& F);
bool RewriteRetry(LineFile& F);
// The error text of an I/O code ("Lesefehler", "Diskette/Platte voll",
// "Schreibschutz entfernen !" ...).
std::string IoErrorText(int Code);

// Window and cursor ------------------------------------------------------

// The window title for the current file; also sets the application title
// and the arrow cursor.
void MakeWindowTitle(std::string& Title);
void HourglassCursor();
void NormalCursor();
inline void DefaultCursor() { NormalCursor(); }

// Start-up ---------------------------------------------------------------

// Asks for the user word, which names the user's data folder below
// DefaultDataDir; sets DataDir to that folder (an absolute path). False
// when the program has to end (Cancel, an invalid word or folder).
bool EnterUserPassword();

} // namespace kt4
