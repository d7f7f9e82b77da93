// The file operations of POSIX systems: paths are bytes.
#if !defined(_WIN32)

#include "core/PlatformFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* OpenFileUtf8(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

int CreateUniqueFile(std::string& pattern)
{
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return -1;
    // mkstemp creates the file 0600; a result file is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    return fd;
}

bool WriteToDescriptor(int fd, std::string_view text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CloseDescriptor(int fd)
{
    return ::close(fd) == 0;
}

bool RenameReplacing(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFileUtf8(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

std::string CreatePrivateTempFolder(const std::string& prefix, std::string& where)
{
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    where = base.string();
    std::string pattern = (base / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

#endif
