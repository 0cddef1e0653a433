// The STL writer: a triangulated surface from the two-dimensional drawing
// calls. A line is a vertical wall between the z levels CadZ1 and CadZ2, a
// filled quadrilateral four walls, a text a row of stick characters built
// from walls, and a cone the band between two circles at the two levels.
// The file is binary STL, or ASCII STL when StlFileType is 1.
//
// Facets are written as they are made, so memory stays small whatever the
// drawing; the binary file's facet count is filled in at Close. A target
// written directly (a device) cannot be patched: it gets the whole file at
// Close, count first. A file that would grow beyond the writer's size
// limit is not written, nor one whose write failed (a full disk): the
// writer stops at once and drops its temporary, Close fails and the older
// file stays.
//
// Every vertex is rounded to 7 significant digits (what the ASCII file
// shows) and to single precision (what the binary file holds), so both
// forms carry the same facets. A facet of no area after that rounding is
// left out; every normal follows from the vertex order as written
// (right-hand rule), also after StlInvert has swapped the second and third
// vertex.
#pragma once

#include "foundation/atomic_file.h"
#include "foundation/types.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kt4::cad {

// X rounded to 7 significant digits, as both forms hold every number (0
// for what is not finite).
double StlRound7(double X);

// A number as the ASCII file writes it: 7 significant digits, at least two
// exponent digits ("1.250000E+01").
std::string StlNum(Real X);

class StlWriter {
public:
    // The largest file the writer makes by default, in bytes: 2 GiB, about
    // 43 million binary facets (what 32-bit readers take).
    static constexpr std::int64_t MaxFileSize = std::int64_t(1) << 31;

    explicit StlWriter(std::int64_t SizeLimit = MaxFileSize) : sizeLimit_(SizeLimit) {}

    // Starts the file; false when it cannot be created.
    bool Open(const std::string& Path, const std::string& SolidName);
    // False when a write failed or the file grew too large; the target is
    // then unchanged.
    bool Close();
    void Discard();
    const AtomicWriter& File() const { return file_; }
    // True once the facets would make the file larger than the size
    // limit.
    bool TooLarge() const { return tooLarge_; }
    // True once the file is given up: too large, or a write failed (File()
    // tells why). Nothing more is made or written.
    bool Failed() const { return tooLarge_ || failed_; }

    void Facet(Real X1, Real Y1, Real Z1, Real X2, Real Y2, Real Z2, Real X3, Real Y3, Real Z3);
    // The wall of a segment between CadZ1 and CadZ2, facing to the right
    // of the drawing direction: out of the material of a counter-clockwise
    // outline and into a clockwise hole.
    void Wall(Real X1, Real Y1, Real X2, Real Y2);
    void Solid(Real X1, Real Y1, Real X2, Real Y2, Real X3, Real Y3, Real X4, Real Y4);
    // The surface between the circle of radius R1 at CadZ1 and the circle
    // of radius R2 at CadZ2 about (XC, YC). Each circle has its own number
    // of points; reversed runs clockwise (normals away from the axis).
    void Cone(bool Reversed, Real XC, Real YC, Real R1, Real R2);
    // Stick characters at the current text height and width factor.
    void Text(const std::string& S, Real X, Real Y);

private:
    // Normal and three vertices, as written.
    using Record = std::array<float, 12>;

    // The wall of a segment facing to the left of the drawing direction.
    void LeftWall(Real X1, Real Y1, Real X2, Real Y2);
    // A facet of vertices as written: turned when StlInvert, its normal
    // from the vertex order; left out when it has no area.
    void Add(Record F);
    void Bar(Real X, Real Y, Real AngleDeg, Real Length, Real Thickness);
    void Char(char C, Real X, Real Y);
    // Hands the bytes made so far to the file; a failed write gives the
    // file up.
    void Flush();

    std::int64_t sizeLimit_;
    AtomicWriter file_;
    bool ascii_ = false;
    bool direct_ = false;   // the target is written directly: the count goes first
    bool tooLarge_ = false;
    bool failed_ = false;
    std::string solid_;
    std::string out_;       // bytes not yet handed to the file
    std::int64_t size_ = 0; // bytes of the file so far
    std::int64_t flushed_ = 0;
    std::uint32_t count_ = 0;
};

} // namespace kt4::cad
