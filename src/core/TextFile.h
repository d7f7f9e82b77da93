#pragma once

#include <functional>
#include <string>
#include <string_view>

// Replaces the file at path with content, or leaves it exactly as it was.
// The text goes to a new temporary file in the same folder, which is renamed
// over the target only once it has been written and closed without error, so
// a full disk or an interrupted run never leaves a truncated file behind.
// On any failure throws FatalError (status 1) whose first line is
// errorMessage and whose second names the file and the system's reason.
void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage);

// The same for a text too large to hold at once: produce appends the next
// part to the (emptied) string it is given and returns false after the last.
void WriteTextFileInParts(const std::string& path, const std::function<bool(std::string&)>& produce,
                          const std::string& errorMessage);

class DeferredCommits;

// The same for a text written piece by piece: the temporary file is created
// at construction (FatalError if it cannot be), Commit puts it in place (or
// throws FatalError and leaves the target as it was), and a writer that is
// never committed removes its temporary file. Given a DeferredCommits, the
// writer leaves putting its file in place to it.
class TextFileWriter {
public:
    TextFileWriter(const std::string& path, const std::string& errorMessage, DeferredCommits* deferred = nullptr);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Appends text; a failure is remembered and reported by Commit.
    void Write(std::string_view text);
    bool Failed() const { return m_Failed; }
    void Commit();

private:
    std::string m_Path;
    std::string m_Temp;
    std::string m_Error;
    DeferredCommits* m_Deferred;
    int m_Fd;
    bool m_Failed = false;
    int m_Errno = 0; // why writing failed
};

// A sequence of files written one after another, given to each of their
// TextFileWriters: a writer's Commit returns at once, and its file is put in
// place in the background while the next file is written (on ext4, replacing a file first pushes
// the new one's data to the disk, which takes a while). The files are
// still put in place in the order they were committed, and a failure is
// still reported, as the same FatalError, before anything later can take
// effect: by the next Commit (whose own file is then dropped), by a
// TextFileWriter that cannot create its file, or by Finish. The destructor
// puts the last file in place without reporting.
class DeferredCommits {
public:
    DeferredCommits();
    ~DeferredCommits();
    DeferredCommits(const DeferredCommits&) = delete;
    DeferredCommits& operator=(const DeferredCommits&) = delete;

    // Waits until every committed file is in place; throws the FatalError
    // of one that could not be.
    void Finish();

private:
    friend class TextFileWriter;
    // Starts putting the committed file in place.
    void StartPending();
    // Waits until the committed file is in place; true when that (or an
    // earlier one) failed, with its message in m_Error.
    bool PendingFailed();

    struct Pending;
    Pending* m_Pending;
    bool m_Failed = false;
    std::string m_Error;
};

// Joins a folder (empty: the current directory) and a file name.
std::string JoinPath(const std::string& folder, const std::string& name);
