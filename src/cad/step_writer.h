// The STEP writer: an ISO 10303-21 exchange file with the schema
// AUTOMOTIVE_DESIGN (AP214). Every line of the drawing becomes a trimmed
// line in a geometric curve set; a fixed product structure holds them:
// an assembly "ASSEMBLY" with one component named after the file.
//
// The drawing's first entity pass makes the whole data section, which is
// held in memory and written at Close, when the list of curve sets and
// the number of the closing context are known. The second entity pass
// (the drawings run two for STEP) writes nothing.
//
// Only lines reach the file; a line of no length as written is left out.
// Names are encoded by ISO 10303-21, so the file is 7-bit ASCII.
#pragma once

#include "foundation/linefile.h"
#include "foundation/types.h"

#include <string>

namespace kt4::cad {

// x in exponent form with 6 significant digits and at least 3 exponent
// digits: 100 is 1.00000E+002, 0 is 0.00000E+000.
std::string StepNum(Real X);
// A UTF-8 text as the contents of a STEP string: ' doubled, \ doubled,
// characters outside 0x20-0x7E as \X2\hhhh\X0\ (\X4\hhhhhhhh\X0\ above
// U+FFFF), control characters as blanks.
std::string StepString(const std::string& Utf8);

class StepWriter {
public:
    bool Open(const std::string& Path);
    // Writes the file and puts it in place; false after a failed write.
    bool Close();
    void Discard() { file_.Discard(); }
    const LineFile& File() const { return file_; }
    // The lines written so far: a file without any draws nothing.
    int Lines() const { return lines_; }

    // The header section for the file (its UTF-8 path); starts a file.
    void Header(const std::string& FileName);
    // The start of an entity pass: the product skeleton in the first.
    void Entities();
    void Line(Real X1, Real Y1, Real X2, Real Y2);
    // False after the first entity pass (run it again), then True.
    bool PassDone();

private:
    // Appends the line "#n = text" and returns n.
    int Entity(const std::string& Text);
    // Appends "#n = " of the next entity.
    void BeginEntity();
    void AddRef(int N);
    void Skeleton();
    void Closing();

    LineFile file_;
    std::string fileName_;
    std::string header_, data_;     // lines with their CR LF
    int count_ = 0;
    bool skeleton_ = false;
    bool secondPass_ = false;
    int lines_ = 0;
    std::string items_;            // ",#26,#34": the curve sets
    std::size_t shapeAt_ = 0;      // where the lines' shape representation goes
    int shapeRep_ = 0;
    int firstSet_ = 0;
};

} // namespace kt4::cad
