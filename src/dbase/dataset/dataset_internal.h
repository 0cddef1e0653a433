// Shared by the dataset classes' source files.
#pragma once

#include "dbase/engine/errors.h"
#include "dbase/engine/workarea.h"

#include <string>

namespace kt4::dbase::detail {

// Engine calls of the dataset layer raise EZodarError: exception mode and
// reporting on, no user handler, for the scope.
class EngineExceptions {
public:
    EngineExceptions()
        : exceptions_(SetExceptionMode(true)), report_(SetReportErrors(true)),
          handler_(SetErrorHandler(nullptr))
    {
    }
    ~EngineExceptions()
    {
        SetErrorHandler(std::move(handler_));
        SetReportErrors(report_);
        SetExceptionMode(exceptions_);
    }
    EngineExceptions(const EngineExceptions&) = delete;
    EngineExceptions& operator=(const EngineExceptions&) = delete;

private:
    bool exceptions_;
    bool report_;
    ErrorHandler handler_;
};

// The refusal (220) of a text with characters the table's code page lacks,
// worded as the engine words it when it writes a record: the characters,
// the field, the table and the page.
inline std::string LackingCharsText(const std::string& lacking, const std::string& field, const TWorkArea& area)
{
    return dbase::LackingCharsText(lacking, "im Feld " + field + " von " + area.fileName, area.TextPage().number);
}

// Dataset error codes of this layer.
inline constexpr int kNoRecordBefore = 1402;
inline constexpr int kNoRecordAfter = 1403;
inline constexpr int kNotEditing = 1405;
inline constexpr int kFieldReadOnly = 1406;
inline constexpr int kEmptyDataset = 1407;
inline constexpr int kReadOnlyDataset = 1408;
inline constexpr int kNotActive = 1409;

} // namespace kt4::dbase::detail
