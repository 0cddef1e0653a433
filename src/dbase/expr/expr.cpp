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
    constexpr int kVaries = -1;
    if (expr.type != 'C' || !expr.program)
        return kVaries;
    const ExprProgram& p = *expr.program;
    const int most = static_cast<int>(kMaxExprText);
    std::vector<int> stack; // the text length of each slot, kVaries for any other value
    for (const Instruction& ins : p.code) {
        if (ins.op == Op::End)
            return stack.size() == 1 ? stack.back() : kVaries;
        // operands take none, functions their arguments, the operators one or two
        const bool operand = ins.op >= Op::PushNumber && ins.op <= Op::FieldM;
        const std::size_t taken = operand                                ? 0
                                  : ins.op == Op::Not || ins.op == Op::Neg ? 1
                                  : ins.op >= Op::Abs                      ? ins.argc
                                                                           : 2;
        if (stack.size() < taken)
            return kVaries;
        int length = kVaries;
        if (ins.op == Op::PushText)
            length = std::min(static_cast<int>(p.literals[ins.index].size()), most);
        else if (ins.op == Op::FieldC)
            length = std::clamp(p.fields[ins.index].length, 0, most);
        else if ((ins.op == Op::AddC || ins.op == Op::SubC) && stack.end()[-1] >= 0 && stack.end()[-2] >= 0)
            length = std::min(stack.end()[-1] + stack.end()[-2], most);
        else if ((ins.op == Op::Upper || ins.op == Op::Lower) && taken == 1)
            length = stack.back();
        stack.resize(stack.size() - taken);
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
