// Shared by the fuzz targets: the private folder where a harness puts the
// files it hands to a reader, and the check that stops the run on a broken
// invariant.
#pragma once

#include "foundation/private_temp.h"
#include "foundation/settings.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace kt4::fuzz {

// A broken invariant is a finding: libFuzzer keeps the input.
inline void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The process's private folder (mode 0700, removed with everything in it
// when the process ends), on the memory file system where there is one so
// that the many small writes stay cheap. With a trailing "/".
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        const std::string saved = settings::TempDir;
        if (::access("/dev/shm", W_OK) == 0)
            settings::TempDir = "/dev/shm";
        std::string d = PrivateTempSubdir("fuzz");
        settings::TempDir = saved;
        Check(!d.empty());
        return d;
    }();
    return dir;
}

// The folder Name inside the scratch folder, made when missing; with a
// trailing "/".
inline std::string ScratchSubdir(const std::string& Name)
{
    const std::string dir = ScratchDir() + Name + "/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    Check(!ec);
    return dir;
}

// Writes the bytes to Name in the scratch folder; returns the full name.
inline std::string WriteInput(const std::string& Name, const std::uint8_t* Data, std::size_t Size)
{
    const std::string path = ScratchDir() + Name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
    out.close();
    Check(static_cast<bool>(out));
    return path;
}

inline std::string ReadBytes(const std::string& Path)
{
    std::ifstream in(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace kt4::fuzz
