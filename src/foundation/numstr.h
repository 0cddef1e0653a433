// Numbers to text and text to numbers. Every number the program shows,
// prints or writes passes through here.
//
// The decimal separator is always "." on output; input accepts "," and ".".
// Nothing here depends on the process locale. Rounding of the decimal digits
// goes half away from zero (0.125 with two decimals is 0.13).
#pragma once

#include "foundation/types.h"

#include <cstdint>
#include <string>

namespace kt4 {

std::string IntStr(std::int64_t N);
// N preceded by "0" / blanks up to Width characters.
std::string IntStrZero(std::int64_t N, int Width);
std::string IntStrBlank(std::int64_t N, int Width);

// Integer and decimal digits for about N significant digits of X: three
// significant digits below 1, one more (and at least all integer digits)
// from 1 upwards, trailing zeros dropped. N below 1 counts as 1.
void CalcSigDigits(int N, Real X, int& IntDigits, int& Decs);

// Fixed-point text with Decs decimals and IntDigits + Decs significant
// digits, padded with blanks in front to IntDigits + Decs + 1 characters
// (IntDigits when Decs is 0). The Decimals setting adds or removes decimals
// (3 = normal). A value with more integer digits than the precision comes
// out in exponent form ("1.5E+20"). abs(X) < 1E-15 counts as 0.
std::string FormatReal(Real X, int IntDigits, int Decs);
// The same without the Decimals adjustment (numbers written to files).
std::string FormatRealFixed(Real X, int IntDigits, int Decs);
// FormatReal with at least as many integer digits as X has, so that a
// large value stays in fixed notation (125 with IntDigits 2 gives "125").
std::string FormatRealWide(Real X, int IntDigits, int Decs);
// Exactly Decs decimals, padded like FormatReal; no Decimals adjustment, no
// precision limit, no small-value rule.
std::string FixedStrPoint(Real X, int IntDigits, int Decs);

// "0" below 1E-5, else three significant digits (RealStr), 3 - K
// significant digits (RealStrSig), six (RealStr6).
std::string RealStr(Real X);
std::string RealStrSig(int K, Real X);
std::string RealStr6(Real X);
// Integer digits as RealStr, the given number of decimals.
std::string RealStrDec(int Decs, Real X);
// Right-aligned in Width characters; abs(X) < 1E-6 gives "0".
std::string RealStrWidth(int Width, Real X);
// Forms for CAD files: always a point, and digits from the parameters
// alone: the display setting Decimals never changes what goes into a file.
std::string RealStrPoint(Real X);
std::string RealStrDecPoint(int Decs, Real X);
std::string FormatRealPoint(Real X, int IntDigits, int Decs);

// The general float form with up to 15 significant digits ("1.5", "-2",
// "1E20"), used in message texts.
std::string FloatStr(Real X);

// "+" + S unless S begins with "-".
std::string SignStr(const std::string& S);
std::string BoolStr(bool B);

// Text to number: optional leading blanks, sign, digits with one decimal
// separator ("," or "."), optional exponent. Anything else (a trailing
// blank, a second separator, letters, an empty text) is no number.
// The Try forms tell whether the text was a number; the others give 0.
bool TryStrToReal(const std::string& S, Real& X);
Real StrToReal(const std::string& S);
inline Real ValReal(const std::string& S) { return StrToReal(S); }
// Integer: optional leading blanks and sign, decimal digits or "$" and
// hexadecimal digits; the value must fit into 32 bits.
bool TryStrToInteger(const std::string& S, Integer& N);
Integer StrToInteger(const std::string& S);
inline Integer ValInteger(const std::string& S) { return StrToInteger(S); }
inline Integer StrToIntZero(const std::string& S) { return StrToInteger(S); }

} // namespace kt4
