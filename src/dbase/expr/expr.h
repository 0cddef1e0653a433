// dBase expressions: compiled once against the current work area (with the
// result's type, width and decimals), evaluated once per record for FOR and
// WHILE conditions, LOCATE and index keys.
//
// Texts are single-byte cp1252 like all engine text; every text value is cut
// to 255 bytes. Compile errors are error 351 ("Fehler in dBASE-Ausdruck : "
// + reason + excerpt + " [AssignExpr]"); evaluation errors (division by zero,
// a field of a closed or reopened area, ...) are reported through the engine
// and the evaluation goes on with the blank value, so it always yields one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kt4::dbase {

class ExprEnvironment;
struct ExprProgram;

inline constexpr std::size_t kMaxExprText = 255; // source texts and text values
inline constexpr int kMaxExprDepth = 150;        // nesting of the parser

// Compile error codes and evaluation error codes.
inline constexpr std::uint16_t kExprSyntaxError = 351;
inline constexpr std::uint16_t kExprEvalError = 358;

// A compiled expression. Results of the last evaluation stay until the next.
struct TExpr {
    TExpr();
    ~TExpr();
    TExpr(const TExpr&) = delete;
    TExpr& operator=(const TExpr&) = delete;

    const std::string& Source() const { return source; }
    char Type() const { return type; }         // C N L D M
    int Width() const { return width; }
    int Decimals() const { return decimals; }
    // The text width the compiler added up (fields, literals, keywords).
    int ResultLength() const { return resultLength; }

    std::string_view Text() const { return {textResult, textLength}; } // C, M
    double Number() const { return number; }                          // N, D
    bool Logical() const { return logical != 0; }                     // L
    // The last evaluation reported an error.
    bool Failed() const { return failed; }

    std::string source;
    char type = 'L';
    int width = 0;
    int decimals = 0;
    int resultLength = 0;

    char textResult[kMaxExprText + 1] = {};
    std::size_t textLength = 0;
    double number = 0.0;
    std::int32_t logical = 0;
    bool failed = false;

    ExprEnvironment* env = nullptr;
    std::unique_ptr<ExprProgram> program;
};

// The parser hooks ------------------------------------------------------
// Compiles text against the current area; nullptr after reporting the error.
TExpr* AssignExpr(const std::string& text);
// Frees a compiled expression and sets the reference to nullptr; an unknown
// or null reference does nothing.
void FreeExpr(TExpr*& expr);
// Evaluates; the result's address: the zero-terminated text for C and M, a
// double for N and D, an int32_t (0 or 1) for L; nullptr for nullptr.
const void* EvaluateExpr(TExpr* expr);
// The zero-terminated text at result.
std::string ResultText(const void* result);
// The expression the index unit made current, and its evaluation.
void SetCurrentExpr(TExpr* expr);
const void* EvaluateCurrent();
char ResultType(const TExpr* expr);

// Fills the engine's ParserHooks; every call fills them again (the
// engine's reset empties them).
void InitExpressions();

// Compiling and evaluating with an environment of one's own --------------
struct ExprDeleter {
    void operator()(TExpr* expr) const;
};
using ExprPtr = std::unique_ptr<TExpr, ExprDeleter>;

// Compiles against env's current area (the work areas when env is null).
ExprPtr CompileExpr(std::string_view text, ExprEnvironment* env = nullptr);
// Runs the expression over its environment's current values.
void Evaluate(TExpr& expr);

// The length of the text result when it is the same for every record:
// character fields and literals, joined by + or -, under UPPER and LOWER.
// -1 when it may vary (TRIM and other functions) or the result is no text.
int FixedTextLength(const TExpr& expr);

} // namespace kt4::dbase
