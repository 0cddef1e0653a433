// The configuration form without its windows: one table of (control,
// setting, conversion) that GlobalsToForm and FormToGlobals walk, and the
// form's commands OK, Save, Import and Export on the settings.
//
// A control's value is a text, keyed by "Tab/Control" (CheckBox_umrandung
// is on two tabs): an edit's or label's text, "1" or "0" for a check box,
// the item index of a radio group or combo box ("-1": no item), a spin
// edit's number, a colour panel's colour number. Grid cells are controls
// of their own ("Tab/Grid:col:row"); the five plot command lines are one
// value, separated by "\n".
#pragma once

#include "shell/config_table.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kt4::shell::configform {

using FormValues = std::map<std::string, std::string>;

struct Binding {
    std::string tab;
    std::string control;
    std::string caption;            // names the field in messages (display text)
    std::vector<std::string> items; // of radio groups and combo boxes (display text)
    std::function<std::string()> show;
    // Checks Text (Now holds the entries it may depend on) and, with
    // Apply, stores it. Returns the refusal message (display text), ""
    // when the entry is taken.
    std::function<std::string(const std::string& Text, const FormValues& Now, bool Apply)> take;

    std::string Key() const { return tab + "/" + control; }
};

// Every control of the form that shows a setting.
const std::vector<Binding>& Bindings();
const Binding* FindBinding(const std::string& Key);

// The controls' values for the present settings.
FormValues GlobalsToForm();

struct FormError {
    std::string tab;
    std::string control;
    std::string message; // display text
};

// Checks the entries of the controls whose value differs from Shown;
// false with Error naming the first refused one.
bool CheckFormValues(const FormValues& Shown, const FormValues& Now, FormError& Error);
// Stores every control whose value differs from what Shown (the values
// put into the form) holds; untouched controls change nothing. When an
// entry is refused, Error names it and nothing is stored.
bool FormToGlobals(const FormValues& Shown, const FormValues& Now, FormError& Error);

// A font style code from its words ("bold italic" is 3); unknown words
// count nothing.
Word StyleCode(const std::string& Words);

// Hooks of forms from other modules. plotLineForm edits one plot program
// command line; false when it was cancelled. Empty until that form exists.
struct ConfigFormHooks {
    std::function<bool(std::string& Line)> plotLineForm;
};
ConfigFormHooks& FormHooks();

// What the form edits: the live settings, or a configuration file imported
// into a scratch set that only OK (or Save) takes over.
class ConfigEditor {
public:
    // The values to put into the controls: the live settings, or the
    // imported file's after Import.
    FormValues Values() const;

    // OK: the imported file's settings (all of them) and then the form's
    // entries become the live settings. A refused entry is shown and
    // nothing changes (false, Error). A changed folder clears
    // DbfWriteChecked.
    bool Ok(const FormValues& Shown, const FormValues& Now, FormError& Error);
    // Save: as OK, then the configuration file is written. False when an
    // entry was refused or the file could not be written (shown).
    bool Save(const FormValues& Shown, const FormValues& Now, FormError& Error);
    // Export: asks for a file and writes what the form shows there; the
    // live settings stay as they are. False on a refused entry, Cancel or
    // a failed write.
    bool Export(const FormValues& Shown, const FormValues& Now, FormError& Error);
    // Import: asks for a file and reads it into the scratch set; Values()
    // then shows it. The live settings stay as they are until OK. False
    // on Cancel (AbortFlag) or a file that could not be read.
    bool Import();
    // Cancel: the scratch set is dropped; AbortFlag.
    void Cancel();

    bool Imported() const { return imported_.has_value(); }

private:
    std::optional<config::Snapshot> imported_;
};

} // namespace kt4::shell::configform
