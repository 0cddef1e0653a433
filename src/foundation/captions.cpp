#include "foundation/captions.h"

namespace kt4::captions {

std::string CaptionFile;
std::string CaptionPrint;
std::string CaptionExit;
std::string CaptionEdit;
std::string CaptionSelectAll;
std::string CaptionCopy;

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
