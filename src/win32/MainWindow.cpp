#include "win32/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "win32/Accelerators.h"
#include "win32/GdiCanvas.h"
#include "win32/ResultsPanel.h"
#include "win32/Utf16.h"
#include "win32/Win32Platform.h"
#include "win32/resources/ResourceIds.h"

#include <commctrl.h>
#include <windowsx.h>

#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

const wchar_t* const kWindowClass = L"Vela";
const wchar_t* const kAreaClass = L"VelaDrawingArea";
// Posted to itself: open the file of the command line once the loop runs.
constexpr UINT kOpenPending = WM_APP + 1;

// The status bar's parts: the read-out, the last notice, the busy stage
// with the Cancel button at its right end.
constexpr int kBusyPartWidth = 240;
constexpr int kCancelWidth = 70;
constexpr int kMessagesHeight = 110;

// The Cancel button lives on the status bar, which hands its click on to
// the main window.
LRESULT CALLBACK ForwardCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR target)
{
    if (message == WM_COMMAND)
        return ::SendMessageW(reinterpret_cast<HWND>(target), message, wParam, lParam);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// Registers a window class once per process; true when it exists.
bool Register(const WNDCLASSEXW& windowClass)
{
    if (::RegisterClassExW(&windowClass))
        return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

MainWindow::MainWindow(std::string buildDate)
    : m_BuildDate(std::move(buildDate)), m_Platform(std::make_unique<Win32Platform>())
{
}

MainWindow::~MainWindow()
{
    // The window goes first: calls the worker still posts find no window
    // and are dropped, and ~AppState waits for the worker.
    m_Results.reset();
    if (m_Window && ::IsWindow(m_Window)) {
        ::SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
        if (m_Area)
            ::SetWindowLongPtrW(m_Area, GWLP_USERDATA, 0);
        ::DestroyWindow(m_Window);
    } else if (!m_Window && m_Menu) {
        // Never attached: a window destroys its menu itself.
        ::DestroyMenu(m_Menu);
    }
    m_Platform->SetWindow(nullptr);
    m_Platform->SetState(nullptr);
    m_State.reset();
    if (m_Accelerators)
        ::DestroyAcceleratorTable(m_Accelerators);
    if (m_Font)
        ::DeleteObject(m_Font);
}

bool MainWindow::Create()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_VELA));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELA), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!Register(windowClass))
        return false;

    WNDCLASSEXW areaClass{};
    areaClass.cbSize = sizeof areaClass;
    // The whole picture is refitted and redrawn after every resize.
    areaClass.style = CS_HREDRAW | CS_VREDRAW;
    areaClass.lpfnWndProc = AreaProc;
    areaClass.hInstance = instance;
    areaClass.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
    areaClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    areaClass.lpszClassName = kAreaClass;
    if (!Register(areaClass))
        return false;

    BuildMenu();
    m_Platform->SetMenu(m_Menu);
    m_State = std::make_unique<AppState>(*m_Platform, m_BuildDate);
    m_Platform->SetState(m_State.get());
    std::vector<ACCEL> keys = MenuAccelerators(MainMenu());
    if (!keys.empty())
        m_Accelerators = ::CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    m_Window = ::CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, Utf16FromUtf8(m_State->WindowTitle()).c_str(),
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 1000, 720,
                                 nullptr, m_Menu, instance, this);
    if (!m_Window)
        return false;
    CreateChildren();
    UpdateMenu();
    Layout();
    return true;
}

void MainWindow::CreateChildren()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_Area = ::CreateWindowExW(0, kAreaClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, m_Window,
                               nullptr, instance, this);
    m_StatusBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                    m_Window, nullptr, instance, nullptr);
    m_CancelButton =
        ::CreateWindowExW(0, L"BUTTON", L"Cancel", WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, m_StatusBar,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(MenuId::Cancel)), instance, nullptr);
    ::SetWindowSubclass(m_StatusBar, ForwardCommands, 1, reinterpret_cast<DWORD_PTR>(m_Window));
    m_MessagesList = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                       WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 0,
                                       0, m_Window, nullptr, instance, nullptr);
    m_Results = std::make_unique<ResultsPanel>(
        m_Window, [this]() -> const std::vector<ResultTable>& { return m_State->ResultTables(); });
    m_Platform->SetWindow(m_Window);
    m_Platform->SetDrawingArea(m_Area);
    m_Platform->SetStatusBar(m_StatusBar);
    m_Platform->SetCancelButton(m_CancelButton);
    m_Platform->SetMessagesList(m_MessagesList);
    m_Platform->SetResultsPanel(m_Results.get());
    m_Platform->SetLayoutHandler([this] { Layout(); });
    UpdateFont();
}

void MainWindow::UpdateFont()
{
    // The controls' text in the desktop's message font, at its size.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    HFONT font = nullptr;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    if (!font)
        return;
    ::SendMessageW(m_StatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(m_CancelButton, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(m_MessagesList, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    m_Results->SetFont(font);
    if (m_Font)
        ::DeleteObject(m_Font);
    m_Font = font;
}

void MainWindow::BuildMenu()
{
    m_Menu = ::CreateMenu();
    for (const MenuPopupDesc& popup : MainMenu()) {
        const HMENU items = ::CreatePopupMenu();
        for (const MenuItemDesc& item : popup.items) {
            if (item.id == MenuId::Separator) {
                ::AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            if (item.id == MenuId::RecentFiles) {
                // Filled by the application from the recent files.
                m_RecentMenu = ::CreatePopupMenu();
                ::AppendMenuW(items, MF_POPUP | MF_GRAYED, reinterpret_cast<UINT_PTR>(m_RecentMenu),
                              MenuItemText(item).c_str());
                m_Platform->SetRecentMenu(m_RecentMenu, items, ::GetMenuItemCount(items) - 1);
                continue;
            }
            UINT flags = MF_STRING;
            if (item.checkable && item.initiallyChecked)
                flags |= MF_CHECKED;
            ::AppendMenuW(items, flags, static_cast<UINT_PTR>(item.id), MenuItemText(item).c_str());
            if (item.checkable)
                m_Checkable[item.id] = true;
        }
        ::AppendMenuW(m_Menu, MF_POPUP, reinterpret_cast<UINT_PTR>(items), Utf16FromUtf8(popup.caption).c_str());
    }
}

void MainWindow::UpdateMenu()
{
    // Solving needs a structure; the window without a file has none. While
    // work goes on, nothing that would change the model can start.
    const bool idle = !m_State->Busy();
    const auto enable = [this](int id, bool enabled) {
        ::EnableMenuItem(m_Menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    enable(MenuId::Solve, idle && m_State->m_Loaded);
    for (const int id : {MenuId::Open, MenuId::Reload, MenuId::StartFromExample})
        enable(id, idle);
    m_Platform->SetMenuEnabled(MenuId::RecentFiles, idle && !m_State->RecentFiles().empty());
    // The check marks follow the state (a failed solve clears Reactions).
    for (const auto& [id, checkable] : m_Checkable)
        if (checkable)
            ::CheckMenuItem(m_Menu, static_cast<UINT>(id),
                            MF_BYCOMMAND | (m_State->IsChecked(id) ? MF_CHECKED : MF_UNCHECKED));
}

bool MainWindow::WaitForWork(int timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (m_State->Busy()) {
        if (::GetTickCount64() > deadline)
            return false;
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (m_State->Busy())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    UpdateMenu();
    return true;
}

void MainWindow::RunCommand(int id)
{
    m_State->OnCommand(id);
    UpdateMenu();
}

bool MainWindow::OpenFile(const std::string& path)
{
    const bool loaded = m_State->OpenChosenFile(Utf8FromUtf16(AbsolutePath(Utf16FromUtf8(path))));
    UpdateMenu();
    return loaded;
}

void MainWindow::OpenFileLater(const std::string& path)
{
    m_PendingOpen = Utf16FromUtf8(path);
    m_HasPendingOpen = true;
    ::PostMessageW(m_Window, kOpenPending, 0, 0);
}

void MainWindow::Layout()
{
    if (!m_Window || !m_Area)
        return;
    RECT client{};
    ::GetClientRect(m_Window, &client);
    const int width = client.right;
    int bottom = client.bottom;
    // The status bar places itself along the bottom edge.
    ::SendMessageW(m_StatusBar, WM_SIZE, 0, 0);
    RECT status{};
    ::GetWindowRect(m_StatusBar, &status);
    const int statusHeight = status.bottom - status.top;
    bottom -= statusHeight;
    const int parts[3] = {std::max(width - kBusyPartWidth, 0) * 2 / 5, std::max(width - kBusyPartWidth, 0), -1};
    ::SendMessageW(m_StatusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    RECT busy{};
    ::SendMessageW(m_StatusBar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&busy));
    // Clear of the size grip.
    const int grip = ::GetSystemMetrics(SM_CXVSCROLL);
    ::MoveWindow(m_CancelButton, std::max(busy.right - grip - kCancelWidth, busy.left), busy.top + 1, kCancelWidth,
                 std::max(static_cast<int>(busy.bottom - busy.top) - 2, 0), TRUE);
    if (::IsWindowVisible(m_MessagesList)) {
        const int height = std::min(bottom, kMessagesHeight);
        bottom -= height;
        ::MoveWindow(m_MessagesList, 0, bottom, width, height, TRUE);
    }
    if (m_Results->Visible()) {
        // A third of the height for the tables, and at least a few rows.
        const int height = std::min(bottom, std::max(bottom / 3, 140));
        bottom -= height;
        m_Results->Move(0, bottom, width, height);
    }
    ::MoveWindow(m_Area, 0, 0, width, std::max(bottom, 0), TRUE);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        self->m_Window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_SETFOCUS:
        // Keys belong to the drawing area unless the user went elsewhere.
        if (m_Area)
            ::SetFocus(m_Area);
        return 0;
    case WM_COMMAND:
        // Menu items and their keys; the busy indicator's Cancel button.
        if (lParam == 0 || (reinterpret_cast<HWND>(lParam) == m_CancelButton && HIWORD(wParam) == BN_CLICKED)) {
            RunCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_TIMER:
        if (m_Platform->OnTimerMessage(wParam)) {
            UpdateMenu();
            return 0;
        }
        break;
    case Win32Platform::kRunPostedCall: {
        // A call the worker posted: run once, here on the UI thread.
        const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
        if (call && *call)
            (*call)();
        UpdateMenu();
        return 0;
    }
    case WM_DROPFILES:
        OnDropFiles(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        // The wheel reaches the window with the focus; it zooms the picture
        // when the pointer is over it.
        OnWheel(wParam, lParam);
        return 0;
    case WM_SETTINGCHANGE:
        UpdateFont();
        Layout();
        break;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(m_Window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateFont();
        Layout();
        return 0;
    }
    case kOpenPending:
        if (m_HasPendingOpen) {
            m_HasPendingOpen = false;
            OpenFile(Utf8FromUtf16(m_PendingOpen));
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_Window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->m_Area)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return self->OnAreaMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnAreaMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The paint covers every pixel: erasing first would only flicker.
        return 1;
    case WM_PAINT:
        PaintArea();
        return 0;
    case WM_PRINTCLIENT: {
        RECT client{};
        ::GetClientRect(m_Area, &client);
        Compose(reinterpret_cast<HDC>(wParam), client.right, client.bottom);
        return 0;
    }
    case WM_SIZE:
        m_State->OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CHAR: {
        const int code = static_cast<int>(wParam);
        if (code == 27 || code == 'P' || code == 'p' || code == 'Z' || code == 'z' || code == 'X' || code == 'x')
            m_State->OnChar(code);
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::SetFocus(m_Area);
        m_State->OnLeftButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (!m_TrackingLeave) {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = m_Area;
            m_TrackingLeave = ::TrackMouseEvent(&track) != 0;
        }
        m_State->OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        m_TrackingLeave = false;
        m_State->OnMouseLeave();
        return 0;
    case WM_MOUSEWHEEL:
        OnWheel(wParam, lParam);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_Area, message, wParam, lParam);
}

void MainWindow::OnDropFiles(WPARAM dropped)
{
    const auto drop = reinterpret_cast<HDROP>(dropped);
    // One file at a time: several dropped at once open none.
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring path;
    if (count == 1) {
        const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
        path.resize(length + 1);
        path.resize(::DragQueryFileW(drop, 0, path.data(), length + 1));
    }
    ::DragFinish(drop);
    if (path.empty())
        return;
    m_State->OpenDroppedFile(Utf8FromUtf16(AbsolutePath(path)));
    UpdateMenu();
}

void MainWindow::OnWheel(WPARAM wParam, LPARAM lParam)
{
    // The message carries the pointer in screen coordinates.
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_Area, &at);
    RECT area{};
    ::GetClientRect(m_Area, &area);
    if (!::PtInRect(&area, at))
        return;
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta != 0)
        m_State->OnMouseWheel(at.x, at.y, delta);
}

void MainWindow::PaintArea()
{
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(m_Area, &paint);
    RECT client{};
    ::GetClientRect(m_Area, &client);
    if (dc)
        Compose(dc, client.right, client.bottom);
    ::EndPaint(m_Area, &paint);
}

void MainWindow::Compose(HDC target, int width, int height)
{
    // A minimised window has nothing to show.
    if (width <= 0 || height <= 0)
        return;
    // Composed off screen and copied in one step: no flicker while the
    // picture pans and zooms.
    const HDC memory = ::CreateCompatibleDC(target);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(target, width, height);
    if (memory && bitmap) {
        const HGDIOBJ original = ::SelectObject(memory, bitmap);
        const RECT all{0, 0, width, height};
        const HBRUSH background = ::CreateSolidBrush(m_State->BackgroundColor());
        ::FillRect(memory, &all, background);
        ::DeleteObject(background);
        {
            GdiCanvas canvas(memory);
            m_State->Paint(canvas);
        }
        ::BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, original);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    if (memory)
        ::DeleteDC(memory);
}
