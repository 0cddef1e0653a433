// The base of the devices without blocks of their own (screen, STL,
// STEP). Between c_block and c_endblock the block's primitives go as DXF
// (at scale 1 with 6 decimals, whatever the DXF files' settings say) into
// the block file "$name.dx$" in the process's private folder; an
// insert outside the blocks section replays that file through the block
// reader, which draws its entities through the c_ operations again (the
// file parsed once while the program does not write it anew). A
// derived device overrides the ...Output calls (its own file or window)
// and the Draw... calls: what it does with a primitive outside the blocks
// section.
//
// A block file that cannot be written is no error by itself: the job
// fails (and says why its file was not written) only when the drawing
// inserts that block.
#pragma once

#include "cad/cad_device.h"
#include "cad/dxf_writer.h"

#include <map>
#include <set>
#include <string>

namespace kt4::cad {

class TBlockFileDevice : public TCadDevice {
public:
    // Empties the block folder (block files of an earlier job), then
    // OpenOutput.
    bool Open() final;
    // A block file left open is dropped; then CloseOutput or
    // DiscardOutput.
    bool Close() final;
    void Discard() final;
    // True once an insert needed a block whose file was not written, or
    // its replay failed.
    bool Failed() const final { return failed_; }
    // Why that block file was not written, else why the output failed.
    std::string FailureText() const final { return failed_ ? fault_ : OutputFailureText(); }
    // Opens the block file; a name that cannot be a file, or a file that
    // cannot be created, is noted for the inserts of that block.
    void Block(const std::string& name) override;
    // Closes the block file when one is open.
    void EndBlock() override;
    // True while a block file is being written.
    bool WritingBlock() const { return block_.IsOpen(); }

    void Line(Real x1, Real y1, Real x2, Real y2) override;
    void Circle(Real x, Real y, Real r, bool clockwise) override;
    void Arc(Real x, Real y, Real a1, Real a2, Real r) override;
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override;
    void Text(Real x, Real y, const std::string& s) override;
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override;
    // Inside the blocks section an INSERT into the block file; outside a
    // replay of the block with a fresh transform.
    void Insert(const std::string& name, Real x, Real y, Real angle, Real sx, Real sy) override;
    // Inside the blocks section the layer name of the block file.
    void SetLayer(int n) override;

protected:
    // The device's own output, as TCadDevice's Open, Close and Discard.
    virtual bool OpenOutput() { return true; }
    virtual bool CloseOutput() { return true; }
    virtual void DiscardOutput() {}
    virtual std::string OutputFailureText() const { return {}; }

    virtual void DrawLine(Real /*x1*/, Real /*y1*/, Real /*x2*/, Real /*y2*/) {}
    virtual void DrawCircle(Real /*x*/, Real /*y*/, Real /*r*/, bool /*clockwise*/) {}
    virtual void DrawArc(Real /*x*/, Real /*y*/, Real /*a1*/, Real /*a2*/, Real /*r*/) {}
    virtual void DrawArcDir(Real /*x*/, Real /*y*/, Real /*a1*/, Real /*a2*/, Real /*r*/,
                            Real /*sweep*/) {}
    virtual void DrawText(Real /*x*/, Real /*y*/, const std::string& /*s*/) {}
    virtual void DrawSolid(Real /*x1*/, Real /*y1*/, Real /*x2*/, Real /*y2*/, Real /*x3*/,
                           Real /*y3*/, Real /*x4*/, Real /*y4*/) {}
    virtual void DrawSetLayer(int /*n*/) {}
    // True while primitives go into the block file.
    bool InBlock() const;

private:
    // Ends the open block file; a failed write is noted for its inserts.
    void FinishBlock();
    void Fault(const std::string& text);
    // The message of a block file that was not written, by its cause
    // (Code, the system's errno): of the file the job writes for the user,
    // whose block files are private temporaries; of BlockPath itself where
    // the job writes no file (the screen).
    std::string BlockFailureText(int Code, int SysErr, const std::string& BlockPath) const;

    DxfWriter block_{true};
    // Blocks by their names in upper case, as inserts find them.
    std::string current_;                          // the block being defined
    std::set<std::string> written_;                // blocks whose files are whole
    std::map<std::string, std::string> unwritten_; // block -> why its file is not
    bool failed_ = false;
    std::string fault_;
};

// The block file of a block name in the private folder ("" when the name
// cannot be a file name: empty, "/" or a control character in it).
std::string BlockFilePath(const std::string& name);

} // namespace kt4::cad
