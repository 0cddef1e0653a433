// Settings and running state of the CAD output layer and its writers, with
// their start values, and the defaults of the 3-D view. The configuration
// file loads the configured ones over the start values and saves them back;
// the CAD job (c_begin .. c_end) resets the job state it owns.
//
// Layers 0..5 are the drawing layers with a name; layers 16..31 are the
// colour layers (index 16..31 of the arrays below).
#pragma once

#include "foundation/types.h"

#include <array>
#include <cstdint>
#include <string>

namespace kt4::cad {

constexpr int NamedLayers = 6;    // layers 0..5
constexpr int FirstColorLayer = 16;
constexpr int LastColorLayer = 31;
constexpr int MaxPlotLines = 5;   // stored plot program command lines

// ---- settings of the configuration file ---------------------------------

// Colour (1..16) and line width of the colour layers 16..31; entries below
// 16 are not used.
extern std::array<Integer, LastColorLayer + 1> ColorLayerColors;
extern std::array<Integer, LastColorLayer + 1> ColorLayerLineWidths;

// Command lines of the external plot program: entries 1..CadPlotLineCount
// are stored; CadPlotLineIndex is the one chosen for the running job.
extern Word CadPlotLineCount;
extern Word CadPlotLineIndex;
extern Array1<std::string, MaxPlotLines> CadPlotLines;

extern std::array<std::string, NamedLayers> LayerNames;
extern std::array<Integer, NamedLayers> LayerColors;
extern std::array<Integer, NamedLayers> LayerLineWidths;

extern Real CadTextWidthFactor;
extern std::string CadTextStyle;
extern Real CadTextObliqueAngle;
extern bool LayerMonochrome;
extern std::string ReleaseFieldText; // text of the release field of the title block
extern Integer CadDecimals;          // decimals of numbers in DXF and TXT files
extern Real DimensionFactor;
extern Real CadScale;

// Drawing frame and title block options
extern bool DrawTitleLine;       // program title line on drawings
extern bool DrawFileName;        // file name on drawings
extern bool DrawDate;            // date on drawings
extern bool DrawLogoBlock;       // logo block "$logo_1.dx$"
extern bool DrawingFooter;       // footer line on drawings
extern bool DrawTitleBlock;      // drawing with title block
extern bool CurrentFileMode;     // work on the current file name
extern bool DrawOwnerNote;       // owner (copyright) note on drawings
extern bool DrawGridBorder;      // "ABCD-1234" border marks (10 mm border)
extern bool DrawMmScale;         // mm scale on the border (10 mm border)
extern bool DrawChangesBlock;    // revision block with the title block
extern bool InsertHeadBlocks;    // "$head_0.dx$", "$head_3.dx$", "$head_4.dx$"
extern bool InsertInsertBlocks;  // "$insert_0.dx$", "$insert_3.dx$", "$insert_4.dx$"
extern bool NoCoordinateCross3D; // 3-D drawings without the coordinate cross
extern bool RevisionIndexZero;   // ISO 7200 revision index "0ABC" instead of "ABCD"
// 3-D contours go into DXF and IGES files (the configuration form's
// "3D->2D" box shows the inverse, and the file stores the inverse).
extern bool Cad3DContours;
extern Integer ReservedOption;   // kept in the configuration file, no control

// Writers
extern bool ExportLaunchFlag;    // open a written file with its program
extern bool PolyArcToLines;      // polyline arcs as line segments
extern Real ArcToLinesResolution;
extern Integer StlFileType;      // 0 binary, 1 ASCII
extern Real StlZSlice;           // z slice of STL output, mm
extern bool StlInvert;           // reversed facet direction
extern Real FitClearanceShaft;
extern Real FitClearanceBore;

// ---- running state of the CAD job ---------------------------------------

extern Real CadCurX, CadCurY, CadPolyAngle, CadPolarAngle;
extern std::string DxfLayerName;
extern Real CadTextAngle, CadTextWidth, CadTextSlant, CadTextHeight;
extern Word CadMode;             // 3 = screen
extern Integer CadProfileCount;
extern bool CadNativePolyline;
extern Integer CadBlockLevel;
extern bool CadInBlocks;
extern Real CadInsBaseX, CadInsBaseY, CadInsRotation, CadInsScaleX, CadInsScaleY;
extern Word HatchMode;
extern Real CadOriginX, CadOriginY;
extern Integer CadColorScheme;
extern std::uint8_t CadLayer;
extern Real CadLineFeed;
extern Integer CadTextVJust, CadTextHJust;
extern Real CadLtScale;
extern std::string CadFileName;
extern Word CadRequestedMode;
// Drawing frame sizes: the page and the second (title block) pair.
extern Real FrameWidth, FrameHeight, FrameWidth2, FrameHeight2;
extern Real CadZ1, CadZ2;
extern Integer CadSavedLayer;
extern Integer Cad3D;            // 3-D output (STEP) offered
extern Real CadProfileAngle;
// Set by the start-up routine while the command line writes a CAD file:
// the output name comes from the data file and no dialog is shown.
extern bool CadBatchMode;
// The drawing frame of the running job (c_header).
struct TCadFrame {
    Real X0 = 0, X1 = 0, Y0 = 0, Y1 = 0, Width = 0, Height = 0;
};
extern TCadFrame CadFrame;
// The written file is not opened at the end of the job.
extern bool CadNoLaunch;
// Current point of a revolved profile: axial position and radius.
extern Real CadProfCurX, CadProfCurY;

// ---- the 3-D view -------------------------------------------------------

// Axis angles x, y, z of the default 3-D view, radians.
extern std::array<Real, 3> ViewDefault3D;
extern bool Edit3DAngles;        // "Edit 3D x,y,z ?"
extern std::array<Real, 6> View3DScales;
extern bool View3DFlag;

// Gives every variable of this module its start value.
void InitCadSettings();

} // namespace kt4::cad
