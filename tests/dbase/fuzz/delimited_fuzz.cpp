// Fuzz target: any bytes as a delimited text file appended to a table with
// fields of every type. Every record appended is well-formed (numbers right
// aligned or the overflow stars, dates of eight digits or blank, logicals
// T or F, the memo field untouched), the count returned is the records the
// table gained, and the table opens again with that count.
#include "common/fuzz_support.h"
#include "engine_fuzz.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

using namespace kt4::dbase;
using kt4::fuzz::Check;

namespace {

std::string Table() { return kt4::fuzz::ScratchDir() + "T.DBF"; }

bool All(std::string_view s, char c) { return s.find_first_not_of(c) == std::string_view::npos; }

// Blanks, then an optional "-", digits and at most one ".".
bool NumberText(std::string_view s)
{
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    bool digit = false, point = false;
    for (char c : s) {
        if (c == '.' && !point)
            point = true;
        else if (std::isdigit(static_cast<unsigned char>(c)))
            digit = true;
        else
            return false;
    }
    return digit;
}

void CheckRecord(const TWorkArea& area)
{
    for (int f = 1; f <= FieldCount(); ++f) {
        const std::string_view raw = FieldBytes(area, f);
        Check(raw.size() == std::size_t(FieldLen(f)));
        switch (FieldType(f)) {
        case 'N':
        case 'F':
            Check(All(raw, ' ') || All(raw, '*') || NumberText(raw));
            break;
        case 'D':
            Check(All(raw, ' ') || raw.find_first_not_of("0123456789") == std::string_view::npos);
            break;
        case 'L':
            Check(raw == "T" || raw == "F" || raw == " ");
            break;
        case 'M':
            Check(All(raw, ' '));
            break;
        default:
            break;
        }
    }
    Check(!Deleted());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQuietEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kt4::UseHeadlessUi().ClearLog();
    const std::string text = kt4::fuzz::WriteInput("in.txt", data, size);
    Check(CreateDbf(Table(), {{"NAME", 'C', 12, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 5, 0},
                              {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}, {"RATE", 'F', 12, 4},
                              {"NOTE", 'M', 10, 0}, {"CODE", 'C', 3, 0}}));
    Check(USE(Table() + " EXCLUSIVE"));
    const std::int32_t appended = AppendFromDelimited(text);
    Check(appended >= 0 && std::size_t(appended) <= size);
    Check(RecCount() == appended);
    for (GoTop(); !dEOF(); SKIP(1))
        CheckRecord(*Current());
    USE("");
    Check(USE(Table() + " EXCLUSIVE"));
    Check(RecCount() == appended);
    USE("");
    ResetErrorState();
    return 0;
}
