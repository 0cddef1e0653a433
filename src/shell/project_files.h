// The current project data file (CurrentFileName in DataDir): saving it,
// the question before unsaved changes are lost, and opening an entry of
// the recent-file list. Results go through AbortFlag (set: the caller
// stops) and DataModified.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kt4::shell {

// Writes the project under Name (an empty name asks for one) without the
// overwrite question. True when it was written.
bool SaveFile(const std::string& Name);

// With unsaved changes: asks whether to save (a named project) or to drop
// the input (an unnamed one). DataModified is cleared only when the
// changes were saved or the user let them go; a failed or cancelled save
// keeps it and sets AbortFlag.
void AskSaveChanges();

// Reads Name (an empty name asks with the open dialog) as the open
// project and calculates it. The documentation of the project before goes
// with it: revisions, title block and free texts as File > New drops them,
// and the documents of the links (DropProjectDocumentation). False, with
// nothing changed, when the file was not read.
bool ReadProject(const std::string& Name);
// Revisions, title block and free texts as File > New leaves them, and
// links without their documents.
void DropProjectDocumentation();

// The image of the saved values: the project's values as a save writes
// them (project::ProjectText), taken after the calculation that follows a
// read and after a save. Whatever leaves the values other than the image
// (a form's Calc before its Cancel included) marks the project changed;
// nothing clears the mark but a save, a read or the user's answer.
void NoteSavedValues();
// DataModified := True when the values differ from the image; nothing
// without an image.
void MarkChangedValues();
// The image, none before the window's start, the first read or save, and
// putting one back (an open design restored).
const std::optional<std::string>& SavedValues();
void SetSavedValues(const std::optional<std::string>& Image);

// Opens entry K of the recent-file list. The current project changes only
// when the file was read; the drive is then calculated. A listed file
// that is gone is removed from the list with a message.
void OpenRecentFile(int K);

// After a fault that escaped a command or the program (an exception): its
// text goes to an error box (stderr without a window), and unsaved changes
// may be saved before anything else happens.
void HandleUnexpectedError(const std::string& Text);
// The words for memory that ran out (display text): "Zu wenig Speicher: "
// + Target + " wurde nicht geschrieben.", or "Zu wenig Speicher." when no
// output was being made.
std::string OutOfMemoryText(const std::string& Target);
// Runs Command; an exception that leaves it goes to HandleUnexpectedError.
// Memory that ran out drops the CAD job in the making first (its file
// stays as it was) and is told in the program's words.
void RunGuarded(const std::function<void()>& Command);

} // namespace kt4::shell
