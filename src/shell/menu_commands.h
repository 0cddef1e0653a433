// The commands of the main menu. Each handler clears AbortFlag first and
// runs its steps in order; a step after a dialog or a file operation runs
// only while AbortFlag stays clear. "Caption" ends a handler with
// UpdateWindowCaption, "count" shows the message count after the
// calculation.
//
// Forms and drawings that the handlers open come from their own modules
// through FormServices(); a command whose form is missing is not offered
// (MenuCommand returns nothing for it).
#pragma once

#include <functional>
#include <string>

namespace kt4::shell {

class PreviewGrid;

// Forms the menu opens, filled by the modules that own them. Each returns
// with AbortFlag set when it was cancelled.
struct MenuForms {
    std::function<void()> preDesign;      // TForm_kt4pre
    std::function<void()> preDesign2;     // TForm_kt4pre2
    std::function<void(int step)> calcPreDesign;
    std::function<void()> geometry;       // TForm_kt4geo
    std::function<void()> driveData;      // TForm_kt4fs3
    std::function<void()> printSetup;     // TForm_printconf
    std::function<void()> configuration;  // Tconfig
    // TForm_preview on the grid: closes with AbortFlag set (OK, Cancel,
    // Exit, close box) or clear with SelectedRow the row clicked.
    std::function<void(PreviewGrid&)> preview;
    std::function<void()> aboutBox;       // TAboutBox
};
MenuForms& FormServices();

// The handler of a menu item by its object name; empty when the item has
// no command (menus, separators, commands whose module is missing).
std::function<void()> MenuCommand(const std::string& ItemName);

// The handlers, for tests and for the window.
void FileNewCommand();
void FileOpenCommand();
void FileSaveCommand();
void FileSaveAsCommand();
void ExportGearCommand(int Wheel);
void ExportShaftCommand(int Part);
void EditTextCommand();
void EditGeometryCommand();
void EditDriveDataCommand();
void EditPreDesignCommand();
void ViewPrintoutCommand();
void ViewErrorMessagesCommand();
void DocuCommand(int Action); // ChangesCommand 1..5
void DrawingInfoCommand();
void DocumentSetupCommand();
void HelpPicturesCommand();
void HelpErrorMessagesCommand();
// STL > Abtriebscheibe: the output disk is no part of its own; only a
// message says so.
void OutputDiskCommand();
// View > Animation: the animation asks for its values and plays in the
// main window.
void AnimationCommand();
// Help > Handbuch: the manual AddBackslash(ManualDir) + BaseName + ".htm"
// in HtmlBrowser, or with the desktop's opener when none is set; a
// missing file is named in the message.
void HandbookCommand();
// The View, CAD and STL items and the manual (view_commands.cpp); empty
// for any other item, and for the drawing items while the drawings are
// missing.
std::function<void()> ViewMenuCommand(const std::string& ItemName);

// The steps after File > New: the preliminary design, the texts, the
// geometry and the drive data, each step only while no dialog was
// cancelled. Done when the new design stands; Cancelled when a dialog was
// cancelled or a step ended with AbortFlag; Failed when the first design
// step failed (the second form is not shown). AbortFlag is set unless
// Done.
enum class NewDesign { Done, Cancelled, Failed };
NewDesign NewDesignSequence();

} // namespace kt4::shell
