#pragma once

#include "inspect/ResultTables.h"
#include "win32/WindowsHeaders.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The results panel (View > Results): a tab per table of the solution, each
// a report-style list view whose rows come from the table on demand (a
// virtual list, so that a frame of many thousand members fills at once).
// A click on a column header sorts by it (again: the other way round);
// Ctrl+C copies the selected rows as tab-separated text with a header row.
class ResultsPanel {
public:
    // Where the tables come from: asked again after every ResultsChanged,
    // and only while the panel is shown.
    using TableSource = std::function<const std::vector<ResultTable>&()>;

    // Creates the panel as a hidden child of parent.
    ResultsPanel(HWND parent, TableSource tables);
    ~ResultsPanel();
    ResultsPanel(const ResultsPanel&) = delete;
    ResultsPanel& operator=(const ResultsPanel&) = delete;

    HWND Handle() const { return m_Panel; }
    void SetVisible(bool visible);
    bool Visible() const;
    void SetFont(HFONT font);
    // Places the panel in its parent's client area.
    void Move(int x, int y, int width, int height);

    // The tables are gone or new: the pages are made again (at once when
    // the panel is shown, else when it next shows).
    void ResultsChanged();
    // Selects the row of a node or element, in the current tab when it
    // lists those, else in the first tab that does.
    void SelectRow(RowKind kind, int number);

    // Sorts the current tab's rows by a column: ascending first, then the
    // other way on each repeat.
    void SortBy(int column);
    int TabCount() const;
    int CurrentTab() const;
    void SetCurrentTab(int tab);
    HWND List(int tab) const;
    // The current tab's selected rows, in the order shown, as the text a
    // copy puts on the clipboard: every column, a header row first, lines
    // ending in CR LF.
    std::wstring SelectionText() const;
    // That text on the clipboard as Unicode text; false when there is
    // nothing selected or the clipboard cannot be had.
    bool CopySelection() const;

private:
    struct Page;

    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    void Rebuild();
    void ClearPages();
    void ShowCurrentPage();
    void LayoutPages();
    Page* CurrentPage() const;

    TableSource m_Tables;
    HWND m_Panel = nullptr;
    HWND m_Tabs = nullptr;
    HWND m_Empty = nullptr;
    HFONT m_Font = nullptr;
    std::vector<std::unique_ptr<Page>> m_Pages;
    bool m_Stale = true;
    int m_LastTab = 0;
    bool m_HasPending = false;
    RowKind m_PendingKind = RowKind::Node;
    int m_PendingNumber = -1;
};

// The clipboard text of some rows of a table in the order given: every
// column, a header row first, tab-separated, each line ending in CR LF.
std::wstring ClipboardRowsText(const ResultTable& table, const std::vector<int>& rows);
