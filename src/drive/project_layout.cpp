#include "drive/project_layout.h"

#include "drive/docu_data.h"
#include "drive/drive_data.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <span>

namespace kt4::project {

namespace {

using namespace kt4::drive;
using B = WaelzLagerTyp;
using DriveRef = std::variant<Real*, Integer*>;

// The drive values in file order, in three blocks: before the bearing
// records 1 to 4, between them and record 5, after record 5.
const std::vector<DriveRef>& DriveBlock(int block)
{
    static const std::vector<DriveRef> blocks[3] = {
        {&dp, &diw, &dH, &bP, &bH, &nz, &dz, &dR, &des, &bs, &dzw, &dlk, &dexz, &n[1], &T[1], &P[1],
         &dHe, &dLkS, &dS, &ns, &bLg1, &bLg45, &deLg1, &deLg4, &cax, &didist, &diLg3, &deLg3, &bLg3,
         &d1, &d2},
        {&n[2], &T[2], &P[2], &nTPMode, &sideMode, &etaproz, &exz},
        {&L1, &L2, &alpha, &KA, &FrShaft[1], &FrShaft[2]},
    };
    return blocks[block];
}

std::size_t DriveValueCount()
{
    return DriveBlock(0).size() + DriveBlock(1).size() + DriveBlock(2).size();
}

// A field of the bearing record: a member, or an entry of Dims.
struct DimsEntry {
    std::size_t k;
};
using BearingField = std::variant<Real B::*, Word B::*, Integer B::*, std::string B::*, bool B::*, DimsEntry>;

// Lines 2 to 48 of the record (line 1 is the label).
const std::vector<BearingField>& MainFields()
{
    static const std::vector<BearingField> fields = {
        &B::Typ, &B::CatRecNo, &B::Designation, &B::C0, &B::C, &B::X, &B::Y, &B::P, &B::P0, &B::L10,
        &B::Frm, &B::FaPerm, &B::D, &B::d, &B::B, &B::B2, &B::rmin, &B::nLimit2, &B::nLimit, &B::nLimit3,
        DimsEntry{1}, DimsEntry{2}, DimsEntry{3}, DimsEntry{4}, DimsEntry{5}, DimsEntry{6}, DimsEntry{7},
        DimsEntry{8}, DimsEntry{9}, &B::e, &B::Y1, &B::Y2, &B::Y0, &B::Mass, &B::Price, &B::CatText,
        &B::S, &B::S0, &B::Fr, &B::nuen, &B::nue1, &B::nueb, &B::theta, &B::kappa, &B::a23,
        &B::Reliability, &B::Lna,
    };
    return fields;
}

const std::vector<BearingField>& LifeFields()
{
    static const std::vector<BearingField> fields = {&B::LifeMethod, &B::Cleanliness, &B::eC, &B::aISO,
                                                     &B::Cu};
    return fields;
}

// Lines 49 and 55 to 57 around the life fields.
const BearingField ClearanceField = &B::Clearance;
const std::vector<BearingField>& TailFields()
{
    static const std::vector<BearingField> fields = {&B::EP, &B::Opt2, &B::Opt1};
    return fields;
}

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>; // clang before 17 deduces no aggregate

// While ProjectText runs, the lines go into this text instead of
// ReportFile, each as the file holds it.
std::string* textOut = nullptr;

void Put(const std::string& Line)
{
    textOut->append(Line);
    textOut->push_back('\n');
}

void WriteValue(Real X) { textOut ? Put(FileRealStr(X)) : WriteReportReal(X); }
void WriteValue(Word W) { textOut ? Put(IntStr(W)) : WriteReportInt(W); }
void WriteValue(Integer N) { textOut ? Put(IntStr(N)) : WriteReportInt(N); }
void WriteValue(const std::string& S) { textOut ? Put(OneLineText(S)) : WriteReportLine(S); }
void WriteValue(bool F) { textOut ? Put(BoolStr(F)) : WriteReportBool(F); }

void ReadValue(LineReader& in, Real& X) { in.Number(X); }
void ReadValue(LineReader& in, Word& W) { in.Number(W); }
void ReadValue(LineReader& in, Integer& N) { in.Number(N); }
void ReadValue(LineReader& in, std::string& S) { in.Text(S); }
void ReadValue(LineReader& in, bool& F) { in.Flag(F); }

void WriteField(const B& b, const BearingField& f)
{
    std::visit(Overload{[&](DimsEntry e) { WriteValue(b.Dims[e.k]); },
                        [&](auto member) { WriteValue(b.*member); }},
               f);
}

void ReadField(LineReader& in, B& b, const BearingField& f)
{
    std::visit(Overload{[&](DimsEntry e) { ReadValue(in, b.Dims[e.k]); },
                        [&](auto member) { ReadValue(in, b.*member); }},
               f);
}

void WriteFields(const B& b, const std::vector<BearingField>& fields)
{
    for (const auto& f : fields)
        WriteField(b, f);
}

void ReadFields(LineReader& in, B& b, const std::vector<BearingField>& fields)
{
    for (const auto& f : fields)
        ReadField(in, b, f);
}

// The state's drive values of one block.
template <class State>
auto BlockValues(State& s, int block)
{
    std::size_t start = 0;
    for (int k = 0; k < block; ++k)
        start += DriveBlock(k).size();
    return std::span(s.drive).subspan(start, DriveBlock(block).size());
}

void WriteDriveBlock(const ProjectState& s, int block)
{
    for (const auto& v : BlockValues(s, block))
        std::visit([](auto x) { WriteValue(x); }, v);
}

void ReadDriveBlock(LineReader& in, ProjectState& s, int block)
{
    for (auto& v : BlockValues(s, block))
        std::visit([&](auto& x) { ReadValue(in, x); }, v);
}

} // namespace

ProjectState CaptureProject()
{
    ProjectState s;
    s.remarks = settings::RemarkLines;
    s.zeichNr = docu::ZeichNr;
    s.zeichName = docu::ZeichName;
    s.zeichName2 = docu::ZeichName2;
    s.drive.reserve(DriveValueCount());
    for (int block = 0; block < 3; ++block)
        for (const DriveRef& ref : DriveBlock(block))
            std::visit([&](auto* p) { s.drive.emplace_back(*p); }, ref);
    s.slots = bearings::BearingSlots;
    return s;
}

void CommitProject(const ProjectState& State)
{
    // What the file does not carry starts where a fresh program starts.
    InitDriveData();
    settings::RemarkLines = State.remarks;
    docu::ZeichNr = State.zeichNr;
    docu::ZeichName = State.zeichName;
    docu::ZeichName2 = State.zeichName2;
    std::size_t k = 0;
    for (int block = 0; block < 3; ++block)
        for (const DriveRef& ref : DriveBlock(block)) {
            const auto& value = State.drive.at(k++);
            std::visit([&](auto* p) { *p = std::get<std::remove_pointer_t<decltype(p)>>(value); }, ref);
        }
    bearings::BearingSlots = State.slots;
}

void WriteProjectBody(const ProjectState& State)
{
    WriteValue(State.zeichNr);
    WriteValue(State.zeichName);
    WriteValue(State.zeichName2);
    WriteDriveBlock(State, 0);
    for (Word k = 1; k <= 4; ++k)
        WriteBearingRecord(State.slots[k], k);
    WriteDriveBlock(State, 1);
    WriteBearingRecord(State.slots[5], 5);
    WriteDriveBlock(State, 2);
}

std::string ProjectText(const ProjectState& State)
{
    std::string text;
    textOut = &text;
    struct Back {
        ~Back() { textOut = nullptr; }
    } back;
    for (const std::string& remark : State.remarks)
        WriteValue(remark);
    WriteProjectBody(State);
    return text;
}

void ReadProjectBody(LineReader& In, ProjectState& State)
{
    if (State.drive.size() != DriveValueCount())
        State = CaptureProject();
    for (auto& remark : State.remarks)
        In.Text(remark);
    In.Text(State.zeichNr);
    In.Text(State.zeichName);
    In.Text(State.zeichName2);
    ReadDriveBlock(In, State, 0);
    State.slots.fill(WaelzLagerTyp{});
    for (Word k = 1; k <= 4; ++k)
        ReadBearingRecord(In, State.slots[k]);
    ReadDriveBlock(In, State, 1);
    ReadBearingRecord(In, State.slots[5]);
    ReadDriveBlock(In, State, 2);
}

// ---- Bearing records

void WriteBearingMain(const WaelzLagerTyp& Bearing, Word Label)
{
    WriteValue("Lager " + IntStr(Label));
    WriteFields(Bearing, MainFields());
}

void WriteBearingLife(const WaelzLagerTyp& Bearing) { WriteFields(Bearing, LifeFields()); }

void WriteBearingElements(const WaelzLagerTyp& Bearing)
{
    WriteReportInt(Bearing.Z);
    WriteReportInt(Bearing.Rows);
    WriteReportReal(Bearing.Dw);
}

void WriteBearingRecord(const WaelzLagerTyp& Bearing, Word Label)
{
    WriteBearingMain(Bearing, Label);
    WriteField(Bearing, ClearanceField);
    WriteBearingLife(Bearing);
    WriteFields(Bearing, TailFields());
}

void ReadBearingRecord(LineReader& In, WaelzLagerTyp& Bearing)
{
    In.Skip(1); // "Lager k"
    ReadFields(In, Bearing, MainFields());
    ReadField(In, Bearing, ClearanceField);
    ReadFields(In, Bearing, LifeFields());
    ReadFields(In, Bearing, TailFields());
}

void WriteBearingRecord(Word Slot) { WriteBearingRecord(bearings::BearingSlots[Slot], Slot); }
void WriteBearingMain(Word Slot) { WriteBearingMain(bearings::BearingSlots[Slot], Slot); }
void WriteBearingLife(Word Slot) { WriteBearingLife(bearings::BearingSlots[Slot]); }
void WriteBearingElements(Word Slot) { WriteBearingElements(bearings::BearingSlots[Slot]); }

// ---- LineReader

bool LineReader::Next(std::string& S)
{
    S.clear();
    if (failed_)
        return false;
    if (!ReportFile.ReadLine(S)) {
        failed_ = true;
        return false;
    }
    ++line_;
    return true;
}

void LineReader::Bad()
{
    if (bad_++ == 0)
        firstBad_ = line_;
}

bool LineReader::Text(std::string& S)
{
    std::string s;
    if (!Next(s))
        return false;
    S = std::move(s);
    return true;
}

void LineReader::Skip(int Lines)
{
    std::string s;
    for (int k = 0; k < Lines; ++k)
        Next(s);
}

void LineReader::Number(Real& X)
{
    std::string s;
    if (!Next(s))
        return;
    if (!TryStrToReal(CommaToPoint(TrimBlanks(s)), X)) {
        X = 0;
        Bad();
    }
}

void LineReader::Number(Integer& N)
{
    std::string s;
    if (!Next(s))
        return;
    if (!TryStrToInteger(TrimBlanks(s), N)) {
        N = 0;
        Bad();
    }
}

void LineReader::Number(Word& W)
{
    Integer n = 0;
    std::string s;
    if (!Next(s))
        return;
    if (TryStrToInteger(TrimBlanks(s), n) && n >= 0 && n <= 65535) {
        W = static_cast<Word>(n);
    } else {
        W = 0;
        Bad();
    }
}

void LineReader::Flag(bool& F)
{
    std::string s;
    if (!Next(s))
        return;
    std::string v = UpperStr(TrimBlanks(s));
    F = v == "TRUE";
    if (!F && v != "FALSE")
        Bad();
}

} // namespace kt4::project
