// The engine's error state and its reporter.
#include "dbase/engine/errors.h"

#include "foundation/ui_service.h"

#include <cstdlib>

namespace kt4::dbase {

std::uint16_t EngineErrorCode = 0;

namespace {

struct ErrorState {
    std::uint16_t pending = 0;
    std::string lastText;
    bool report = true;
    bool exceptions = false;
    bool halting = false;
    ErrorHandler handler;
};

ErrorState& State()
{
    static ErrorState state;
    return state;
}

} // namespace

void SetErrorSilent(std::uint16_t code, const std::string& text)
{
    EngineErrorCode = code;
    State().pending = code;
    State().lastText = text;
}

void SetError(std::uint16_t code, const std::string& text)
{
    SetErrorSilent(code, text);
    if (State().report && code != 0)
        ReportError();
}

std::string ErrorMessage(std::uint16_t code)
{
    if (code == 0)
        return "";
    return "Fehler Nr. " + std::to_string(code) + " (" + ErrorCodeText(code) + ")";
}

int HaltExitCode(std::uint16_t code)
{
    return (code >= 1 && code <= 255) ? code : 255;
}

void ReportError()
{
    ErrorState& s = State();
    if (s.halting)
        return;
    s.pending = EngineErrorCode;
    if (s.handler) {
        s.handler();
        return;
    }
    if (EngineErrorCode == 0)
        return;
    const std::uint16_t code = EngineErrorCode;
    std::string message = ErrorMessage(code) + "\r\n" + s.lastText;
    s.lastText.clear();
    if (!s.exceptions) {
        s.halting = true;
        Ui().MessageBox("Programm angehalten.", message, BoxKind::Error);
        std::exit(HaltExitCode(code));
    }
    throw EZodarError(code, message);
}

std::string FetchErrorMessage()
{
    ErrorState& s = State();
    if (s.pending == 0)
        return "";
    std::string message = ErrorMessage(s.pending) + "\r\n" + s.lastText;
    s.lastText.clear();
    s.pending = 0;
    return message;
}

std::string TakeErrorText()
{
    ErrorState& s = State();
    std::string text = std::move(s.lastText);
    s.lastText.clear();
    s.pending = 0;
    return text;
}

const std::string& LastErrorText()
{
    return State().lastText;
}

bool SetReportErrors(bool on)
{
    bool previous = State().report;
    State().report = on;
    return previous;
}

bool ReportErrors()
{
    return State().report;
}

bool SetExceptionMode(bool on)
{
    bool previous = State().exceptions;
    State().exceptions = on;
    return previous;
}

bool ExceptionMode()
{
    return State().exceptions;
}

ErrorHandler SetErrorHandler(ErrorHandler handler)
{
    ErrorHandler previous = std::move(State().handler);
    State().handler = std::move(handler);
    return previous;
}

void ResetErrorState()
{
    EngineErrorCode = 0;
    State().pending = 0;
    State().lastText.clear();
    State().halting = false;
}

} // namespace kt4::dbase
