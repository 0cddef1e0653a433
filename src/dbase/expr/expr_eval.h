// Evaluation internals shared by the run loop and the function library.
#pragma once

#include "dbase/expr/expr_code.h"

#include <optional>
#include <string>
#include <string_view>

namespace kt4::dbase {

class EvalContext {
public:
    EvalContext(TExpr& expr) : expr_(expr), prog_(*expr.program), env_(*expr.env) {}

    ExprProgram& Program() { return prog_; }
    ExprEnvironment& Env() { return env_; }

    // Reports an evaluation error; the evaluation goes on.
    void Error(std::uint16_t code, const std::string& text)
    {
        expr_.failed = true;
        env_.Error(code, text);
    }

    void MarkFailed() { expr_.failed = true; }
    // Marks the run failed when the environment gave nothing.
    template <class T>
    std::optional<T> Known(std::optional<T> v)
    {
        if (!v)
            MarkFailed();
        return v;
    }

    std::size_t SlotOf(const Value* v) const { return static_cast<std::size_t>(v - prog_.stack.data()); }
    char* BufferOf(const Value* v) { return prog_.Buffer(SlotOf(v)); }

    // v takes a copy of text in its own buffer, cut to 255 bytes (text may
    // lie in that buffer already).
    void SetText(Value* v, std::string_view text);
    // v's text moves into its own buffer unless it lies there already or
    // outside the buffers of the stack (a record, a literal).
    void Settle(Value* v);

private:
    TExpr& expr_;
    ExprProgram& prog_;
    ExprEnvironment& env_;
};

// A count argument: NaN is 0, the rest truncated and clamped to lo..hi.
int ClampCount(double v, int lo, int hi);

// Calls the function of ins with its arguments at args[0..argc); the
// result replaces args[0].
void CallFunction(EvalContext& ctx, const Instruction& ins, Value* args);

} // namespace kt4::dbase
