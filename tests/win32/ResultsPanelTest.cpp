#include "win32/ResultsPanel.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Two tables as a solution gives them: nodes with three values, elements
// with two, in node and element order.
std::vector<ResultTable> SampleTables()
{
    std::vector<ResultTable> tables;
    tables.emplace_back("Nodes", RowKind::Node, std::vector<std::string>{"Node", "dx", "dy"}, 1);
    tables.back().AddRow({0, 0.5, -2e-19});
    tables.back().AddRow({1, -1.25, 3});
    tables.back().AddRow({2, 2, 1234567});
    tables.emplace_back("Elements", RowKind::Element, std::vector<std::string>{"Element", "N"}, 1);
    tables.back().AddRow({0, 10});
    tables.back().AddRow({1, -20});
    return tables;
}

// A hidden top-level window holding a results panel over the sample
// tables; the list views answer their messages without a message loop.
class ResultsPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_Parent = ::CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Parent, nullptr);
        m_Panel = std::make_unique<ResultsPanel>(m_Parent, [this]() -> const std::vector<ResultTable>& {
            ++m_Asked;
            return m_Tables;
        });
        m_Panel->Move(0, 0, 600, 300);
    }
    void TearDown() override
    {
        m_Panel.reset();
        if (m_Parent)
            ::DestroyWindow(m_Parent);
    }

    std::wstring Cell(int tab, int row, int column) const
    {
        wchar_t text[64] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 64;
        ::SendMessageW(m_Panel->List(tab), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    void Select(int tab, int row) const
    {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        ::SendMessageW(m_Panel->List(tab), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    std::vector<int> Selected(int tab) const
    {
        std::vector<int> rows;
        for (int row = -1; (row = static_cast<int>(::SendMessageW(m_Panel->List(tab), LVM_GETNEXTITEM,
                                                                  static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
            rows.push_back(row);
        return rows;
    }

    std::vector<ResultTable> m_Tables = SampleTables();
    int m_Asked = 0;
    HWND m_Parent = nullptr;
    std::unique_ptr<ResultsPanel> m_Panel;
};

} // namespace

TEST(ClipboardRowsText, HeaderThenRowsInTheOrderGivenTabSeparatedWithCrLf)
{
    const std::vector<ResultTable> tables = SampleTables();
    EXPECT_EQ(ClipboardRowsText(tables[0], {2, 0}), L"Node\tdx\tdy\r\n"
                                                    L"2\t2\t1.23457e+006\r\n"
                                                    L"0\t0.5\t-2e-019\r\n");
    EXPECT_EQ(ClipboardRowsText(tables[1], {}), L"Element\tN\r\n");
}

TEST_F(ResultsPanelTest, ATabPerTableMadeOnlyOnceShown)
{
    // Hidden, the panel does not ask for tables it would not show.
    m_Panel->ResultsChanged();
    EXPECT_EQ(m_Asked, 0);
    m_Panel->SetVisible(true);
    EXPECT_TRUE(m_Panel->Visible());
    EXPECT_GT(m_Asked, 0);
    ASSERT_EQ(m_Panel->TabCount(), 2);
    EXPECT_EQ(::SendMessageW(m_Panel->List(0), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(m_Panel->List(1), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Cell(0, 1, 1), L"-1.25");
    EXPECT_EQ(Cell(0, 0, 2), L"-2e-019");
    EXPECT_EQ(Cell(1, 1, 0), L"1");

    // Without a solution: one page that says how to get one.
    m_Tables.clear();
    m_Panel->ResultsChanged();
    EXPECT_EQ(m_Panel->TabCount(), 1);
    EXPECT_EQ(m_Panel->List(0), nullptr);
}

TEST_F(ResultsPanelTest, AColumnClickSortsAscendingThenDescendingAndTheSelectionFollows)
{
    m_Panel->SetVisible(true);
    Select(0, 1); // node 1, dx = -1.25
    m_Panel->SortBy(1);
    EXPECT_EQ(Cell(0, 0, 0), L"1");
    EXPECT_EQ(Cell(0, 1, 0), L"0");
    EXPECT_EQ(Cell(0, 2, 0), L"2");
    EXPECT_EQ(Selected(0), std::vector<int>{0});
    m_Panel->SortBy(1);
    EXPECT_EQ(Cell(0, 0, 0), L"2");
    EXPECT_EQ(Cell(0, 2, 0), L"1");
    EXPECT_EQ(Selected(0), std::vector<int>{2});
    // Another column starts ascending again.
    m_Panel->SortBy(2);
    EXPECT_EQ(Cell(0, 0, 2), L"-2e-019");
    EXPECT_EQ(Cell(0, 2, 2), L"1.23457e+006");
}

TEST_F(ResultsPanelTest, CopyGivesTheSelectedRowsAsShownOnTheClipboard)
{
    m_Panel->SetVisible(true);
    EXPECT_EQ(m_Panel->SelectionText(), L"");
    EXPECT_FALSE(m_Panel->CopySelection());
    m_Panel->SortBy(1);
    m_Panel->SortBy(1); // descending: nodes 2, 0, 1
    Select(0, 0);
    Select(0, 2);
    const std::wstring expected = L"Node\tdx\tdy\r\n2\t2\t1.23457e+006\r\n1\t-1.25\t3\r\n";
    EXPECT_EQ(m_Panel->SelectionText(), expected);

    ASSERT_TRUE(m_Panel->CopySelection());
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    std::wstring pasted;
    if (data) {
        pasted = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    EXPECT_EQ(pasted, expected);
}

TEST_F(ResultsPanelTest, SelectingANodeOrElementFindsItsTabAndRow)
{
    m_Panel->SetVisible(true);
    m_Panel->SortBy(1); // nodes 1, 0, 2
    m_Panel->SelectRow(RowKind::Node, 2);
    EXPECT_EQ(m_Panel->CurrentTab(), 0);
    EXPECT_EQ(Selected(0), std::vector<int>{2});
    m_Panel->SelectRow(RowKind::Element, 1);
    EXPECT_EQ(m_Panel->CurrentTab(), 1);
    EXPECT_EQ(Selected(1), std::vector<int>{1});
    // A number without a row changes nothing.
    m_Panel->SelectRow(RowKind::Element, 7);
    EXPECT_EQ(Selected(1), std::vector<int>{1});
}

TEST_F(ResultsPanelTest, ASelectionAskedForWhileHiddenIsMadeWhenShown)
{
    m_Panel->SelectRow(RowKind::Element, 0);
    EXPECT_EQ(m_Asked, 0);
    m_Panel->SetVisible(true);
    EXPECT_EQ(m_Panel->CurrentTab(), 1);
    EXPECT_EQ(Selected(1), std::vector<int>{0});
}
