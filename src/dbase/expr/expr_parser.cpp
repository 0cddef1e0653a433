// The expression compiler: precedence climbing over the scanner's tokens,
// with the operand types checked and the postfix code emitted as each
// operator is reduced. The nesting depth is limited explicitly.
#include "dbase/expr/expr_lexer.h"

#include "foundation/codepage.h"

#include <algorithm>

namespace kt4::dbase {

namespace {

const char* const kSyntaxError = "Syntax error";
const char* const kStackOverflow = "Parser_stack_overflow";
const char* const kLineBreak = "\r\n";

// Binary operators from the loosest (1) to the tightest (8).
struct BinaryOp {
    Tok tok;
    int precedence;
    const char* name; // as the type error names it
};
constexpr BinaryOp kBinaryOps[] = {
    {Tok::Or, 1, ".OR."},     {Tok::And, 2, ".AND."},  {Tok::Eq, 3, "="},     {Tok::Ne, 3, "<>"},
    {Tok::ExactEq, 4, "=="},  {Tok::Contains, 4, "$"}, {Tok::Lt, 5, "<"},     {Tok::Gt, 5, ">"},
    {Tok::Le, 5, "<="},       {Tok::Ge, 5, ">="},      {Tok::Plus, 6, "+"},   {Tok::Minus, 6, "-"},
    {Tok::Star, 7, "*"},      {Tok::Slash, 7, "/"},    {Tok::Power, 8, "** or ^"},
};

// Operand types of each operator and the instruction they give.
struct Typing {
    Tok tok;
    char left, right;
    Op op;
    char result;
};
constexpr Typing kTypings[] = {
    {Tok::Plus, 'N', 'N', Op::AddN, 'N'},   {Tok::Plus, 'N', 'D', Op::AddND, 'D'},
    {Tok::Plus, 'D', 'N', Op::AddDN, 'D'},  {Tok::Plus, 'C', 'C', Op::AddC, 'C'},
    {Tok::Minus, 'N', 'N', Op::SubN, 'N'},  {Tok::Minus, 'D', 'N', Op::SubDN, 'D'},
    {Tok::Minus, 'D', 'D', Op::SubDD, 'N'}, {Tok::Minus, 'C', 'C', Op::SubC, 'C'},
    {Tok::Star, 'N', 'N', Op::Mul, 'N'},    {Tok::Slash, 'N', 'N', Op::Div, 'N'},
    {Tok::Power, 'N', 'N', Op::Pow, 'N'},
    {Tok::Eq, 'N', 'N', Op::EqN, 'L'},      {Tok::Eq, 'D', 'D', Op::EqN, 'L'},
    {Tok::Eq, 'C', 'C', Op::EqC, 'L'},      {Tok::Eq, 'L', 'L', Op::EqL, 'L'},
    {Tok::Ne, 'N', 'N', Op::NeN, 'L'},      {Tok::Ne, 'D', 'D', Op::NeN, 'L'},
    {Tok::Ne, 'C', 'C', Op::NeC, 'L'},      {Tok::Ne, 'L', 'L', Op::NeL, 'L'},
    {Tok::Lt, 'N', 'N', Op::LtN, 'L'},      {Tok::Lt, 'D', 'D', Op::LtN, 'L'},
    {Tok::Lt, 'C', 'C', Op::LtC, 'L'},      {Tok::Gt, 'N', 'N', Op::GtN, 'L'},
    {Tok::Gt, 'D', 'D', Op::GtN, 'L'},      {Tok::Gt, 'C', 'C', Op::GtC, 'L'},
    {Tok::Le, 'N', 'N', Op::LeN, 'L'},      {Tok::Le, 'D', 'D', Op::LeN, 'L'},
    {Tok::Le, 'C', 'C', Op::LeC, 'L'},      {Tok::Ge, 'N', 'N', Op::GeN, 'L'},
    {Tok::Ge, 'D', 'D', Op::GeN, 'L'},      {Tok::Ge, 'C', 'C', Op::GeC, 'L'},
    {Tok::ExactEq, 'C', 'C', Op::ExactEqC, 'L'}, {Tok::Contains, 'C', 'C', Op::ContainsC, 'L'},
    {Tok::And, 'L', 'L', Op::And, 'L'},     {Tok::Or, 'L', 'L', Op::Or, 'L'},
};

const BinaryOp* FindBinary(Tok tok)
{
    for (const BinaryOp& b : kBinaryOps)
        if (b.tok == tok)
            return &b;
    return nullptr;
}

char FieldValueType(char fieldType)
{
    return fieldType == 'F' ? 'N' : fieldType;
}

Op FieldOp(char valueType)
{
    switch (valueType) {
    case 'N': return Op::FieldN;
    case 'L': return Op::FieldL;
    case 'D': return Op::FieldD;
    case 'M': return Op::FieldM;
    default: return Op::FieldC;
    }
}

// Tokens that begin an operand: after a complete operand they mean a
// missing operator.
bool StartsOperand(Tok t)
{
    switch (t) {
    case Tok::Number: case Tok::String: case Tok::Field: case Tok::Function:
    case Tok::True: case Tok::False: case Tok::Not: case Tok::LParen:
        return true;
    default:
        return false;
    }
}

class Compiler {
public:
    Compiler(TExpr& expr, std::string_view text, ExprEnvironment& env)
        : expr_(expr), prog_(*expr.program), text_(text), env_(env), lex_(text, env, prog_.fields)
    {
    }

    bool Run()
    {
        Advance();
        const char type = ParseExpr(1);
        if (type != 0 && tok_.kind != Tok::End)
            Fail(tok_.kind == Tok::Bad ? kSyntaxError : kStackOverflow);
        if (!reason_.empty()) {
            Report(reason_, errorPos_);
            return false;
        }
        Emit(Op::End, 0, 0);
        Finish(type);
        return true;
    }

private:
    void Advance() { tok_ = lex_.Next(); }

    char Fail(const std::string& reason)
    {
        if (reason_.empty()) {
            reason_ = reason;
            errorPos_ = lex_.Position();
        }
        return 0;
    }

    char TypeError(const char* what, std::string_view name)
    {
        return Fail(std::string("PARSER:Unvereinbare Typen in ") + what + " \"" + std::string(name) + "\"");
    }

    // After a complete operand only an operator or a closer may follow.
    char FailAfterOperand()
    {
        return Fail(StartsOperand(tok_.kind) ? kStackOverflow : kSyntaxError);
    }

    void Emit(Op op, int pops, int pushes, std::uint32_t index = 0, double number = 0.0, int argc = 0)
    {
        Instruction ins;
        ins.op = op;
        ins.argc = static_cast<std::uint8_t>(argc);
        ins.index = index;
        ins.number = number;
        prog_.code.push_back(ins);
        depth_ += pushes - pops;
        prog_.maxStack = std::max(prog_.maxStack, static_cast<std::size_t>(depth_));
    }

    char ParseExpr(int minPrecedence)
    {
        if (++nesting_ > kMaxExprDepth)
            return Fail(kStackOverflow);
        char left = ParseUnary();
        while (left != 0) {
            const BinaryOp* op = FindBinary(tok_.kind);
            if (op == nullptr || op->precedence < minPrecedence)
                break;
            Advance();
            const char right = ParseExpr(op->precedence + 1);
            left = right == 0 ? 0 : Reduce(*op, left, right);
        }
        --nesting_;
        return left;
    }

    char Reduce(const BinaryOp& op, char left, char right)
    {
        for (const Typing& t : kTypings)
            if (t.tok == op.tok && t.left == left && t.right == right) {
                Emit(t.op, 2, 1);
                return t.result;
            }
        return TypeError("Ausdruck", op.name);
    }

    // Prefix "-", "+" and .NOT. bind tighter than every binary operator.
    char ParseUnary()
    {
        const Tok kind = tok_.kind;
        if (kind != Tok::Minus && kind != Tok::Plus && kind != Tok::Not)
            return ParsePrimary();
        Advance();
        if (++nesting_ > kMaxExprDepth)
            return Fail(kStackOverflow);
        const char operand = ParseUnary();
        --nesting_;
        if (operand == 0)
            return 0;
        if (kind == Tok::Not) {
            if (operand != 'L')
                return TypeError("Ausdruck", ".NOT.");
            Emit(Op::Not, 1, 1);
            return 'L';
        }
        if (operand != 'N')
            return TypeError("Ausdruck", kind == Tok::Minus ? "Unary -" : "Unary +");
        if (kind == Tok::Minus)
            Emit(Op::Neg, 1, 1);
        return 'N';
    }

    char ParsePrimary()
    {
        Token t = std::move(tok_);
        switch (t.kind) {
        case Tok::Number:
            Emit(Op::PushNumber, 0, 1, 0, t.number);
            Advance();
            return 'N';
        case Tok::String:
            Emit(Op::PushText, 0, 1, static_cast<std::uint32_t>(prog_.literals.size()));
            prog_.literals.push_back(std::move(t.text));
            Advance();
            return 'C';
        case Tok::True:
        case Tok::False:
            Emit(Op::PushLogical, 0, 1, 0, t.kind == Tok::True ? 1.0 : 0.0);
            Advance();
            return 'L';
        case Tok::Field: {
            const char type = FieldValueType(prog_.fields[t.field].type);
            Emit(FieldOp(type), 0, 1, static_cast<std::uint32_t>(t.field));
            Advance();
            return type;
        }
        case Tok::Function:
            Advance();
            return ParseCall(*t.func);
        case Tok::LParen: {
            Advance();
            const char inner = ParseExpr(1);
            if (inner == 0)
                return 0;
            if (tok_.kind != Tok::RParen)
                return FailAfterOperand();
            Advance();
            return inner;
        }
        default:
            tok_ = std::move(t);
            return Fail(kSyntaxError);
        }
    }

    // NAME "(" [expr {"," expr}] ")", the parentheses required.
    char ParseCall(const FuncSpec& f)
    {
        if (tok_.kind != Tok::LParen)
            return Fail(kSyntaxError);
        Advance();
        std::string args;
        if (tok_.kind == Tok::RParen) {
            Advance();
        } else {
            for (;;) {
                const char type = ParseExpr(1);
                if (type == 0)
                    return 0;
                args += type;
                if (tok_.kind == Tok::Comma) {
                    Advance();
                    continue;
                }
                if (tok_.kind != Tok::RParen)
                    return FailAfterOperand();
                Advance();
                break;
            }
        }
        return CheckCall(f, args);
    }

    char CheckCall(const FuncSpec& f, const std::string& args)
    {
        bool arityFits = false;
        for (std::size_t i = 0; i < f.signatures.size(); ++i) {
            const std::string_view sig = f.signatures[i];
            // Unused entries are empty; only the first may be (no arguments).
            if (sig.size() != args.size() || (sig.empty() && i > 0))
                continue;
            arityFits = true;
            if (sig == args) {
                const int argc = static_cast<int>(args.size());
                Emit(f.op, argc, 1, 0, 0.0, argc);
                return f.result == '1' ? args[0] : f.result;
            }
        }
        return arityFits ? TypeError("Funktion", f.name) : Fail(kSyntaxError);
    }

    void Finish(char type)
    {
        expr_.type = type;
        if (type == 'M')
            lex_.resultLength = 256;
        expr_.resultLength = lex_.resultLength;
        const int last = lex_.lastFieldLength;
        switch (type) {
        case 'C':
            expr_.width = lex_.resultLength == last + 1 ? last : 0;
            break;
        case 'N':
            expr_.decimals = lex_.decimals < 0 ? 2 : lex_.decimals;
            expr_.width = last > 0 && last >= expr_.decimals + 2 ? last : expr_.decimals + 11;
            break;
        case 'D': expr_.width = 8; break;
        case 'L': expr_.width = 1; break;
        default: expr_.width = lex_.resultLength; break;
        }
        prog_.stack.assign(prog_.maxStack, Value{});
        prog_.buffers.assign(prog_.maxStack * kSlotBuffer, '\0');
    }

    void Report(const std::string& reason, std::size_t pos)
    {
        env_.Error(kExprSyntaxError, "Fehler in dBASE-Ausdruck : " + reason + kLineBreak + Excerpt(text_, pos) +
                                         kLineBreak + " [AssignExpr]");
    }

public:
    // 50 characters before the position and 51 from there, in brackets.
    static std::string Excerpt(std::string_view text, std::size_t pos)
    {
        const std::size_t start = pos > 50 ? pos - 50 : 0;
        const std::string piece(text.substr(std::min(start, text.size()), 51));
        const std::string excerpt = std::string(start > 0 ? "[..." : "[") + piece +
                                    (start + 51 < text.size() ? "...]" : "]");
        return OemToDisplay(Cp1252ToOem(excerpt));
    }

private:
    TExpr& expr_;
    ExprProgram& prog_;
    std::string_view text_;
    ExprEnvironment& env_;
    Lexer lex_;
    Token tok_;
    int nesting_ = 0;
    int depth_ = 0;
    std::string reason_;
    std::size_t errorPos_ = 0;
};

} // namespace

bool CompileInto(TExpr& expr, std::string_view text, ExprEnvironment& env)
{
    expr.source = std::string(text);
    expr.env = &env;
    expr.program = std::make_unique<ExprProgram>();
    if (text.size() > kMaxExprText) {
        env.Error(kExprSyntaxError, "Fehler in dBASE-Ausdruck : Ausdruck länger als 255 Zeichen\r\n" +
                                        Compiler::Excerpt(text, kMaxExprText) + "\r\n [AssignExpr]");
        return false;
    }
    return Compiler(expr, text, env).Run();
}

} // namespace kt4::dbase
