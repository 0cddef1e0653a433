// The line layout of the project data file: the drive values in file order,
// the 57-line bearing record, and a snapshot of everything the file holds,
// so that a file is read into a scratch copy first and reaches the globals
// only when it was read whole.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace kt4::project {

// Lines of one bearing record, and of a whole file.
constexpr int BearingRecordLines = 57;
constexpr int DataFileLines = 339;

// Everything the project data file holds.
struct ProjectState {
    std::array<std::string, 3> remarks;
    std::string zeichNr, zeichName, zeichName2;
    std::vector<std::variant<Real, Integer>> drive; // in file order
    Array1<WaelzLagerTyp, BearingSlotCount> slots;
};

// The present globals.
ProjectState CaptureProject();
// Puts State into the globals as the project just read. Every drive value
// the file does not carry (the results, the ratio, the bores of the
// shafts, the third entries of P, n and T) takes its start value first, so
// what follows depends on State alone, whatever was open before.
void CommitProject(const ProjectState& State);

// Writes the file's lines (after the seven-line header) to ReportFile.
void WriteProjectBody(const ProjectState& State);
// The remark lines and the lines WriteProjectBody writes, each ending with
// "\n", formatted as the file holds them: two states with the same text
// are saved alike (a NaN result included).
std::string ProjectText(const ProjectState& State);

// Reads values one line each from ReportFile, counting lines whose number
// cannot be read (they give 0).
class LineReader {
public:
    bool Text(std::string& S);
    void Number(Real& X);
    void Number(Integer& N);
    void Number(Word& W);
    void Flag(bool& B);
    void Skip(int Lines);

    bool Failed() const { return failed_; }   // the file ended or a read failed
    int BadNumbers() const { return bad_; }
    int FirstBadLine() const { return firstBad_; }
    int LinesRead() const { return line_; }

private:
    bool Next(std::string& S);
    void Bad();

    bool failed_ = false;
    int bad_ = 0;
    int firstBad_ = 0;
    int line_ = 0;
};

// Reads the file's lines after the header block's first four lines into
// State. Each slot starts as a fresh one, so the bearing fields the file
// does not carry (Z, Rows, Dw) take a fresh slot's values.
void ReadProjectBody(LineReader& In, ProjectState& State);

// One bearing record; Label is the number after "Lager ".
void WriteBearingRecord(const WaelzLagerTyp& B, Word Label);
// Lines 1-48 of the record.
void WriteBearingMain(const WaelzLagerTyp& B, Word Label);
// LifeMethod, Cleanliness, eC, aISO, Cu.
void WriteBearingLife(const WaelzLagerTyp& B);
// Z, Rows, Dw (the shaft-program file).
void WriteBearingElements(const WaelzLagerTyp& B);
void ReadBearingRecord(LineReader& In, WaelzLagerTyp& B);

// The same on the drive's slot 1..5.
void WriteBearingRecord(Word Slot);
void WriteBearingMain(Word Slot);
void WriteBearingLife(Word Slot);
void WriteBearingElements(Word Slot);

} // namespace kt4::project
