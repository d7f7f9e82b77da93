// The file operations of Windows: UTF-8 paths become UTF-16 for the
// wide-character calls of the C runtime and of the system.
#if defined(_WIN32)

#include "core/PlatformFiles.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// The UTF-16 form of a UTF-8 path; false for text that is not UTF-8.
bool Wide(const std::string& utf8, std::wstring& wide)
{
    try {
        wide = PathFromUtf8(utf8).native();
        return true;
    } catch (const std::exception&) {
        errno = EILSEQ;
        return false;
    }
}

// Six characters that are valid in any file name on any Windows volume and
// differ in case-insensitive comparison.
void FillUnique(std::string& pattern)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
    for (std::size_t i = pattern.size() - 6; i < pattern.size(); ++i)
        pattern[i] = kLetters[pick(engine)];
}

bool EndsInSixXs(const std::string& pattern)
{
    return pattern.size() >= 6 && pattern.compare(pattern.size() - 6, 6, "XXXXXX") == 0;
}

} // namespace

std::FILE* OpenFileUtf8(const std::string& path, const char* mode)
{
    std::wstring wide, wideMode;
    if (!Wide(path, wide))
        return nullptr;
    for (const char* m = mode; *m; ++m)
        wideMode += static_cast<wchar_t>(*m);
    return ::_wfopen(wide.c_str(), wideMode.c_str());
}

int CreateUniqueFile(std::string& pattern)
{
    if (!EndsInSixXs(pattern)) {
        errno = EINVAL;
        return -1;
    }
    const std::string original = pattern;
    for (int attempt = 0; attempt < 100; ++attempt) {
        pattern = original;
        FillUnique(pattern);
        std::wstring wide;
        if (!Wide(pattern, wide))
            break;
        int fd = -1;
        const errno_t error = ::_wsopen_s(&fd, wide.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                                          _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (error == 0)
            return fd;
        if (error != EEXIST) {
            errno = error;
            break;
        }
    }
    pattern = original;
    return -1;
}

bool WriteToDescriptor(int fd, std::string_view text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        // _write takes an unsigned int count.
        const unsigned chunk = static_cast<unsigned>(left < (1u << 30) ? left : (1u << 30));
        const int written = ::_write(fd, p, chunk);
        if (written <= 0)
            return false;
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CloseDescriptor(int fd)
{
    return ::_close(fd) == 0;
}

namespace {

// The C library's error number nearest a Windows error, for the reason a
// message gives.
int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

} // namespace

bool RenameReplacing(const std::string& from, const std::string& to)
{
    std::wstring wideFrom, wideTo;
    if (!Wide(from, wideFrom) || !Wide(to, wideTo))
        return false;
    // std::rename refuses to replace an existing file on Windows. A virus
    // scanner or an indexer may hold the new file open for a moment after it
    // was written: a few short retries get past that.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        errno = ErrnoOf(error);
        if (attempt >= 20 ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION))
            return false;
        // A folder in the way denies access too, for good.
        const DWORD attributes = ::GetFileAttributesW(wideTo.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            errno = EISDIR;
            return false;
        }
        ::Sleep(25);
    }
}

bool RemoveFileUtf8(const std::string& path)
{
    std::wstring wide;
    return Wide(path, wide) && ::_wunlink(wide.c_str()) == 0;
}

std::string CreatePrivateTempFolder(const std::string& prefix, std::string& where)
{
    // The temporary folder of a Windows user is that user's own.
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        return {};
    where = Utf8FromPath(base);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + "XXXXXX";
        FillUnique(name);
        const std::filesystem::path folder = base / PathFromUtf8(name);
        if (std::filesystem::create_directory(folder, error))
            return Utf8FromPath(folder);
        if (error)
            return {};
    }
    return {};
}

#endif
