// Helpers shared by the files of the report writer.
#pragma once

#include <string>

namespace kt4::report::detail {

// Writes display text (HTML) or stored text (other devices) unchanged,
// with and without line end.
void PutLine(const std::string& S);
void PutText(const std::string& S);
// An OEM value as escaped display text for HTML.
std::string Html(const std::string& S);
// A blank line of Width columns with the frame side characters at 1 and
// at Width.
std::string FramedBlankLine(int Width = 70);
// Writes S over Line from column Col when it fits wholly.
void Place(std::string& Line, const std::string& S, int Col);
// The file a TXT report ends up in, named in its header: the text file
// beside the data file (device 9), the numbered copy (device 6), or the
// file chosen in the save dialog.
std::string TxtReportTarget();
// True while a page header is written: its lines never break a page.
extern bool InPageHeader;

} // namespace kt4::report::detail
