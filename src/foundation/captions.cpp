#include "foundation/captions.h"

namespace kt4::captions {

#define KT4_DEFINE_CAPTION(name) std::string name;
KT4_MENU_CAPTIONS(KT4_DEFINE_CAPTION)
#undef KT4_DEFINE_CAPTION

void InitCaptions()
{
    CaptionFile = "&Datei";
    CaptionPrint = "&Drucken...";
    CaptionExit = "&Beenden       ";
    CaptionEdit = "&Bearbeiten";
    CaptionSelectAll = "Alles aus&wählen";
    CaptionCopy = "Kopieren";
}

} // namespace kt4::captions
