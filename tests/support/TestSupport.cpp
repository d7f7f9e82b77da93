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

std::string BuildingFrame(int storeys, int bays)
{
    const int columns = bays + 1;
    const int nodes = (storeys + 1) * columns;
    std::string text = "### Vela release=1.07\nBeam\nNumber of element property:NEP=1\nsteel\nE=2.1e8\nA=0.01\n"
                       "I=1e-4\nNumber of nodal points in the structure:NPOIN=" +
                       std::to_string(nodes) + "\n";
    for (int s = 0; s <= storeys; ++s)
        for (int b = 0; b < columns; ++b)
            text += std::to_string(s * columns + b) + ":" + std::to_string(6 * b) + "," + std::to_string(3 * s) + "\n";
    std::string elements;
    int count = 0;
    for (int s = 0; s < storeys; ++s) {
        for (int b = 0; b < columns; ++b)
            elements += std::to_string(count++) + ":" + std::to_string(s * columns + b) + "," +
                        std::to_string((s + 1) * columns + b) + ",0\n";
        for (int b = 0; b < bays; ++b)
            elements += std::to_string(count++) + ":" + std::to_string((s + 1) * columns + b) + "," +
                        std::to_string((s + 1) * columns + b + 1) + ",0\n";
    }
    text += "Number of elements in the structure:NELEM=" + std::to_string(count) + "\n" + elements;
    text += "Number of restricted nodal points:NRN=" + std::to_string(columns) + "\n";
    for (int b = 0; b < columns; ++b)
        text += std::to_string(b) + ":1 1 1\n";
    text += "Number of force_2d:NFOR=" + std::to_string(storeys) + "\n";
    for (int s = 1; s <= storeys; ++s)
        text += std::to_string(s * columns) + ":<10,0,0>\n";
    text += "Number of distributed load:NDIS=0\nNumber of prescribed nodal points:NPRESC=0\n"
            "Number of Spring_2ds:NSPR=0\nNumber of Torsional_Spring_2ds:NTSPR=0\n";
    return text;
}
