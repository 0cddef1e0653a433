// Engine errors: every engine operation reports a failure through SetError
// with a numeric code and a context text that ends in the operation's tag in
// square brackets. The reporter then ends the program with a message box,
// calls a user handler, or raises EZodarError, as the switches below say.
//
// Messages are display texts (UTF-8); file names in them are the paths as
// given.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace kt4::dbase {

// The engine's exception (exception mode); its message is the full error
// message: "Fehler Nr. <code> (<code text>)" CRLF <context text>.
class EZodarError : public std::runtime_error {
public:
    EZodarError(std::uint16_t code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    std::uint16_t Code() const { return code_; }

private:
    std::uint16_t code_;
};

// Code of the last failure, 0 = none. Engine operations clear it on entry.
extern std::uint16_t EngineErrorCode;

// Stores code and text; reports at once when the report switch is on.
// Code 0 stores the text and reports nothing.
void SetError(std::uint16_t code, const std::string& text);
// Sets the code and the text without reporting (for the few operations that
// only record a failure).
void SetErrorSilent(std::uint16_t code, const std::string& text);
// The reporter: halts, calls the user handler or throws, as switched.
void ReportError();

// "" for 0, else "Fehler Nr. " + code + " (" + code text + ")".
std::string ErrorMessage(std::uint16_t code);
// The code's own text ("Unbekannter Fehler" for unlisted codes).
std::string ErrorCodeText(std::uint16_t code);
// Pending message + CRLF + last text, then cleared; "" when none pending.
std::string FetchErrorMessage();
// Returns the last error text and clears it and the pending code.
std::string TakeErrorText();
// The last error text (not cleared).
const std::string& LastErrorText();

// Switches; each setter returns the previous value.
bool SetReportErrors(bool on);
bool ReportErrors();
bool SetExceptionMode(bool on);
bool ExceptionMode();
using ErrorHandler = std::function<void()>;
ErrorHandler SetErrorHandler(ErrorHandler handler);

// Exit status for a halting error: the code when 1..255, else 255 (POSIX
// keeps only 8 bits, and 1280 must not end as "success").
int HaltExitCode(std::uint16_t code);
// Clears the state (code, pending code, text, halting flag).
void ResetErrorState();

// Temporarily switches reporting off; restores it on scope exit.
class QuietErrors {
public:
    QuietErrors() : previous_(SetReportErrors(false)) {}
    ~QuietErrors() { SetReportErrors(previous_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    bool previous_;
};

} // namespace kt4::dbase
