// The CAD output layer: one drawing routine writes the same drawing to the
// graphics window, a DXF or tab-separated text file, or a DXF file handed
// to the external plot program (cad_device.h has the devices).
//
// A drawing is one job, in this order:
//   c_begin(device)               0 asks for the format; stop on AbortFlag
//   c_setlayer(0); c_header(...) or c_header_default(); c_tables(2)
//   c_blocks(); c_block(name) ... c_endblock() for each block; c_endblocks()
//   c_entities(); the entities; c_endblocks()  -- again while !c_pass_done()
//   c_end()
// Coordinates are world millimetres with y upwards; arc and text angles
// degrees; polyline arc angles and polar angles radians. Texts are stored
// (OEM) texts.
//
// An operation given a coordinate that is not a finite number, or one
// beyond any drawing (far inside the float range), draws nothing, adds
// "Fehler : CAD: ungültige Koordinate" to the message list once per job
// and fails the job: it says so once, writes nothing more and leaves the
// older file as it was.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::cad {

// ---- the job ----
void c_setmode(Word mode);
void c_set3d(Integer flag);
// Asks the mode and, for the plot program, its command line. Cancel sets
// AbortFlag.
void CadOutputDialog();
// Begins a job on mode (0 = ask). Sets AbortFlag when nothing can be
// written; the caller then stops and calls no c_end.
void c_begin(Word mode);
// Drawing frame, file header and (screen) title line. The z range of 3-D
// output becomes 0 to height, or 0 to 1 mm without a height: whatever an
// earlier job left, every drawing starts alike.
void c_header(Real x0, Real y0, Real x1, Real y1, Real height);
void c_header_default(); // c_header(0, 0, 160, 120, 1.0)
void c_tables(Word kind);
bool c_pass_done();
// Ends the job: the file is put in place, the plot program started, the
// written file opened when wanted. A job where anything failed (a write,
// a block file the drawing inserted, a coordinate that is no usable
// number) leaves the older file as it was and sets AbortFlag; so does a
// job whose format carries nothing of the drawing (CadJobBlank).
void c_end();
// True when the last c_end wrote nothing because the format carries
// nothing of the drawing (a STEP of circles, arcs and texts only). Nothing
// was said: the caller names the drawing.
bool CadJobBlank();
// True while a job runs (between c_begin and c_end).
bool CadJobRunning();
// Drops a running job without a file: the older file stays as it was.
void DiscardCadJob();
// The file a job on mode writes without a window (CadBatchMode): the
// current file name with the format's extension; "" for a mode without a
// file.
std::string CadBatchFileName(Word mode);

// ---- sections and blocks ----
void c_blocks();
void c_block(const std::string& name);
void c_endblock();
void c_endblocks();
void c_entities();
void c_insert(const std::string& name, Real x, Real y, Real rotation, Real sx, Real sy);

// ---- primitives ----
void c_line(Real x1, Real y1, Real x2, Real y2);
void c_circle(Real x, Real y, Real r);
void c_circle_cw(Real x, Real y, Real r);
void c_arc(Real x, Real y, Real a1, Real a2, Real r);
void c_arc_dir(Real x, Real y, Real a1, Real a2, Real r, Real sweep);
void c_text(Real x, Real y, const std::string& s);
void c_solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4);

// ---- text, layers and screen settings ----
void c_settextjustify(Integer h, Integer v);
void c_setlinefeed(Real f);
void c_settextstyle(Integer font, Real angle, Real height, Real width);
void c_textln(const std::string& s);
void c_setlayer(Integer n);
void c_savelayer();
void c_restorelayer();
void c_setlinestyle(Integer n);
void c_setcolorscheme(Integer n);
void c_sleep(Integer ms);
Real AngleSpan(Real a, Real b);

// ---- current point, rectangles, circles and arcs as segments ----
void c_moveto(Real x, Real y);
void c_lineto(Real x, Real y);
void c_rectangle(Real x1, Real y1, Real x2, Real y2);
void c_rectangle_rev(Real x1, Real y1, Real x2, Real y2);
void c_circle_lines(Real x, Real y, Real r, bool clockwise);
void c_arc_points(Real x1, Real y1, Real x2, Real y2, Real angle);
// At most this many segments per c_circle_lines or c_arc_points call.
inline constexpr Integer MaxArcSegments = 100000;

// ---- polylines, z levels, cones, revolved profiles ----
void c_polyline_begin(std::uint8_t closed);
void c_poly(Real x, Real y, Real angle);
void c_vertex(Real x, Real y, Real angle);
void c_poly_rot(Real ox, Real oy, Real x, Real y, Real angle, Real phi);
void c_poly_polar(Real r, Real a, Real angle);
void c_polyline_end();
void c_setz(Real z1, Real z2);
void c_setzb(Real z, Real b);
void c_cone(bool reversed, Real x, Real y, Real r1, Real r2);
void c_profile_begin();
void c_profile_point(Real z, Real r, Real angle);
void c_profile_moveto(Real z, Real r);
void c_profile_lineto(Real z, Real r);
void c_profile_arc_points(Real z1, Real r1, Real z2, Real r2, Real angle);

// ---- drawing helpers ----
void c_hline(Real x, Real y, Real len);
void c_hline_centred(Real x, Real y, Real len);
void c_vline(Real x, Real y1, Real y2);
void c_vline_centred(Real x, Real y, Real len);
void c_lineto_polar(Real len, Real a);
void c_moveto_polar(Real len, Real a);
void c_moveto_polar_abs(Real r, Real a);
void c_roundrect(bool clockwise, Real x1, Real y1, Real x2, Real y2, Real r);
void c_roundrect2(Real x1, Real y1, Real x2, Real y2, Real r);
Real c_textangle(Real a);

} // namespace kt4::cad
