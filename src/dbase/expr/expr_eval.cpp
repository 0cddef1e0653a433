// The run loop: takes the postfix instructions in order over the value
// stack; operands and operators here, the functions in expr_functions.cpp.
// Nothing is allocated during a run: texts point into the record, the
// literals or the slot buffers sized at compile time.
#include "dbase/expr/expr_eval.h"

#include "dbase/engine/engine_text.h"
#include "dbase/engine/keys_date.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kt4::dbase {

namespace {

constexpr double kDivisionByZeroResult = 1e250;
const std::string kBlanks(kMaxExprText, ' ');

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The number in a numeric field's text; 0 when the text is not a number
// (blanks, "***" after an overflow).
double FieldNumber(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    bool negative = false;
    if (b < e && s[b] == '-') {
        negative = true;
        ++b;
    }
    std::uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    bool point = false;
    for (std::size_t i = b; i < e; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9' && digits < 15) {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++digits;
            fraction += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            digits = 0; // not the plain form: the full conversion decides
            break;
        }
    }
    if (digits > 0) {
        // Exact integer divided by an exact power of ten: correctly rounded.
        const double v = static_cast<double>(mantissa) / kPow10[fraction];
        return negative ? -v : v;
    }
    double v = 0.0;
    return ParseFileNumber(s, v) ? v : 0.0;
}

bool FieldLogical(std::string_view s)
{
    const char c = s.empty() ? ' ' : s[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

int CompareText(const Value& a, const Value& b)
{
    return std::string_view(a.text, a.length).compare(std::string_view(b.text, b.length));
}

bool ExactlyEqual(const Value& a, const Value& b)
{
    return a.length == b.length && std::memcmp(a.text, b.text, a.length) == 0;
}

// "=" on texts: the left begins with the right, which is not empty.
bool BeginsWith(const Value& a, const Value& b)
{
    return b.length > 0 && a.length >= b.length && std::memcmp(a.text, b.text, b.length) == 0;
}

double Truth(bool b)
{
    return b ? 1.0 : 0.0;
}

class Runner {
public:
    explicit Runner(TExpr& expr) : ctx_(expr), prog_(ctx_.Program()), env_(ctx_.Env()) {}

    // Returns the bottom of the stack, which holds the result.
    Value& Run()
    {
        Value* sp = prog_.stack.data() - 1;
        for (const Instruction& ins : prog_.code) {
            switch (ins.op) {
            case Op::End: return prog_.stack[0];
            case Op::PushNumber:
            case Op::PushLogical: (++sp)->number = ins.number; break;
            case Op::PushText: {
                const std::string& lit = prog_.literals[ins.index];
                ++sp;
                sp->text = lit.data();
                sp->length = static_cast<std::uint32_t>(std::min(lit.size(), kMaxExprText));
                break;
            }
            case Op::FieldC: FieldText(++sp, prog_.fields[ins.index]); break;
            case Op::FieldN: (++sp)->number = FieldNumeric(prog_.fields[ins.index], false); break;
            case Op::FieldD: (++sp)->number = FieldNumeric(prog_.fields[ins.index], true); break;
            case Op::FieldL: (++sp)->number = Truth(FieldBool(prog_.fields[ins.index])); break;
            case Op::FieldM: FieldMemo(++sp, prog_.fields[ins.index]); break;
            case Op::Not: sp->number = Truth(sp->number == 0.0); break;
            case Op::Neg: sp->number = -sp->number; break;
            default:
                if (ins.op >= Op::Abs) {
                    sp -= ins.argc;
                    CallFunction(ctx_, ins, ++sp);
                } else {
                    --sp;
                    Binary(ins.op, sp[0], sp[1]);
                }
                break;
            }
        }
        return prog_.stack[0];
    }

private:
    void Binary(Op op, Value& a, const Value& b)
    {
        switch (op) {
        case Op::AddN:
        case Op::AddND:
        case Op::AddDN: a.number += b.number; break;
        case Op::SubN:
        case Op::SubDN:
        case Op::SubDD: a.number -= b.number; break;
        case Op::Mul: a.number *= b.number; break;
        case Op::Div: Divide(a, b); break;
        case Op::Pow: Power(a, b); break;
        case Op::AddC: Concatenate(&a, b, false); break;
        case Op::SubC: Concatenate(&a, b, true); break;
        case Op::EqN: a.number = Truth(a.number == b.number); break;
        case Op::NeN: a.number = Truth(a.number != b.number); break;
        case Op::LtN: a.number = Truth(a.number < b.number); break;
        case Op::GtN: a.number = Truth(a.number > b.number); break;
        case Op::LeN: a.number = Truth(a.number <= b.number); break;
        case Op::GeN: a.number = Truth(a.number >= b.number); break;
        case Op::EqL: a.number = Truth((a.number != 0.0) == (b.number != 0.0)); break;
        case Op::NeL: a.number = Truth((a.number != 0.0) != (b.number != 0.0)); break;
        case Op::EqC: a.number = Truth(BeginsWith(a, b)); break;
        case Op::ExactEqC: a.number = Truth(ExactlyEqual(a, b)); break;
        case Op::NeC: a.number = Truth(!ExactlyEqual(a, b)); break;
        case Op::ContainsC:
            a.number = Truth(std::string_view(b.text, b.length).find(std::string_view(a.text, a.length)) !=
                             std::string_view::npos);
            break;
        case Op::LtC: a.number = Truth(CompareText(a, b) < 0); break;
        case Op::GtC: a.number = Truth(CompareText(a, b) > 0); break;
        case Op::LeC: a.number = Truth(CompareText(a, b) <= 0); break;
        case Op::GeC: a.number = Truth(CompareText(a, b) >= 0); break;
        case Op::And: a.number = Truth(a.number != 0.0 && b.number != 0.0); break;
        case Op::Or: a.number = Truth(a.number != 0.0 || b.number != 0.0); break;
        default: break;
        }
    }

    void Divide(Value& a, const Value& b)
    {
        if (b.number == 0.0) {
            ctx_.Error(kExprEvalError, "Auswertungsfehler: Division durch 0 [Evaluate/Engine]");
            a.number = kDivisionByZeroResult;
            return;
        }
        a.number /= b.number;
    }

    void Power(Value& a, const Value& b)
    {
        a.number = std::pow(a.number, b.number);
        if (std::isnan(a.number)) {
            ctx_.Error(kExprEvalError, "Auswertungsfehler: Potenz ohne Ergebnis [Evaluate/Engine]");
            a.number = 0.0;
        }
    }

    // "+" joins; "-" moves the left text's trailing blanks behind the right.
    void Concatenate(Value* a, const Value& b, bool blanksToEnd)
    {
        char* out = ctx_.BufferOf(a);
        std::size_t keep = a->length;
        if (blanksToEnd)
            while (keep > 0 && a->text[keep - 1] == ' ')
                --keep;
        const std::size_t blanks = a->length - keep;
        if (a->text != out)
            std::memmove(out, a->text, keep);
        std::size_t n = keep;
        const std::size_t right = std::min<std::size_t>(b.length, kMaxExprText - n);
        std::memcpy(out + n, b.text, right);
        n += right;
        const std::size_t tail = std::min(blanks, kMaxExprText - n);
        std::memset(out + n, ' ', tail);
        a->text = out;
        a->length = static_cast<std::uint32_t>(n + tail);
    }

    void FieldText(Value* v, const ExprField& f)
    {
        const RawField r = env_.ReadField(f);
        if (r.kind == RawField::Kind::Bytes) {
            v->text = r.bytes.data();
            v->length = static_cast<std::uint32_t>(std::min(r.bytes.size(), kMaxExprText));
            return;
        }
        Failed(r);
        v->text = kBlanks.data();
        v->length = static_cast<std::uint32_t>(std::clamp(f.length, 0, static_cast<int>(kMaxExprText)));
    }

    double FieldNumeric(const ExprField& f, bool date)
    {
        const RawField r = env_.ReadField(f);
        if (r.kind == RawField::Kind::Number)
            return r.number;
        if (r.kind == RawField::Kind::Bytes)
            return date ? DtosToJulian(r.bytes) : FieldNumber(r.bytes);
        Failed(r);
        return 0.0;
    }

    bool FieldBool(const ExprField& f)
    {
        const RawField r = env_.ReadField(f);
        if (r.kind == RawField::Kind::Number)
            return r.number != 0.0;
        if (r.kind == RawField::Kind::Bytes)
            return FieldLogical(r.bytes);
        Failed(r);
        return false;
    }

    void FieldMemo(Value* v, const ExprField& f)
    {
        const double block = FieldNumeric(f, false);
        v->length = 0;
        v->text = kBlanks.data();
        if (block >= 1.0 && block <= 2147483647.0)
            ctx_.SetText(v, env_.MemoText(f, static_cast<std::int32_t>(block)));
    }

    void Failed(const RawField& r)
    {
        if (r.kind == RawField::Kind::Error)
            ctx_.MarkFailed(); // the environment reported it
    }

    EvalContext ctx_;
    ExprProgram& prog_;
    ExprEnvironment& env_;
};

} // namespace

void EvalContext::SetText(Value* v, std::string_view text)
{
    char* out = BufferOf(v);
    const std::size_t n = std::min(text.size(), kMaxExprText);
    std::memmove(out, text.data(), n);
    v->text = out;
    v->length = static_cast<std::uint32_t>(n);
}

void EvalContext::Settle(Value* v)
{
    const char* begin = prog_.buffers.data();
    const char* end = begin + prog_.buffers.size();
    char* own = BufferOf(v);
    if (v->text >= begin && v->text < end && (v->text < own || v->text >= own + kSlotBuffer))
        SetText(v, std::string_view(v->text, v->length));
}

void RunProgram(TExpr& expr)
{
    expr.failed = false;
    Value& result = Runner(expr).Run();
    switch (expr.type) {
    case 'C':
    case 'M':
        expr.textLength = std::min<std::size_t>(result.length, kMaxExprText);
        std::memcpy(expr.textResult, result.text, expr.textLength);
        expr.textResult[expr.textLength] = '\0';
        break;
    case 'L':
        expr.logical = result.number != 0.0 ? 1 : 0;
        break;
    default:
        expr.number = result.number;
        if (std::isnan(expr.number)) {
            expr.failed = true;
            expr.env->Error(kExprEvalError, "Auswertungsfehler: Ergebnis ist keine Zahl [Evaluate/Engine]");
            expr.number = 0.0;
        }
        break;
    }
}

} // namespace kt4::dbase
