// Small string routines of the report and CAD writers. Positions are
// 1-based, as the callers count columns; lengths count bytes (stored OEM
// texts have one byte per column).
#pragma once

#include <string>
#include <vector>

namespace kt4 {

// Only the letters a-z / A-Z change.
std::string UpperStr(const std::string& S);
std::string LowerStr(const std::string& S);
// S cut to Width, or followed by blanks up to Width.
std::string PadRight(const std::string& S, int Width);
// S trimmed of blanks, then preceded by blanks up to Width; a longer text
// is cut to its first Width characters.
std::string PadLeft(const std::string& S, int Width);
// A text longer than Width is cut before its last blank within the width
// (or at the width when that blank is the first character or there is
// none); a shorter text is padded with blanks to Width.
std::string PadRightAtBlank(const std::string& S, int Width);
std::string LeftStr(const std::string& S, int N);
std::string RightStr(const std::string& S, int N);
// Writes S over Dest from Pos when it fits wholly; otherwise Dest stays.
void OverwriteStr(const std::string& S, std::string& Dest, int Pos);
void ReplaceChar(char Old, char New, std::string& S);
void DeleteBlanks(std::string& S);
std::string RemoveBlanks(const std::string& S);
// Without leading and trailing blanks (only the blank character).
std::string TrimBlanks(const std::string& S);
void TrimBlanksInPlace(std::string& S);
// Position of the last Sub in S, 0 when none.
int LastPos(const std::string& Sub, const std::string& S);
std::string PointToComma(const std::string& S);
std::string CommaToPoint(const std::string& S);
inline std::string DecimalPointStr(const std::string& S) { return CommaToPoint(S); }
int CountChar(char C, const std::string& S);
// S as one line of a line-oriented file: every line break (CR LF, a lone
// CR, a lone LF) becomes one "|", every other control byte (below 0x20,
// and 0x7F) a blank.
std::string OneLineText(const std::string& S);
// S when it fits in MaxLen; otherwise the first and last H characters
// joined by "__" (H = MaxLen div 2 - 2) for MaxLen >= 11, else the first
// MaxLen characters.
std::string AbbreviateStr(const std::string& S, int MaxLen);
// S when it fits in MaxLen; otherwise the first H and the last H + 1
// characters joined by " ... " (H = MaxLen div 2 - 3).
std::string ShortenText(const std::string& S, int MaxLen);

// Splits Text into lines of at most MaxLen characters, breaking after the
// last BreakChar that leaves the line shorter than MaxLen (the break
// character stays on the line), or at MaxLen when there is none. Returns
// every line, however many; the first five also go to settings::WrapLines.
// MaxWidth receives the longest line (at least 1).
std::vector<std::string> WrapText(const std::string& Text, char BreakChar, int MaxLen, int& MaxWidth);

// Kept for the report writer: the text unchanged.
inline std::string ReplaceBoxBar(const std::string& S) { return S; }

} // namespace kt4
