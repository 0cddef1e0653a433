// Explanations of calculation messages: the file PltDir + BaseName +
// ".err" (OEM) holds records of three lines, the message, its cause and
// its remedy. A message matches a line whose first 15 characters equal
// its own first 15; a match on the last line counts as none. After a
// calculation the review lists the messages and opens the explanation of
// each; the user can correct an explanation and save it back.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4 {

inline constexpr std::size_t ExplanationKeyLength = 15;
// The cause given for a message without a record.
inline constexpr const char* NoExplanationText = "keine Beschreibung dieser Fehlermeldung vorhanden.";

// The explanation file (found whatever the case of its name).
std::string ExplanationFileName();
// The lines of a file, or false when it cannot be read. Leaves AbortFlag
// as it was.
bool ReadExplanationLines(const std::string& File, std::vector<std::string>& Lines);
// The index of the first line matching Message that is not the last line;
// -1 when none.
int FindExplanation(const std::vector<std::string>& Lines, const std::string& Message);

// Cause and remedy of settings::MessageTexts[I] for the report: with no
// record the cause is NoExplanationText and the remedy empty; without the
// file both are empty.
void MessageCause(Word I, std::string& S);
void MessageRemedy(Word I, std::string& S);
// Both at once, reading the file once (Lines from ReadExplanationLines, or
// empty when the file is missing).
void ExplainMessage(const std::vector<std::string>& Lines, bool FileFound, const std::string& Message,
                    std::string& Cause, std::string& Remedy);

// The explanation of message I in the explanation form.
void ShowMessageExplanation(Word I);
// Shows the three texts (OEM) in the explanation form; a change the user
// agrees to save ("Save Changes ?") is written back.
void ShowErrorHelp(const std::string& Message, const std::string& Cause, const std::string& Remedy);
// Writes a changed explanation back into the file: the first record of
// Message gets the new cause and remedy (line breaks become blanks). The
// file is replaced whole or not at all. False (and AbortFlag) when
// nothing was saved; the user is told why.
bool SaveExplanation(const std::string& Message, const std::string& Cause, const std::string& Remedy);

// The review after a calculation: the messages as a choice with
// "Weiter/zurück..." and the explanation of each chosen one. Silent with
// "/NOGUI" and while the guided tour runs. Ending it, also by Cancel,
// clears AbortFlag: the review never cancels the action that calculated.
void CalcMessagesDialog();

} // namespace kt4
