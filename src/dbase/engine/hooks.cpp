#include "dbase/engine/hooks.h"

namespace kt4::dbase {

ParserHooks Parser;
IndexHooks Index;
MemoHooks Memo;
VFileHooks VFiles;

bool ParserLinked()
{
    return Parser.AssignExpr && Parser.FreeExpr && Parser.Evaluate;
}

bool IndexLinked()
{
    return Index.IndexActive != nullptr;
}

bool MemoLinked()
{
    return Memo.OpenMemoFile != nullptr;
}

bool VFilesLinked()
{
    return VFiles.Request != nullptr;
}

void ClearHooks()
{
    Parser = ParserHooks{};
    Index = IndexHooks{};
    Memo = MemoHooks{};
    VFiles = VFileHooks{};
}

} // namespace kt4::dbase
