#include "app/RecentFiles.h"

#include "core/PlatformFiles.h"

#include <algorithm>

namespace {

std::string Normal(const std::string& path)
{
    return Utf8FromPath(PathFromUtf8(path).lexically_normal());
}

} // namespace

void RecentFileList::Assign(const std::vector<std::string>& paths)
{
    m_Paths.clear();
    for (const std::string& path : paths) {
        if (m_Paths.size() == kCapacity)
            break;
        if (path.empty())
            continue;
        const std::string normal = Normal(path);
        if (std::find(m_Paths.begin(), m_Paths.end(), normal) == m_Paths.end())
            m_Paths.push_back(normal);
    }
}

void RecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    const std::string normal = Normal(path);
    m_Paths.erase(std::remove(m_Paths.begin(), m_Paths.end(), normal), m_Paths.end());
    m_Paths.insert(m_Paths.begin(), normal);
    if (m_Paths.size() > kCapacity)
        m_Paths.resize(kCapacity);
}

bool RecentFileList::Remove(const std::string& path)
{
    const std::string normal = Normal(path);
    const auto end = std::remove(m_Paths.begin(), m_Paths.end(), normal);
    const bool found = end != m_Paths.end();
    m_Paths.erase(end, m_Paths.end());
    return found;
}

bool RecentFileList::DropMissing(const std::function<bool(const std::string&)>& exists)
{
    const auto end =
        std::remove_if(m_Paths.begin(), m_Paths.end(), [&](const std::string& path) { return !exists(path); });
    const bool dropped = end != m_Paths.end();
    m_Paths.erase(end, m_Paths.end());
    return dropped;
}
