#include "win32/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "graphics/ViewTransform.h"
#include "support/TestSupport.h"
#include "win32/ResultsPanel.h"
#include "win32/Utf16.h"
#include "win32/Win32Platform.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::wstring MenuText(HMENU menu, UINT position)
{
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

bool Checked(HMENU menu, int id)
{
    return (::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool Grayed(HMENU menu, int id)
{
    return (::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
}

RECT ClientOf(HWND window)
{
    RECT rect{};
    ::GetClientRect(window, &rect);
    return rect;
}

// The main window, created but never shown, over a copy of the portal
// frame in a scratch folder. Messages and the viewer are recorded; the
// process's current folder is put back afterwards.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
        wchar_t folder[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, folder);
        m_OldFolder = folder;
        m_Portal = m_Dir.Write("portal.txt", ReadFile(VELA_EXAMPLES_DIR "/portal.txt"));
        m_Window = std::make_unique<MainWindow>("2001-02-03");
        ASSERT_TRUE(m_Window->Create());
        m_Window->Platform().SetMessageHandler(
            [this](const std::wstring& caption, const std::wstring& text) { m_Messages.push_back(caption + L"|" + text); });
        m_Window->Platform().SetViewerLauncher([this](const std::wstring& path) {
            m_Viewed.push_back(path);
            return true;
        });
        // Somewhere away from the screen's corner, so that screen and client
        // coordinates differ.
        ::SetWindowPos(m_Window->Handle(), nullptr, 137, 91, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void TearDown() override
    {
        m_Window.reset();
        ::SetCurrentDirectoryW(m_OldFolder.c_str());
    }

    std::wstring Title() const
    {
        wchar_t text[256] = {};
        ::GetWindowTextW(m_Window->Handle(), text, 256);
        return text;
    }
    std::wstring StatusText() const
    {
        wchar_t text[512] = {};
        ::SendMessageW(m_Window->StatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    LRESULT ToArea(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::SendMessageW(m_Window->DrawingArea(), message, wParam, lParam);
    }
    static LPARAM At(int x, int y)
    {
        return MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(x)), static_cast<WORD>(static_cast<std::int16_t>(y)));
    }

    ScratchDir m_Dir;
    std::string m_Portal;
    std::wstring m_OldFolder;
    std::unique_ptr<MainWindow> m_Window;
    std::vector<std::wstring> m_Messages;
    std::vector<std::wstring> m_Viewed;
};

} // namespace

TEST(DialogFilter, DescriptionThenPatternsEachEndedByNul)
{
    using namespace std::string_literals;
    EXPECT_EQ(DialogFilter("Text Files (*.TXT)"), L"Text Files (*.TXT)\0*.TXT\0"s);
    EXPECT_EQ(DialogFilter("Pictures (*.png *.svg)"), L"Pictures (*.png *.svg)\0*.png;*.svg\0"s);
    EXPECT_EQ(DialogFilter("Everything"), L"Everything\0*.*\0"s);
    EXPECT_EQ(DialogFilter("文本 (*.txt)"), L"\u6587\u672c (*.txt)\0*.txt\0"s);
}

TEST_F(MainWindowTest, TheMenuIsTheSharedOneWithItsChecksAndSolveNeedsAFile)
{
    const HMENU menu = ::GetMenu(m_Window->Handle());
    ASSERT_EQ(menu, m_Window->Menu());
    const std::vector<MenuPopupDesc>& popups = MainMenu();
    ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(popups.size()));
    for (std::size_t i = 0; i < popups.size(); ++i) {
        EXPECT_EQ(MenuText(menu, static_cast<UINT>(i)), Utf16FromUtf8(popups[i].caption));
        const HMENU items = ::GetSubMenu(menu, static_cast<int>(i));
        ASSERT_EQ(::GetMenuItemCount(items), static_cast<int>(popups[i].items.size()));
        for (std::size_t j = 0; j < popups[i].items.size(); ++j) {
            EXPECT_EQ(static_cast<int>(::GetMenuItemID(items, static_cast<int>(j))), popups[i].items[j].id);
            EXPECT_EQ(MenuText(items, static_cast<UINT>(j)), Utf16FromUtf8(popups[i].items[j].caption));
        }
    }
    EXPECT_TRUE(Checked(menu, MenuId::Values));
    EXPECT_TRUE(Checked(menu, MenuId::BlackBackground));
    EXPECT_FALSE(Checked(menu, MenuId::WhiteBackground));
    EXPECT_TRUE(Grayed(menu, MenuId::Solve));
    EXPECT_EQ(Title(), L"Vela 2001-02-03");

    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    EXPECT_FALSE(Grayed(menu, MenuId::Solve));
    EXPECT_EQ(Title(), L"portal.txt - Vela 2001-02-03");

    // Commands from the menu, as WM_COMMAND brings them.
    ::SendMessageW(m_Window->Handle(), WM_COMMAND, MAKEWPARAM(MenuId::WhiteBackground, 0), 0);
    EXPECT_TRUE(Checked(menu, MenuId::WhiteBackground));
    EXPECT_FALSE(Checked(menu, MenuId::BlackBackground));
    ::SendMessageW(m_Window->Handle(), WM_COMMAND, MAKEWPARAM(MenuId::Values, 0), 0);
    EXPECT_FALSE(Checked(menu, MenuId::Values));
    EXPECT_FALSE(m_Window->State().m_ShowValues);
    ::SendMessageW(m_Window->Handle(), WM_COMMAND, MAKEWPARAM(MenuId::NodeNumbers, 0), 0);
    EXPECT_TRUE(Checked(menu, MenuId::NodeNumbers));
}

TEST_F(MainWindowTest, SolveWritesTheResultsAndTheViewerGetsTheirAbsolutePath)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    m_Window->RunCommand(MenuId::Solve);
    EXPECT_TRUE(m_Messages.empty());
    EXPECT_TRUE(m_Window->State().m_Solved);
    EXPECT_TRUE(FileExists(m_Dir.File("Nodal_Displacement.txt")));
    m_Window->RunCommand(MenuId::NodalDisplacement);
    ASSERT_EQ(m_Viewed.size(), 1u);
    EXPECT_EQ(m_Viewed[0], AbsolutePath(Utf16FromUtf8(m_Dir.File("Nodal_Displacement.txt"))));
    EXPECT_NE(m_Viewed[0].find(L':'), std::wstring::npos) << "a drive-qualified path";
}

TEST_F(MainWindowTest, ABadFileIsToldInAWarningBoxAndTheStructureStays)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    const std::string bad = m_Dir.Write("坏.txt", ReadFile(VELA_TEST_DATA_DIR "/bad/element-node-out-of-range.txt"));
    EXPECT_FALSE(m_Window->OpenFile(bad));
    ASSERT_EQ(m_Messages.size(), 1u);
    // 节点号错误! and the line it was found on.
    EXPECT_EQ(m_Messages[0].rfind(L"Warning!|\u8282\u70b9\u53f7\u9519\u8bef!\n", 0), 0u) << m_Messages[0];
    EXPECT_EQ(Title(), L"portal.txt - Vela 2001-02-03");
    EXPECT_TRUE(m_Window->State().m_Loaded);
}

TEST_F(MainWindowTest, KeysChooseTheGestureModes)
{
    ToArea(WM_CHAR, 'p', 0);
    EXPECT_EQ(m_Window->State().m_Mode, InteractionMode::Pan);
    ToArea(WM_CHAR, 'Z', 0);
    EXPECT_EQ(m_Window->State().m_Mode, InteractionMode::ZoomWindow);
    ToArea(WM_CHAR, 'q', 0);
    EXPECT_EQ(m_Window->State().m_Mode, InteractionMode::ZoomWindow);
    ToArea(WM_CHAR, VK_ESCAPE, 0);
    EXPECT_EQ(m_Window->State().m_Mode, InteractionMode::None);
}

TEST_F(MainWindowTest, ClicksAndMovesArriveAsSignedClientPixels)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    ToArea(WM_CHAR, 'P', 0);
    const ViewTransform& view = *m_Window->State().m_View;
    const int originX = view.m_OriginX;
    const int originY = view.m_OriginY;
    ToArea(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 20));
    // Past the left edge while the button is held: a negative x.
    ToArea(WM_MOUSEMOVE, 0, At(-30, 25));
    EXPECT_EQ(m_Window->State().m_MouseX, -30);
    ToArea(WM_LBUTTONDOWN, MK_LBUTTON, At(-40, 50));
    EXPECT_EQ(m_Window->State().m_ClickCount, 0);
    EXPECT_EQ(m_Window->State().m_View->m_OriginX - originX, -50);
    EXPECT_EQ(m_Window->State().m_View->m_OriginY - originY, 30);
}

TEST_F(MainWindowTest, TheWheelZoomsAboutThePointerGivenInScreenCoordinates)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    const ViewTransform& view = *m_Window->State().m_View;
    const RECT area = ClientOf(m_Window->DrawingArea());
    ASSERT_GT(area.right, 300);
    POINT pointer{250, 120};
    const int client[2] = {pointer.x, pointer.y};
    double before[2];
    view.ScreenToWorld(client, before);
    const double scale = view.m_Scale;
    ::ClientToScreen(m_Window->DrawingArea(), &pointer);
    ASSERT_NE(pointer.x, client[0]);

    ToArea(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(pointer.x, pointer.y));
    EXPECT_NEAR(view.m_Scale, scale * 1.1, scale * 1e-12);
    double after[2];
    view.ScreenToWorld(client, after);
    const double pixel = 1 / view.m_Scale;
    EXPECT_NEAR(after[0], before[0], 1.5 * pixel);
    EXPECT_NEAR(after[1], before[1], 1.5 * pixel);

    // Towards the user: smaller, by one step whatever the delta.
    ToArea(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA)), At(pointer.x, pointer.y));
    EXPECT_NEAR(view.m_Scale, scale, scale * 1e-12);

    // The wheel over the status bar is not the picture's.
    POINT outside{10, ClientOf(m_Window->DrawingArea()).bottom + 5};
    ::ClientToScreen(m_Window->DrawingArea(), &outside);
    ::SendMessageW(m_Window->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), At(outside.x, outside.y));
    EXPECT_NEAR(view.m_Scale, scale, scale * 1e-12);
}

TEST_F(MainWindowTest, TheReadOutGoesToTheStatusBarAndLeavesWithThePointer)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    ToArea(WM_MOUSEMOVE, 0, At(200, 150));
    ASSERT_FALSE(m_Window->State().StatusText().empty());
    EXPECT_EQ(StatusText(), Utf16FromUtf8(m_Window->State().StatusText()));
    ToArea(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(StatusText(), L"");
}

TEST_F(MainWindowTest, TheResultsPanelTakesTheBottomOfTheWindowWhileShown)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    m_Window->RunCommand(MenuId::Solve);
    const int fullHeight = ClientOf(m_Window->DrawingArea()).bottom;
    m_Window->RunCommand(MenuId::Results);
    EXPECT_TRUE(Checked(m_Window->Menu(), MenuId::Results));
    ASSERT_TRUE(m_Window->Results().Visible());
    EXPECT_EQ(m_Window->Results().TabCount(), 5);
    const int shared = ClientOf(m_Window->DrawingArea()).bottom;
    EXPECT_LT(shared, fullHeight - 100);
    // The view is fitted to the smaller area.
    EXPECT_EQ(m_Window->State().m_ClientHeight, shared);
    m_Window->RunCommand(MenuId::Results);
    EXPECT_FALSE(m_Window->Results().Visible());
    EXPECT_EQ(ClientOf(m_Window->DrawingArea()).bottom, fullHeight);
}

TEST_F(MainWindowTest, ThePictureIsTheBackgroundWithTheStructureOnIt)
{
    ASSERT_TRUE(m_Window->OpenFile(m_Portal));
    m_Window->RunCommand(MenuId::WhiteBackground);
    const RECT area = ClientOf(m_Window->DrawingArea());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = area.right;
    info.bmiHeader.biHeight = -area.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    ToArea(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(area.right) * static_cast<std::size_t>(area.bottom);
    std::size_t white = 0;
    std::size_t blue = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t rgb = pixels[i] & 0xFFFFFF;
        white += rgb == 0xFFFFFF;
        blue += rgb == 0x0000FF; // DIB pixels are 0xRRGGBB: the members' blue
    }
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    EXPECT_GT(white, count * 9 / 10);
    EXPECT_GT(blue, 1000u);
}
