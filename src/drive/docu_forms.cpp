#include "drive/docu_forms.h"

#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <vector>

namespace kt4::docu {

DocuForms Forms;

namespace {

std::string Show(const std::string& oem) { return OemToDisplay(oem); }

// A typed text as stored: OEM, at most Max bytes (0: no limit).
std::string Store(const std::string& display, int max = 0)
{
    std::string s = DisplayToOem(display);
    if (max > 0 && s.size() > static_cast<std::size_t>(max))
        s.resize(static_cast<std::size_t>(max));
    return s;
}

// True, after an error box, when any of the texts has a character that
// the stored code page cannot hold.
bool Refused(const std::vector<const std::string*>& texts)
{
    std::string all;
    for (const std::string* t : texts)
        all += *t + "\n";
    return RefuseOutsideOem(all);
}

// Runs a form; without one the dialog counts as cancelled.
template <class F, class... A>
void RunForm(const F& form, A... args)
{
    settings::AbortFlag = !(form && form(args...));
}

} // namespace

ProjectTextsValues LoadProjectTexts()
{
    ProjectTextsValues v;
    v.zeichName = Show(ZeichName);
    v.zeichName2 = Show(ZeichName2);
    v.zeichNr = Show(ZeichNr);
    for (std::size_t k = 0; k < 3; ++k)
        v.remarks[k] = Show(settings::RemarkLines[k]);
    return v;
}

bool StoreProjectTexts(const ProjectTextsValues& V)
{
    if (Refused({&V.zeichName, &V.zeichName2, &V.zeichNr, &V.remarks[0], &V.remarks[1], &V.remarks[2]}))
        return false;
    ZeichName = Store(V.zeichName);
    ZeichName2 = Store(V.zeichName2);
    ZeichNr = Store(V.zeichNr);
    for (std::size_t k = 0; k < 3; ++k)
        settings::RemarkLines[k] = Store(V.remarks[k]);
    return true;
}

RevisionValues LoadRevision(Word N)
{
    const AendRecord& e = AendList[N];
    return {Show(e.text), Show(e.date), Show(e.editor), Show(e.description)};
}

bool StoreRevision(Word N, const RevisionValues& V)
{
    if (Refused({&V.text, &V.date, &V.editor, &V.description}))
        return false;
    AendRecord& e = AendList[N];
    e.text = Store(V.text, AendTextMax);
    e.date = Store(V.date, AendDateMax);
    e.editor = Store(V.editor, AendEditorMax);
    e.description = Store(V.description, AendDescriptionMax);
    return true;
}

TitleBlockValues LoadTitleBlock()
{
    TitleBlockValues v;
    const TZeichInfo& z = ZeichInfo;
    v.iso = IsoTitleBlock();
    v.replacementFor = Show(z.ReplacementFor);
    v.replacedBy = Show(z.ReplacedBy);
    v.dates = {Show(z.Date1), Show(z.Date2), Show(z.Date3), Show(z.Date4)};
    v.names = {Show(z.Name1), Show(z.Name2), Show(z.Name3), Show(z.Name4)};
    for (Word k = 1; k <= ZeichTextCount && k <= ZeichTextMax; ++k) {
        const ZeichTextRecord& t = ZeichTexts[k];
        v.freeTexts[k - 1] = {RealStr(t.x), RealStr(t.y), RealStr(t.h), RealStr(t.phi), Show(t.text),
                              IntStr(t.layer)};
    }
    v.textMode = ZeichTextMode;
    v.isoFields = {Show(z.ResponsibleDept), Show(z.DocumentType), Show(z.DocumentStatus)};
    return v;
}

bool StoreTitleBlock(const TitleBlockValues& V)
{
    std::vector<const std::string*> texts{&V.replacementFor, &V.replacedBy};
    for (std::size_t k = 0; k < 4; ++k)
        texts.insert(texts.end(), {&V.dates[k], &V.names[k]});
    for (const FreeTextRow& row : V.freeTexts)
        texts.push_back(&row.text);
    for (const std::string& field : V.isoFields)
        texts.push_back(&field);
    if (Refused(texts))
        return false;
    TZeichInfo& z = ZeichInfo;
    z.ReplacementFor = Store(V.replacementFor, ReplacementMax);
    z.ReplacedBy = Store(V.replacedBy, ReplacementMax);
    z.Date1 = Store(V.dates[0]);
    z.Name1 = Store(V.names[0]);
    z.Date2 = Store(V.dates[1]);
    z.Name2 = Store(V.names[1]);
    z.Date3 = Store(V.dates[2]);
    z.Name3 = Store(V.names[2]);
    // the ISO layout has no row 4
    z.Date4 = V.iso ? std::string() : Store(V.dates[3]);
    z.Name4 = V.iso ? std::string() : Store(V.names[3]);

    Word count = 0;
    for (const FreeTextRow& row : V.freeTexts) {
        if (RemoveBlanks(row.text).empty())
            continue;
        ZeichTextRecord& t = ZeichTexts[++count];
        t.x = StrToReal(TrimBlanks(row.x));
        t.y = StrToReal(TrimBlanks(row.y));
        t.h = StrToReal(TrimBlanks(row.h));
        t.phi = StrToReal(TrimBlanks(row.phi));
        t.text = Store(row.text);
        t.layer = StrToInteger(TrimBlanks(row.layer));
    }
    ZeichTextCount = count;
    ZeichTextMode = V.textMode;
    if (V.iso) {
        z.ResponsibleDept = Store(V.isoFields[0]);
        z.DocumentType = Store(V.isoFields[1]);
        z.DocumentStatus = Store(V.isoFields[2]);
    }
    return true;
}

DocLinkValues LoadDocLinks()
{
    DocLinkValues v;
    for (Word k = 1; k <= DokuMax; ++k) {
        v.programs[k - 1] = DokuList[k].program;
        v.files[k - 1] = DokuList[k].file;
    }
    return v;
}

bool StoreDocLinks(const DocLinkValues& V)
{
    std::vector<const std::string*> texts;
    for (std::size_t k = 0; k < DokuMax; ++k)
        texts.insert(texts.end(), {&V.programs[k], &V.files[k]});
    if (Refused(texts))
        return false;
    for (Word k = 1; k <= DokuMax; ++k)
        DokuList[k] = DokuRecord{V.programs[k - 1], V.files[k - 1]};
    return true;
}

void EditTexts() { RunForm(Forms.projectTexts); }
void EditRevision(Word N) { RunForm(Forms.revision, N); }
void ShowDrawingInfo() { RunForm(Forms.titleBlock); }
void ShowDocumentSetup() { RunForm(Forms.documentLinks); }

} // namespace kt4::docu
