#include "shell/identity.h"

#include "foundation/settings.h"

namespace kt4::shell {

namespace {
constexpr const char* ProductTitleText = "Exzentergetriebe";
}

void SetProgramIdentity()
{
    using namespace settings;
    ProductName = "KT4";
    BaseName = "kt4";
    DataFileExt = "kt4";
    ProgramVersion = "1.1";
    ProgramTitle = std::string(ProductTitleText) + "  " + ProductName;
}

} // namespace kt4::shell
