// Reads a STEP or IGES file with OCCT, an independent reader, and prints
// what it found, one fact a line, for the CAD tests:
//   load ok | load void | load failed
//   fail <message>               a load failure (nothing is transferred then)
//   entity <type> <form>         IGES: every entity of the model
//   text <bytes>                 IGES: the strings of every 212 general note
//   scale <S>                    IGES: every 408 singular subfigure instance
//   node <depth> <name> [assembly]   STEP: the product tree
//   edges <n>                    edges of the transferred shape
//   bbox <xmin> <ymin> <zmin> <xmax> <ymax> <zmax>
//   curve <x> <y> <x> <y> ...    with --curves: every edge as points in
//                                the x-y plane (lines by their ends)
// Usage: occt_read [--curves] FILE (the extension chooses the reader).
// Exit 0 when the file loaded, 2 on a load failure, 1 on a usage error.
#include <BRepAdaptor_Curve.hxx>
#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESBasic_SingularSubfigure.hxx>
#include <IGESControl_Reader.hxx>
#include <IGESData_IGESEntity.hxx>
#include <IGESData_IGESModel.hxx>
#include <IGESDimen_GeneralNote.hxx>
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Compound.hxx>
#include <BRep_Builder.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_WorkSession.hxx>

#include <cstdio>
#include <string>

namespace {

bool printCurves = false;

// Every edge of the shape as a run of points.
void Curves(const TopoDS_Shape& shape)
{
    for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next()) {
        BRepAdaptor_Curve c(TopoDS::Edge(e.Current()));
        const int n = c.GetType() == GeomAbs_Line ? 1 : 48;
        std::string line = "curve";
        for (int k = 0; k <= n; ++k) {
            gp_Pnt p = c.Value(c.FirstParameter() + (c.LastParameter() - c.FirstParameter()) * k / n);
            char xy[64];
            std::snprintf(xy, sizeof xy, " %.4f %.4f", p.X(), p.Y());
            line += xy;
        }
        std::printf("%s\n", line.c_str());
    }
}

// Prints the load failures; true when there is none.
bool NoLoadFailure(const Handle(XSControl_WorkSession) & ws)
{
    Interface_CheckIterator checks = ws->ModelCheckList();
    int fails = 0;
    for (checks.Start(); checks.More(); checks.Next()) {
        const Handle(Interface_Check)& c = checks.Value();
        for (int k = 1; k <= c->NbFails(); ++k) {
            std::printf("fail %s\n", c->CFail(k));
            ++fails;
        }
    }
    return fails == 0;
}

void ShapeFacts(const TopoDS_Shape& shape)
{
    TopTools_IndexedMapOfShape edges;
    if (!shape.IsNull())
        TopExp::MapShapes(shape, TopAbs_EDGE, edges);
    std::printf("edges %d\n", edges.Extent());
    Bnd_Box box;
    if (!shape.IsNull())
        BRepBndLib::Add(shape, box, false);
    if (box.IsVoid())
        return;
    box.SetGap(0);
    double x0, y0, z0, x1, y1, z1;
    box.Get(x0, y0, z0, x1, y1, z1);
    std::printf("bbox %.4f %.4f %.4f %.4f %.4f %.4f\n", x0, y0, z0, x1, y1, z1);
    if (printCurves)
        Curves(shape);
}

std::string NameOf(const TDF_Label& label)
{
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name))
        return "";
    TCollection_AsciiString s(name->Get());
    return s.ToCString();
}

void Tree(const Handle(XCAFDoc_ShapeTool) & tool, const TDF_Label& label, int depth)
{
    std::printf("node %d %s%s\n", depth, NameOf(label).c_str(), tool->IsAssembly(label) ? " assembly" : "");
    TDF_LabelSequence components;
    tool->GetComponents(label, components);
    for (int k = 1; k <= components.Length(); ++k) {
        TDF_Label referred;
        if (tool->GetReferredShape(components.Value(k), referred))
            Tree(tool, referred, depth + 1);
    }
}

int ReadStep(const char* path)
{
    STEPCAFControl_Reader reader;
    reader.SetNameMode(true);
    if (reader.ReadFile(path) != IFSelect_RetDone) {
        std::printf("load failed\n");
        NoLoadFailure(reader.Reader().WS());
        return 2;
    }
    // A broken model can crash the transfer: look at the failures first.
    if (!NoLoadFailure(reader.Reader().WS())) {
        std::printf("load failed\n");
        return 2;
    }
    std::printf("load ok\n");
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    if (!reader.Transfer(doc)) {
        std::printf("transfer failed\n");
        return 2;
    }
    Handle(XCAFDoc_ShapeTool) tool = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    TDF_LabelSequence free;
    tool->GetFreeShapes(free);
    BRep_Builder builder;
    TopoDS_Compound all;
    builder.MakeCompound(all);
    for (int k = 1; k <= free.Length(); ++k) {
        Tree(tool, free.Value(k), 0);
        builder.Add(all, tool->GetShape(free.Value(k)));
    }
    ShapeFacts(all);
    return 0;
}

int ReadIges(const char* path)
{
    IGESControl_Reader reader;
    IFSelect_ReturnStatus status = reader.ReadFile(path);
    if (status == IFSelect_RetVoid) {
        std::printf("load void\n");
        return 0;
    }
    if (status != IFSelect_RetDone || !NoLoadFailure(reader.WS())) {
        std::printf("load failed\n");
        return 2;
    }
    std::printf("load ok\n");
    Handle(IGESData_IGESModel) model = reader.IGESModel();
    for (int i = 1; i <= model->NbEntities(); ++i) {
        Handle(IGESData_IGESEntity) e = model->Entity(i);
        std::printf("entity %d %d\n", e->TypeNumber(), e->FormNumber());
        if (auto note = Handle(IGESDimen_GeneralNote)::DownCast(e); !note.IsNull())
            for (int k = 1; k <= note->NbStrings(); ++k)
                std::printf("text %s\n", note->Text(k)->ToCString());
        if (auto sub = Handle(IGESBasic_SingularSubfigure)::DownCast(e); !sub.IsNull())
            std::printf("scale %.4f\n", sub->ScaleFactor());
    }
    reader.TransferRoots();
    ShapeFacts(reader.OneShape());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    printCurves = argc == 3 && std::string(argv[1]) == "--curves";
    if (argc != 2 + printCurves) {
        std::fprintf(stderr, "usage: occt_read [--curves] FILE.stp|FILE.igs\n");
        return 1;
    }
    argv += printCurves;
    // OCCT's own messages would mix with the facts
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
    std::string path = argv[1];
    std::string ext = path.size() > 4 ? path.substr(path.size() - 4) : "";
    for (auto& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".stp" || ext == "step")
        return ReadStep(argv[1]);
    if (ext == ".igs" || ext == "iges")
        return ReadIges(argv[1]);
    std::fprintf(stderr, "occt_read: %s is no .stp or .igs file\n", argv[1]);
    return 1;
}
