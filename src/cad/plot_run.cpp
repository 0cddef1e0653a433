#include "cad/plot_run.h"

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/strutil.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace kt4::cad {

namespace fs = std::filesystem;

std::vector<std::string> SplitCommandLine(const std::string& Line)
{
    std::vector<std::string> words;
    std::string word;
    bool inQuotes = false, hasWord = false;
    for (char c : Line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            hasWord = true;
        } else if (c == ' ' && !inQuotes) {
            if (hasWord)
                words.push_back(word);
            word.clear();
            hasWord = false;
        } else {
            word += c;
            hasWord = true;
        }
    }
    if (hasWord)
        words.push_back(word);
    return words;
}

namespace {

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// Name in Dir: as typed, else whatever its case, else with ".exe".
std::string ProgramIn(const std::string& Dir, const std::string& Name)
{
    std::string typed = Dir.empty() ? Name : AddBackslash(Dir) + Name;
    if (IsFile(typed))
        return typed;
    for (const std::string& candidate : {Name, Name + ".exe"}) {
        std::string found = FindFileNoCase(Dir.empty() ? "." : Dir, candidate);
        if (IsFile(found))
            return found;
    }
    return {};
}

// What a failed start is told as: its text, the system's reason and the
// program the line names.
std::string StartError(int err, const std::string& Program)
{
    std::string text;
    switch (err) {
    case ENOMEM:
        text = "out of memory !";
        break;
    case ENOENT:
    case EACCES:
    case ENOTDIR:
        text = "file not found";
        break;
    default:
        text = "Exec error " + IntStr(err);
        break;
    }
    return text + " (" + std::strerror(err) + "): " + DisplayToOem(Program);
}

// Starts Program with Args (Args[0] included) detached from this process:
// an intermediate child starts it and ends at once, so nothing is left to
// wait for. The started program waits for the go-ahead, which is given
// after the fork only while no signal ends the run: a signal that lands
// during the fork runs its handler before the fork is done again, and is
// seen here. The result is 0, ECANCELED when the run ends (nothing was
// started), or the errno of the failed start.
int Spawn(const std::string& Program, std::vector<std::string> Args)
{
    Args[0] = Program;
    std::vector<char*> argv;
    for (auto& a : Args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2], go[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    if (::pipe2(go, O_CLOEXEC) != 0) {
        const int err = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return err;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        int err = errno;
        for (int fd : {fds[0], fds[1], go[0], go[1]})
            ::close(fd);
        return err;
    }
    if (pid == 0) {
        ::close(fds[0]);
        ::close(go[1]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild > 0)
            ::_exit(0);
        if (grandchild == 0) {
            char byte = 0;
            ssize_t n = 0;
            do
                n = ::read(go[0], &byte, 1);
            while (n < 0 && errno == EINTR);
            // No go-ahead: ends, and with it what it held of the run (the
            // private folder's lock) before its report pipe closes.
            if (n != 1)
                ::_exit(0);
            ::execv(argv[0], argv.data());
        }
        int err = errno; // the fork or the exec failed
        [[maybe_unused]] ssize_t n = ::write(fds[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(fds[1]);
    const bool start = !RunEnding();
    if (start) { // go[0] stays open here: no SIGPIPE when no program waits
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(go[1], &byte, 1);
    }
    ::close(go[1]);
    ::close(go[0]);
    int err = 0;
    ssize_t n = 0;
    do
        n = ::read(fds[0], &err, sizeof err);
    while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (!start)
        return ECANCELED;
    return n == static_cast<ssize_t>(sizeof err) ? err : 0;
}

bool IsBatchFile(const std::string& path) { return UpperStr(fs::path(path).extension().string()) == ".BAT"; }

// The one line of a batch file, "" when it cannot be read.
std::string BatchLine(const std::string& path)
{
    LineFile f;
    std::string line;
    if (f.OpenRead(path) && !f.Eof())
        f.ReadLine(line);
    f.Close();
    return line;
}

} // namespace

std::string FindProgram(const std::string& Word)
{
    if (Word.empty())
        return {};
    if (Word.find('/') != std::string::npos)
        return ProgramIn(FilePathPart(Word), FileNamePart(Word));
    const char* env = std::getenv("PATH");
    std::string path = env ? env : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t colon = path.find(':', start);
        std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty()) {
            std::string found = ProgramIn(dir, Word);
            if (!found.empty())
                return found;
        }
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return {};
}

std::string StartPlotCommand(const std::string& Line, const std::string& Drawing)
{
    std::vector<std::string> words = SplitCommandLine(Line);
    std::string program = words.empty() ? std::string() : FindProgram(words[0]);
    if (!program.empty() && IsBatchFile(program)) {
        // the question route's detour: the batch file's line, no shell
        words = SplitCommandLine(BatchLine(program));
        program = words.empty() ? std::string() : FindProgram(words[0]);
        if (IsBatchFile(program))
            program.clear();
    }
    if (program.empty())
        return StartError(ENOENT, words.empty() ? Line : words[0]);
    if (!Drawing.empty() && words.size() >= 2)
        words[1] = Drawing;
    int err = Spawn(program, words);
    return err == 0 ? std::string() : StartError(err, program);
}

} // namespace kt4::cad
