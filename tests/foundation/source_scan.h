// A small C++ tokenizer for the checks that every help number and every
// calculation message used in the program has its entry in the data
// files. Comments are skipped; string literals are decoded (escapes,
// adjacent literals joined).
#pragma once

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kt4::testing {

struct Token {
    enum Kind { Ident, Number, Literal, Punct } kind;
    std::string text; // decoded bytes for literals
};

inline int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Decodes the body of a string literal (between the quotes).
inline std::string DecodeLiteral(const std::string& body)
{
    std::string out;
    for (std::size_t k = 0; k < body.size(); ++k) {
        if (body[k] != '\\' || k + 1 >= body.size()) {
            out += body[k];
            continue;
        }
        char c = body[++k];
        switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'f': out += '\f'; break;
        case 'x': {
            int v = 0;
            while (k + 1 < body.size() && HexValue(body[k + 1]) >= 0)
                v = (v * 16 + HexValue(body[++k])) & 0xFF;
            out += static_cast<char>(v);
            break;
        }
        default:
            if (c >= '0' && c <= '7') {
                int v = c - '0';
                for (int n = 0; n < 2 && k + 1 < body.size() && body[k + 1] >= '0' && body[k + 1] <= '7'; ++n)
                    v = v * 8 + (body[++k] - '0');
                out += static_cast<char>(v);
            } else {
                out += c;
            }
        }
    }
    return out;
}

// Tokens of a source text; adjacent string literals become one.
inline std::vector<Token> Tokenize(const std::string& s)
{
    std::vector<Token> t;
    std::size_t k = 0;
    auto ident = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    while (k < s.size()) {
        char c = s[k];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++k;
        } else if (s.compare(k, 2, "//") == 0) {
            k = s.find('\n', k);
            k = k == std::string::npos ? s.size() : k;
        } else if (s.compare(k, 2, "/*") == 0) {
            k = s.find("*/", k + 2);
            k = k == std::string::npos ? s.size() : k + 2;
        } else if (c == '"' || c == '\'') {
            std::size_t e = k + 1;
            while (e < s.size() && s[e] != c)
                e += s[e] == '\\' ? 2 : 1;
            if (c == '"') {
                std::string lit = DecodeLiteral(s.substr(k + 1, e - k - 1));
                if (!t.empty() && t.back().kind == Token::Literal)
                    t.back().text += lit;
                else
                    t.push_back({Token::Literal, lit});
            }
            k = e + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t e = k;
            while (e < s.size() && (ident(s[e]) || s[e] == '.'))
                ++e;
            t.push_back({Token::Number, s.substr(k, e - k)});
            k = e;
        } else if (ident(c)) {
            std::size_t e = k;
            while (e < s.size() && ident(s[e]))
                ++e;
            std::string word = s.substr(k, e - k);
            // string prefixes (u8"", L"") belong to the literal
            if (e < s.size() && s[e] == '"' && (word == "u8" || word == "L" || word == "u" || word == "U")) {
                k = e;
                continue;
            }
            t.push_back({Token::Ident, word});
            k = e;
        } else {
            t.push_back({Token::Punct, std::string(1, c)});
            ++k;
        }
    }
    return t;
}

// The sources of the program (src/, headers and implementation files).
inline std::vector<std::filesystem::path> ProgramSources(const std::string& root)
{
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".cpp" || ext == ".h"))
            files.push_back(e.path());
    }
    return files;
}

inline std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace kt4::testing
