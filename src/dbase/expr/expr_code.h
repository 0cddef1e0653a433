// The compiled form of an expression (internal to the expression module):
// a postfix instruction list, its literals and field references, and the
// value stack and text buffers that evaluation reuses run after run.
#pragma once

#include "dbase/expr/expr.h"
#include "dbase/expr/expr_env.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::dbase {

enum class Op : std::uint8_t {
    End,
    // Operands
    PushNumber, PushText, PushLogical,
    FieldC, FieldN, FieldL, FieldD, FieldM,
    // Operators (N and D share the numeric ones)
    AddN, AddND, AddDN, AddC, SubN, SubDN, SubDD, SubC, Mul, Div, Pow,
    EqN, EqC, EqL, ExactEqC, ContainsC, NeN, NeC, NeL,
    LtN, LtC, GtN, GtC, LeN, LeC, GeN, GeC,
    And, Or, Not, Neg,
    // Functions
    Abs, Asc, At, Cdow, Chr, Cmonth, Ctod, Date, Day, Deleted, Dow, Dtoc, Dtos,
    Iif, Int, Left, Len, Lower, Ltrim, Max, Min, Mod, Month, Recno, Replicate,
    Right, Round, Rtrim, Soundex, Space, Str, Stuff, Substr, Upper, Val, Year,
};

struct Instruction {
    Op op = Op::End;
    std::uint8_t argc = 0;  // STR: 1..3 arguments
    std::uint32_t index = 0; // literal text or field reference
    double number = 0.0;     // number literal, logical literal (0/1)
};

// One evaluation value: text as pointer and length (into the record, a
// literal or the slot's own buffer), numbers, dates and logicals as double.
struct Value {
    const char* text = nullptr;
    std::uint32_t length = 0;
    double number = 0.0;
};

inline constexpr std::size_t kSlotBuffer = kMaxExprText + 1;

struct ExprProgram {
    std::vector<Instruction> code;
    std::vector<std::string> literals;
    std::vector<ExprField> fields;
    std::size_t maxStack = 0;

    // Run state, sized at compile time.
    std::vector<Value> stack;
    std::vector<char> buffers; // one kSlotBuffer per stack slot
    std::array<char, kSlotBuffer> scratch{};

    char* Buffer(std::size_t slot) { return buffers.data() + slot * kSlotBuffer; }
};

// Runs the program of expr and stores the result in expr.
void RunProgram(TExpr& expr);

// Compiler (expr_parser.cpp): fills expr or reports through env and
// returns false.
bool CompileInto(TExpr& expr, std::string_view text, ExprEnvironment& env);

} // namespace kt4::dbase
