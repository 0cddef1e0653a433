// Engine tests with the memo layer and the virtual-file manager installed
// (ModulesTest adds the expressions, the indexes and the datasets); the
// hook records are put back as they were afterwards.
#pragma once

#include "dbase_fixture.h"
#include "dbase/memo/memo.h"
#include "dbase/memo/memo_blob.h"
#include "dbase/vfile/vfile.h"
#include "dbase/dataset/dataset.h"
#include "dbase/expr/expr.h"

namespace kt4::dbase::test {

class MemoTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        savedParser_ = Parser;
        savedIndex_ = Index;
        savedMemo_ = Memo;
        savedVFiles_ = VFiles;
        MemoInit();
        VFilesInit();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        Parser = savedParser_;
        Index = savedIndex_;
        Memo = savedMemo_;
        VFiles = savedVFiles_;
    }
    // A table NAME C10, NOTE M with the version and memo block size, open
    // exclusively in the current area.
    std::string MemoTable(const std::string& name, std::uint8_t version, std::uint32_t blockSize = 512)
    {
        EXPECT_TRUE(SetCreateVersion(version));
        EXPECT_TRUE(SetMemoBlockSize(blockSize));
        EXPECT_TRUE(CreateDbf(Path(name), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
        EXPECT_TRUE(USE(Path(name) + " EXCLUSIVE")) << LastErrorText();
        return Path(name + (version == 0xF5 ? ".FPT" : ".DBT"));
    }
    // Appends a record whose memo is text; its block.
    std::int32_t AddRow(const std::string& name, const std::string& text)
    {
        ClearRecord();
        const std::int32_t block = text.empty() ? 0 : AddMemo(text);
        Buffer().SetText(1, name);
        Buffer().SetMemoRef(2, block);
        EXPECT_TRUE(Append()) << LastErrorText();
        return block;
    }
    std::string MemoOfRecord(std::int32_t recNo)
    {
        GO(recNo);
        std::string text;
        std::int32_t block = Buffer().MemoRef(2);
        if (block != 0) {
            EXPECT_TRUE(GetMemoText(block, text)) << LastErrorText();
        }
        return text;
    }

private:
    ParserHooks savedParser_;
    IndexHooks savedIndex_;
    MemoHooks savedMemo_;
    VFileHooks savedVFiles_;
};

class ModulesTest : public MemoTest {
protected:
    void SetUp() override
    {
        MemoTest::SetUp();
        InitExpressions();
        IndexInit();
        InitDatasets();
        ui = &UseHeadlessUi();
    }
    // Entries of the UI log that start with kind ("error|", "message|").
    std::vector<std::string> Logged(const std::string& kind) const
    {
        std::vector<std::string> out;
        for (const auto& e : ui->Log())
            if (e.rfind(kind + "|", 0) == 0)
                out.push_back(e);
        return out;
    }
    HeadlessUi* ui = nullptr;
};

// A text of n characters made from seed (words of letters and blanks).
inline std::string Text(std::size_t n, unsigned seed)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += (i % 7 == 6) ? ' ' : char('a' + (seed + i * 3) % 26);
    if (!s.empty())
        s.back() = char('A' + seed % 26);
    return s;
}

} // namespace kt4::dbase::test
