// The expressions' view of the engine's work areas. Field references are
// checked at every evaluation: an area that was closed, or reopened with
// another table, gives an error and the blank value, never a foreign read.
#include "dbase/expr/expr_env.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/engine/keys_date.h"
#include "dbase/engine/workarea.h"

#include <algorithm>
#include <cstring>

namespace kt4::dbase {

namespace {

bool IsExpressionType(char type)
{
    return type == 'C' || type == 'N' || type == 'F' || type == 'L' || type == 'D' || type == 'M';
}

std::string AreaText(int area)
{
    return "  WorkArea = " + std::to_string(area);
}

class WorkAreaEnv final : public ExprEnvironment {
public:
    int CurrentArea() const override { return kt4::dbase::CurrentArea; }

    int AreaOfAlias(std::string_view alias) const override { return kt4::dbase::AreaOfAlias(std::string(alias)); }

    bool FindField(int area, std::string_view name, ExprField& field) const override
    {
        const TWorkArea* a = Area(area);
        if (a == nullptr)
            return false;
        for (std::size_t i = 0; i < a->fields.size(); ++i) {
            const TDbfFieldInfo& f = a->fields[i];
            if (f.name == name && IsExpressionType(f.type)) {
                field = ExprField{f.name, f.type, f.len, f.dec, area, static_cast<int>(i + 1)};
                return true;
            }
        }
        return false;
    }

    RawField ReadField(const ExprField& field) override
    {
        const int n = field.area != 0 ? field.area : kt4::dbase::CurrentArea;
        const TWorkArea* a = Area(n);
        if (a == nullptr) {
            SetError(215, "Keine Datenbank (bzw.kein Arbeitsbereich) geöffnet. [Evaluate]" + AreaText(n));
            return {};
        }
        const TDbfFieldInfo* f = field.number >= 1 && static_cast<std::size_t>(field.number) <= a->fields.size()
                                     ? &a->fields[static_cast<std::size_t>(field.number - 1)]
                                     : nullptr;
        if (f == nullptr || f->name != field.name || f->type != field.type || f->len != field.length) {
            SetError(220, "Ungültiges Feld " + field.name + " [Evaluate]" + AreaText(n));
            return {};
        }
        return a->isVirtual ? VirtualField(*a, *f) : RecordField(*a, *f);
    }

    std::string MemoText(const ExprField& field, std::int32_t block) override
    {
        if (!MemoLinked() || Memo.ReadMemoLines == nullptr)
            return {};
        std::vector<std::string> lines;
        if (!Memo.ReadMemoLines(field.area != 0 ? field.area : kt4::dbase::CurrentArea, block, lines))
            return {};
        std::string text;
        for (const std::string& line : lines) {
            text += line;
            if (text.size() >= 255)
                break;
        }
        return text;
    }

    std::optional<bool> Deleted() override
    {
        const TWorkArea* a = Opened("DELETED()");
        if (a == nullptr)
            return std::nullopt;
        const std::uint8_t* record = a->Record();
        if (record == nullptr)
            return false;
        return a->isVirtual ? record[0] != 0 : record[0] == '*';
    }

    std::optional<double> RecNo() override
    {
        const TWorkArea* a = Opened("RECNO()");
        if (a == nullptr)
            return std::nullopt;
        return a->recNo;
    }

    void Error(std::uint16_t code, const std::string& text) override { SetError(code, text); }

private:
    const TWorkArea* Opened(const char* function)
    {
        const TWorkArea* a = Current();
        if (a == nullptr)
            SetError(215, std::string("Keine Datenbank (bzw.kein Arbeitsbereich) geöffnet. [Evaluate/") + function +
                              "]" + AreaText(kt4::dbase::CurrentArea));
        return a;
    }

    static RawField RecordField(const TWorkArea& a, const TDbfFieldInfo& f)
    {
        RawField r;
        if (std::size_t{f.offset} + f.len > a.native.size())
            return r; // cannot happen for a checked header; read nothing
        r.kind = RawField::Kind::Bytes;
        r.bytes = std::string_view(reinterpret_cast<const char*>(a.native.data()) + f.offset, f.len);
        return r;
    }

    // A virtual file's record is the caller's typed buffer.
    static RawField VirtualField(const TWorkArea& a, const TDbfFieldInfo& f)
    {
        RawField r;
        if (a.buffer == nullptr || std::size_t{f.bufOffset} + f.bufSize > a.bufSize)
            return r;
        const std::uint8_t* p = a.buffer + f.bufOffset;
        r.kind = RawField::Kind::Number;
        switch (f.slot) {
        case SlotKind::Text:
            r.kind = RawField::Kind::Bytes;
            r.bytes = std::string_view(reinterpret_cast<const char*>(p + 1),
                                       std::min<std::size_t>(p[0], f.bufSize > 0 ? f.bufSize - 1 : 0));
            break;
        case SlotKind::Date: {
            const std::string_view text(reinterpret_cast<const char*>(p + 1),
                                        std::min<std::size_t>(p[0], f.bufSize > 0 ? f.bufSize - 1 : 0));
            r.number = DateTextToJulian(text);
            break;
        }
        case SlotKind::Double: r.number = LoadSlot<double>(p); break;
        case SlotKind::Int32:
        case SlotKind::MemoRef: r.number = LoadSlot<std::int32_t>(p); break;
        case SlotKind::Int64: r.number = static_cast<double>(LoadSlot<std::int64_t>(p)); break;
        case SlotKind::Logical: r.number = p[0] != 0 ? 1.0 : 0.0; break;
        case SlotKind::None: r.kind = RawField::Kind::Error; break;
        }
        return r;
    }
};

} // namespace

ExprEnvironment& WorkAreaEnvironment()
{
    static WorkAreaEnv env;
    return env;
}

} // namespace kt4::dbase
