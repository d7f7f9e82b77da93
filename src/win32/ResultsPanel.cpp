#include "win32/ResultsPanel.h"

#include "win32/Utf16.h"

#include <commctrl.h>

#include <cstring>
#include <numeric>

namespace {

const wchar_t* const kPanelClass = L"VelaResultsPanel";
const wchar_t* const kEmptyText = L"Solve the structure (Calculate, Solve) to see its results here.";
// Ids of the panel's children, for their notifications.
constexpr int kTabsId = 1;
constexpr int kFirstListId = 100;

// The width of a sample text in the list's font, plus the margins a
// report column keeps around its text.
int ColumnWidth(HWND list, const wchar_t* sample)
{
    const int text = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(sample)));
    return text > 0 ? text + 16 : 100;
}

void RegisterPanelClass(WNDPROC procedure)
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kPanelClass;
    registered = ::RegisterClassExW(&windowClass) != 0;
}

} // namespace

std::wstring ClipboardRowsText(const ResultTable& table, const std::vector<int>& rows)
{
    std::vector<int> columns(static_cast<std::size_t>(table.ColumnCount()));
    std::iota(columns.begin(), columns.end(), 0);
    const std::wstring text = Utf16FromUtf8(TableText(table, rows, columns, '\t'));
    // Windows programs that paste plain text expect CR LF line ends.
    std::wstring result;
    result.reserve(text.size() + static_cast<std::size_t>(table.RowCount()) + 1);
    for (const wchar_t c : text) {
        if (c == L'\n')
            result.push_back(L'\r');
        result.push_back(c);
    }
    return result;
}

// One tab: a table, its list view and the order its rows are shown in.
struct ResultsPanel::Page {
    const ResultTable* table = nullptr;
    HWND list = nullptr;
    std::vector<int> order;   // view row -> table row
    std::vector<int> viewRow; // table row -> view row
    int sortColumn = 0;
    bool ascending = true;
    std::wstring cell; // the text handed to the list view last
};

ResultsPanel::ResultsPanel(HWND parent, TableSource tables) : m_Tables(std::move(tables))
{
    RegisterPanelClass(PanelProc);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_Panel = ::CreateWindowExW(0, kPanelClass, L"Results", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                                instance, this);
    m_Tabs =
        ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER, 0, 0, 0, 0,
                          m_Panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabsId)), instance, nullptr);
    m_Empty = ::CreateWindowExW(0, L"STATIC", kEmptyText, WS_CHILD | SS_CENTER, 0, 0, 0, 0, m_Panel, nullptr, instance,
                                nullptr);
}

ResultsPanel::~ResultsPanel()
{
    if (m_Panel && ::IsWindow(m_Panel)) {
        ::SetWindowLongPtrW(m_Panel, GWLP_USERDATA, 0);
        ::DestroyWindow(m_Panel);
    }
}

LRESULT CALLBACK ResultsPanel::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* panel = reinterpret_cast<ResultsPanel*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (panel) {
        switch (message) {
        case WM_NOTIFY:
            return panel->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_SIZE:
            panel->LayoutPages();
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ResultsPanel::SetVisible(bool visible)
{
    if (visible && m_Stale)
        Rebuild();
    ::ShowWindow(m_Panel, visible ? SW_SHOW : SW_HIDE);
    if (visible && m_HasPending) {
        m_HasPending = false;
        SelectRow(m_PendingKind, m_PendingNumber);
    }
}

bool ResultsPanel::Visible() const
{
    return (::GetWindowLongPtrW(m_Panel, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ResultsPanel::SetFont(HFONT font)
{
    m_Font = font;
    ::SendMessageW(m_Tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(m_Empty, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    for (const auto& page : m_Pages)
        ::SendMessageW(page->list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    LayoutPages();
}

void ResultsPanel::Move(int x, int y, int width, int height)
{
    ::MoveWindow(m_Panel, x, y, width, height, TRUE);
}

int ResultsPanel::TabCount() const
{
    return static_cast<int>(::SendMessageW(m_Tabs, TCM_GETITEMCOUNT, 0, 0));
}

int ResultsPanel::CurrentTab() const
{
    return static_cast<int>(::SendMessageW(m_Tabs, TCM_GETCURSEL, 0, 0));
}

void ResultsPanel::SetCurrentTab(int tab)
{
    ::SendMessageW(m_Tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    ShowCurrentPage();
}

HWND ResultsPanel::List(int tab) const
{
    if (tab < 0 || static_cast<std::size_t>(tab) >= m_Pages.size())
        return nullptr;
    return m_Pages[static_cast<std::size_t>(tab)]->list;
}

ResultsPanel::Page* ResultsPanel::CurrentPage() const
{
    const int tab = CurrentTab();
    if (tab < 0 || static_cast<std::size_t>(tab) >= m_Pages.size())
        return nullptr;
    return m_Pages[static_cast<std::size_t>(tab)].get();
}

void ResultsPanel::ResultsChanged()
{
    // The old pages show tables that are gone.
    ClearPages();
    m_Stale = true;
    m_HasPending = false;
    if (Visible())
        Rebuild();
}

void ResultsPanel::ClearPages()
{
    if (CurrentTab() >= 0)
        m_LastTab = CurrentTab();
    ::SendMessageW(m_Tabs, TCM_DELETEALLITEMS, 0, 0);
    for (const auto& page : m_Pages)
        ::DestroyWindow(page->list);
    m_Pages.clear();
    ::ShowWindow(m_Empty, SW_HIDE);
}

void ResultsPanel::Rebuild()
{
    m_Stale = false;
    ClearPages();
    const std::vector<ResultTable>& tables = m_Tables();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (tables.empty()) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        wchar_t title[] = L"Results";
        item.pszText = title;
        ::SendMessageW(m_Tabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LayoutPages();
        ::ShowWindow(m_Empty, SW_SHOW);
        return;
    }
    for (const ResultTable& table : tables) {
        auto page = std::make_unique<Page>();
        page->table = &table;
        const int id = kFirstListId + static_cast<int>(m_Pages.size());
        page->list = ::CreateWindowExW(
            WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
            0, 0, 0, 0, m_Panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(page->list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                       LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
        if (m_Font)
            ::SendMessageW(page->list, WM_SETFONT, reinterpret_cast<WPARAM>(m_Font), FALSE);
        for (int column = 0; column < table.ColumnCount(); ++column) {
            std::wstring title = Utf16FromUtf8(table.Column(column));
            LVCOLUMNW desc{};
            desc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
            // The first column of a list view is always left-aligned.
            desc.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
            desc.cx = table.IsInteger(column) ? ColumnWidth(page->list, L"Element000")
                                              : ColumnWidth(page->list, L"-0.000123456e-000");
            desc.pszText = title.data();
            desc.iSubItem = column;
            ::SendMessageW(page->list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&desc));
        }
        page->order.resize(static_cast<std::size_t>(table.RowCount()));
        std::iota(page->order.begin(), page->order.end(), 0);
        page->viewRow = page->order;
        ::SendMessageW(page->list, LVM_SETITEMCOUNT, static_cast<WPARAM>(table.RowCount()), 0);

        std::wstring title = Utf16FromUtf8(table.Title());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        ::SendMessageW(m_Tabs, TCM_INSERTITEMW, m_Pages.size(), reinterpret_cast<LPARAM>(&item));
        m_Pages.push_back(std::move(page));
    }
    const int current = m_LastTab >= 0 && static_cast<std::size_t>(m_LastTab) < m_Pages.size() ? m_LastTab : 0;
    ::SendMessageW(m_Tabs, TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
    LayoutPages();
    ShowCurrentPage();
    // The header shows the order the rows are in.
    for (std::size_t tab = 0; tab < m_Pages.size(); ++tab) {
        Page& page = *m_Pages[tab];
        if (HWND header = reinterpret_cast<HWND>(::SendMessageW(page.list, LVM_GETHEADER, 0, 0))) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            ::SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            item.fmt |= HDF_SORTUP;
            ::SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
}

void ResultsPanel::LayoutPages()
{
    RECT client{};
    ::GetClientRect(m_Panel, &client);
    ::MoveWindow(m_Tabs, 0, 0, client.right, client.bottom, TRUE);
    RECT inner = client;
    ::SendMessageW(m_Tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inner));
    const int width = inner.right > inner.left ? inner.right - inner.left : 0;
    const int height = inner.bottom > inner.top ? inner.bottom - inner.top : 0;
    for (const auto& page : m_Pages) {
        ::MoveWindow(page->list, inner.left, inner.top, width, height, TRUE);
        // Above the tab control, which is their sibling.
        ::SetWindowPos(page->list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Moved as a whole, the list keeps stale rows where the bits of its
        // old place were copied: it paints all of itself again.
        ::RedrawWindow(page->list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    ::MoveWindow(m_Empty, inner.left, inner.top + height / 3, width, height - height / 3, TRUE);
    ::SetWindowPos(m_Empty, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ResultsPanel::ShowCurrentPage()
{
    const int current = CurrentTab();
    for (std::size_t tab = 0; tab < m_Pages.size(); ++tab)
        ::ShowWindow(m_Pages[tab]->list, static_cast<int>(tab) == current ? SW_SHOW : SW_HIDE);
    if (current >= 0)
        m_LastTab = current;
}

LRESULT ResultsPanel::OnNotify(const NMHDR& header)
{
    if (header.hwndFrom == m_Tabs) {
        if (header.code == TCN_SELCHANGE)
            ShowCurrentPage();
        return 0;
    }
    Page* page = nullptr;
    for (const auto& candidate : m_Pages)
        if (candidate->list == header.hwndFrom)
            page = candidate.get();
    if (!page)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
        if ((info.item.mask & LVIF_TEXT) == 0 || info.item.iItem < 0 ||
            static_cast<std::size_t>(info.item.iItem) >= page->order.size() || info.item.iSubItem < 0 ||
            info.item.iSubItem >= page->table->ColumnCount())
            return 0;
        page->cell = Utf16FromUtf8(
            page->table->Text(page->order[static_cast<std::size_t>(info.item.iItem)], info.item.iSubItem));
        // The list view copies the text at once; a truncated cell beats an
        // overrun buffer.
        if (info.item.pszText && info.item.cchTextMax > 0) {
            const std::size_t count = std::min(page->cell.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
            std::memcpy(info.item.pszText, page->cell.data(), count * sizeof(wchar_t));
            info.item.pszText[count] = L'\0';
        }
        return 0;
    }
    case LVN_COLUMNCLICK: {
        const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
        SortBy(click.iSubItem);
        return 0;
    }
    case LVN_KEYDOWN: {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0)
            CopySelection();
        else if (key.wVKey == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
            LVITEMW all{};
            all.stateMask = LVIS_SELECTED;
            all.state = LVIS_SELECTED;
            ::SendMessageW(page->list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
        }
        return 0;
    }
    default:
        return 0;
    }
}

void ResultsPanel::SortBy(int column)
{
    Page* page = CurrentPage();
    if (!page || column < 0 || column >= page->table->ColumnCount())
        return;
    page->ascending = column == page->sortColumn ? !page->ascending : true;
    // The selection follows its rows to their new places.
    std::vector<int> selected;
    for (int row = -1; (row = static_cast<int>(::SendMessageW(page->list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                              LVNI_SELECTED))) >= 0;)
        selected.push_back(page->order[static_cast<std::size_t>(row)]);
    page->order = SortedRows(*page->table, column, page->ascending);
    for (std::size_t i = 0; i < page->order.size(); ++i)
        page->viewRow[static_cast<std::size_t>(page->order[i])] = static_cast<int>(i);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(page->list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (const int tableRow : selected) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        ::SendMessageW(page->list, LVM_SETITEMSTATE,
                       static_cast<WPARAM>(page->viewRow[static_cast<std::size_t>(tableRow)]),
                       reinterpret_cast<LPARAM>(&item));
    }
    if (HWND header = reinterpret_cast<HWND>(::SendMessageW(page->list, LVM_GETHEADER, 0, 0))) {
        for (int i = 0; i < page->table->ColumnCount(); ++i) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
            if (i == column)
                item.fmt |= page->ascending ? HDF_SORTUP : HDF_SORTDOWN;
            ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
    }
    page->sortColumn = column;
    ::InvalidateRect(page->list, nullptr, FALSE);
}

void ResultsPanel::SelectRow(RowKind kind, int number)
{
    if (m_Stale) {
        if (!Visible()) {
            m_HasPending = true;
            m_PendingKind = kind;
            m_PendingNumber = number;
            return;
        }
        Rebuild();
    }
    const std::vector<ResultTable>& tables = m_Tables();
    const int tab = TableForSelection(tables, CurrentTab(), kind);
    if (tab < 0 || static_cast<std::size_t>(tab) >= m_Pages.size())
        return;
    Page& page = *m_Pages[static_cast<std::size_t>(tab)];
    const int tableRow = page.table->RowOf(number);
    if (tableRow < 0)
        return;
    const int row = page.viewRow[static_cast<std::size_t>(tableRow)];
    SetCurrentTab(tab);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(page.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(page.list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(page.list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

std::wstring ResultsPanel::SelectionText() const
{
    const Page* page = CurrentPage();
    if (!page)
        return {};
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(::SendMessageW(page->list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                              LVNI_SELECTED))) >= 0;)
        rows.push_back(page->order[static_cast<std::size_t>(row)]);
    if (rows.empty())
        return {};
    return ClipboardRowsText(*page->table, rows);
}

bool ResultsPanel::CopySelection() const
{
    const std::wstring text = SelectionText();
    if (text.empty() || !::OpenClipboard(m_Panel))
        return false;
    bool copied = false;
    ::EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = ::GlobalLock(memory)) {
            std::memcpy(target, text.c_str(), bytes);
            ::GlobalUnlock(memory);
            copied = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        // The clipboard owns the memory only once it has taken it.
        if (!copied)
            ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return copied;
}
