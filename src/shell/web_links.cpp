#include "shell/web_links.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

namespace kt4::shell {

using namespace settings;

namespace {

constexpr const char* HomePage = "https://www.velmora.example/";
constexpr const char* SupportMail = "support@velmora.example";

// Percent-encoding of a mail subject: letters, digits and "-._~" stay.
std::string PercentEncoded(const std::string& S)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : S) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

void Open(const std::string& Address)
{
    AbortFlag = false;
    HourglassCursor();
    bool ok = Ui().OpenUrl(Address);
    NormalCursor();
    if (!ok) {
        ErrorBox(DisplayToOem(Address + " kann nicht geöffnet werden"));
        AbortFlag = true;
    }
}

} // namespace

std::string HomePageAddress() { return HomePage; }

std::string ProductPageAddress() { return HomePageAddress() + BaseName + "_d.htm"; }

std::string SupportMailAddress()
{
    return std::string("mailto:") + SupportMail + "?subject=" +
           PercentEncoded(OemToDisplay(ProductName) + " V" + ProgramVersion);
}

std::string HistoryCaption(int Kind)
{
    const std::string product = OemToDisplay(ProductName);
    if (Kind == 0)
        return product + " Info (www)";
    if (Kind == 1)
        return "";
    return "History " + product + " V" + ProgramVersion;
}

void OpenHomePage() { Open(HomePageAddress()); }
void OpenProductPage() { Open(ProductPageAddress()); }
void SendMail() { Open(SupportMailAddress()); }

} // namespace kt4::shell
