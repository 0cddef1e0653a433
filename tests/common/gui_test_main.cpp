// Test entry for the window tests: one QApplication for the whole run
// (offscreen platform unless the caller chose another). Without a runtime
// folder Qt would leave one of its own in the temporary folder: the run
// makes a private one and removes it at its end.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string runtime;
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kt4xdg.XXXXXX").string();
        if (::mkdtemp(tmpl.data())) {
            runtime = tmpl;
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        }
    }
    int code = 0;
    {
        QApplication app(argc, argv);
        code = RUN_ALL_TESTS();
    }
    if (!runtime.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(runtime, ec);
    }
    return code;
}
