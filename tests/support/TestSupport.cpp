#include "support/TestSupport.h"

#include "core/PlatformFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScratchDir::ScratchDir()
{
    std::string base;
    m_Path = CreatePrivateTempFolder("vela-test-", base);
    if (m_Path.empty())
        throw std::runtime_error("cannot create a scratch folder in " + base);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    const std::filesystem::path path = PathFromUtf8(m_Path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path, ignored);
}

std::string ScratchDir::File(const std::string& name) const
{
    return m_Path + "/" + name;
}

std::string ScratchDir::Write(const std::string& name, const std::string& content) const
{
    const std::string path = File(name);
    std::ofstream out(PathFromUtf8(path), std::ios::binary);
    out << content;
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(PathFromUtf8(path));
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}
