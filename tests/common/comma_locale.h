// The German locale (decimal comma) for tests that check that no number
// follows the process locale. The build makes it with localedef into its
// own folder (KT4_TEST_LOCPATH), so it exists on a fresh machine too; a
// test that cannot switch to it fails instead of passing unchecked.
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

namespace kt4::testing {

class CommaLocale {
public:
    // FromEnvironment: as the window program starts, setlocale(LC_ALL, "")
    // with LC_ALL=de_DE.UTF-8 in the environment.
    explicit CommaLocale(bool FromEnvironment = false)
    {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        Keep("LOCPATH", locpath_, hadLocpath_);
        Keep("LC_ALL", lcAll_, hadLcAll_);
        ::setenv("LOCPATH", KT4_TEST_LOCPATH, 1);
        if (FromEnvironment) {
            ::setenv("LC_ALL", "de_DE.UTF-8", 1);
            active_ = std::setlocale(LC_ALL, "") != nullptr;
        } else {
            active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        }
        const std::lconv* conv = std::localeconv();
        active_ = active_ && conv && std::string(conv->decimal_point) == ",";
    }
    ~CommaLocale()
    {
        Restore("LC_ALL", lcAll_, hadLcAll_);
        Restore("LOCPATH", locpath_, hadLocpath_);
        std::setlocale(LC_ALL, saved_.c_str());
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // True when the process now writes numbers with a comma.
    bool Active() const { return active_; }
    static const char* Missing()
    {
        return "the locale de_DE.UTF-8 was not made in " KT4_TEST_LOCPATH
               " (the build runs localedef; install the package locales)";
    }

private:
    static void Keep(const char* name, std::string& value, bool& had)
    {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = v ? v : "";
    }
    static void Restore(const char* name, const std::string& value, bool had)
    {
        if (had)
            ::setenv(name, value.c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::string saved_, locpath_, lcAll_;
    bool hadLocpath_ = false, hadLcAll_ = false, active_ = false;
};

} // namespace kt4::testing
