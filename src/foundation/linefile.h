// Line-oriented text files: reports, project, configuration and session
// files, sibling-program files and the tour script are written and read
// one value per line through a LineFile.
//
// Lines end with CR LF when written; reading accepts CR LF, LF and CR.
// Bytes go through unchanged (stored OEM text). Numbers are written with
// "." and read with "," or ".", whatever the process locale.
//
// Data files (project, sibling-program, documentation, configuration and
// session files) hold one value per line: their text values are written
// with WriteValue (WriteReportLine on ReportFile), the fields of
// WriteFields and the remark lines of the file header likewise, so that a
// line break or control byte in a value (a catalogue designation, a typed
// remark) never shifts the lines that follow (OneLineText). WriteLine and
// WriteText write a composed line as it is (reports, CAD files).
//
// Writing is atomic (AtomicWriter): the lines go to a temporary file beside
// the target, which replaces the target at Close only when every write
// succeeded. A write-protected file, a name that is no file and a name
// another user planted in a shared folder, and a link where others may
// move names, are refused at Rewrite and Append (IoWriteProtected,
// IoNotAFile, IoNameTaken, IoUnsafeLink).
//
// Errors raise nothing and show nothing: every failed operation sets
// settings::AbortFlag and records an I/O code (IoError) that the dialog
// layer turns into its message ("Lesefehler", "Diskette/Platte voll").
// Callers test AbortFlag after a sequence of lines and after Close.
//
// ReportFile is the program's shared instance, used by the WriteReport...
// and Read... functions below; an operation may also own a LineFile.
#pragma once

#include "foundation/atomic_file.h"
#include "foundation/io_codes.h"
#include "foundation/types.h"

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

namespace kt4 {

// The I/O code of a writer's refusal (AtomicWriter::Refused());
// IoAccessDenied when it refused nothing.
int RefusalIoCode(AtomicWriter::Refusal Why);

// The message of a failed write (WriteFailureText, io_codes.h) for a
// writer that failed (Refused() and Errno()).
std::string WriteFailureText(const AtomicWriter& Writer, const std::string& Path);

// A number as written into files: seven decimals ("1500.0000000",
// "0.2500000"), whole numbers below 1 without decimals ("0", "-3"); always
// ".", independent of the Decimals setting.
std::string FileRealStr(Real X);

class LineFile {
public:
    LineFile() = default;
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    // Binds a name; Reset, Rewrite and Append then open it.
    void Assign(const std::string& Path) { path_ = Path; }
    const std::string& Path() const { return path_; }
    // For reading whatever the name holds (a project the user names may
    // come from a FIFO).
    bool Reset();
    // Reset for a file that must be a regular one: anything else (a FIFO,
    // a device, a folder) is refused at once (IoNotAFile; a folder
    // IoAccessDenied with EISDIR), never waited for (OpenRegularFile: a
    // device found at the name is not even opened).
    bool ResetRegular();
    bool Rewrite(); // for writing from the start
    bool Append();  // for writing after the present content
    // The program's own files and those it finds by a fixed name are
    // regular files.
    bool OpenRead(const std::string& Path) { Assign(Path); return ResetRegular(); }
    // OpenRead of a name whose links the caller has followed itself: a link
    // found at the name now is not followed (ELOOP).
    bool OpenReadNoFollow(const std::string& Path)
    {
        Assign(Path);
        return OpenForReading(true, false);
    }
    bool OpenWrite(const std::string& Path) { Assign(Path); return Rewrite(); }
    bool OpenAppend(const std::string& Path) { Assign(Path); return Append(); }
    // Ends reading, or puts a written file in place. False (and AbortFlag)
    // when a write failed: the old file is then unchanged.
    bool Close();
    // Ends writing without touching the target.
    void Discard();

    bool IsOpen() const { return mode_ != Mode::Closed; }
    // When the file that Reset opened was last written, its owner's user
    // and group ids and its permission bits.
    std::time_t ModifiedTime() const { return modified_; }
    unsigned Owner() const { return owner_; }
    unsigned Group() const { return group_; }
    unsigned Permissions() const { return permissions_; }
    bool IsWriting() const { return mode_ == Mode::Write; }
    // The descriptor of the file open for reading; -1 else.
    int ReadFd() const { return mode_ == Mode::Read ? fd_ : -1; }
    // True when no line is left to read.
    bool Eof();
    // The last error since the file was opened (IoCode), 0 when none,
    // and the system's errno behind it.
    int IoError() const { return ioError_; }
    int SysError() const { return sysError_; }
    // WriteFailureText of the last error and the file's name.
    std::string FailureText() const;

    // Writers, one line each unless stated
    void WriteLine(const std::string& S);
    // A text value as one line (OneLineText).
    void WriteValue(const std::string& S);
    void WriteStr(const std::string& S) { WriteLine(S); }
    void WriteText(const std::string& S); // no line end
    void WriteBytes(const char* Data, std::size_t Size); // as they are
    void WriteInt(std::int64_t N);
    void WriteReal(Real X); // FileRealStr
    void WriteBool(bool B); // "TRUE" / "FALSE"
    // Each field (OneLineText) followed by "|": a|b|c|d|
    void WriteFields(std::initializer_list<std::string> Fields);
    void WriteFields4(const std::string& A, const std::string& B, const std::string& C,
                      const std::string& D);
    void WriteFields6(const std::string& A, const std::string& B, const std::string& C,
                      const std::string& D, const std::string& E, const std::string& F);
    void WriteFields8(const std::string& A, const std::string& B, const std::string& C,
                      const std::string& D, const std::string& E, const std::string& F,
                      const std::string& G, const std::string& H);
    // The seven-line header of data files (rule, title and file version,
    // "Version " + ProgramVersion, rule, three remark lines) and the short
    // six-line form (two blanks before "V", two remark lines).
    void WriteFileHeader();
    void WriteFileHeaderShort();

    // Readers, one line each. At the end of the file they give "" or 0 and
    // set AbortFlag; a line that is no number gives 0 without AbortFlag.
    std::string ReadLine();
    bool ReadLine(std::string& S);
    // The first character, a blank for an empty line.
    char ReadChar();
    // The texts before the first "|" and between the following ones; a
    // missing separator leaves that field and the following ones empty.
    void ReadFields(std::string& A, std::string& B, std::string& C, std::string& D);
    Integer ReadInt();
    Word ReadWord(); // values outside 0..65535 give 0
    Integer ReadLongint() { return ReadInt(); }
    Real ReadReal();
    double ReadDouble();
    // B := line = "TRUE" (any case); unchanged when the read failed.
    void ReadBool(bool& B);
    // B := line <> "FALSE"; unchanged when the read failed.
    void ReadBoolDefTrue(bool& B);

private:
    enum class Mode { Closed, Read, Write };
    bool OpenForReading(bool regularOnly, bool followLinks = true);
    bool OpenForWriting(bool keepOld);
    void Fail(int code, int sysErr = 0);
    bool CheckWriting();
    bool FillBuffer();
    void Put(const std::string& S) { WriteBytes(S.data(), S.size()); }

    std::string path_;
    Mode mode_ = Mode::Closed;
    int ioError_ = 0;
    int sysError_ = 0;
    AtomicWriter writer_;
    int fd_ = -1;
    std::string buf_;
    std::size_t pos_ = 0;
    bool atEnd_ = false;
    std::time_t modified_ = 0;
    unsigned owner_ = 0;
    unsigned group_ = 0;
    unsigned permissions_ = 0;
};

// The program's shared text file.
extern LineFile ReportFile;

// The line routines on ReportFile, which data files are written with:
// WriteReportLine and WriteReportStr write a text value (WriteValue).
void WriteReportLine(const std::string& S);
void WriteReportStr(const std::string& S);
void WriteReportText(const std::string& S);
void WriteReportInt(std::int64_t N);
void WriteReportReal(Real X);
void WriteReportBool(bool B);
void WriteReportFields4(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D);
void WriteReportFields6(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D, const std::string& E, const std::string& F);
void WriteReportFields8(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D, const std::string& E, const std::string& F,
                        const std::string& G, const std::string& H);
void WriteFileHeader();
void WriteFileHeaderShort();

void ReadReportLine(std::string& S);
void ReadReportChar(char& C);
void ReadReportFields(std::string& A, std::string& B, std::string& C, std::string& D);
void ReadReportInt(Integer& N);
void ReadReportWord(Word& W);
void ReadLongintLine(Integer& N);
void ReadRealLine(Real& X);
void ReadDoubleLine(double& X);
void ReadBoolLine(bool& B);
void ReadBoolLineDefTrue(bool& B);

// Appends every line of the file Path to Lines; false (and AbortFlag)
// when it cannot be opened or read.
bool ReadTextLines(const std::string& Path, std::vector<std::string>& Lines);

} // namespace kt4
