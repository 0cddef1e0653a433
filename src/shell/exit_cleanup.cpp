#include "shell/exit_cleanup.h"

#include "foundation/dialogs.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

namespace kt4::shell {

bool ExitCleanup()
{
    settings::AbortFlag = false;
    StatusMessage("L\x94sche tempor\x84re Dateien ...");
    RemovePrivateTempDir();
    return true;
}

} // namespace kt4::shell
