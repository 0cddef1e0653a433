#include "cad/step_writer.h"

#include "foundation/datetime.h"
#include "foundation/settings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace kt4::cad {

namespace {

std::string Ref(int N) { return "#" + std::to_string(N); }

// The next code point of UTF-8 text; a byte that starts no valid sequence
// stands for itself.
char32_t NextCodePoint(const std::string& S, std::size_t& I)
{
    const auto b = static_cast<unsigned char>(S[I]);
    const std::size_t more = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
    if (more == 0 || I + more >= S.size()) {
        ++I;
        return b;
    }
    char32_t cp = b & (0x3F >> more);
    for (std::size_t k = 1; k <= more; ++k) {
        const auto c = static_cast<unsigned char>(S[I + k]);
        if ((c & 0xC0) != 0x80) {
            ++I;
            return b;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    I += more + 1;
    return cp;
}

} // namespace

std::string StepNum(Real X)
{
    double v = static_cast<double>(X);
    if (v == 0 || !std::isfinite(v))
        v = 0; // no "-0" and never "nan"
    char buf[48];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 5);
    std::string s(buf, res.ptr);
    std::size_t e = s.find('e');
    std::string mant = s.substr(0, e), exp = s.substr(e + 2);
    while (exp.size() < 3)
        exp.insert(0, 1, '0');
    return mant + "E" + s[e + 1] + exp;
}

std::string StepString(const std::string& Utf8)
{
    std::string out;
    std::string run; // hex of the code points that need the \X2\ or \X4\ form
    bool wide = false;
    auto flush = [&] {
        if (!run.empty())
            out += (wide ? "\\X4\\" : "\\X2\\") + run + "\\X0\\";
        run.clear();
    };
    for (std::size_t i = 0; i < Utf8.size();) {
        const char32_t cp = NextCodePoint(Utf8, i);
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            flush();
            out += ' ';
        } else if (cp < 0x7F) {
            flush();
            if (cp == '\'' || cp == '\\')
                out += static_cast<char>(cp);
            out += static_cast<char>(cp);
        } else {
            const bool w = cp > 0xFFFF;
            if (w != wide)
                flush();
            wide = w;
            char hex[16];
            std::snprintf(hex, sizeof hex, w ? "%08X" : "%04X", static_cast<unsigned>(cp));
            run += hex;
        }
    }
    flush();
    return out;
}

bool StepWriter::Open(const std::string& Path) { return file_.OpenWrite(Path); }

void StepWriter::Header(const std::string& FileName)
{
    fileName_ = FileName;
    header_ = "ISO-10303-21;\r\nHEADER;\r\nFILE_DESCRIPTION(('VELMORA Software'),'2;1');\r\nFILE_NAME('" +
              StepString(FileName) + "','" + DateStrISO() + "T" + TimeStrHMS() +
              "',(''),(''),'VELMORA STEP processor 1.0','" + StepString(settings::ProductName) +
              "','');\r\nFILE_SCHEMA(('AUTOMOTIVE_DESIGN'));\r\nENDSEC;\r\n\r\n";
    data_.clear();
    count_ = 0;
    skeleton_ = secondPass_ = false;
    lines_ = 0;
    items_.clear();
    shapeRep_ = firstSet_ = 0;
}

int StepWriter::Entity(const std::string& Text)
{
    BeginEntity();
    data_ += Text;
    data_ += "\r\n";
    return count_;
}

void StepWriter::BeginEntity()
{
    ++count_;
    AddRef(count_);
    data_ += " = ";
}

void StepWriter::AddRef(int N)
{
    char buf[16];
    buf[0] = '#';
    auto res = std::to_chars(buf + 1, buf + sizeof buf, N);
    data_.append(buf, res.ptr);
}

void StepWriter::Skeleton()
{
    skeleton_ = true;
    static const char* const Texts[] = {
        "APPLICATION_PROTOCOL_DEFINITION('committee draft','automotive_design',1997,#2);",
        "APPLICATION_CONTEXT('core data for automotive mechanical design processes');",
        "SHAPE_DEFINITION_REPRESENTATION(#4,#10);",
        "PRODUCT_DEFINITION_SHAPE('','',#5);",
        "PRODUCT_DEFINITION('design','',#6,#9);",
        "PRODUCT_DEFINITION_FORMATION('','',#7);",
        "PRODUCT('ASSEMBLY','ASSEMBLY','',(#8));",
        "MECHANICAL_CONTEXT('',#2,'mechanical');",
        "PRODUCT_DEFINITION_CONTEXT('part definition',#2,'design');",
        "SHAPE_REPRESENTATION('',(#11,#15),#19);",
        "AXIS2_PLACEMENT_3D('',#12,#13,#14);",
        "CARTESIAN_POINT('',(0.E+000,0.E+000,0.E+000));",
        "DIRECTION('',(0.E+000,0.E+000,1.));",
        "DIRECTION('',(1.,0.E+000,-0.E+000));",
        "AXIS2_PLACEMENT_3D('',#16,#17,#18);",
        "CARTESIAN_POINT('',(0.E+000,0.E+000,0.E+000));",
        "DIRECTION('',(0.E+000,0.E+000,1.));",
        "DIRECTION('',(1.,0.E+000,0.E+000));",
        "( GEOMETRIC_REPRESENTATION_CONTEXT(3) GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#23)) "
        "GLOBAL_UNIT_ASSIGNED_CONTEXT((#20,#21,#22)) REPRESENTATION_CONTEXT('Context #1', "
        "'3D Context with UNIT and UNCERTAINTY') );",
        "( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) );",
        "( NAMED_UNIT(*) PLANE_ANGLE_UNIT() SI_UNIT($,.RADIAN.) );",
        "( NAMED_UNIT(*) SI_UNIT($,.STERADIAN.) SOLID_ANGLE_UNIT() );",
        ("UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-007),#20,'distance_accuracy_value',"
         "'confusion accuracy');"),
        "PRODUCT_TYPE('part',$,(#7));",
    };
    for (const char* t : Texts)
        Entity(t);
}

void StepWriter::Entities()
{
    if (!secondPass_ && !skeleton_)
        Skeleton();
}

void StepWriter::Line(Real X1, Real Y1, Real X2, Real Y2)
{
    if (secondPass_)
        return;
    if (!skeleton_)
        Skeleton();
    const std::string x1 = StepNum(X1), y1 = StepNum(Y1), x2 = StepNum(X2), y2 = StepNum(Y2);
    if (x1 == x2 && y1 == y2)
        return; // no length as written
    if (lines_ == 0) {
        // the shape representation of the lines, written at Close with
        // the list of curve sets
        shapeRep_ = ++count_;
        shapeAt_ = data_.size();
    }
    ++lines_;
    const int k = count_;
    if (firstSet_ == 0)
        firstSet_ = k + 1;
    items_ += ",#" + std::to_string(k + 1);
    const Real dx = X2 - X1, dy = Y2 - Y1, length = std::sqrt(dx * dx + dy * dy);
    // the hot path of big drawings: appended piece by piece
    BeginEntity();
    data_ += "GEOMETRIC_CURVE_SET('',(";
    AddRef(k + 2);
    data_ += "));\r\n";
    BeginEntity();
    data_ += "TRIMMED_CURVE('',";
    AddRef(k + 3);
    data_ += ",(";
    AddRef(k + 7);
    data_ += ",PARAMETER_VALUE(0.E+000)),(";
    AddRef(k + 8);
    data_ += ",PARAMETER_VALUE(" + StepNum(length) + ")),.T.,.PARAMETER.);\r\n";
    BeginEntity();
    data_ += "LINE('',";
    AddRef(k + 4);
    data_ += ",";
    AddRef(k + 5);
    data_ += ");\r\n";
    BeginEntity();
    data_ += "CARTESIAN_POINT('',(" + x1 + "," + y1 + ",0.00000E+000));\r\n";
    BeginEntity();
    data_ += "VECTOR('',";
    AddRef(k + 6);
    data_ += ",1.);\r\n";
    BeginEntity();
    data_ += "DIRECTION('',(" + StepNum(dx / length) + "," + StepNum(dy / length) + ",0.00000E+000));\r\n";
    BeginEntity();
    data_ += "CARTESIAN_POINT('',(" + x1 + "," + y1 + ",0.E+000));\r\n";
    BeginEntity();
    data_ += "CARTESIAN_POINT('',(" + x2 + "," + y2 + ",0.E+000));\r\n";
}

bool StepWriter::PassDone()
{
    if (secondPass_)
        return true;
    secondPass_ = true;
    return false;
}

void StepWriter::Closing()
{
    if (!skeleton_)
        Skeleton();
    if (lines_ == 0) {
        shapeRep_ = ++count_;
        shapeAt_ = data_.size();
    }
    const int n = count_;
    auto R = [n](int k) { return Ref(n + k); };
    data_.insert(shapeAt_, Ref(shapeRep_) + " = SHAPE_REPRESENTATION('',(#11" + items_ + ")," + R(1) + ");\r\n");
    // the file's own name: a backslash is part of it on this system
    const std::string name = StepString(std::filesystem::path(fileName_).stem().string());
    Entity("( GEOMETRIC_REPRESENTATION_CONTEXT(3)  GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((" + R(5) +
           ")) GLOBAL_UNIT_ASSIGNED_CONTEXT((" + R(2) + "," + R(3) + "," + R(4) +
           ")) REPRESENTATION_CONTEXT('Context #1','3D Context with UNIT and UNCERTAINTY') );");
    Entity("( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) );");
    Entity("( NAMED_UNIT(*) PLANE_ANGLE_UNIT() SI_UNIT($,.RADIAN.) );");
    Entity("( NAMED_UNIT(*) SI_UNIT($,.STERADIAN.) SOLID_ANGLE_UNIT() );");
    Entity("UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-007)," + R(2) +
           ",'distance_accuracy_value','confusion accuracy');");
    Entity("SHAPE_DEFINITION_REPRESENTATION(" + R(7) + "," + Ref(shapeRep_) + ");");
    Entity("PRODUCT_DEFINITION_SHAPE('',''," + R(8) + ");");
    Entity("PRODUCT_DEFINITION('design',''," + R(9) + "," + R(12) + ");");
    Entity("PRODUCT_DEFINITION_FORMATION('',''," + R(10) + ");");
    Entity("PRODUCT('" + name + "','" + name + "','',(" + R(11) + "));");
    Entity("MECHANICAL_CONTEXT('',#2,'mechanical');");
    Entity("PRODUCT_DEFINITION_CONTEXT('part definition',#2,'design');");
    Entity("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(" + R(14) + "," + R(16) + ");");
    Entity("( REPRESENTATION_RELATIONSHIP(''," + std::string("''") + "," + Ref(shapeRep_) + ",#10)");
    data_ += "REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(" + R(15) + ")\r\n";
    data_ += "SHAPE_REPRESENTATION_RELATIONSHIP() );\r\n";
    Entity("ITEM_DEFINED_TRANSFORMATION('',''," + std::string("#11,#15);"));
    Entity("PRODUCT_DEFINITION_SHAPE('Placement','Placement of an item'," + R(17) + ");");
    Entity("NEXT_ASSEMBLY_USAGE_OCCURRENCE('2','=>[0:1:1:2]','',#5," + R(8) + ",$);");
    Entity("PRODUCT_TYPE('part',$,(" + R(10) + "));");
    if (lines_ == 0)
        return; // no curve to give a style
    Entity("MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(" + R(20) + ")," + R(1) + ");");
    Entity("STYLED_ITEM('color',(" + R(21) + ")," + Ref(firstSet_) + ");");
    Entity("PRESENTATION_STYLE_ASSIGNMENT((" + R(22) + "," + R(28) + "));");
    Entity("SURFACE_STYLE_USAGE(.BOTH.," + R(23) + ");");
    Entity("SURFACE_SIDE_STYLE('',(" + R(24) + "));");
    Entity("SURFACE_STYLE_FILL_AREA(" + R(25) + ");");
    Entity("FILL_AREA_STYLE('',(" + R(26) + "));");
    Entity("FILL_AREA_STYLE_COLOUR(''," + R(27) + ");");
    Entity("COLOUR_RGB('',0.800000011921,0.800000011921,0.800000011921);");
    Entity("CURVE_STYLE(''," + R(29) + ",POSITIVE_LENGTH_MEASURE(0.1)," + R(27) + ");");
    Entity("DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous');");
}

bool StepWriter::Close()
{
    Closing();
    file_.WriteText(header_);
    file_.WriteText("DATA;\r\n");
    file_.WriteText(data_);
    file_.WriteText("ENDSEC;\r\nEND-ISO-10303-21;\r\n");
    return file_.IoError() == 0 && file_.Close();
}

} // namespace kt4::cad
