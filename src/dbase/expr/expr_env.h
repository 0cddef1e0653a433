// What a dBase expression sees of the engine: the fields of the work areas
// at compile time, their values at evaluation time, the current record and
// the error reporter. The engine's own environment works on the work areas
// (expr_workarea.cpp); tests may supply another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kt4::dbase {

// A field reference as compiled.
struct ExprField {
    std::string name; // upper case, as in the table
    char type = 'C';  // the table's letter: C N F L D M
    int length = 0;
    int decimals = 0;
    int area = 0;     // 0: the area current at evaluation; else the aliased area
    int number = 0;   // 1-based
};

// A field's value as stored: the field's bytes in a table record, or the
// number itself (virtual-file records hold numbers, logicals and memo
// references as binary values). Error: the reference no longer fits the
// area (reported already); the evaluator then takes the blank value.
struct RawField {
    enum class Kind : std::uint8_t { Bytes, Number, Error };
    Kind kind = Kind::Error;
    std::string_view bytes;
    double number = 0.0;
};

class ExprEnvironment {
public:
    virtual ~ExprEnvironment() = default;

    // Compile time
    virtual int CurrentArea() const = 0;
    // The open area with this alias (compared in full), 0 when none.
    virtual int AreaOfAlias(std::string_view alias) const = 0;
    // Field of that name (exact, upper case) in the area; false when none.
    virtual bool FindField(int area, std::string_view name, ExprField& field) const = 0;

    // Evaluation time. Each checks that the area is open and the field still
    // the one compiled, and reports an error otherwise.
    virtual RawField ReadField(const ExprField& field) = 0;
    // The memo text of a block (lines joined), "" without a memo layer.
    virtual std::string MemoText(const ExprField& field, std::int32_t block) = 0;
    // Deleted flag and record number of the current area; nothing after
    // reporting error 215 when no area is open.
    virtual std::optional<bool> Deleted() = 0;
    virtual std::optional<double> RecNo() = 0;

    // The engine's error reporter.
    virtual void Error(std::uint16_t code, const std::string& text) = 0;
};

// The environment over the engine's work areas.
ExprEnvironment& WorkAreaEnvironment();

} // namespace kt4::dbase
