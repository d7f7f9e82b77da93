#pragma once

#include "app/Platform.h"
#include "graphics/Canvas.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Records everything the application asks of the desktop. Files are real
// (tests work in scratch folders); the current folder is only remembered, so
// that tests never move the test process's own working directory.
class FakePlatform : public Platform {
public:
    struct Message {
        std::string caption;
        std::string text;
    };
    struct Dialog {
        std::string title;
        std::string filter;
        std::string lastPath;
    };

    void ShowMessage(const std::string& caption, const std::string& text) override
    {
        m_Messages.push_back({caption, text});
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                const std::string& lastPath) override
    {
        m_Dialogs.push_back({title, filter, lastPath});
        if (m_Choices.empty())
            return std::nullopt;
        std::optional<std::string> choice = m_Choices.front();
        m_Choices.pop_front();
        return choice;
    }
    bool OpenInViewer(const std::string& path) override
    {
        m_Viewed.push_back(path);
        return m_ViewerWorks;
    }
    void Repaint(bool erase) override { m_Repaints.push_back(erase); }
    void SetMenuCheck(int id, bool checked) override
    {
        m_Checks[id] = checked;
        m_CheckCalls.push_back({id, checked});
    }
    void SetWindowTitle(const std::string& title) override { m_Title = title; }
    std::string CurrentDirectory() override { return m_CurrentDirectory; }
    bool SetCurrentDirectory(const std::string& path) override
    {
        if (!std::filesystem::is_directory(path))
            return false;
        m_CurrentDirectory = path;
        return true;
    }
    bool FileExists(const std::string& path) override { return std::filesystem::exists(path); }
    bool CreateNewFile(const std::string& path) override
    {
        m_Created.push_back(path);
        if (m_FolderBlocked || std::filesystem::exists(path))
            return false;
        std::ofstream out(path);
        return static_cast<bool>(out);
    }
    bool RemoveFile(const std::string& path) override
    {
        m_Removed.push_back(path);
        return std::filesystem::remove(path);
    }

    // The next choices of the Open dialog (nullopt: cancelled).
    std::deque<std::optional<std::string>> m_Choices;
    bool m_ViewerWorks = true;
    bool m_FolderBlocked = false;
    std::string m_CurrentDirectory;

    std::vector<Message> m_Messages;
    std::vector<Dialog> m_Dialogs;
    std::vector<std::string> m_Viewed;
    std::vector<bool> m_Repaints;
    std::map<int, bool> m_Checks;
    std::vector<std::pair<int, bool>> m_CheckCalls;
    std::string m_Title;
    std::vector<std::string> m_Created;
    std::vector<std::string> m_Removed;

    void Forget()
    {
        m_Messages.clear();
        m_Viewed.clear();
        m_Repaints.clear();
        m_CheckCalls.clear();
    }
};

// Counts what a paint draws.
class CountingCanvas : public Canvas {
public:
    PenDesc SelectPen(const PenDesc& pen) override
    {
        PenDesc old = m_Pen;
        m_Pen = pen;
        return old;
    }
    FontDesc SelectFont(const FontDesc& font) override
    {
        FontDesc old = m_Font;
        m_Font = font;
        return old;
    }
    COLORREF SetTextColor(COLORREF color) override
    {
        COLORREF old = m_TextColor;
        m_TextColor = color;
        return old;
    }
    bool SetTransparentText(bool transparent) override
    {
        bool old = m_Transparent;
        m_Transparent = transparent;
        return old;
    }
    bool SetInvert(bool invert) override
    {
        bool old = m_Invert;
        m_Invert = invert;
        return old;
    }
    void MoveTo(int x, int y) override
    {
        m_X = x;
        m_Y = y;
    }
    void LineTo(int x, int y) override
    {
        (m_Invert ? m_InvertedSegments : m_Segments).push_back({m_X, m_Y, x, y});
        m_X = x;
        m_Y = y;
    }
    void TextOut(int, int, std::string_view text) override { m_Texts.emplace_back(text); }

    struct Segment {
        int x1, y1, x2, y2;
    };
    std::vector<Segment> m_Segments;
    std::vector<Segment> m_InvertedSegments;
    std::vector<std::string> m_Texts;

private:
    PenDesc m_Pen;
    FontDesc m_Font;
    COLORREF m_TextColor = 0;
    bool m_Transparent = false;
    bool m_Invert = false;
    int m_X = 0;
    int m_Y = 0;
};

// The portal frame: two columns, a beam, a fixed and a pinned base, a load
// at the top left, a uniform load on the beam, a settlement and two springs.
inline const char* const kPortalFrame = R"(### Vela release=1.07
Beam
Number of element property:NEP=2
Property 0: columns
E=2.0e8
A=0.01
I=8.0e-5
Property 1: beam
E=2.0e8
A=0.012
I=1.2e-4
Number of nodal points in the structure:NPOIN=4
0:0,0
1:0,4
2:6,4
3:6,0
Number of elements in the structure:NELEM=3
0:0,1,0
1:1,2,1
2:2,3,0
Number of restricted nodal points:NRN=2
0:1 1 1
3:1 1 0
Number of force_2d:NFOR=1
1:<10,0,0>
Number of distributed load:NDIS=1
1:-5,-5
Number of prescribed nodal points:NPRESC=1
3:<,-0.001,>
Number of Spring_2ds:NSPR=1
2:5000<1,0>
Number of Torsional_Spring_2ds:NTSPR=1
3:2000
)";

// A cantilever of length 10 along x, fixed at node 0, loaded at its tip.
inline const char* const kCantilever = R"(### Vela release=1.07
Beam
Number of element property:NEP=1
P0
E=2.0e8
A=0.01
I=8.0e-5
Number of nodal points in the structure:NPOIN=2
0:0,0
1:10,0
Number of elements in the structure:NELEM=1
0:0,1,0
Number of restricted nodal points:NRN=1
0:1 1 1
Number of force_2d:NFOR=1
1:<0,-10,0>
Number of distributed load:NDIS=0
Number of prescribed nodal points:NPRESC=0
Number of Spring_2ds:NSPR=0
Number of Torsional_Spring_2ds:NTSPR=0
)";

// Node 2 belongs to no element and has no support: the system is singular.
inline const char* const kLooseNode = R"(### Vela release=1.07
Beam
Number of element property:NEP=1
P0
E=2.0e8
A=0.01
I=8.0e-5
Number of nodal points in the structure:NPOIN=3
0:0,0
1:10,0
2:5,5
Number of elements in the structure:NELEM=1
0:0,1,0
Number of restricted nodal points:NRN=1
0:1 1 1
Number of force_2d:NFOR=1
1:<0,-10,0>
Number of distributed load:NDIS=0
Number of prescribed nodal points:NPRESC=0
Number of Spring_2ds:NSPR=0
Number of Torsional_Spring_2ds:NTSPR=0
)";

inline const char* const kWrongRelease = "### Vela release=1.06\nBeam\nNumber of element property:NEP=0\n";
