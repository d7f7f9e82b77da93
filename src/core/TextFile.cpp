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

namespace {

// A new file beside path, named path.XXXXXX, open for writing.
int CreateTemporary(const std::string& path, std::string& temp, const std::string& errorMessage)
{
    temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw FatalError(errorMessage, 1);
    // mkstemp creates the file 0600; a result file is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    return fd;
}

// Closes the temporary file and puts it in place of path, or removes it.
void Finish(int fd, const std::string& temp, const std::string& path, bool written, const std::string& errorMessage)
{
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw FatalError(errorMessage, 1);
    }
}

} // namespace

void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage)
{
    std::string temp;
    const int fd = CreateTemporary(path, temp, errorMessage);
    Finish(fd, temp, path, WriteAll(fd, content), errorMessage);
}

void WriteTextFileInParts(const std::string& path, const std::function<bool(std::string&)>& produce,
                          const std::string& errorMessage)
{
    std::string temp;
    const int fd = CreateTemporary(path, temp, errorMessage);
    bool written = true;
    try {
        std::string part;
        bool more = true;
        while (written && more) {
            part.clear();
            more = produce(part);
            written = WriteAll(fd, part);
        }
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    Finish(fd, temp, path, written, errorMessage);
}
