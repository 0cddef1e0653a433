#include "drawings/view_standin.h"

#include "cad/cad_output.h"
#include "foundation/codepage.h"
#include "foundation/explain.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <iostream>

namespace kt4::drawings {

using namespace cad;

void DrawViewStandIn(Word /*view*/, Word device)
{
    using namespace settings;
    if (CalcErrorFlag) {
        if (Ui().Interactive()) {
            CalcMessagesDialog();
        } else {
            for (Word k = 1; k <= MessageCount; ++k)
                std::cerr << OemToDisplay(MessageTexts[k]) << "\n";
        }
        return;
    }
    SetHelpTextNumber(8260);
    c_begin(device);
    if (AbortFlag)
        return;
    c_setlayer(0);
    c_header_default();
    c_tables(2);
    c_blocks();
    c_setlayer(5);
    c_endblocks();
    do {
        c_entities();
        c_setlayer(5);
        c_endblocks();
    } while (!c_pass_done());
    c_end();
}

} // namespace kt4::drawings
