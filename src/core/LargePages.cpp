#include "core/LargePages.h"

#include "core/PlatformFiles.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#include <filesystem>
#include <system_error>

#if defined(__linux__) && defined(__GLIBC__)

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

bool Sanitized()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace

void RunWithLargeMemoryPages(char** argv)
{
    // A sanitizer brings its own allocator, which the setting does not
    // reach.
    if (Sanitized() || argv == nullptr || argv[0] == nullptr)
        return;
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string kernel;
    std::getline(setting, kernel);
    const std::optional<std::string> value = LargePageTunables(tunables, kernel);
    if (!value || ::setenv("GLIBC_TUNABLES", value->c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Still here: the program goes on as it is; its children need not see
    // the setting either.
    if (tunables)
        ::setenv("GLIBC_TUNABLES", tunables, 1);
    else
        ::unsetenv("GLIBC_TUNABLES");
}

#else

void RunWithLargeMemoryPages(char** argv)
{
    (void)argv;
}

#endif

std::optional<std::string> LargePageTunables(const char* tunables, const std::string& kernelSetting)
{
    // The kernel gives huge pages only to memory that asks for them
    // ("madvise"); with "always" every program has them already, with
    // "never" nobody does.
    const std::string tunable = "glibc.malloc.hugetlb";
    if ((tunables && std::string(tunables).find(tunable) != std::string::npos) ||
        kernelSetting.find("[madvise]") == std::string::npos)
        return std::nullopt;
    std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
    return value + tunable + "=1";
}

bool NamesFileOfAtLeast(const std::vector<std::string>& words, std::uintmax_t bytes)
{
    for (const std::string& word : words) {
        std::error_code error;
        const std::filesystem::path path = PathFromUtf8(word);
        if (std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) >= bytes && !error)
            return true;
    }
    return false;
}
