#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// The few file operations that differ between operating systems, behind
// one interface. Paths are UTF-8 everywhere inside Vela; these functions are
// where they meet the system: on Windows they become UTF-16 and go to the
// wide-character calls (the narrow ones read bytes in the ANSI code page,
// and MinGW's std::filesystem::path(std::string) reads each byte as a
// character of its own), elsewhere they pass through unchanged.

// The path a UTF-8 string names, and back. Byte-transparent where the
// system's paths are bytes.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen of a UTF-8 path.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);

// Creates a new file for writing, named by pattern with its last six
// characters ("XXXXXX") replaced so that no file of that name existed, and
// puts the name in pattern. Returns the file's descriptor, or -1 (errno
// says why). The file is an ordinary document: readable and writable by
// whoever may create files there.
int CreateUniqueFile(std::string& pattern);

// Writes all of text, retrying short writes; false on an error (errno
// says which, as for every function here that can fail).
bool WriteToDescriptor(int fd, std::string_view text);
bool CloseDescriptor(int fd);

// Renames from to to, replacing to if it exists, in one step: a reader sees
// either the old file or the new one, never neither. False on failure (errno
// says why), when from is left where it was.
bool RenameReplacing(const std::string& from, const std::string& to);

bool RemoveFileUtf8(const std::string& path);

// Creates a new folder of a unique name starting with prefix in the
// system's temporary folder, readable by this user only where the system
// has such permissions, and returns its path; empty when none could be
// made (the temporary folder's path is then in where).
std::string CreatePrivateTempFolder(const std::string& prefix, std::string& where);
