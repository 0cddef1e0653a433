// The rows of the configuration file as data: each item writes its lines
// and reads them back (with its read-time correction). Used only by
// config_file.cpp and the tests.
#pragma once

#include "foundation/types.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kt4::shell::config {

// Reading position in the lines of a configuration file.
class LineCursor {
public:
    explicit LineCursor(const std::vector<std::string>& lines) : lines_(lines) {}
    bool AtEnd() const { return pos_ >= lines_.size(); }
    // The next line; "" past the end.
    std::string Line();
    // The next line as a number; 0 when it holds none ("," or "."
    // accepted; an integer line that holds a decimal number gives 0 too).
    Integer Int();
    Real Number();
    // The first line that Int or Number found holding no number: its
    // number in the lines (from 1), 0 when there is none, and its text.
    std::size_t BadNumberLine() const { return badLine_; }
    const std::string& BadNumberText() const { return badText_; }
    // True for "TRUE" in any case.
    bool Bool();
    std::size_t Position() const { return pos_; }
    // True when the next line is S.
    bool NextIs(const std::string& S) const { return !AtEnd() && lines_[pos_] == S; }
    // What the reader found worth telling about the file (display text).
    void Note(const std::string& Text) { notes_.push_back(Text); }
    const std::vector<std::string>& Notes() const { return notes_; }

private:
    const std::vector<std::string>& lines_;
    // Int and Number on a line that holds no number (Text, trimmed).
    void NotANumber(const std::string& Text);

    std::size_t pos_ = 0;
    std::vector<std::string> notes_;
    std::size_t badLine_ = 0;
    std::string badText_;
};

struct Item {
    void (*write)(std::vector<std::string>& out, const Item& self) = nullptr;
    void (*read)(LineCursor& in, const Item& self) = nullptr;
    // What the item refers to; the write and read functions know the type.
    void* ref = nullptr;
    const char* label = nullptr;
    void (*fix)() = nullptr;      // read-time correction after the value
    void (*atEnd)() = nullptr;    // the file ended right before this item
    // The value is a display text (a folder, program or font name): UTF-8
    // in the program, code page 850 in the file.
    bool displayText = false;
    // An exact copy of the value (the file's number forms round): returns
    // what puts it back. Null for lines that hold no setting.
    std::function<void()> (*capture)(const Item& self) = nullptr;
};

// Every item of the file, in file order.
const std::vector<Item>& Items();

// Every setting of the file, copied exactly, to set them aside and put
// them back (a configuration looked at without taking it).
class Snapshot {
public:
    Snapshot(); // the present settings
    void Restore() const;

private:
    std::vector<std::function<void()>> restore_;
};

// The display texts of the settings that code page 850 cannot hold (the
// file would change them); empty when every one can be stored.
std::vector<std::string> UnstorableTexts();

// Texts of the two number forms of the file: R (seven decimals, whole
// values below 1 without) and R3 (three significant digits, no trailing
// zeros, "0" below 1E-5). Both always with ".".
std::string RealText(Real X);
std::string Real3Text(Real X);

} // namespace kt4::shell::config
