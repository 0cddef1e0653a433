#include "drive/docu_data.h"

#include "drive/docu_texts.h"
#include "foundation/datetime.h"
#include "foundation/settings.h"

namespace kt4::docu {

std::string ZeichName;
std::string ZeichName2;
std::string ZeichNr;
Array1<AendRecord, AendMax> AendList;
Word AendCount = 0;
TZeichInfo ZeichInfo;
Array1<ZeichTextRecord, ZeichTextMax> ZeichTexts;
Word ZeichTextCount = 0;
Integer ZeichTextMode = 0;

bool IsoTitleBlock()
{
    return settings::TitleBlockStandard != 0 && settings::TitleBlockStandard != 3;
}

void InitDocuData()
{
    InitDocuTexts();
    ZeichName.clear();
    ZeichName2.clear();
    ZeichNr.clear();
    AendList.fill(AendRecord{});
    AendCount = 0;
    ZeichTexts.fill(ZeichTextRecord{});
    ZeichTextCount = 0;
    ZeichInfo = TZeichInfo{};
    std::string today = DateString();
    ZeichInfo.Date1 = ZeichInfo.Date2 = ZeichInfo.Date3 = today;
    ZeichTextMode = 0;
}

void ResetDocuData()
{
    AendCount = 0;
    ZeichInfo = TZeichInfo{};
    ZeichInfo.Date1 = DateString();
    ZeichTextCount = 0;
    ZeichTextMode = 0;
}

} // namespace kt4::docu
