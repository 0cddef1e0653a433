// File > "Öffnen... (Tabelle)": every project file of the data folder in
// TForm_preview with its drawing number, names, remarks and key values,
// each computed from that file on a scratch copy of the drive. A click on
// a row opens that project (calculated at once) and the list shows again;
// closing it leaves the open design exactly as it was.
#pragma once

#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/drive_snapshot.h"
#include "foundation/types.h"
#include "shell/preview_grid.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kt4::shell {

inline constexpr int ProjectListColumns = 17;
// The "Name" cell of a file the reader refused.
inline constexpr const char* UnreadableText = "nicht lesbar";
// The result cells of a file whose calculation failed.
inline constexpr const char* FailedValueText = "---";

const std::vector<std::string>& ProjectListHeader();

// The project files of Folder in file-name order (bytes): regular files
// whose extension is DataFileExt in any case. An empty Folder is the
// current one.
std::vector<std::string> ProjectFileNames(const std::string& Folder);

// The header and one row per project file of Folder. Each file is read
// into a scratch copy and calculated on the globals; the open design
// comes back afterwards on every way out. The window caption shows the
// file being read.
std::vector<std::vector<std::string>> ListProjectFiles(const std::string& Folder);

// The grid of the list: ListProjectFiles(Folder), with the list's column
// widths.
PreviewGrid ProjectListGrid(const std::string& Folder);

// Everything of the open design that reading and calculating another file
// or a new design can touch: inputs, results and bearing slots, project
// texts, the documentation (revisions, title block, free texts, document
// links), the message list with CalcErrorFlag, the current file's name and
// folder, DataModified and the image of its saved values.
struct OpenDesign {
    drive::DriveSnapshot drive;
    std::array<std::string, 3> remarks;
    std::string zeichNr, zeichName, zeichName2;
    Array1<docu::AendRecord, docu::AendMax> revisions;
    Word revisionCount = 0;
    docu::TZeichInfo titleBlock;
    Array1<docu::ZeichTextRecord, docu::ZeichTextMax> freeTexts;
    Word freeTextCount = 0;
    Integer freeTextMode = 0;
    Array1<docu::DokuRecord, docu::DokuMax> links;
    Word linkCount = 0;
    Word messageCount = 0;
    std::vector<std::string> messages;
    bool calcError = false;
    std::string currentFileName, dataDir;
    bool fileNameHasDir = false, dataModified = false;
    std::optional<std::string> savedValues; // the image of its last read or save
    bool operator==(const OpenDesign&) const = default;
};
OpenDesign CaptureOpenDesign();
void RestoreOpenDesign(const OpenDesign& D);

// Opens the listed file Name of DataDir: the name and folder change only
// when it was read; then the calculation. False when it could not be read
// (the reader told why; nothing changed).
bool OpenListedFile(const std::string& Name);

// Shows the grid in TForm_preview (MenuForms::preview), or, without the
// form, as a choice of its rows: a chosen row other than SelectedRow
// becomes SelectedRow; Cancel sets AbortFlag.
void ShowPreview(PreviewGrid& Grid);

// The menu command.
void OpenTableCommand();

} // namespace kt4::shell
