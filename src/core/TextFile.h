#pragma once

#include <functional>
#include <string>
#include <string_view>

// Replaces the file at path with content, or leaves it exactly as it was.
// The text goes to a new temporary file in the same folder, which is renamed
// over the target only once it has been written and closed without error, so
// a full disk or an interrupted run never leaves a truncated file behind.
// On any failure throws FatalError(errorMessage, 1).
void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage);

// The same for a text too large to hold at once: produce appends the next
// part to the (emptied) string it is given and returns false after the last.
void WriteTextFileInParts(const std::string& path, const std::function<bool(std::string&)>& produce,
                          const std::string& errorMessage);

// Joins a folder (empty: the current directory) and a file name.
std::string JoinPath(const std::string& folder, const std::string& name);
