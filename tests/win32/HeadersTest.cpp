// Every header below the front ends, compiled after <windows.h> (the
// generated AllSharedHeaders.cpp includes them all): the window includes
// both, so no name of Vela's may clash with the system's types or be
// renamed by its macros.
#include "win32/WindowsHeaders.h"

#include "app/Platform.h"
#include "core/Records.h"
#include "graphics/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <type_traits>

TEST(WindowsHeaders, VelasNamesSurviveTheSystemsHeaders)
{
    // One colour type: a COLORREF of Vela's goes to GDI as it is.
    static_assert(std::is_same_v<COLORREF, DWORD>);
    EXPECT_EQ(MakeColorRef(1, 2, 3), RGB(1, 2, 3));

    // TextOut and SetCurrentDirectory are Vela's member functions here, not
    // TextOutW and SetCurrentDirectoryW.
    RecordingCanvas recording;
    Canvas& canvas = recording;
    canvas.TextOut(3, 4, "5");
    ASSERT_EQ(recording.m_Texts.size(), 1u);
    EXPECT_EQ(recording.m_Texts[0].text, "5");
    bool (Platform::*change)(const std::string&) = &Platform::SetCurrentDirectory;
    EXPECT_NE(change, nullptr);
}
