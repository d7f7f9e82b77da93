#include "core/TextFile.h"

#include "core/FatalError.h"
#include "core/PlatformFiles.h"

#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Closes the file and renames it over the target; on failure removes it.
bool PutInPlace(int fd, const std::string& temp, const std::string& path)
{
    const bool closed = CloseDescriptor(fd);
    if (!closed || !RenameReplacing(temp, path)) {
        RemoveFileUtf8(temp);
        return false;
    }
    return true;
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
    bool failed = false;

    void Start()
    {
        if (started)
            return;
        started = true;
        try {
            worker = std::thread([this] { failed = !PutInPlace(fd, temp, path); });
        } catch (const std::system_error&) {
            failed = !PutInPlace(fd, temp, path); // no thread to be had: here and now
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
        if (m_Pending->failed && !m_Failed) {
            m_Failed = true;
            m_Error = m_Pending->error;
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
      m_Fd(CreateUniqueFile(m_Temp))
{
    if (m_Fd < 0) {
        // A file committed before this one that failed is reported first.
        if (deferred && deferred->PendingFailed())
            throw FatalError(deferred->m_Error, 1);
        throw FatalError(m_Error, 1);
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
    m_Failed = m_Failed || !WriteToDescriptor(m_Fd, text);
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
            throw FatalError(m_Error, 1);
        }
        if (!PutInPlace(fd, m_Temp, m_Path))
            throw FatalError(m_Error, 1);
        return;
    }
    // The file committed before this one goes first; if it failed, this one
    // must not take its place either.
    if (deferred->PendingFailed() || m_Failed) {
        CloseDescriptor(fd);
        RemoveFileUtf8(m_Temp);
        throw FatalError(deferred->m_Failed ? deferred->m_Error : m_Error, 1);
    }
    deferred->m_Pending = new DeferredCommits::Pending(fd, m_Temp, m_Path, m_Error);
}
