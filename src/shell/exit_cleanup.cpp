#include "shell/exit_cleanup.h"

#include "foundation/dialogs.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "shell/services.h"

namespace kt4::shell {

bool ExitCleanup()
{
    settings::AbortFlag = false;
    StatusMessage("L\x94sche tempor\x84re Dateien ...");
    if (Services().exitCleanup)
        Services().exitCleanup();
    RemovePrivateTempDir();
    return true;
}

} // namespace kt4::shell
