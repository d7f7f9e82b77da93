#include "core/TextFile.h"

#include "core/FatalError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view content)
{
    const char* p = content.data();
    std::size_t left = content.size();
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

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage)
{
    WriteTextFile(path, std::span<const std::string_view>(&content, 1), errorMessage);
}

void WriteTextFile(const std::string& path, std::span<const std::string_view> parts,
                   const std::string& errorMessage)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw FatalError(errorMessage, 1);
    // mkstemp creates the file 0600; a result file is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    bool written = true;
    for (std::string_view part : parts)
        written = written && WriteAll(fd, part);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw FatalError(errorMessage, 1);
    }
}
