// The DXF writer: group pairs of an ASCII DXF file (R12), written at once
// into a LineFile of its own. It makes three kinds of file: the DXF file
// of a job, the plot program's DXF file and the block files of the
// devices without blocks of their own (entities only, then EOF).
//
// Numbers: coordinates, radii and heights are multiplied by CadScale and
// written with CadDecimals decimals and a point; angles, scale factors
// and bulges the same way without CadScale. A block file, which the block
// reader replays as it stands, has its numbers at scale 1 with 6 decimals
// whatever those settings say. Texts and names have their control
// characters replaced by blanks. Lines end with CR LF.
#pragma once

#include "foundation/linefile.h"
#include "foundation/types.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace kt4::cad {

// FixedStrPoint's text (the same rounding), quicker for the values that
// drawings have; for the numbers of every CAD writer.
std::string CadFixed(Real V, int IntDigits, int Decs);
// A number as DXF writes it; Scaled applies CadScale. Leading blanks up
// to the integer digits of the unscaled value; never "nan" or "inf".
std::string DxfNumber(Real X, bool Scaled);
// The layer name of layer n (0..31) under the current colour scheme;
// sets DxfLayerName. An empty configured name is written as the number.
std::string DxfSetLayer(int n);
// tan(angle / 4): the bulge of a polyline segment with the included angle
// (radians).
Real DxfBulge(Real angle);
// A number of the tab-separated text file; Scaled applies CadScale.
std::string TxtNum(Real X, bool Scaled);
// S with every control character replaced by a blank (Keep: one control
// character that stays).
std::string BlankControls(const std::string& S, char Keep = 0);

class DxfWriter {
public:
    // A block file keeps texts as stored and writes the direction of an
    // arc (group 230) for the block reader; a drawing file writes every
    // arc counter-clockwise and texts by CadTextMode.
    explicit DxfWriter(bool BlockFile)
        : blockFile_(BlockFile), buf_(std::make_unique_for_overwrite<char[]>(FlushSize + Slack))
    {
    }

    // Starts the file; false (and AbortFlag) when it cannot be created.
    bool Open(const std::string& Path);
    // Writes "0 EOF" and puts the file in place; false after any failed
    // write (the old file is then unchanged).
    bool Close();
    void Discard();
    bool IsOpen() const { return file_.IsOpen(); }
    bool Failed() const { return failed_; }
    int IoError() const { return file_.IoError(); }
    int SysError() const { return file_.SysError(); }
    // The message of the failed write (WriteFailureText).
    std::string FailureText() const { return file_.FailureText(); }
    const std::string& Path() const { return file_.Path(); }

    // Group code right-aligned in three characters, then the value line.
    void Pair(int Code, std::string_view Value);
    // DxfNumber(X, true) and DxfNumber(X, false) as the value.
    void Number(int Code, Real X) { NumberPair(Code, X, true); }
    void Plain(int Code, Real X) { NumberPair(Code, X, false); }

    void Header(Real XMin, Real YMin, Real XMax, Real YMax);
    void Tables(Word Kind);
    void Blocks();
    void Block(const std::string& Name);
    void EndBlk();
    void EndSec();
    void Entities();

    void Line(Real X1, Real Y1, Real X2, Real Y2);
    void Circle(Real X, Real Y, Real R);
    void Arc(Real X, Real Y, Real A1, Real A2, Real R, Real Dir);
    void Text(const std::string& S, Real X, Real Y);
    void Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4);
    void Insert(const std::string& Name, Real X, Real Y, Real Angle, Real SX, Real SY);
    void Polyline(int Flag);
    void Vertex(Real X, Real Y, Real Bulge);
    void SeqEnd();

private:
    void Entity(const char* Name);
    // Lines gather in buf_, which goes to the file in pieces of about
    // FlushSize bytes and at Close. Room gives N <= Slack free bytes
    // there; Put copies any length, Blanked with control characters as
    // blanks.
    char* Room(std::size_t N);
    void Put(const char* S, std::size_t N, bool Blanked = false);
    void Raw(const char* Line);
    void Code(int Code);
    void NumberPair(int Code, Real X, bool Scaled);
    void EndLine();
    void Flush();
    void LayerTable(Word Kind);
    // The text of a text's width (K 0), angle (1) or slant (2): the last
    // one again while that value stays.
    const std::string& StyleNumber(int K, Real X);

    LineFile file_;
    bool blockFile_;
    bool failed_ = false;
    static constexpr std::size_t FlushSize = 1 << 16;
    static constexpr std::size_t Slack = 4096;
    std::unique_ptr<char[]> buf_;
    std::size_t len_ = 0;
    struct StyleText {
        Real value = 0;
        std::string text;
        bool known = false;
    };
    std::array<StyleText, 3> style_{};
    // Blocks defined in this file, by upper-case name: an insert names
    // its block as it was defined, whatever the case it was given in.
    std::map<std::string, std::string> blockNames_;
};

} // namespace kt4::cad
