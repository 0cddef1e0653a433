// The display list of the graphics window: one text record per drawing
// call, replayed on every paint. A record is the opcode in decimal, then
// its fields, each preceded by ";". Reals carry 8 significant digits with
// "." as decimal point (the reader also accepts ","); a text field is
// always last and runs to the end of the record, so it may hold ";".
#pragma once

#include "foundation/types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kt4::graphics {

enum class TDisplayOp : int {
    doMoveTo = 1,     // x;y;
    doLineTo = 2,     // x;y;
    doCircle = 3,     // x;y;r
    doLine = 4,       // x1;y1;x2;y2
    doArc = 5,        // box x1;y1;x2;y2; start point xs;ys; end point xe;ye
    doText = 6,       // x;y;text
    doSolid = 7,      // four corners of a filled quadrilateral
    doColor = 8,      // n
    doTextStyle = 9,  // height;width;font;angle
    doWindow = 10,    // screen sx0;sy0;sx1;sy1 (integers), world wx0;wy0;wx1;wy1
    doLineStyle = 11, // n
    doLineWidth = 12, // n
    doPause = 13,     // ms
};

using TDisplayLine = std::string;

// A real in the record notation (general format, 8 significant digits).
std::string DisplayNumStr(Real x);

// Record builders
TDisplayLine MakeMoveToRecord(Real x, Real y);
TDisplayLine MakeLineToRecord(Real x, Real y);
TDisplayLine MakeCircleRecord(Real x, Real y, Real r);
TDisplayLine MakeLineRecord(Real x1, Real y1, Real x2, Real y2);
TDisplayLine MakeArcRecord(Real bx1, Real by1, Real bx2, Real by2, Real xs, Real ys, Real xe,
                           Real ye);
TDisplayLine MakeTextRecord(Real x, Real y, std::string_view text);
TDisplayLine MakeSolidRecord(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4,
                             Real y4);
TDisplayLine MakeIntRecord(TDisplayOp op, Integer n); // colour, styles, pause
TDisplayLine MakeTextStyleRecord(Real height, Real width, Integer font, Real angle);
TDisplayLine MakeWindowRecord(Integer sx0, Integer sy0, Integer sx1, Integer sy1, Real wx0,
                              Real wy0, Real wx1, Real wy1);

// One record taken apart for the replay. Numbers that do not parse read
// as 0; an opcode that is no integer reads as 0 (skipped by the replay).
struct DisplayRecord {
    int op = 0;
    double v[8] = {};     // the real fields in record order
    Integer n = 0;        // the integer of ops 8, 11, 12, 13
    std::string_view text; // op 6
};
DisplayRecord ParseDisplayLine(std::string_view line);

// The list itself. Only the window's drawing methods append to it.
class TDisplayList {
public:
    void Add(TDisplayLine line);
    void Clear();
    // The records of From in place of these, as a Clear and the adds would
    // leave them.
    void Replace(const TDisplayList& From);
    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    const TDisplayLine& operator[](std::size_t i) const { return lines_[i]; }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }
    // Number of pause records in the list (the animation's frames).
    std::size_t PauseCount() const { return pauses_; }
    // Grows with every change; lets a view know that its picture is stale.
    std::size_t Generation() const { return generation_; }
    // Grows with every Clear: records before it are gone, not appended to.
    std::size_t Epoch() const { return epoch_; }

private:
    std::vector<TDisplayLine> lines_;
    std::size_t pauses_ = 0;
    std::size_t generation_ = 0;
    std::size_t epoch_ = 0;
};

} // namespace kt4::graphics
