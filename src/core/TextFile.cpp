#include "core/TextFile.h"

#include "core/FatalError.h"
#include "core/PlatformFiles.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Closes the file and renames it over the target; on failure removes it
// and returns the system's error number, else 0.
int PutInPlace(int fd, const std::string& temp, const std::string& path)
{
    errno = 0;
    const bool closed = CloseDescriptor(fd);
    if (!closed || !RenameReplacing(temp, path)) {
        const int error = errno != 0 ? errno : EIO;
        RemoveFileUtf8(temp);
        return error;
    }
    return 0;
}

// The program's own words for a file that could not be written, and on the
// next line which file and why, in the system's words.
FatalError FileWriteError(const std::string& message, const std::string& path, int error)
{
    return FatalError(message + "\ncannot write " + path + ": " + std::strerror(error), 1);
}

} // namespace

// A committed file waiting to be put in place: the rename starts only once
// the next file has been created, because renaming over a file keeps the
// folder locked while the new data goes to the disk.
struct DeferredCommits::Pending {
    Pending(int file, std::string tempPath, std::string targetPath, std::string message)
        : fd(file), temp(std::move(tempPath)), path(std::move(targetPath)), error(std::move(message))
    {
    }

    int fd;
    std::string temp;
    std::string path;
    std::string error;
    std::thread worker;
    bool started = false;
    int failure = 0; // the system's error number

    void Start()
    {
        if (started)
            return;
        started = true;
        try {
            worker = std::thread([this] { failure = PutInPlace(fd, temp, path); });
        } catch (const std::system_error&) {
            failure = PutInPlace(fd, temp, path); // no thread to be had: here and now
        }
    }
};

DeferredCommits::DeferredCommits() : m_Pending(nullptr) {}

DeferredCommits::~DeferredCommits()
{
    PendingFailed();
}

void DeferredCommits::StartPending()
{
    if (m_Pending)
        m_Pending->Start();
}

bool DeferredCommits::PendingFailed()
{
    if (m_Pending) {
        m_Pending->Start();
        if (m_Pending->worker.joinable())
            m_Pending->worker.join();
        if (m_Pending->failure != 0 && !m_Failed) {
            m_Failed = true;
            m_Error = FileWriteError(m_Pending->error, m_Pending->path, m_Pending->failure).Message();
        }
        delete m_Pending;
        m_Pending = nullptr;
    }
    return m_Failed;
}

void DeferredCommits::Finish()
{
    if (PendingFailed())
        throw FatalError(m_Error, 1);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
#if defined(_WIN32)
    // A folder ending in a backslash, or a bare drive such as "C:" (the
    // current folder of that drive), takes the name as it is.
    if (folder.back() == '\\' || folder.back() == ':')
        return folder + name;
#endif
    return folder + "/" + name;
}

void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage)
{
    TextFileWriter file(path, errorMessage);
    file.Write(content);
    file.Commit();
}

void WriteTextFileInParts(const std::string& path, const std::function<bool(std::string&)>& produce,
                          const std::string& errorMessage)
{
    // An exception from produce leaves the writer uncommitted, which
    // removes its temporary file.
    TextFileWriter file(path, errorMessage);
    std::string part;
    bool more = true;
    while (more && !file.Failed()) {
        part.clear();
        more = produce(part);
        file.Write(part);
    }
    file.Commit();
}

TextFileWriter::TextFileWriter(const std::string& path, const std::string& errorMessage, DeferredCommits* deferred)
    : m_Path(path), m_Temp(path + ".XXXXXX"), m_Error(errorMessage), m_Deferred(deferred),
      m_Fd((errno = 0, CreateUniqueFile(m_Temp)))
{
    if (m_Fd < 0) {
        const int error = errno != 0 ? errno : EIO;
        // A file committed before this one that failed is reported first.
        if (deferred && deferred->PendingFailed())
            throw FatalError(deferred->m_Error, 1);
        throw FileWriteError(m_Error, path, error);
    }
    // Now that this file exists, the one before it can be put in place
    // while this one is written.
    if (deferred)
        deferred->StartPending();
}

TextFileWriter::~TextFileWriter()
{
    if (m_Fd >= 0) {
        CloseDescriptor(m_Fd);
        RemoveFileUtf8(m_Temp);
    }
}

void TextFileWriter::Write(std::string_view text)
{
    if (!m_Failed) {
        errno = 0;
        if (!WriteToDescriptor(m_Fd, text)) {
            m_Failed = true;
            m_Errno = errno != 0 ? errno : EIO;
        }
    }
}

void TextFileWriter::Commit()
{
    const int fd = m_Fd;
    m_Fd = -1;
    DeferredCommits* deferred = m_Deferred;
    if (!deferred) {
        if (m_Failed) {
            CloseDescriptor(fd);
            RemoveFileUtf8(m_Temp);
            throw FileWriteError(m_Error, m_Path, m_Errno);
        }
        if (const int error = PutInPlace(fd, m_Temp, m_Path); error != 0)
            throw FileWriteError(m_Error, m_Path, error);
        return;
    }
    // The file committed before this one goes first; if it failed, this one
    // must not take its place either.
    if (deferred->PendingFailed() || m_Failed) {
        CloseDescriptor(fd);
        RemoveFileUtf8(m_Temp);
        if (deferred->m_Failed)
            throw FatalError(deferred->m_Error, 1);
        throw FileWriteError(m_Error, m_Path, m_Errno);
    }
    deferred->m_Pending = new DeferredCommits::Pending(fd, m_Temp, m_Path, m_Error);
}
