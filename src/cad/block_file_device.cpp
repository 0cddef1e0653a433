#include "cad/block_file_device.h"

#include "cad/block_reader.h"
#include "cad/cad_settings.h"
#include "foundation/dialogs.h"
#include "foundation/linefile.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

namespace kt4::cad {

std::string BlockFilePath(const std::string& name)
{
    if (name.empty())
        return {};
    for (unsigned char c : name)
        if (c == '/' || c < 0x20 || c == 0x7F)
            return {};
    std::string dir = PrivateTempSubdir("blocks");
    return dir.empty() ? std::string() : dir + "$" + name + ".dx$";
}

bool TBlockFileDevice::InBlock() const { return CadInBlocks; }

bool TBlockFileDevice::Open()
{
    EmptyPrivateTempSubdir("blocks");
    return OpenOutput();
}

bool TBlockFileDevice::Close()
{
    block_.Discard();
    return CloseOutput();
}

void TBlockFileDevice::Discard()
{
    block_.Discard();
    DiscardOutput();
}

void TBlockFileDevice::Block(const std::string& name)
{
    if (block_.IsOpen())
        block_.Close();
    createFailed_ = false;
    std::string path = BlockFilePath(name);
    if (path.empty() || !block_.Open(path)) {
        createFailed_ = true;
        ErrorBox(IoErrorText(IoWriteFailed));
        settings::AbortFlag = true;
    }
}

void TBlockFileDevice::EndBlock()
{
    if (createFailed_) {
        // one block that could not be written does not stop the drawing
        createFailed_ = false;
        settings::AbortFlag = false;
        return;
    }
    if (block_.IsOpen() && !block_.Close()) {
        ErrorBox(IoErrorText(IoWriteFailed));
        settings::AbortFlag = true;
    }
}

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
    CadBlockLevel = 0;
    CadInsBaseX = CadInsBaseY = CadInsRotation = 0;
    CadInsScaleX = CadInsScaleY = 1;
    ReplayDxfBlock(name, x, y, angle, sx, sy);
}

void TBlockFileDevice::SetLayer(int n)
{
    if (InBlock())
        DxfSetLayer(n);
    else
        DrawSetLayer(n);
}

} // namespace kt4::cad
