#include "cad/cad_settings.h"

#include "cad/hatch.h"

namespace kt4::cad {

std::array<Integer, LastColorLayer + 1> ColorLayerColors;
std::array<Integer, LastColorLayer + 1> ColorLayerLineWidths;
Word CadPlotLineCount;
Word CadPlotLineIndex;
Array1<std::string, MaxPlotLines> CadPlotLines;
std::array<std::string, NamedLayers> LayerNames;
std::array<Integer, NamedLayers> LayerColors;
std::array<Integer, NamedLayers> LayerLineWidths;
Real CadTextWidthFactor;
std::string CadTextStyle;
Real CadTextObliqueAngle;
bool LayerMonochrome;
std::string ReleaseFieldText;
Integer CadDecimals;
Real DimensionFactor;
Real CadScale;

bool DrawTitleLine;
bool DrawFileName;
bool DrawDate;
bool DrawLogoBlock;
bool DrawingFooter;
bool DrawTitleBlock;
bool CurrentFileMode;
bool DrawOwnerNote;
bool DrawGridBorder;
bool DrawMmScale;
bool DrawChangesBlock;
bool InsertHeadBlocks;
bool InsertInsertBlocks;
bool NoCoordinateCross3D;
bool RevisionIndexZero;
bool Cad3DContours;
Integer ReservedOption;

bool ExportLaunchFlag;
bool PolyArcToLines;
Real ArcToLinesResolution;
Integer StlFileType;
Real StlZSlice;
bool StlInvert;
Real FitClearanceShaft;
Real FitClearanceBore;

Real CadCurX, CadCurY, CadPolyAngle, CadPolarAngle;
std::string DxfLayerName;
Real CadTextAngle, CadTextWidth, CadTextSlant, CadTextHeight;
Word CadMode;
Integer CadProfileCount;
bool CadNativePolyline;
Integer CadBlockLevel;
bool CadInBlocks;
Real CadInsBaseX, CadInsBaseY, CadInsRotation, CadInsScaleX, CadInsScaleY;
Word HatchMode;
Real CadOriginX, CadOriginY;
Integer CadColorScheme;
std::uint8_t CadLayer;
Real CadLineFeed;
Integer CadTextVJust, CadTextHJust;
Real CadLtScale;
std::string CadFileName;
Word CadRequestedMode;
Real FrameWidth, FrameHeight, FrameWidth2, FrameHeight2;
Real CadZ1, CadZ2;
Integer CadSavedLayer;
Integer Cad3D;
Real CadProfileAngle;
bool CadBatchMode;
TCadFrame CadFrame;
bool CadNoLaunch;
Real CadProfCurX, CadProfCurY;

std::array<Real, 3> ViewDefault3D;
bool Edit3DAngles;
std::array<Real, 6> View3DScales;
bool View3DFlag;

namespace {

void InitLayers()
{
    ColorLayerColors.fill(0);
    ColorLayerLineWidths.fill(0);
    for (int k = FirstColorLayer; k <= LastColorLayer; ++k) {
        ColorLayerColors[k] = k - 15;
        ColorLayerLineWidths[k] = 1;
    }
    CadPlotLineCount = 1;
    CadPlotLineIndex = 1;
    CadPlotLines.fill("C:\\KAVOLT\\WKAVOLT KAVOLT.DXF /M1.0");
    LayerNames = {"0", "1", "2", "3", "4", "5"};
    LayerColors = {1, 2, 2, 2, 3, 1};
    LayerLineWidths = {3, 1, 1, 1, 2, 3};
}

void InitText()
{
    CadTextWidthFactor = 1.0L;
    CadTextStyle = "TXT8";
    CadTextObliqueAngle = 0;
    CadCurX = CadCurY = CadPolyAngle = CadPolarAngle = 0;
    DxfLayerName = "0";
    CadTextAngle = 0;
    CadTextWidth = 1.0L;
    CadTextSlant = 0;
    CadTextHeight = 5.0L;
}

void InitJob()
{
    CadMode = 3;
    CadProfileCount = 1;
    CadNativePolyline = true;
    CadBlockLevel = 0;
    CadInBlocks = false;
    CadInsBaseX = CadInsBaseY = CadInsRotation = 0;
    CadInsScaleY = CadInsScaleX = 1.0L;
    HatchMode = 1;
    CadOriginX = CadOriginY = 0;
    CadColorScheme = 0;
    CadLayer = 0;
    CadLineFeed = 1.0L;
    CadTextVJust = CadTextHJust = 0;
    CadLtScale = 1.0L;
    LayerMonochrome = false;
    CadFileName = std::string(59, ' ');
    CadRequestedMode = 0;
    FrameWidth = FrameWidth2 = 160;
    FrameHeight = FrameHeight2 = 120;
    CadBatchMode = false;
    CadFrame = {};
    CadNoLaunch = false;
    CadProfCurX = CadProfCurY = 0;
}

void InitOptions()
{
    ReleaseFieldText.clear();
    CadDecimals = 6;
    DimensionFactor = 1.0L;
    for (bool* flag : {&DrawingFooter, &DrawTitleLine, &DrawFileName, &DrawDate, &DrawLogoBlock,
                       &DrawTitleBlock, &CurrentFileMode, &DrawOwnerNote, &DrawGridBorder,
                       &DrawMmScale, &DrawChangesBlock, &InsertHeadBlocks, &InsertInsertBlocks,
                       &NoCoordinateCross3D, &RevisionIndexZero, &Cad3DContours})
        *flag = false;
    ExportLaunchFlag = true;
    PolyArcToLines = true;
    ArcToLinesResolution = 0.1L;
    CadZ1 = 0;
    CadZ2 = 1.0L;
    StlFileType = 0;
    CadSavedLayer = 0;
    Cad3D = 0;
    CadProfileAngle = 0;
    StlZSlice = 0.1L;
    StlInvert = false;
    FitClearanceShaft = FitClearanceBore = 0;
    CadScale = 1.0L;
    ReservedOption = 1;
}

void InitView3D()
{
    ViewDefault3D = {-0.2617993878L, 1.5707963268L, 3.6651914292L};
    Edit3DAngles = true;
    View3DScales = {1.0L, 0, 0, 1.0L, -1.0L, -1.0L};
    View3DFlag = true;
}

} // namespace

void InitCadSettings()
{
    InitLayers();
    InitText();
    InitJob();
    InitOptions();
    InitView3D();
    InitHatchStore();
}

} // namespace kt4::cad
