// The scanner of the expression compiler (internal): tokens, the keyword
// and function table, and the numeric layout that the scanning accumulates.
#pragma once

#include "dbase/expr/expr_code.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::dbase {

enum class Tok : std::uint8_t {
    End, Number, String, Field, Function, True, False, Not, And, Or,
    Plus, Minus, Star, Slash, Power, Eq, Ne, Lt, Gt, Le, Ge, ExactEq, Contains,
    LParen, RParen, Comma,
    Bad, // a character or word that no rule accepts
};

// A built-in function: its argument signatures (one letter per argument)
// and its result ('1': the type of the first argument).
struct FuncSpec {
    std::string_view name;
    Op op;
    int resultSize; // text width the keyword adds to the result length
    std::array<std::string_view, 3> signatures;
    char result;
};

struct Token {
    Tok kind = Tok::End;
    double number = 0.0;
    std::string text;             // string literal
    std::size_t field = 0;        // index into the program's fields
    const FuncSpec* func = nullptr;
};

class Lexer {
public:
    Lexer(std::string_view text, ExprEnvironment& env, std::vector<ExprField>& fields);

    Token Next();
    // Scanning position (just after the last token).
    std::size_t Position() const { return pos_; }

    // Layout of the result, accumulated while scanning.
    int resultLength = 0;
    int lastFieldLength = 0;
    int decimals = -1; // -1: not set yet

private:
    Token ScanNumber();
    Token ScanString();
    Token ScanWord();
    Token ResolveWord(const std::string& word);
    Token AliasedField(const std::string& alias);
    std::string ReadWord();
    char NextNonBlank() const;
    Token FieldToken(const ExprField& field);
    void KeywordSeen(int size);

    std::string_view text_;
    std::size_t pos_ = 0;
    ExprEnvironment& env_;
    std::vector<ExprField>& fields_;
};

} // namespace kt4::dbase
