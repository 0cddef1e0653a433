#include "foundation/gui/pdf_file.h"

#include "foundation/dialogs.h"
#include "foundation/settings.h"

#include <algorithm>
#include <fstream>

namespace kt4::gui {

bool PdfFile::Open(const std::string& Target)
{
    target_ = Target;
    if (RefuseOpenFileTarget(Target))
        return false;
    if (out_.Open(Target))
        return true;
    errno_ = out_.Errno();
    code_ = RefusalIoCode(out_.Refused());
    ErrorBoxAlways(FailureText());
    settings::AbortFlag = true;
    return false;
}

bool PdfFile::Commit()
{
    // a device (a printer port) is written directly and has nothing to read back
    if (!out_.TempPath().empty() && !IsCompletePdf(out_.TempPath())) {
        out_.Discard();
        errno_ = 0;
        return false;
    }
    if (out_.Commit())
        return true;
    errno_ = out_.Errno();
    return false;
}

std::string PdfFile::FailureText() const { return WriteFailureText(code_, errno_, target_); }

bool IsCompletePdf(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    if (size <= 0)
        return false;
    const std::streamoff tail = std::min<std::streamoff>(size, 64);
    std::string end(static_cast<std::size_t>(tail), '\0');
    in.seekg(size - tail);
    if (!in.read(end.data(), tail))
        return false;
    return end.find("%%EOF") != std::string::npos;
}

} // namespace kt4::gui
