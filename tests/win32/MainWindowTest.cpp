#include "win32/MainWindow.h"

#include "win32/Accelerators.h"

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
#include <thread>
#include <vector>

#include <shellapi.h>
#include <shlobj.h>

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
        // The user's own recent files are none of the tests' business.
        m_Window->Platform().SetSettingsKey(SettingsKey());
        ASSERT_TRUE(m_Window->Create());
        m_Window->Platform().SetMessageHandler([this](const std::wstring& caption, const std::wstring& text) {
            m_Messages.push_back(caption + L"|" + text);
        });
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
        ::RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey().c_str());
        ::SetCurrentDirectoryW(m_OldFolder.c_str());
    }

    static std::wstring SettingsKey() { return L"Software\\Vela-tests\\" + std::to_wstring(::GetCurrentProcessId()); }
    // Opens a file as the command line does and waits for the load.
    bool Open(const std::string& path)
    {
        const bool started = m_Window->OpenFile(path);
        EXPECT_TRUE(m_Window->WaitForWork());
        return started && m_Window->State().m_Loaded &&
               Utf16FromUtf8(m_Window->State().m_LoadedFileName) == AbsolutePath(Utf16FromUtf8(path));
    }
    void Run(int id)
    {
        m_Window->RunCommand(id);
        EXPECT_TRUE(m_Window->WaitForWork());
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
        return MAKELPARAM(static_cast<WORD>(static_cast<std::int16_t>(x)),
                          static_cast<WORD>(static_cast<std::int16_t>(y)));
    }

    // Lets the window's messages run until done() or five seconds.
    template <typename Done>
    bool PumpUntil(Done done)
    {
        const ULONGLONG deadline = ::GetTickCount64() + 5000;
        while (!done()) {
            if (::GetTickCount64() > deadline)
                return false;
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            ::Sleep(10);
        }
        return true;
    }
    // A key pressed in the drawing area, through the window's key table.
    bool PressKey(WORD key)
    {
        MSG message{};
        message.hwnd = m_Window->DrawingArea();
        message.message = WM_KEYDOWN;
        message.wParam = key;
        return ::TranslateAcceleratorW(m_Window->Handle(), m_Window->Accelerators(), &message) != 0;
    }

    ScratchDir m_Dir;
    std::string m_Portal;
    std::wstring m_OldFolder;
    std::unique_ptr<MainWindow> m_Window;
    std::vector<std::wstring> m_Messages;
    std::vector<std::wstring> m_Viewed;
};

} // namespace

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
            const MenuItemDesc& item = popups[i].items[j];
            const int position = static_cast<int>(j);
            if (item.id == MenuId::Separator) {
                EXPECT_TRUE(::GetMenuState(items, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR);
                continue;
            }
            if (item.id == MenuId::RecentFiles) {
                EXPECT_EQ(::GetSubMenu(items, position), m_Window->RecentMenu());
            } else {
                EXPECT_EQ(static_cast<int>(::GetMenuItemID(items, position)), item.id);
            }
            // The caption, and its shortcut after a tab.
            EXPECT_EQ(MenuText(items, static_cast<UINT>(j)), MenuItemText(item));
        }
    }
    EXPECT_TRUE(Checked(menu, MenuId::Values));
    EXPECT_TRUE(Checked(menu, MenuId::BlackBackground));
    EXPECT_FALSE(Checked(menu, MenuId::WhiteBackground));
    EXPECT_TRUE(Grayed(menu, MenuId::Solve));
    EXPECT_EQ(Title(), L"Vela 2001-02-03");

    ASSERT_TRUE(Open(m_Portal));
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
    ASSERT_TRUE(Open(m_Portal));
    Run(MenuId::Solve);
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
    ASSERT_TRUE(Open(m_Portal));
    const std::string bad = m_Dir.Write("坏.txt", ReadFile(VELA_TEST_DATA_DIR "/bad/element-node-out-of-range.txt"));
    EXPECT_FALSE(Open(bad));
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
    ASSERT_TRUE(Open(m_Portal));
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
    ASSERT_TRUE(Open(m_Portal));
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
    ASSERT_TRUE(Open(m_Portal));
    ToArea(WM_MOUSEMOVE, 0, At(200, 150));
    ASSERT_FALSE(m_Window->State().StatusText().empty());
    EXPECT_EQ(StatusText(), Utf16FromUtf8(m_Window->State().StatusText()));
    ToArea(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(StatusText(), L"");
}

TEST_F(MainWindowTest, TheResultsPanelTakesTheBottomOfTheWindowWhileShown)
{
    ASSERT_TRUE(Open(m_Portal));
    Run(MenuId::Solve);
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
    ASSERT_TRUE(Open(m_Portal));
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

TEST_F(MainWindowTest, TheMenusShortcutKeysRunItsCommandsWhileTheyAreEnabled)
{
    ASSERT_TRUE(Open(m_Portal));
    // Greyed out (as while work goes on): its key does nothing either.
    ::EnableMenuItem(m_Window->Menu(), MenuId::Solve, MF_BYCOMMAND | MF_GRAYED);
    PressKey(VK_F5);
    EXPECT_TRUE(m_Window->WaitForWork());
    EXPECT_FALSE(m_Window->State().m_Solved);
    ::EnableMenuItem(m_Window->Menu(), MenuId::Solve, MF_BYCOMMAND | MF_ENABLED);
    EXPECT_TRUE(PressKey(VK_F5));
    EXPECT_TRUE(m_Window->WaitForWork());
    EXPECT_TRUE(m_Window->State().m_Solved);
    EXPECT_TRUE(FileExists(m_Dir.File("MForInGlobalCS.txt")));
}

TEST_F(MainWindowTest, AnOpenedFileIsRecentInTheMenuAndInTheNextSession)
{
    ASSERT_TRUE(Open(m_Portal));
    const HMENU recent = m_Window->RecentMenu();
    ASSERT_EQ(::GetMenuItemCount(recent), 1);
    EXPECT_EQ(static_cast<int>(::GetMenuItemID(recent, 0)), MenuId::RecentFile0);
    EXPECT_EQ(MenuText(recent, 0).rfind(L"&1 portal.txt  ", 0), 0u) << MenuText(recent, 0);
    const HMENU file = ::GetSubMenu(m_Window->Menu(), 0);
    UINT state = ::GetMenuState(file, 2, MF_BYPOSITION);
    EXPECT_EQ(state & MF_GRAYED, 0u) << "the submenu is enabled";

    // The next window, with the same settings, starts with the list.
    m_Window.reset();
    MainWindow next("2001-02-03");
    next.Platform().SetSettingsKey(SettingsKey());
    ASSERT_TRUE(next.Create());
    ASSERT_EQ(next.State().RecentFiles().size(), 1u);
    EXPECT_EQ(Utf16FromUtf8(next.State().RecentFiles()[0]), AbsolutePath(Utf16FromUtf8(m_Portal)));
    EXPECT_EQ(::GetMenuItemCount(next.RecentMenu()), 1);
}

TEST_F(MainWindowTest, ACallPostedFromAnotherThreadRunsOnTheWindowsThread)
{
    const DWORD uiThread = ::GetCurrentThreadId();
    DWORD ranOn = 0;
    std::thread worker([&] { m_Window->Platform().PostToUiThread([&] { ranOn = ::GetCurrentThreadId(); }); });
    worker.join();
    EXPECT_EQ(ranOn, 0u) << "not before the window's messages run";
    EXPECT_TRUE(PumpUntil([&] { return ranOn != 0; }));
    EXPECT_EQ(ranOn, uiThread);
}

TEST_F(MainWindowTest, TheOpenFileIsReloadedWhenItIsWrittenOrReplaced)
{
    ASSERT_TRUE(Open(m_Portal));
    const std::size_t before = m_Window->State().Notices().size();
    const auto reloads = [this] {
        int count = 0;
        for (const Notice& notice : m_Window->State().Notices())
            count += notice.text.rfind("Reloaded", 0) == 0;
        return count;
    };
    EXPECT_EQ(reloads(), 0);
    // Written in place, longer by a line.
    m_Dir.Write("portal.txt", ReadFile(m_Portal) + "\n");
    EXPECT_TRUE(PumpUntil([&] { return reloads() == 1 && !m_Window->State().Busy(); }));
    // As editors save: a new file renamed over the old one.
    const std::string fresh = m_Dir.Write("portal.new", ReadFile(m_Portal) + "\n\n");
    ASSERT_TRUE(
        ::MoveFileExW(Utf16FromUtf8(fresh).c_str(), Utf16FromUtf8(m_Portal).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(PumpUntil([&] { return reloads() == 2 && !m_Window->State().Busy(); }));
    ASSERT_GT(m_Window->State().Notices().size(), before);
    // Every notice is a line of the Messages panel, the last in the status bar.
    EXPECT_EQ(::SendMessageW(m_Window->MessagesList(), LB_GETCOUNT, 0, 0),
              static_cast<LRESULT>(m_Window->State().Notices().size()));
    wchar_t notice[512] = {};
    ::SendMessageW(m_Window->StatusBar(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(notice));
    EXPECT_EQ(std::wstring(notice), Utf16FromUtf8(m_Window->State().Notices().back().text));
}

TEST_F(MainWindowTest, AFileDroppedOnTheWindowIsOpened)
{
    const std::wstring path = Utf16FromUtf8(m_Portal);
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(memory, nullptr);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(memory);
    // The window takes the memory and frees it (DragFinish).
    ::SendMessageW(m_Window->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_TRUE(m_Window->WaitForWork());
    EXPECT_TRUE(m_Window->State().m_Loaded);
    EXPECT_EQ(Title(), L"portal.txt - Vela 2001-02-03");
}

TEST_F(MainWindowTest, TheBusyIndicatorShowsTheStageAndCancelOnlyWhenItCanCancel)
{
    Win32Platform& platform = m_Window->Platform();
    const auto busyText = [this] {
        wchar_t text[128] = {};
        ::SendMessageW(m_Window->StatusBar(), SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    ::ShowWindow(m_Window->Handle(), SW_SHOWNA);
    platform.ShowBusy("reading", false);
    EXPECT_EQ(busyText(), L"reading\u2026");
    EXPECT_FALSE(::IsWindowVisible(m_Window->CancelButton()));
    platform.ShowBusy("factorising", true);
    EXPECT_TRUE(::IsWindowVisible(m_Window->CancelButton()));
    platform.ShowBusy("", false);
    EXPECT_EQ(busyText(), L"");
    EXPECT_FALSE(::IsWindowVisible(m_Window->CancelButton()));
}
