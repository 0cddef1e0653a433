#include "dbase/engine/workarea.h"

#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"

namespace kt4::dbase {

Array1<std::unique_ptr<TWorkArea>, MaxAreas> WorkAreas;
int CurrentArea = 1;

bool TWorkArea::Shared() const
{
    return !exclusive && MultiUser;
}

TWorkArea* Area(int n)
{
    if (n < 1 || n > MaxAreas)
        return nullptr;
    return WorkAreas[std::size_t(n)].get();
}

TWorkArea* Current()
{
    return Area(CurrentArea);
}

TWorkArea* RequireArea(const char* operation)
{
    TWorkArea* a = Current();
    if (!a)
        SetError(215, std::string("Keine Datenbank (bzw.kein Arbeitsbereich) geöffnet. [") +
                          operation + "]  WorkArea = " + std::to_string(CurrentArea));
    return a;
}

bool Select(int n)
{
    if (n == 0) {
        for (int i = 1; i <= MaxUserAreas; ++i) {
            if (!Area(i)) {
                CurrentArea = i;
                return true;
            }
        }
        SetError(220, "Kein Arbeitsbereich frei [Select(0)]");
        return false;
    }
    if (n < 0 || n > MaxUserAreas) {
        SetError(220, "Ungültiger Arbeitsbereich = [Select(" + std::to_string(n) + ")]");
        return false;
    }
    CurrentArea = n;
    return true;
}

int CurrentAreaNo()
{
    return CurrentArea;
}

std::string Alias()
{
    const TWorkArea* a = Current();
    return a ? a->alias : std::string();
}

int AreaOfAlias(const std::string& alias)
{
    const std::string want = UpperText(AllTrim(alias));
    for (int i = 1; i <= MaxUserAreas; ++i) {
        const TWorkArea* a = Area(i);
        if (a && a->alias == want)
            return i;
    }
    return 0;
}

// ---- Field information ----

namespace {

const TDbfFieldInfo* CheckedField(const char* operation, int n, bool lowerBound = true)
{
    TWorkArea* a = RequireArea(operation);
    if (!a)
        return nullptr;
    if ((lowerBound && n < 1) || n > int(a->fields.size())) {
        SetError(220, std::string("Ungültige Feldnr. [") + operation + "(" + std::to_string(n) +
                          ")]");
        return nullptr;
    }
    return n >= 1 ? &a->fields[std::size_t(n - 1)] : nullptr;
}

} // namespace

std::string Field(int n)
{
    const TDbfFieldInfo* f = CheckedField("Field", n);
    return f ? f->name.substr(0, 10) : std::string();
}

int FieldNoIn(const TWorkArea& area, const std::string& name)
{
    const std::string want = UpperText(AllTrim(name.substr(0, 10)));
    for (std::size_t i = 0; i < area.fields.size(); ++i)
        if (area.fields[i].name == want)
            return int(i) + 1;
    return 0;
}

int FieldNo(const std::string& name)
{
    const TWorkArea* a = RequireArea("FieldNo");
    return a ? FieldNoIn(*a, name) : 0;
}

char FieldType(int n)
{
    const TDbfFieldInfo* f = CheckedField("FieldType", n);
    return f ? f->type : ' ';
}

int FieldLen(int n)
{
    const TDbfFieldInfo* f = CheckedField("FieldLen", n);
    if (!f)
        return 0;
    if (f->type == 'D')
        return DateWithCentury ? 10 : 8;
    return f->len;
}

int FieldDec(int n)
{
    const TDbfFieldInfo* f = CheckedField("FieldDec", n);
    return f ? f->dec : 0;
}

std::uint8_t* FieldAddress(int n)
{
    TWorkArea* a = RequireArea("FieldAddress");
    if (!a)
        return nullptr;
    if (n == 0)
        return a->buffer;
    const TDbfFieldInfo* f = CheckedField("FieldAddress", n, false);
    return f ? a->buffer + f->bufOffset : nullptr;
}

int FieldCount()
{
    const TWorkArea* a = RequireArea("FieldCount");
    return a ? int(a->fields.size()) : 0;
}

int RecSize()
{
    const TWorkArea* a = RequireArea("RecSize");
    return a ? int(a->recLen) : 0;
}

bool Deleted()
{
    const TWorkArea* a = Current();
    return a && a->buffer && a->buffer[0] != 0;
}

const TDbfFieldInfo* FieldInfoOf(const TWorkArea& area, int n)
{
    if (n < 1 || n > int(area.fields.size()))
        return nullptr;
    return &area.fields[std::size_t(n - 1)];
}

std::string_view FieldBytes(const TWorkArea& area, int n)
{
    const TDbfFieldInfo* f = FieldInfoOf(area, n);
    if (!f || area.isVirtual || area.native.size() < f->offset + f->len)
        return {};
    return std::string_view(reinterpret_cast<const char*>(area.native.data()) + f->offset, f->len);
}

} // namespace kt4::dbase
