#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The files opened last, most recent first, each once, at most kCapacity.
// Two spellings of one path (a "." or ".." step, a doubled separator) count
// as the same file.
class RecentFileList {
public:
    static constexpr std::size_t kCapacity = 8;

    // Takes a stored list as it is read back: empty entries, repeats and
    // entries beyond the capacity are dropped.
    void Assign(const std::vector<std::string>& paths);
    // Puts path first, removing an earlier entry of the same file.
    void Add(const std::string& path);
    // Removes path; false when it was not in the list.
    bool Remove(const std::string& path);
    // Removes every entry for which exists is false; true when any went.
    bool DropMissing(const std::function<bool(const std::string&)>& exists);

    const std::vector<std::string>& Paths() const { return m_Paths; }

private:
    std::vector<std::string> m_Paths;
};
