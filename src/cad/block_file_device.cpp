#include "cad/block_file_device.h"

#include "cad/block_cache.h"
#include "cad/block_reader.h"
#include "cad/cad_settings.h"
#include "foundation/linefile.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <cerrno>

namespace kt4::cad {

namespace {

bool BlockNameIsFileName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (c == '/' || c < 0x20 || c == 0x7F)
            return false;
    return true;
}

std::string BlockFileName(const std::string& name) { return "$" + name + ".dx$"; }

// Drops what was parsed of the block folder's files.
void ForgetPrivateBlockFiles()
{
    if (PrivateTempDirExists())
        ForgetBlockFilesIn(PrivateTempDir() + "blocks/");
}

} // namespace

std::string BlockFilePath(const std::string& name)
{
    if (!BlockNameIsFileName(name))
        return {};
    std::string dir = PrivateTempSubdir("blocks");
    return dir.empty() ? std::string() : dir + BlockFileName(name);
}

bool TBlockFileDevice::InBlock() const { return CadInBlocks; }

bool TBlockFileDevice::Open()
{
    EmptyPrivateTempSubdir("blocks");
    ForgetPrivateBlockFiles();
    return OpenOutput();
}

bool TBlockFileDevice::Close()
{
    block_.Discard();
    ForgetPrivateBlockFiles();
    return CloseOutput();
}

void TBlockFileDevice::Discard()
{
    block_.Discard();
    ForgetPrivateBlockFiles();
    DiscardOutput();
}

std::string TBlockFileDevice::BlockFailureText(int Code, int SysErr, const std::string& BlockPath) const
{
    return Extension().empty() ? WriteFailureText(Code, SysErr, BlockPath)
                               : TempFileFailureText(Code, SysErr, CadFileName);
}

void TBlockFileDevice::Fault(const std::string& text)
{
    if (!failed_)
        fault_ = text;
    failed_ = true;
}

void TBlockFileDevice::FinishBlock()
{
    if (!block_.IsOpen())
        return;
    const bool closed = block_.Close();
    ForgetBlockFile(current_); // written anew, or perhaps half
    if (closed) {
        written_.insert(current_);
        return;
    }
    unwritten_[current_] = BlockFailureText(block_.IoError(), block_.SysError(), block_.Path());
    settings::AbortFlag = false;
}

void TBlockFileDevice::Block(const std::string& name)
{
    FinishBlock();
    ForgetBlockFile(name);
    current_ = UpperStr(name);
    written_.erase(current_);
    unwritten_.erase(current_);
    if (!BlockNameIsFileName(name)) {
        unwritten_[current_] = BlockFailureText(IoAccessDenied, EINVAL, BlockFileName(name));
        return;
    }
    if (PrivateTempDir().empty()) {
        unwritten_[current_] = TempFolderFailureText(Extension().empty() ? "" : CadFileName);
        return;
    }
    errno = 0;
    const std::string dir = PrivateTempSubdir("blocks");
    if (dir.empty()) {
        unwritten_[current_] = BlockFailureText(IoAccessDenied, errno != 0 ? errno : EIO, PrivateTempDir() + "blocks");
        return;
    }
    const std::string path = dir + BlockFileName(name);
    if (!block_.Open(path)) {
        unwritten_[current_] = BlockFailureText(block_.IoError(), block_.SysError(), path);
        settings::AbortFlag = false;
    }
}

void TBlockFileDevice::EndBlock() { FinishBlock(); }

void TBlockFileDevice::Line(Real x1, Real y1, Real x2, Real y2)
{
    if (!InBlock())
        DrawLine(x1, y1, x2, y2);
    else if (WritingBlock())
        block_.Line(x1, y1, x2, y2);
}

void TBlockFileDevice::Circle(Real x, Real y, Real r, bool clockwise)
{
    if (!InBlock())
        DrawCircle(x, y, r, clockwise);
    else if (WritingBlock())
        block_.Circle(x, y, r);
}

void TBlockFileDevice::Arc(Real x, Real y, Real a1, Real a2, Real r)
{
    if (!InBlock())
        DrawArc(x, y, a1, a2, r);
    else if (WritingBlock())
        block_.Arc(x, y, a1, a2, r, 0);
}

void TBlockFileDevice::ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep)
{
    if (!InBlock())
        DrawArcDir(x, y, a1, a2, r, sweep);
    else if (WritingBlock())
        block_.Arc(x, y, a1, a2, r, sweep);
}

void TBlockFileDevice::Text(Real x, Real y, const std::string& s)
{
    if (!InBlock())
        DrawText(x, y, s);
    else if (WritingBlock())
        block_.Text(s, x, y);
}

void TBlockFileDevice::Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4)
{
    if (!InBlock())
        DrawSolid(x1, y1, x2, y2, x3, y3, x4, y4);
    else if (WritingBlock())
        block_.Solid(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBlockFileDevice::Insert(const std::string& name, Real x, Real y, Real angle, Real sx, Real sy)
{
    if (InBlock()) {
        if (WritingBlock())
            block_.Insert(name, x, y, angle, sx, sy);
        return;
    }
    const std::string key = UpperStr(name);
    auto missing = unwritten_.find(key);
    if (missing != unwritten_.end()) {
        Fault(missing->second);
        return;
    }
    CadBlockLevel = 0;
    CadInsBaseX = CadInsBaseY = CadInsRotation = 0;
    CadInsScaleX = CadInsScaleY = 1;
    const bool before = settings::AbortFlag;
    settings::AbortFlag = false;
    ReplayDxfBlock(name, x, y, angle, sx, sy);
    // a block of this job that did not replay whole: the reader has told
    // why, unless its file has gone since
    if (settings::AbortFlag && written_.count(key) > 0)
        Fault(FindBlockFile(name).empty() ? BlockFailureText(IoFileNotFound, ENOENT, BlockFilePath(name))
                                          : std::string());
    settings::AbortFlag = settings::AbortFlag || before;
}

void TBlockFileDevice::SetLayer(int n)
{
    if (InBlock())
        DxfSetLayer(n);
    else
        DrawSetLayer(n);
}

} // namespace kt4::cad
