#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vela-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    m_Path = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_Path, ignored);
}

std::string ScratchDir::File(const std::string& name) const
{
    return m_Path + "/" + name;
}

std::string ScratchDir::Write(const std::string& name, const std::string& content) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}
