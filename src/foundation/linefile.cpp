#include "foundation/linefile.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/files.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

LineFile ReportFile;

namespace {

constexpr std::size_t ReadChunk = 1 << 16;
const std::string LineEnd = "\r\n";
const std::string HeaderRule(65, '-');

int OpenErrorCode(int err)
{
    switch (err) {
    case ENOENT:
        return IoFileNotFound;
    case ENOTDIR:
        return IoPathNotFound;
    case ENOSPC:
    case EDQUOT:
        return IoWriteFailed;
    default:
        return IoAccessDenied;
    }
}

std::string NumberText(const std::string& line) { return TrimBlanks(line); }

} // namespace

int RefusalIoCode(AtomicWriter::Refusal Why)
{
    switch (Why) {
    case AtomicWriter::Refusal::NameTaken:
        return IoNameTaken;
    case AtomicWriter::Refusal::UnsafeLink:
        return IoUnsafeLink;
    case AtomicWriter::Refusal::WriteProtected:
        return IoWriteProtected;
    case AtomicWriter::Refusal::NotAFile:
        return IoNotAFile;
    default:
        return IoAccessDenied;
    }
}

std::string WriteFailureText(const AtomicWriter& Writer, const std::string& Path)
{
    const std::string& link = Writer.RefusedLink();
    const bool further = Writer.Refused() == AtomicWriter::Refusal::UnsafeLink && link != Path && !link.empty();
    return WriteFailureText(RefusalIoCode(Writer.Refused()), Writer.Errno(), further ? Path + " -> " + link : Path);
}

std::string FileRealStr(Real X)
{
    if (X >= 1)
        return RealStrDecPoint(7, X);
    if (std::fabs(X - std::nearbyint(X)) < 1E-10L)
        return RealStrPoint(X);
    return RealStrDecPoint(7, X);
}

LineFile::~LineFile()
{
    if (mode_ == Mode::Write)
        writer_.Discard();
    if (fd_ >= 0)
        ::close(fd_);
}

std::string LineFile::FailureText() const { return WriteFailureText(ioError_, sysError_, path_); }

void LineFile::Fail(int code, int sysErr)
{
    ioError_ = code;
    sysError_ = sysErr;
    settings::AbortFlag = true;
}

bool LineFile::Reset() { return OpenForReading(false); }
bool LineFile::ResetRegular() { return OpenForReading(true); }

bool LineFile::OpenForReading(bool regularOnly, bool followLinks)
{
    if (IsOpen())
        Close();
    ioError_ = sysError_ = 0;
    buf_.clear();
    pos_ = 0;
    atEnd_ = false;
    modified_ = 0;
    owner_ = group_ = permissions_ = 0;
    const int noFollow = followLinks ? 0 : O_NOFOLLOW;
    fd_ = regularOnly ? OpenRegularFile(path_, O_RDONLY | noFollow) : ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | noFollow);
    if (fd_ < 0) {
        if (regularOnly && errno == EISDIR)
            Fail(IoAccessDenied, EISDIR);
        else if (regularOnly && errno == ENODEV)
            Fail(IoNotAFile);
        else
            Fail(OpenErrorCode(errno), errno);
        return false;
    }
    struct stat st {};
    const bool known = ::fstat(fd_, &st) == 0;
    if (!known || S_ISDIR(st.st_mode) || (regularOnly && !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
        if (known && !S_ISDIR(st.st_mode))
            Fail(IoNotAFile);
        else
            Fail(IoAccessDenied, EISDIR);
        return false;
    }
    modified_ = st.st_mtime;
    owner_ = st.st_uid;
    group_ = st.st_gid;
    permissions_ = st.st_mode & 07777;
    mode_ = Mode::Read;
    return true;
}

bool LineFile::OpenForWriting(bool keepOld)
{
    if (IsOpen())
        Close();
    ioError_ = sysError_ = 0;
    if (!writer_.Open(path_, keepOld)) {
        const AtomicWriter::Refusal why = writer_.Refused();
        Fail(why == AtomicWriter::Refusal::None ? OpenErrorCode(writer_.Errno()) : RefusalIoCode(why), writer_.Errno());
        return false;
    }
    mode_ = Mode::Write;
    return true;
}

bool LineFile::Rewrite() { return OpenForWriting(false); }
bool LineFile::Append() { return OpenForWriting(true); }

bool LineFile::Close()
{
    bool ok = true;
    if (mode_ == Mode::Write) {
        ok = writer_.Commit();
        if (!ok)
            Fail(IoWriteFailed, writer_.Errno());
    } else if (mode_ == Mode::Read) {
        ::close(fd_);
        fd_ = -1;
        buf_.clear();
        pos_ = 0;
    }
    mode_ = Mode::Closed;
    return ok;
}

void LineFile::Discard()
{
    if (mode_ == Mode::Write) {
        writer_.Discard();
        mode_ = Mode::Closed;
    } else {
        Close();
    }
}

bool LineFile::FillBuffer()
{
    if (atEnd_ || fd_ < 0)
        return false;
    buf_.erase(0, pos_);
    pos_ = 0;
    std::size_t old = buf_.size();
    buf_.resize(old + ReadChunk);
    ssize_t n = 0;
    do
        n = ::read(fd_, buf_.data() + old, ReadChunk);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        Fail(IoReadPastEnd, errno);
        n = 0;
    }
    buf_.resize(old + static_cast<std::size_t>(n));
    if (n == 0)
        atEnd_ = true;
    return n > 0;
}

bool LineFile::Eof()
{
    if (mode_ != Mode::Read)
        return true;
    return pos_ >= buf_.size() && !FillBuffer();
}

bool LineFile::CheckWriting()
{
    if (mode_ == Mode::Write)
        return true;
    Fail(mode_ == Mode::Read ? IoNotOpenForOutput : IoNotOpen);
    return false;
}

void LineFile::WriteBytes(const char* Data, std::size_t Size)
{
    if (!CheckWriting())
        return;
    if (!writer_.Write(Data, Size))
        Fail(IoWriteFailed, writer_.Errno());
}

void LineFile::WriteLine(const std::string& S) { Put(S + LineEnd); }
void LineFile::WriteValue(const std::string& S) { WriteLine(OneLineText(S)); }
void LineFile::WriteText(const std::string& S) { Put(S); }
void LineFile::WriteInt(std::int64_t N) { WriteLine(IntStr(N)); }
void LineFile::WriteReal(Real X) { WriteLine(FileRealStr(X)); }
void LineFile::WriteBool(bool B) { WriteLine(BoolStr(B)); }

void LineFile::WriteFields(std::initializer_list<std::string> Fields)
{
    std::string line;
    for (const auto& f : Fields)
        line += OneLineText(f) + "|";
    WriteLine(line);
}

void LineFile::WriteFields4(const std::string& A, const std::string& B, const std::string& C,
                            const std::string& D)
{
    WriteFields({A, B, C, D});
}

void LineFile::WriteFields6(const std::string& A, const std::string& B, const std::string& C,
                            const std::string& D, const std::string& E, const std::string& F)
{
    WriteFields({A, B, C, D, E, F});
}

void LineFile::WriteFields8(const std::string& A, const std::string& B, const std::string& C,
                            const std::string& D, const std::string& E, const std::string& F,
                            const std::string& G, const std::string& H)
{
    WriteFields({A, B, C, D, E, F, G, H});
}

void LineFile::WriteFileHeader()
{
    using namespace settings;
    WriteLine(HeaderRule);
    WriteLine(ProgramTitle + "   V " + GetFileVersion("W" + BaseName + ".exe"));
    WriteLine("Version " + ProgramVersion);
    WriteLine(HeaderRule);
    for (const auto& remark : RemarkLines)
        WriteValue(remark);
}

void LineFile::WriteFileHeaderShort()
{
    using namespace settings;
    WriteLine(HeaderRule);
    WriteLine(ProgramTitle + "  V " + GetFileVersion("W" + BaseName + ".exe"));
    WriteLine("Version " + ProgramVersion);
    WriteLine(HeaderRule);
    WriteValue(RemarkLines[0]);
    WriteValue(RemarkLines[1]);
}

bool LineFile::ReadLine(std::string& S)
{
    S.clear();
    if (mode_ != Mode::Read) {
        Fail(mode_ == Mode::Write ? IoNotOpenForInput : IoNotOpen);
        return false;
    }
    if (Eof()) {
        Fail(IoReadPastEnd);
        return false;
    }
    for (;;) {
        std::size_t e = pos_;
        while (e < buf_.size() && buf_[e] != '\r' && buf_[e] != '\n')
            ++e;
        if (e == buf_.size()) {
            S.append(buf_, pos_, std::string::npos);
            pos_ = buf_.size();
            if (!FillBuffer())
                return true; // last line without a line end
            continue;
        }
        S.append(buf_, pos_, e - pos_);
        pos_ = e + 1;
        if (buf_[e] == '\r' && !Eof() && buf_[pos_] == '\n')
            ++pos_;
        return true;
    }
}

std::string LineFile::ReadLine()
{
    std::string s;
    ReadLine(s);
    return s;
}

char LineFile::ReadChar()
{
    std::string s = ReadLine();
    return s.empty() ? ' ' : s[0];
}

void LineFile::ReadFields(std::string& A, std::string& B, std::string& C, std::string& D)
{
    std::string line = ReadLine();
    std::string* out[] = {&A, &B, &C, &D};
    std::size_t start = 0;
    for (auto* field : out) {
        std::size_t bar = line.find('|', start);
        if (bar == std::string::npos) {
            field->clear();
            start = line.size() + 1;
            continue;
        }
        *field = line.substr(start, bar - start);
        start = bar + 1;
    }
}

Integer LineFile::ReadInt() { return StrToInteger(NumberText(ReadLine())); }

Word LineFile::ReadWord()
{
    Integer n = ReadInt();
    return n >= 0 && n <= 65535 ? static_cast<Word>(n) : 0;
}

Real LineFile::ReadReal() { return StrToReal(CommaToPoint(NumberText(ReadLine()))); }

double LineFile::ReadDouble() { return static_cast<double>(ReadReal()); }

void LineFile::ReadBool(bool& B)
{
    std::string s;
    if (ReadLine(s))
        B = UpperStr(TrimBlanks(s)) == "TRUE";
}

void LineFile::ReadBoolDefTrue(bool& B)
{
    std::string s;
    if (ReadLine(s))
        B = UpperStr(TrimBlanks(s)) != "FALSE";
}

void WriteReportLine(const std::string& S) { ReportFile.WriteValue(S); }
void WriteReportStr(const std::string& S) { ReportFile.WriteValue(S); }
void WriteReportText(const std::string& S) { ReportFile.WriteText(S); }
void WriteReportInt(std::int64_t N) { ReportFile.WriteInt(N); }
void WriteReportReal(Real X) { ReportFile.WriteReal(X); }
void WriteReportBool(bool B) { ReportFile.WriteBool(B); }

void WriteReportFields4(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D)
{
    ReportFile.WriteFields4(A, B, C, D);
}

void WriteReportFields6(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D, const std::string& E, const std::string& F)
{
    ReportFile.WriteFields6(A, B, C, D, E, F);
}

void WriteReportFields8(const std::string& A, const std::string& B, const std::string& C,
                        const std::string& D, const std::string& E, const std::string& F,
                        const std::string& G, const std::string& H)
{
    ReportFile.WriteFields8(A, B, C, D, E, F, G, H);
}

void WriteFileHeader() { ReportFile.WriteFileHeader(); }
void WriteFileHeaderShort() { ReportFile.WriteFileHeaderShort(); }

void ReadReportLine(std::string& S) { ReportFile.ReadLine(S); }
void ReadReportChar(char& C) { C = ReportFile.ReadChar(); }
void ReadReportFields(std::string& A, std::string& B, std::string& C, std::string& D)
{
    ReportFile.ReadFields(A, B, C, D);
}
void ReadReportInt(Integer& N) { N = ReportFile.ReadInt(); }
void ReadReportWord(Word& W) { W = ReportFile.ReadWord(); }
void ReadLongintLine(Integer& N) { N = ReportFile.ReadLongint(); }
void ReadRealLine(Real& X) { X = ReportFile.ReadReal(); }
void ReadDoubleLine(double& X) { X = ReportFile.ReadDouble(); }
void ReadBoolLine(bool& B) { ReportFile.ReadBool(B); }
void ReadBoolLineDefTrue(bool& B) { ReportFile.ReadBoolDefTrue(B); }

bool ReadTextLines(const std::string& Path, std::vector<std::string>& Lines)
{
    LineFile f;
    if (!f.OpenRead(Path))
        return false;
    std::string line;
    while (!f.Eof() && f.ReadLine(line))
        Lines.push_back(line);
    bool ok = f.IoError() == 0;
    f.Close();
    return ok;
}

} // namespace kt4
