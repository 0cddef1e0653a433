#include "shell/menu_table.h"

#include "foundation/captions.h"
#include "foundation/codepage.h"
#include "foundation/settings.h"
#include "shell/languages.h"
#include "shell/recent_files.h"
#include "shell/vocabulary.h"
#include "shell/web_links.h"

#include <map>

namespace kt4::shell {

namespace {

using K = MenuKind;
using namespace kt4::captions;
using namespace kt4::vocabulary;

std::string Product() { return OemToDisplay(settings::ProductName); }
std::string Paren(const std::string& a, const std::string& b) { return a + " (" + b + ")"; }

const std::vector<MenuEntry> entries = {
    {"mi_file", nullptr, K::Menu},
    {"mi_fileNew", "mi_file", K::Item},
    {"mi_fileOpen", "mi_file", K::Item},
    {"mi_fileopentable", "mi_file", K::Item},
    {"mi_FileSave", "mi_file", K::Item},
    {"mi_FileSaveAs", "mi_file", K::Item},
    {"mi_fileSep1", "mi_file", K::Separator},
    {"mi_fileprint", "mi_file", K::Item},
    {"mi_fileExportQOV1", "mi_file", K::Menu},
    {"mi_fileexportQov1Rad1", "mi_fileExportQOV1", K::Item},
    {"mi_fileexportQov1Rad2", "mi_fileExportQOV1", K::Item},
    {"mi_fileexportExportBX1", "mi_file", K::Menu},
    {"mi_fileexportbx1antrieb", "mi_fileexportExportBX1", K::Item},
    {"mi_fileexportbx1abtrieb", "mi_fileexportExportBX1", K::Item},
    {"mi_fileexportbx1bolzen", "mi_fileexportExportBX1", K::Item},
    {"mi_fileSep2", "mi_file", K::Separator},
    {"mi_fileConfig", "mi_file", K::Item},
    {"mi_fileSep3", "mi_file", K::Separator},
    {"mi_file1", "mi_file", K::Item},
    {"mi_file2", "mi_file", K::Item},
    {"mi_file3", "mi_file", K::Item},
    {"mi_file4", "mi_file", K::Item},
    {RecentSeparator, "mi_file", K::Separator},
    {"mi_fileexit", "mi_file", K::Item},

    {"mi_Edit", nullptr, K::Menu},
    {"mi_editText", "mi_Edit", K::Item},
    {"mi_editGeometrie", "mi_Edit", K::Item},
    {"mi_editantrieb", "mi_Edit", K::Item},
    {"mi_editvorauslegung", "mi_Edit", K::Item},

    {"mi_View", nullptr, K::Menu},
    {"mi_viewausdruck", "mi_View", K::Item},
    {"mi_viewQuick", "mi_View", K::Item},
    {"mi_viewzeichnung", "mi_View", K::Item},
    {"mi_viewWolf", "mi_View", K::Item},
    {"mi_viewanimation", "mi_View", K::Item},
    {ErrorMessagesItem, "mi_View", K::Item},

    {"mi_CAD", nullptr, K::Menu},
    {"mi_cadQuick", "mi_CAD", K::Item},
    {"mi_cadTabelle", "mi_CAD", K::Item},
    {"mi_cadzeichnung", "mi_CAD", K::Item},
    {"mi_stl", "mi_CAD", K::Menu},
    {"mi_Abtriebscheibe", "mi_stl", K::Item},
    {"mi_stlRolle", "mi_stl", K::Item},
    {"mi_stlLagerdeckelabtrieb", "mi_stl", K::Menu},
    {"mi_stllagerdeckelabtrgeschlossenvoll", "mi_stlLagerdeckelabtrieb", K::Item},
    {"mi_stllagerdeckelabtrieboffenvoll", "mi_stlLagerdeckelabtrieb", K::Item},
    {"mi_stllagerdeckelabtriebgeschlossenduenn", "mi_stlLagerdeckelabtrieb", K::Item},
    {"mi_stllagerdeckelabtrieboffenduenn", "mi_stlLagerdeckelabtrieb", K::Item},
    {"mi_stlLagerdeckelantrieb", "mi_stl", K::Menu},
    {"mi_stllagerdeckelantrgeschlossenvoll", "mi_stlLagerdeckelantrieb", K::Item},
    {"mi_stllagerdeckelantroffenvoll", "mi_stlLagerdeckelantrieb", K::Item},
    {"mi_stllagerdeckelantrgeschlossenduenn", "mi_stlLagerdeckelantrieb", K::Item},
    {"mi_stllagerdeckelantrieboffenduenn", "mi_stlLagerdeckelantrieb", K::Item},
    {"mi_stlDistanzscheibeabtrieb", "mi_stl", K::Menu},
    {"mi_stldistanzscheibeabtriebvoll", "mi_stlDistanzscheibeabtrieb", K::Item},
    {"mi_stldistanzscheibeabtriebduenn", "mi_stlDistanzscheibeabtrieb", K::Item},
    {"mi_stlExzenterwelle", "mi_stl", K::Item},
    {"mi_stlAbtriebswelle", "mi_stl", K::Item},
    {"mi_stlReibrad", "mi_stl", K::Item},
    {"mi_stlHohlrad", "mi_stl", K::Item},

    {"mi_database", nullptr, K::Menu},

    {"mi_documentation", nullptr, K::Menu},
    {"mi_docdrawinginfo", "mi_documentation", K::Item},
    {"mi_docuShowChanges1", "mi_documentation", K::Item},
    {"mi_docuPrintChanges", "mi_documentation", K::Item},
    {"mi_docuNewChange", "mi_documentation", K::Item},
    {"mi_docuModifyChanges", "mi_documentation", K::Item},
    {"mi_docudeleteChange", "mi_documentation", K::Item},
    {"mi_DocumentSetup", "mi_documentation", K::Item},

    {"mi_OLE", nullptr, K::Menu},
    {"mi_OleStartExcel", "mi_OLE", K::Item},
    {"mi_OleExportExcel", "mi_OLE", K::Item},
    {"mi_OleImportExcel", "mi_OLE", K::Item},
    {"mi_OlePrintoutExcel", "mi_OLE", K::Item},

    {"mi_Help", nullptr, K::Menu},
    {"mi_helphandbuch", "mi_Help", K::Item},
    {"mi_HelpHilfebild", "mi_Help", K::Item},
    {"mi_helpErrorMessages", "mi_Help", K::Item},
    {"mi_helphistory", "mi_Help", K::Item},
    {"mi_helpDemo", "mi_Help", K::Item},
    {"mi_helplanguage", "mi_Help", K::Menu},
    {"mi_helplanguageDeutsch", "mi_helplanguage", K::Item},
    {"mi_helplanguageEnglisch", "mi_helplanguage", K::Item},
    {"mi_helplanguageFrancais", "mi_helplanguage", K::Item},
    {"mi_helplanguageKorea", "mi_helplanguage", K::Item},
    {"mi_helplanguageChinese", "mi_helplanguage", K::Item},
    {"mi_helpwww", "mi_Help", K::Item},
    {"mi_helpemail", "mi_Help", K::Item},
    {"mi_HelpAbout", "mi_Help", K::Item},
};

const std::vector<LanguageItem> languageItems = {
    {"mi_helplanguageDeutsch", "Deutsch", LangGerman},
    {"mi_helplanguageEnglisch", "English", LangEnglish},
    {"mi_helplanguageFrancais", "Francais", LangFrench},
    {"mi_helplanguageKorea", "Korea", LangKorean},
    {"mi_helplanguageChinese", "Chinese", LangChinese},
};

using Rule = std::string (*)();

// Captions composed from the language variables; fixed texts are in the
// same table.
const std::map<std::string, Rule>& Rules()
{
    static const std::map<std::string, Rule> rules = {
        {"mi_file", [] { return CaptionFile; }},
        {"mi_fileNew", [] { return CaptionNew; }},
        {"mi_fileOpen", [] { return CaptionOpen; }},
        {"mi_fileopentable", [] { return Paren(CaptionOpen, CaptionTable); }},
        {"mi_FileSave", [] { return CaptionSave; }},
        {"mi_FileSaveAs", [] { return CaptionSaveAs; }},
        {"mi_fileprint", [] { return CaptionPrint; }},
        {"mi_fileExportQOV1", [] { return std::string("Export QOV1+"); }},
        {"mi_fileexportQov1Rad1", [] { return std::string("1: Planet Wheel"); }},
        {"mi_fileexportQov1Rad2", [] { return std::string("2: Hollow Wheel"); }},
        {"mi_fileexportExportBX1", [] { return std::string("Export BX1+"); }},
        {"mi_fileexportbx1antrieb", [] { return PartExzenterwelle; }},
        {"mi_fileexportbx1abtrieb", [] { return PartAbtriebswelle; }},
        {"mi_fileexportbx1bolzen", [] { return std::string("Pin"); }},
        {"mi_fileConfig", [] { return CaptionSettings; }},
        {"mi_fileexit", [] { return CaptionExit; }},
        {"mi_Edit", [] { return CaptionEdit; }},
        {"mi_editText", [] { return CaptionText; }},
        {"mi_editGeometrie", [] { return CaptionDimensions; }},
        {"mi_editantrieb", [] { return PartAntriebAbtrieb; }},
        {"mi_editvorauslegung", [] { return CaptionPreDesign; }},
        {"mi_View", [] { return CaptionView; }},
        {"mi_viewausdruck", [] { return CaptionPrintout; }},
        {"mi_viewQuick", [] { return CaptionQuick; }},
        {"mi_viewzeichnung", [] { return CaptionDrawing; }},
        {"mi_viewWolf", [] { return std::string("Wolf"); }},
        {"mi_viewanimation", [] { return CaptionAnimation; }},
        {ErrorMessagesItem,
         [] { return CaptionErrorMessages + " (" + std::to_string(settings::MessageCount) + ")"; }},
        {"mi_file1", [] { return RecentFileCaption(1); }},
        {"mi_file2", [] { return RecentFileCaption(2); }},
        {"mi_file3", [] { return RecentFileCaption(3); }},
        {"mi_file4", [] { return RecentFileCaption(4); }},
        {"mi_CAD", [] { return CaptionCad; }},
        {"mi_cadQuick", [] { return CaptionQuick; }},
        {"mi_cadTabelle", [] { return CaptionTable; }},
        {"mi_cadzeichnung", [] { return CaptionDrawing; }},
        {"mi_stl", [] { return std::string("STL"); }},
        {"mi_Abtriebscheibe", [] { return std::string("Abtriebscheibe"); }},
        {"mi_stlRolle", [] { return PartRolle; }},
        {"mi_stlLagerdeckelabtrieb", [] { return Paren(PartLagerdeckel, PartAbtrieb); }},
        {"mi_stllagerdeckelabtrgeschlossenvoll", [] { return PartGeschlossen + " " + PartVoll; }},
        {"mi_stllagerdeckelabtrieboffenvoll", [] { return PartOffen + " " + PartVoll; }},
        {"mi_stllagerdeckelabtriebgeschlossenduenn", [] { return PartGeschlossen + " " + PartDuenn; }},
        {"mi_stllagerdeckelabtrieboffenduenn", [] { return PartOffen + " " + PartDuenn; }},
        {"mi_stlLagerdeckelantrieb", [] { return Paren(PartLagerdeckel, PartAntrieb); }},
        {"mi_stllagerdeckelantrgeschlossenvoll", [] { return PartGeschlossen + " " + PartVoll; }},
        {"mi_stllagerdeckelantroffenvoll", [] { return PartOffen + " " + PartVoll; }},
        {"mi_stllagerdeckelantrgeschlossenduenn", [] { return PartGeschlossen + " " + PartDuenn; }},
        {"mi_stllagerdeckelantrieboffenduenn", [] { return PartOffen + " " + PartDuenn; }},
        {"mi_stlDistanzscheibeabtrieb", [] { return Paren(PartDistanzscheibe, PartAbtrieb); }},
        {"mi_stldistanzscheibeabtriebvoll", [] { return PartVoll; }},
        {"mi_stldistanzscheibeabtriebduenn", [] { return PartDuenn; }},
        {"mi_stlExzenterwelle", [] { return Paren(PartExzenterwelle, PartAntrieb); }},
        {"mi_stlAbtriebswelle", [] { return PartAbtriebswelle; }},
        {"mi_stlReibrad", [] { return PartPlanetenrad; }},
        {"mi_stlHohlrad", [] { return VocHohlrad; }},
        {"mi_database", [] { return CaptionDatabase; }},
        {"mi_documentation", [] { return CaptionDocument; }},
        {"mi_docdrawinginfo", [] { return CaptionDrawingData; }},
        {"mi_docuShowChanges1", [] { return CaptionChangesInfo; }},
        {"mi_docuPrintChanges", [] { return CaptionChangesPrint; }},
        {"mi_docuNewChange", [] { return CaptionNewChange; }},
        {"mi_docuModifyChanges", [] { return CaptionModifyChange; }},
        {"mi_docudeleteChange", [] { return CaptionDeleteChange; }},
        {"mi_DocumentSetup", [] { return std::string("Links"); }},
        {"mi_OLE", [] { return std::string("&OLE"); }},
        {"mi_OleStartExcel", [] { return std::string("Start Excel"); }},
        {"mi_OleExportExcel", [] { return std::string("Export KT3 -> Excel"); }},
        {"mi_OleImportExcel", [] { return std::string("Import Excel -> KT3"); }},
        {"mi_OlePrintoutExcel", [] { return std::string("Printout -> Excel"); }},
        {"mi_Help", [] { return CaptionHelp; }},
        {"mi_helphandbuch", [] { return CaptionManual; }},
        {"mi_HelpHilfebild", [] { return CaptionHelpPicture; }},
        {"mi_helpErrorMessages", [] { return CaptionErrorMessages; }},
        {"mi_helphistory", [] { return HistoryCaption(0); }},
        {"mi_helpDemo", [] { return CaptionDemo; }},
        {"mi_helplanguage", [] { return CaptionMenu + " " + CaptionLanguage; }},
        {"mi_helpwww", [] { return CaptionHomepage; }},
        {"mi_helpemail", [] { return CaptionEmail; }},
        {"mi_HelpAbout", [] { return Product(); }},
    };
    return rules;
}

} // namespace

const std::vector<MenuEntry>& MenuEntries() { return entries; }
const std::vector<LanguageItem>& LanguageItems() { return languageItems; }

std::string MenuCaption(const std::string& Name)
{
    for (const auto& item : languageItems)
        if (Name == item.name)
            return item.caption;
    auto it = Rules().find(Name);
    return it == Rules().end() ? std::string() : it->second();
}

} // namespace kt4::shell
