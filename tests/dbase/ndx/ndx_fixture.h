// Set-up of the index tests: the engine with expressions and the index
// unit, tables written fast (raw records), and page access to NDX files.
#pragma once

#include "dbase_fixture.h"
#include "dbase/expr/expr.h"
#include "tools/ndx_check.h"

#include <functional>

namespace kt4::dbase::test {

inline std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
inline std::uint16_t U16At(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint16_t(b[at] | b[at + 1] << 8);
}
inline void PutU32At(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

class NdxTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        InitExpressions();
        IndexInit();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        Index = IndexHooks{};
    }
    // A table with the fields whose records are given as their raw field
    // texts (padded to the field lengths); count from rows(i) for i < n.
    std::string RawTable(const std::string& name, const std::vector<FieldDef>& fields, int n,
                         const std::function<std::string(int)>& row)
    {
        EXPECT_TRUE(CreateDbf(Path(name), fields));
        const std::string file = Path(name + ".DBF");
        auto b = ReadBytes(file);
        const std::size_t headerLen = U16At(b, 8), recLen = U16At(b, 10);
        b.resize(headerLen);
        b.reserve(headerLen + std::size_t(n) * recLen + 1);
        for (int i = 0; i < n; ++i) {
            std::string r = " " + row(i);
            r.resize(recLen, ' ');
            b.insert(b.end(), r.begin(), r.end());
        }
        b.push_back(0x1A);
        PutU32At(b, 4, std::uint32_t(n));
        WriteBytes(file, b);
        return file;
    }
    // NAME C(len) holding names[i].
    std::string NameTable(const std::vector<std::string>& names, int len = 10,
                          const std::string& table = "NAMES")
    {
        return RawTable(table, {{"NAME", 'C', std::uint8_t(len), 0}, {"NUM", 'N', 8, 2}},
                        int(names.size()), [&](int i) {
                            std::string s = names[std::size_t(i)];
                            s.resize(std::size_t(len), ' ');
                            return s;
                        });
    }
    std::vector<std::int32_t> Order()
    {
        std::vector<std::int32_t> recs;
        for (GoTop(); !dEOF() && EngineErrorCode == 0; SKIP(1))
            recs.push_back(RecNo());
        return recs;
    }
    // Runs f with the engine's errors thrown, as the table browser has them:
    // the code thrown (0: none), and its message.
    static std::uint16_t Thrown(const std::function<void()>& f, std::string& message)
    {
        const bool exceptions = SetExceptionMode(true), report = SetReportErrors(true);
        std::uint16_t code = 0;
        try {
            f();
        } catch (const EZodarError& e) {
            code = e.Code();
            message = e.what();
        }
        SetReportErrors(report);
        SetExceptionMode(exceptions);
        return code;
    }
    // Structure and records of the index in slot (the table open in the area).
    void ExpectSound(int slot)
    {
        check::NdxChecker c;
        EXPECT_TRUE(c.CheckFile(IndexFileName(slot)) && c.CheckRecords(slot))
            << IndexFileName(slot) << ": " << c.Problem();
    }
};

} // namespace kt4::dbase::test
