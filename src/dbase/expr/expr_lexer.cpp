#include "dbase/expr/expr_lexer.h"

#include <charconv>

namespace kt4::dbase {

namespace {

// Every function; a name longer than four letters may be cut to four or more.
constexpr std::array<FuncSpec, 37> kFunctions{{
    {"ABS", Op::Abs, 0, {"N"}, 'N'},
    {"ASC", Op::Asc, 0, {"C"}, 'N'},
    {"AT", Op::At, 0, {"CC"}, 'N'},
    {"CDOW", Op::Cdow, 15, {"D"}, 'C'},
    {"CHR", Op::Chr, 2, {"N"}, 'C'},
    {"CMONTH", Op::Cmonth, 15, {"D"}, 'C'},
    {"CTOD", Op::Ctod, 0, {"C"}, 'D'},
    {"DATE", Op::Date, 0, {""}, 'D'},
    {"DAY", Op::Day, 0, {"D"}, 'N'},
    {"DELETED", Op::Deleted, 0, {""}, 'L'},
    {"DOW", Op::Dow, 0, {"D"}, 'N'},
    {"DTOC", Op::Dtoc, 11, {"D"}, 'C'},
    {"DTOS", Op::Dtos, 9, {"D"}, 'C'},
    {"IIF", Op::Iif, 256, {"LCC"}, 'C'},
    {"INT", Op::Int, 0, {"N"}, 'N'},
    {"LEFT", Op::Left, 0, {"CN"}, 'C'},
    {"LEN", Op::Len, 0, {"C"}, 'N'},
    {"LOWER", Op::Lower, 0, {"C"}, 'C'},
    {"LTRIM", Op::Ltrim, 0, {"C"}, 'C'},
    {"MAX", Op::Max, 0, {"NN", "DD"}, '1'},
    {"MIN", Op::Min, 0, {"NN", "DD"}, '1'},
    {"MOD", Op::Mod, 0, {"NN"}, 'N'},
    {"MONTH", Op::Month, 0, {"D"}, 'N'},
    {"RECNO", Op::Recno, 0, {""}, 'N'},
    {"REPLICATE", Op::Replicate, 256, {"CN"}, 'C'},
    {"RIGHT", Op::Right, 0, {"CN"}, 'C'},
    {"ROUND", Op::Round, 0, {"NN"}, 'N'},
    {"RTRIM", Op::Rtrim, 0, {"C"}, 'C'},
    {"SOUNDEX", Op::Soundex, 15, {"C"}, 'C'},
    {"SPACE", Op::Space, 256, {"N"}, 'C'},
    {"STR", Op::Str, 256, {"N", "NN", "NNN"}, 'C'},
    {"STUFF", Op::Stuff, 0, {"CNNC"}, 'C'},
    {"SUBSTR", Op::Substr, 0, {"CNN"}, 'C'},
    {"TRIM", Op::Rtrim, 0, {"C"}, 'C'},
    {"UPPER", Op::Upper, 0, {"C"}, 'C'},
    {"VAL", Op::Val, 0, {"C"}, 'N'},
    {"YEAR", Op::Year, 0, {"D"}, 'N'},
}};

// The dotted keywords, written whole.
struct DottedWord {
    std::string_view name;
    Tok kind;
};
constexpr std::array<DottedWord, 5> kDottedWords{{
    {".T.", Tok::True}, {".F.", Tok::False}, {".NOT.", Tok::Not}, {".OR.", Tok::Or}, {".AND.", Tok::And},
}};

constexpr std::size_t kMaxNumberText = 80;

bool IsWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '_';
}

bool IsWordChar(char c)
{
    return IsWordStart(c) || (c >= '0' && c <= '9');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool Abbreviates(std::string_view word, std::string_view name)
{
    if (word == name)
        return true;
    return name.size() > 4 && word.size() >= 4 && word.size() < name.size() && name.substr(0, word.size()) == word;
}

const FuncSpec* FindFunction(std::string_view word)
{
    for (const FuncSpec& f : kFunctions)
        if (Abbreviates(word, f.name))
            return &f;
    return nullptr;
}

Token Simple(Tok kind)
{
    Token t;
    t.kind = kind;
    return t;
}

} // namespace

Lexer::Lexer(std::string_view text, ExprEnvironment& env, std::vector<ExprField>& fields)
    : text_(text), env_(env), fields_(fields)
{
}

Token Lexer::Next()
{
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
    if (pos_ >= text_.size())
        return Simple(Tok::End);
    const char c = text_[pos_];
    if (IsDigit(c))
        return ScanNumber();
    if (c == '"' || c == '\'')
        return ScanString();
    if (IsWordStart(c))
        return ScanWord();

    const char n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
    struct Pair {
        char a, b;
        Tok kind;
    };
    static constexpr Pair kPairs[] = {{'=', '=', Tok::ExactEq}, {'*', '*', Tok::Power}, {'>', '=', Tok::Ge},
                                      {'<', '=', Tok::Le},      {'<', '>', Tok::Ne}};
    for (const Pair& p : kPairs)
        if (c == p.a && n == p.b) {
            pos_ += 2;
            return Simple(p.kind);
        }
    static constexpr Pair kSingles[] = {{'#', 0, Tok::Ne},    {'$', 0, Tok::Contains}, {'+', 0, Tok::Plus},
                                        {'-', 0, Tok::Minus}, {'*', 0, Tok::Star},     {'/', 0, Tok::Slash},
                                        {'^', 0, Tok::Power}, {'=', 0, Tok::Eq},       {'<', 0, Tok::Lt},
                                        {'>', 0, Tok::Gt},    {'(', 0, Tok::LParen},   {')', 0, Tok::RParen},
                                        {',', 0, Tok::Comma}};
    ++pos_;
    for (const Pair& p : kSingles)
        if (c == p.a)
            return Simple(p.kind);
    return Simple(Tok::Bad);
}

// Digits, at most one ".", and "E" followed by digits (no sign).
Token Lexer::ScanNumber()
{
    const std::size_t start = pos_;
    bool point = false;
    while (pos_ < text_.size() && (IsDigit(text_[pos_]) || (text_[pos_] == '.' && !point))) {
        point = point || text_[pos_] == '.';
        ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'E' || text_[pos_] == 'e')) {
        ++pos_;
        const std::size_t digits = pos_;
        while (pos_ < text_.size() && IsDigit(text_[pos_]))
            ++pos_;
        if (pos_ == digits)
            return Simple(Tok::Bad); // "1E" is no number
    }
    const std::string_view s = text_.substr(start, pos_ - start);
    Token t = Simple(Tok::Number);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), t.number);
    if (s.size() > kMaxNumberText || ec != std::errc{} || end != s.data() + s.size())
        return Simple(Tok::Bad);
    KeywordSeen(0);
    return t;
}

Token Lexer::ScanString()
{
    const char quote = text_[pos_++];
    const std::size_t close = text_.find(quote, pos_);
    if (close == std::string_view::npos) {
        pos_ = text_.size();
        return Simple(Tok::Bad);
    }
    Token t = Simple(Tok::String);
    t.text = std::string(text_.substr(pos_, close - pos_));
    pos_ = close + 1;
    KeywordSeen(static_cast<int>(t.text.size()) + 1);
    return t;
}

std::string Lexer::ReadWord()
{
    std::string word;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) {
        char c = text_[pos_++];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        word += c;
    }
    return word;
}

char Lexer::NextNonBlank() const
{
    std::size_t p = pos_;
    while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t'))
        ++p;
    return p < text_.size() ? text_[p] : '\0';
}

Token Lexer::ScanWord()
{
    const std::string word = ReadWord();
    if (text_.substr(pos_, 2) == "->") {
        pos_ += 2;
        return AliasedField(word);
    }
    return ResolveWord(word);
}

// word->field: the alias is compared in full among the open areas.
Token Lexer::AliasedField(const std::string& alias)
{
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
    if (pos_ >= text_.size() || !IsWordStart(text_[pos_]))
        return Simple(Tok::Bad);
    const std::string name = ReadWord();
    const int area = env_.AreaOfAlias(alias);
    ExprField field;
    if (area == 0 || !env_.FindField(area, name, field))
        return Simple(Tok::Bad);
    field.area = area;
    return FieldToken(field);
}

// A field of the current area unless "(" follows; else a keyword.
Token Lexer::ResolveWord(const std::string& word)
{
    ExprField field;
    if (NextNonBlank() != '(' && env_.FindField(env_.CurrentArea(), word, field)) {
        field.area = 0;
        return FieldToken(field);
    }
    for (const DottedWord& d : kDottedWords)
        if (word == d.name) {
            KeywordSeen(0);
            return Simple(d.kind);
        }
    if (const FuncSpec* f = FindFunction(word)) {
        KeywordSeen(f->resultSize);
        Token t = Simple(Tok::Function);
        t.func = f;
        return t;
    }
    return Simple(Tok::Bad);
}

Token Lexer::FieldToken(const ExprField& field)
{
    lastFieldLength = field.length;
    if (field.type == 'N' || field.type == 'F')
        decimals = decimals < 0 ? field.decimals : 2;
    if (field.type == 'C')
        resultLength += field.length + 1;
    Token t = Simple(Tok::Field);
    t.field = fields_.size();
    fields_.push_back(field);
    return t;
}

// Literals and keywords: no field length, two decimals.
void Lexer::KeywordSeen(int size)
{
    resultLength += size;
    lastFieldLength = 0;
    decimals = 2;
}

} // namespace kt4::dbase
