// Small readers of our own IGES, STEP and STL files for the tests: the
// IGES sections with their entities and parameters, the STEP data
// records, the binary STL facets. They follow the formats, not our
// writers, and check the fixed columns on the way.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kt4::cadtest {

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string GoldenPath(const std::string& name)
{
    return std::string(KT4_SOURCE_DIR) + "/tests/cad/golden/" + name;
}

// The written bytes against the golden (KT4_UPDATE_GOLDEN=1 writes it).
inline void ExpectGolden(const std::string& written, const std::string& name)
{
    const std::string golden = GoldenPath(name);
    if (std::getenv("KT4_UPDATE_GOLDEN"))
        std::ofstream(golden, std::ios::binary) << written;
    EXPECT_EQ(written, ReadFileBytes(golden)) << "differs from " << golden;
}

struct IgesEntity {
    int de = 0;                 // directory-entry number
    std::vector<std::string> f; // the D fields 1-9 and 11-19, without blanks
    std::vector<std::string> params; // the parameters, Hollerith texts as their contents
    std::vector<std::string> lines;  // the P lines
    int Type() const { return std::stoi(f[0]); }
    // Field n (1-9, 11-19) of the directory entry.
    std::string Field(int n) const { return f[std::size_t(n <= 9 ? n - 1 : n - 2)]; }
};

struct IgesFile {
    std::map<char, std::vector<std::string>> sections; // letter -> lines (80 columns)
    std::vector<IgesEntity> entities;
    std::string Data(char letter) const
    {
        std::string s;
        auto it = sections.find(letter);
        if (it != sections.end())
            for (const auto& l : it->second)
                s += l.substr(0, 72);
        return s;
    }
    std::vector<const IgesEntity*> OfType(int type) const
    {
        std::vector<const IgesEntity*> out;
        for (const auto& e : entities)
            if (e.Type() == type)
                out.push_back(&e);
        return out;
    }
    const IgesEntity* At(int de) const
    {
        for (const auto& e : entities)
            if (e.de == de)
                return &e;
        return nullptr;
    }
};

// The parameters of a P text (blanks between parameters dropped); a
// Hollerith parameter gives its contents.
inline std::vector<std::string> IgesParams(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') // blanks between parameters
            ++i;
        std::size_t j = i;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
            ++j;
        if (j > i && j < text.size() && text[j] == 'H') {
            std::size_t n = std::stoul(text.substr(i, j - i));
            out.push_back(text.substr(j + 1, n));
            i = j + 1 + n;
        } else {
            std::size_t end = text.find_first_of(",;", i);
            std::string v = text.substr(i, end - i);
            v.erase(v.find_last_not_of(' ') + 1);
            out.push_back(v);
            i = end;
        }
        if (i >= text.size() || text[i] == ';')
            break;
        ++i; // the delimiter
    }
    return out;
}

inline IgesFile ReadIges(const std::string& bytes)
{
    IgesFile file;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find("\r\n", pos);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 2;
        EXPECT_EQ(line.size(), 80u) << line;
        if (line.size() < 80)
            continue;
        auto& section = file.sections[line[72]];
        EXPECT_EQ(line.substr(73), std::to_string(10000000 + section.size() + 1).substr(1)) << line;
        section.push_back(line);
    }
    const auto& d = file.sections['D'];
    const auto& p = file.sections['P'];
    for (std::size_t k = 0; k + 1 < d.size(); k += 2) {
        IgesEntity e;
        e.de = int(k + 1);
        for (const auto* l : {&d[k], &d[k + 1]})
            for (int c = 0; c < 9; ++c) {
                std::string v = l->substr(std::size_t(8 * c), 8);
                v.erase(0, v.find_first_not_of(' '));
                e.f.push_back(v);
            }
        int first = std::stoi(e.Field(2)), count = std::stoi(e.Field(14));
        std::string text;
        for (int n = first; n < first + count && n <= int(p.size()); ++n) {
            const std::string& l = p[std::size_t(n - 1)];
            EXPECT_EQ(std::stoi(l.substr(64, 8)), e.de) << l;
            e.lines.push_back(l);
            text += l.substr(0, 64);
        }
        e.params = IgesParams(text);
        file.entities.push_back(e);
    }
    return file;
}

// The data records of a STEP file: number -> text after " = ".
inline std::map<int, std::string> StepRecords(const std::string& bytes)
{
    std::map<int, std::string> out;
    std::istringstream in(bytes);
    int last = 0;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        if (l.size() > 1 && l[0] == '#') {
            std::size_t eq = l.find(" = ");
            last = std::stoi(l.substr(1, eq - 1));
            out[last] = l.substr(eq + 3);
        } else if (last && l != "ENDSEC;" && l != "END-ISO-10303-21;" && out[last].back() != ';') {
            out[last] += "\n" + l;
        }
    }
    return out;
}

struct StlFacet {
    float n[3], v[3][3];
};

// The facets of a binary STL file (after the 80-byte header and count).
inline std::vector<StlFacet> BinaryStlFacets(const std::string& bytes)
{
    std::vector<StlFacet> out;
    for (std::size_t p = 84; p + 50 <= bytes.size(); p += 50) {
        StlFacet f;
        std::memcpy(f.n, bytes.data() + p, 12);
        std::memcpy(f.v, bytes.data() + p + 12, 36);
        out.push_back(f);
    }
    return out;
}

} // namespace kt4::cadtest
