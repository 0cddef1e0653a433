// The maker's web pages and support mail from the Help menu, opened with
// the desktop's associated programs.
#pragma once

#include <string>

namespace kt4::shell {

// The addresses.
std::string HomePageAddress();    // "https://www.velmora.example/"
std::string ProductPageAddress(); // home page + BaseName + "_d.htm"
std::string SupportMailAddress(); // "mailto:support@velmora.example?subject=KT4%20V1.1"

// Kind 0: ProductName + " Info (www)"; 1: ""; any other: "History " +
// ProductName + " V" + ProgramVersion. Display text.
std::string HistoryCaption(int Kind);

// Each opens its address; a failure is reported (AbortFlag).
void OpenHomePage();
void OpenProductPage();
void SendMail();

} // namespace kt4::shell
