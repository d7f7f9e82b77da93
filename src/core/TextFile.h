#pragma once

#include <span>
#include <string>
#include <string_view>

// Replaces the file at path with content, or leaves it exactly as it was.
// The text goes to a new temporary file in the same folder, which is renamed
// over the target only once it has been written and closed without error, so
// a full disk or an interrupted run never leaves a truncated file behind.
// On any failure throws FatalError(errorMessage, 1).
void WriteTextFile(const std::string& path, std::string_view content, const std::string& errorMessage);
// The same with the content in parts, written one after another.
void WriteTextFile(const std::string& path, std::span<const std::string_view> parts,
                   const std::string& errorMessage);

// Joins a folder (empty: the current directory) and a file name.
std::string JoinPath(const std::string& folder, const std::string& name);
