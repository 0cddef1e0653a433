// The IGES writer: an IGES file in the fixed 80-column ASCII form with its
// Start, Global, Directory Entry, Parameter Data and Terminate sections.
// Lines (110), arcs and circles (100), filled quadrilaterals (106 form
// 11), texts (212), block definitions (308) and block instances (408, with
// a transformation matrix 124 when turned or mirrored). Units are
// millimetres; coordinates are two-dimensional with Z = 0.0.
//
// A block's calls are kept until it is inserted. Its definition is written
// at its first insert at each scale, with the members drawn at that scale
// and flagged as dependent, so every instance has scale 1 (the form common
// readers transfer), and a block never inserted leaves nothing in the file.
// A block inserted inside another block is defined at the product of both
// scales.
//
// The sections are held in memory and written at Close, so a failed job
// leaves no file and an older file stays.
//
// Numbers: coordinates with 4 decimals, matrix terms with 6, text angles
// (radians) with 6, always with a point. Texts and block names are
// written by CadText (Windows text by default) with control characters as
// blanks; Hollerith counts count the bytes written.
#pragma once

#include "foundation/linefile.h"
#include "foundation/types.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace kt4::cad {

// A coordinate as IGES writes it: 4 decimals and a point ("12.5000").
std::string IgesNum(Real X);
// "nH" and the text.
std::string IgesHollerith(const std::string& S);
// The IGES colour (0..8) of a CAD colour: the hue of the screen palette;
// colours from 16 up count modulo 16.
int IgesColorOf(Integer CadColor);

class IgesWriter {
public:
    // Starts the file; false when it cannot be created.
    bool Open(const std::string& Path);
    // Writes every section and puts the file in place; false after a
    // failed write (the old file is then unchanged).
    bool Close();
    void Discard() { file_.Discard(); }
    const LineFile& File() const { return file_; }

    // Start and Global sections; starts the file's counters and blocks.
    // Name is the file name (UTF-8) without folder and extension.
    void Header(const std::string& Name, Real MaxCoord);
    // Colour, level and line font of the following entities.
    void Layer(int N);

    void Line(Real X1, Real Y1, Real X2, Real Y2);
    // Counter-clockwise about (XC, YC) from the start to the end point.
    void Arc(Real XC, Real YC, Real XS, Real YS, Real XE, Real YE);
    void Circle(Real X, Real Y, Real R);
    void Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4);
    // S is a stored text; the text state of the CAD layer gives height,
    // width factor and angle.
    void Text(const std::string& S, Real X, Real Y);

    void Block(const std::string& Name);
    void EndBlock();
    // An instance of a block of this file (names compared whatever their
    // case); an unknown name adds "Blockname ... not found !" and writes
    // nothing. The scale is |SX|; the signs mirror or turn the instance.
    void Insert(const std::string& Name, Real X, Real Y, Real Angle, Real SX, Real SY);

private:
    // One parameter with its delimiter; a Hollerith text may be broken
    // across lines, any other parameter stays whole.
    struct Param {
        std::string text;
        bool hollerith = false;
    };
    using Params = std::vector<Param>;

    // One drawing call with the colour and line font it was made with.
    struct Call {
        enum class Kind { Line, Circle, Arc, Solid, Text, Insert } kind = Kind::Line;
        int color = 0, lineFont = 1;
        std::array<Real, 8> v{}; // points as (x, y) pairs; Circle: x, y, r
        // Text: height, width factor, angle; Insert: angle, sx, sy
        Real a = 0, b = 0, c = 0;
        std::string text; // Text
        std::size_t block = 0; // Insert: the index of the block
    };

    struct Defined {
        std::string name;        // as written
        std::string key;         // upper case, for the look-up
        std::vector<Call> calls; // its contents, unscaled
        int depth = 0;           // nesting depth of its subfigures
        int color = 0, lineFont = 1; // of its 308
        std::vector<std::pair<std::string, int>> written; // scale as written, DE of its 308
    };

    // A call of this kind at the current colour and line font.
    Call NewCall(Call::Kind Kind, const std::array<Real, 8>& V) const;
    // Draws the call, or keeps it while a block is open.
    void Draw(const Call& C);
    // Writes the call's entities with every length multiplied by Scale.
    void Write(const Call& C, Real Scale);
    void WriteLine(Real X1, Real Y1, Real X2, Real Y2);
    void WriteArc(Real XC, Real YC, Real XS, Real YS, Real XE, Real YE);
    void WriteSolid(const std::array<Real, 8>& V);
    void WriteText(const std::string& S, Real X, Real Y, Real Height, Real Width, Real Angle);
    void WriteInsert(std::size_t Block, Real X, Real Y, Real Angle, Real SX, Real SY);
    // The directory entry of the block's 308 at this scale; written first
    // when there is none yet.
    int Definition(std::size_t Block, Real Scale);

    // Starts an entity: its directory-entry number.
    int BeginEntity();
    // P lines of one call, at most 64 columns each, broken only between
    // parameters (or inside a Hollerith text that does not fit).
    void WriteParam(const Params& P, int De);
    void DirLines(int Type, const std::string& Matrix, const std::string& Status,
                  const std::string& Form, const std::string& Label);
    // The entity's directory entry; a dependent member of the definition
    // being written, if any.
    void EndEntity(int Type, int De, const std::string& Matrix, const std::string& Form);
    static std::string Record(const std::string& Data, const std::string& Pointer, char Letter,
                              int Seq);
    // The index of the block, or blocks_.size() when there is none.
    std::size_t FindBlock(const std::string& Name) const;

    LineFile file_;
    std::vector<std::string> start_, global_, dir_, param_;
    int deNumber_ = -1;
    int paramPointer_ = 1;
    int paramLines_ = 0;
    int color_ = 0;
    int lineFont_ = 1;
    bool inBlock_ = false;  // a block is open: calls are kept
    bool defining_ = false; // a definition's members are being written
    Defined open_;          // the open block
    std::vector<int> members_;
    std::vector<Defined> blocks_;
};

} // namespace kt4::cad
