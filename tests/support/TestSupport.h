#pragma once

#include <string>

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes out of scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_Path; }
    // Path of a file inside the folder.
    std::string File(const std::string& name) const;
    // Writes a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string m_Path;
};

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The first line of a message: the program's own words, before the details.
std::string FirstLine(const std::string& text);

// A building frame of storeys x bays, fixed at its bases, pushed sideways at
// every floor: (storeys + 1) * (bays + 1) nodes.
std::string BuildingFrame(int storeys, int bays);
