// The output devices of the CAD layer. A CAD job (c_begin .. c_end, see
// cad_output.h) draws through exactly one device, chosen by CadMode: the
// c_ operations do what every device shares (current point, text state,
// layer number, polyline decomposition, checks of their arguments) and
// hand each primitive to the device at once; there is no entity model.
//
// One class per format derives from TCadDevice and overrides what it
// writes; an operation it does not override writes nothing. Devices that
// have no blocks of their own (screen, STL, STEP) derive from
// TBlockFileDevice (block_file_device.h), which keeps block definitions
// in block files and replays them at every insert.
//
// A file device writes through a LineFile of its own (so a block file can
// be open while the job's file is): the file replaces its target only
// when the job ends with nothing failed (its own writes, a block file the
// drawing inserts, a coordinate that is no usable number).
#pragma once

#include "foundation/types.h"

#include <functional>
#include <memory>
#include <string>

namespace kt4::cad {

// The values of CadMode.
inline constexpr Word cmDxf = 1;
inline constexpr Word cmIges = 2;
inline constexpr Word cmScreen = 3;
inline constexpr Word cmPlot = 4;
inline constexpr Word cmTxt = 5;
inline constexpr Word cmStl = 6;
inline constexpr Word cmStep = 7;

class TCadDevice {
public:
    virtual ~TCadDevice() = default;

    // --- the job ---
    // The extension of the user's output file ("dxf"); empty when the
    // device writes no file of the user's choice (screen, plot).
    virtual std::string Extension() const { return {}; }
    // Starts the output (CadFileName is set for file devices). False when
    // nothing can be written; the device has told the user.
    virtual bool Open() { return true; }
    // Ends the output and puts the file in place. False when that failed
    // (told already); the old file is then unchanged.
    virtual bool Close() { return true; }
    // Ends the output without touching the target.
    virtual void Discard() {}
    // True after a failed write: the job writes nothing more.
    virtual bool Failed() const { return false; }
    // Why the output failed (WriteFailureText of its file), for Open,
    // Close and Failed; "" when that was told already.
    virtual std::string FailureText() const { return {}; }
    // True when the format carries nothing of what was drawn (a STEP of
    // circles and texts only): the job then writes no file.
    virtual bool Blank() const { return false; }

    // --- sections (the layer keeps CadInBlocks itself) ---
    virtual void Header(Real /*x0*/, Real /*y0*/, Real /*x1*/, Real /*y1*/, Real /*height*/) {}
    virtual void Tables(Word /*kind*/) {}
    virtual void Blocks() {}
    virtual void Block(const std::string& /*name*/) {}
    virtual void EndBlock() {}
    virtual void EndBlocks() {}
    virtual void Entities() {}
    // False while the entity pass has to run once more.
    virtual bool PassDone() { return true; }

    // --- primitives (world millimetres, degrees) ---
    virtual void Line(Real /*x1*/, Real /*y1*/, Real /*x2*/, Real /*y2*/) {}
    virtual void Circle(Real /*x*/, Real /*y*/, Real /*r*/, bool /*clockwise*/) {}
    // Counter-clockwise from a1 to a2.
    virtual void Arc(Real /*x*/, Real /*y*/, Real /*a1*/, Real /*a2*/, Real /*r*/) {}
    // From a1 to a2 with the signed included angle sweep (negative:
    // clockwise).
    virtual void ArcDir(Real /*x*/, Real /*y*/, Real /*a1*/, Real /*a2*/, Real /*r*/, Real /*sweep*/) {}
    // s is a stored (OEM) text, already moved by the justification.
    virtual void Text(Real /*x*/, Real /*y*/, const std::string& /*s*/) {}
    virtual void Solid(Real /*x1*/, Real /*y1*/, Real /*x2*/, Real /*y2*/, Real /*x3*/, Real /*y3*/, Real /*x4*/, Real /*y4*/) {}
    virtual void Insert(const std::string& /*name*/, Real /*x*/, Real /*y*/, Real /*angle*/, Real /*sx*/, Real /*sy*/) {}
    // n is 0..31 (CadLayer is already set).
    virtual void SetLayer(int /*n*/) {}
    virtual void SetLineStyle(int /*n*/) {}
    // The text style as c_settextstyle was given it (after the angle rule).
    virtual void SetTextStyle(Integer /*font*/, Real /*angle*/, Real /*height*/, Real /*width*/) {}
    virtual void Sleep(Integer /*ms*/) {}

    // --- polylines and cones ---
    // True when polylines go out as one entity with bulges; otherwise the
    // layer decomposes them into lines and arcs.
    virtual bool NativePolylines() const { return false; }
    virtual void PolylineBegin(int /*closed*/) {}
    virtual void Vertex(Real /*x*/, Real /*y*/, Real /*bulge*/) {}
    virtual void PolylineEnd() {}
    // True when the device drew the cone itself; otherwise the layer draws
    // its two circles.
    virtual bool Cone(bool /*reversed*/, Real /*x*/, Real /*y*/, Real /*r1*/, Real /*r2*/) { return false; }
};

using TCadDeviceFactory = std::function<std::unique_ptr<TCadDevice>()>;

// Adds (or replaces) the device of a mode. The seven modes of this layer
// are there from the start.
void RegisterCadDevice(Word mode, TCadDeviceFactory factory);
bool CadDeviceRegistered(Word mode);

} // namespace kt4::cad
