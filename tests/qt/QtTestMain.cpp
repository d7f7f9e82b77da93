// The Qt tests share one QApplication, made before any test runs: fonts
// need an application object, the window tests need widgets, and it may
// exist only once per process. This main takes the place of gtest_main.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A private runtime folder keeps Qt from warning about a missing one.
    std::string runtime;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        runtime = (std::filesystem::temp_directory_path() / "vela-qt-runtime-XXXXXX").string();
        if (::mkdtemp(runtime.data()) != nullptr)
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
        else
            runtime.clear();
    }
    // Settings (the recent files) go to a private folder, not the user's.
    std::string config = (std::filesystem::temp_directory_path() / "vela-qt-config-XXXXXX").string();
    if (::mkdtemp(config.data()) != nullptr)
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    else
        config.clear();
    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (!config.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(config, ignored);
    }
    if (!runtime.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(runtime, ignored);
    }
    return status;
}
