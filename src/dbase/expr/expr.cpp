// Compiled expressions: their lifetime, the parser hooks of the engine and
// the typed results.
#include "dbase/expr/expr.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/expr/expr_code.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace kt4::dbase {

namespace {

// Every live expression, so that freeing an unknown reference does nothing.
std::unordered_set<TExpr*>& LiveExpressions()
{
    static std::unordered_set<TExpr*> live;
    return live;
}

TExpr* currentExpr = nullptr;

bool IsExpressionError(std::uint16_t code)
{
    return code >= 350 && code <= 363;
}

const void* ResultAddress(const TExpr& expr)
{
    switch (expr.type) {
    case 'C':
    case 'M': return expr.textResult;
    case 'L': return &expr.logical;
    default: return &expr.number;
    }
}

} // namespace

TExpr::TExpr() = default;
TExpr::~TExpr() = default;

void ExprDeleter::operator()(TExpr* expr) const
{
    if (expr == nullptr)
        return;
    LiveExpressions().erase(expr);
    if (currentExpr == expr)
        currentExpr = nullptr;
    delete expr;
}

ExprPtr CompileExpr(std::string_view text, ExprEnvironment* env)
{
    auto expr = std::make_unique<TExpr>();
    if (!CompileInto(*expr, text, env != nullptr ? *env : WorkAreaEnvironment()))
        return nullptr;
    LiveExpressions().insert(expr.get());
    return ExprPtr(expr.release());
}

void Evaluate(TExpr& expr)
{
    RunProgram(expr);
}

int FixedTextLength(const TExpr& expr)
{
    if (expr.type != 'C' || !expr.program)
        return -1;
    const ExprProgram& p = *expr.program;
    constexpr int kVaries = -1;
    const int most = static_cast<int>(kMaxExprText);
    // The length of each stack slot's text, kVaries for any other.
    std::vector<int> stack;
    for (const Instruction& ins : p.code) {
        switch (ins.op) {
        case Op::End:
            return stack.size() == 1 ? stack.back() : kVaries;
        case Op::PushText:
            stack.push_back(std::min(static_cast<int>(p.literals[ins.index].size()), most));
            continue;
        case Op::FieldC:
            stack.push_back(std::clamp(p.fields[ins.index].length, 0, most));
            continue;
        case Op::PushNumber: case Op::PushLogical: case Op::FieldN: case Op::FieldL: case Op::FieldD:
        case Op::FieldM:
            stack.push_back(kVaries);
            continue;
        case Op::Not: case Op::Neg:
            if (stack.empty())
                return kVaries;
            stack.back() = kVaries;
            continue;
        case Op::Upper: case Op::Lower:
            if (stack.empty())
                return kVaries;
            continue; // the same length
        default:
            break;
        }
        // Functions take their arguments, the other operators two operands.
        const std::size_t operands = ins.op >= Op::Abs ? ins.argc : 2;
        if (stack.size() < operands)
            return kVaries;
        int length = kVaries;
        if ((ins.op == Op::AddC || ins.op == Op::SubC) && stack.end()[-1] >= 0 && stack.end()[-2] >= 0)
            length = std::min(stack.end()[-1] + stack.end()[-2], most);
        stack.resize(stack.size() - operands);
        stack.push_back(length);
    }
    return kVaries;
}

TExpr* AssignExpr(const std::string& text)
{
    if (IsExpressionError(EngineErrorCode))
        EngineErrorCode = 0;
    return CompileExpr(text).release();
}

void FreeExpr(TExpr*& expr)
{
    if (expr == nullptr || LiveExpressions().count(expr) == 0)
        return;
    ExprDeleter{}(expr);
    expr = nullptr;
}

const void* EvaluateExpr(TExpr* expr)
{
    if (expr == nullptr)
        return nullptr;
    RunProgram(*expr);
    return ResultAddress(*expr);
}

std::string ResultText(const void* result)
{
    return result != nullptr ? std::string(static_cast<const char*>(result)) : std::string();
}

void SetCurrentExpr(TExpr* expr)
{
    currentExpr = expr;
}

const void* EvaluateCurrent()
{
    return EvaluateExpr(currentExpr);
}

char ResultType(const TExpr* expr)
{
    return expr != nullptr ? expr->type : ' ';
}

void InitExpressions()
{
    // Filled again on every call: the engine's reset empties the hooks.
    Parser.AssignExpr = &AssignExpr;
    Parser.FreeExpr = &FreeExpr;
    Parser.Evaluate = &EvaluateExpr;
    Parser.ResultText = &ResultText;
    Parser.EvaluateCurrent = &EvaluateCurrent;
    Parser.ResultType = &ResultType;
}

} // namespace kt4::dbase
