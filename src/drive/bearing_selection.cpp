#include "drive/bearing_selection.h"

#include "dbase/access/table_access.h"
#include "drive/bearing_calc.h"
#include "drive/bearing_catalogue.h"
#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_factors.h"
#include "drive/bearing_takeover.h"
#include "drive/drive_series.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/helptext.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

#include <cmath>

namespace kt4 {

CatalogueSelection& CatalogueSelectionHooks()
{
    static CatalogueSelection hooks;
    return hooks;
}

void InstallCatalogueSelection()
{
    CatalogueSelectionHooks() = {SelectFromCatalogue, AutoSelectFromCatalogue};
}

void BearingSelect(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa, Real n,
                   Word ShowMode, Word Arrangement, Word Variant)
{
    const auto& hooks = CatalogueSelectionHooks();
    if (!hooks.select) {
        settings::AbortFlag = true;
        return;
    }
    hooks.select(Typ, Slot, ReadMode, dKey, Fr, Fa, n, ShowMode, Arrangement, Variant);
}

void BearingAutoSelect(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa)
{
    const auto& hooks = CatalogueSelectionHooks();
    if (hooks.autoSelect)
        hooks.autoSelect(Typ, Slot, d, B, Fr, Fa);
}

// ---- Over the table access layer ----

namespace {

using namespace dbase;

constexpr Word HelpCatalogueBase = 8500; // + 5 x type
constexpr char KeyEsc = 27;

// Closes the program's table however the selection ends.
struct TableScope {
    TableScope() = default;
    TableScope(const TableScope&) = delete;
    TableScope& operator=(const TableScope&) = delete;
    ~TableScope() { DbfClose(); }
};

bool KnownType(TBearingType Typ) { return Typ >= 1 && Typ <= BearingTypeCount; }
bool KnownSlot(Word Slot) { return Slot >= 1 && Slot <= BearingSlotCount; }

// The type from the user: the twelve type names, Preset the line shown
// chosen (outside 1..12: the first). Cancel: AbortFlag, 0.
TBearingType AskType(TBearingType Preset)
{
    for (Word t = 1; t <= BearingTypeCount; ++t)
        settings::DialogLines[t] = bearings::BearingTypeNames[t];
    Word choice = KnownType(Preset) ? Preset : 1;
    ChoiceDialog("Select..", BearingTypeCount, choice);
    return settings::AbortFlag ? 0 : static_cast<TBearingType>(choice);
}

// The table file must be readable before anything else happens: the file
// name in the catalogue folder, found whatever its case.
void CheckCatalogueReadable(TBearingType Typ)
{
    const std::string path = AddBackslash(settings::DbfDir) + BearingTableName(Typ) + ".dbf";
    const std::string found = FindFileNoCase(path);
    CheckFileReadable(found.empty() ? path : found);
}

// The search key of the bore index: the bore with one decimal, for
// full-complement needle bearings the needle ring's inscribed diameter
// with three.
std::string BoreKey(TBearingType Typ, Real d)
{
    return Typ == FullComplementNeedle ? FixedStrPoint(FullComplementNeedleFw(d), 4, 3) : FixedStrPoint(d, 4, 1);
}

// Replaces the active index by one on the bore (field 2) and seeks d.
void SeekBore(TBearingType Typ, Real d)
{
    DbfMakeIndex(DbfFieldName(2), BearingTableName(Typ));
    if (!settings::AbortFlag)
        DbfFindKey(BoreKey(Typ, d));
}

Real FieldReal(int n) { return StrToReal(DbfFieldText(n)); }

// Browser titles: the table on the first line, the loads on the second.
void SetCatalogueTitles(TBearingType Typ, Real Fr, Real Fa)
{
    DbfSetTitles(" " + settings::ProductName + "   " + "Datenbank" + " " + BearingTypeName(Typ) + " ",
                 "Lagerbelastung Fr = " + RealStr(Fr) + " N   Fa = " + RealStr(Fa) + " N ");
}

// Where the browser opens: on the slot's own row when it came from this
// table, else on the first row of the key's bore (or on the first row).
void PositionForSelection(TBearingType Typ, const WaelzLagerTyp& Slot, Word ReadMode, Real dKey)
{
    const bool ownRow = Slot.Typ == Typ && Slot.CatRecNo != 0;
    if (ReadMode == 0) {
        if (ownRow)
            DbfGoRecord(Slot.CatRecNo);
        else
            DbfGoTop();
        return;
    }
    IndexCatalogue(ReadMode, Typ);
    if (settings::AbortFlag)
        return;
    if (ownRow) {
        DbfGoRecord(Slot.CatRecNo);
        return;
    }
    SeekBore(Typ, dKey);
    if (!settings::AbortFlag && !DbfFound())
        DbfGoTop();
}

} // namespace

void OpenCatalogue(TBearingType Typ)
{
    if (!KnownType(Typ)) {
        settings::AbortFlag = true;
        return;
    }
    DbfOpenTable(BearingTableName(Typ) + ".dbf");
}

void IndexCatalogue(Word ReadMode, TBearingType Typ)
{
    if (ReadMode == 1)
        DbfMakeIndex(BearingCatalogueKey(DbfFieldName), BearingTableName(Typ));
}

void ReadCatalogueRecord(Word ReadMode, TBearingType Typ)
{
    const CatRecordReader reader = CatRecordReaderOf(Typ);
    if (ReadMode != 1 || !reader)
        return;
    // A table with fewer fields than its layout gives the missing ones empty.
    bool lost = false;
    reader([&lost](int n) { return DbfFieldName(n).empty() ? std::string() : DbfFieldOemText(n, lost); },
           DbfRecNo());
    if (lost)
        NoticeText(DisplayToOem("Zeichen der Katalogzeile, die die Lagerdaten nicht aufnehmen können, "
                                "wurden als \"?\" übernommen."));
}

void SelectFromCatalogue(TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa, Real n,
                         Word ShowMode, Word Arrangement, Word Variant)
{
    using settings::AbortFlag;
    if (!KnownSlot(Slot) || Typ > BearingTypeCount) {
        AbortFlag = true;
        return;
    }
    WaelzLagerTyp& slot = bearings::BearingSlots[Slot];
    if (Typ == 0)
        Typ = AskType(slot.Typ);
    if (AbortFlag)
        return;
    CheckCatalogueReadable(Typ);
    if (AbortFlag)
        return;
    SetCatalogueTitles(Typ, Fr, Fa);

    TableScope table;
    OpenCatalogue(Typ);
    if (AbortFlag)
        return;
    PositionForSelection(Typ, slot, ReadMode, dKey);
    if (AbortFlag)
        return;

    SetHelpNumber(static_cast<Word>(HelpCatalogueBase + 5 * Typ));
    settings::LastKey = KeyEsc; // a browser that accepts nothing cancels
    DbfShow("", ShowMode);
    if (settings::LastKey == KeyEsc || AbortFlag) {
        AbortFlag = true;
        return;
    }
    if (ShowMode == 0 && settings::DatabaseMode == 2)
        return; // browsing only

    const WaelzLagerTyp before = slot;
    ReadCatalogueRecord(ReadMode, Typ);
    BearingTakeOver(Slot, Typ, Fr, Fa);
    if (Typ == DeepGrooveBall && !AbortFlag)
        BearingClearanceChoice(Slot, Fr, Fa);
    if (AbortFlag) {
        slot = before;
        return;
    }
    DbfClose();
    DefaultCursor();
    settings::CalcErrorFlag = false;
    BearingCalc(Slot, Arrangement, Variant, std::fabs(Fr), std::fabs(Fa), n);
}

void AutoSelectFromCatalogue(TBearingType Typ, Word Slot, Real d, Real B, Real Fr, Real Fa)
{
    using settings::AbortFlag;
    if (!KnownSlot(Slot) || Typ > BearingTypeCount)
        return;
    if (Typ == 0)
        Typ = AskType(0);
    if (AbortFlag)
        return;
    if (Typ == DeepGrooveBall && B == 0)
        B = drive::StdBearingWidth(d);
    CheckCatalogueReadable(Typ);
    if (AbortFlag)
        return;

    TableScope table;
    OpenCatalogue(Typ);
    if (AbortFlag)
        return;
    SeekBore(Typ, d);
    if (AbortFlag || !DbfFound())
        return;
    // Forward over the rows of bore d while they are not wider than B; the
    // row before the first one that is not is the pick. Past the last row
    // of the index the last row stays current, and it is the pick.
    for (;;) {
        DbfSkip(1);
        if (AbortFlag)
            return;
        if (DbfEof())
            break;
        if (!SameReal(FieldReal(2), d) || FieldReal(4) > B) {
            DbfSkip(-1);
            break;
        }
    }
    if (AbortFlag)
        return;
    ReadCatalogueRecord(1, Typ);
    BearingTakeOver(Slot, Typ, Fr, Fa);
    DbfClose();
    settings::CalcErrorFlag = false;
}

} // namespace kt4
