// The Qt side of reading results: the status bar read-out, the results dock
// and its tables (sorting, copying, selection by a click), the export.
#include "qt/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "graphics/ViewTransform.h"
#include "qt/QtPlatform.h"
#include "qt/ResultsPanel.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class Panel : public ::testing::Test {
protected:
    Panel() : m_SavedDirectory(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(m_Home.Path()));
        m_Window.Platform().SetMessageHandler(
            [this](const QString&, const QString& text) { m_Messages.push_back(text.toStdString()); });
        m_Window.resize(900, 700);
        m_Window.show();
        QCoreApplication::processEvents();
        const std::string file = m_Home.Write("frame.txt", ReadFile(VELA_EXAMPLES_DIR "/portal.txt"));
        EXPECT_TRUE(m_Window.OpenFile(QString::fromStdString(file)));
        EXPECT_TRUE(m_Window.WaitForWork());
    }
    ~Panel() override { QDir::setCurrent(m_SavedDirectory); }

    void Send(QObject* target, QEvent&& event) { QCoreApplication::sendEvent(target, &event); }
    QPoint At(double x, double y)
    {
        const double world[2] = {x, y};
        int pixel[2];
        m_Window.State().m_View->WorldToScreen(world, pixel);
        return {pixel[0], pixel[1]};
    }
    void Move(QPoint p)
    {
        Send(m_Window.Area(), QMouseEvent(QEvent::MouseMove, QPointF(p), m_Window.Area()->mapToGlobal(QPointF(p)),
                                          Qt::NoButton, Qt::NoButton, Qt::NoModifier));
    }
    void Click(QPoint p)
    {
        Send(m_Window.Area(),
             QMouseEvent(QEvent::MouseButtonPress, QPointF(p), m_Window.Area()->mapToGlobal(QPointF(p)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier));
    }
    void Solve()
    {
        m_Window.Action(MenuId::Solve)->trigger();
        EXPECT_TRUE(m_Window.WaitForWork());
    }

    ScratchDir m_Home;
    QString m_SavedDirectory;
    MainWindow m_Window{QStringLiteral("2024-05-06")};
    std::vector<std::string> m_Messages;
};

TEST_F(Panel, TheStatusBarReadsOutWhatIsUnderThePointer)
{
    Solve();
    Move(At(3, 4));
    const QString text = m_Window.StatusLabel()->text();
    EXPECT_TRUE(text.startsWith("Element 1 (nodes 1-2): x = 3")) << text.toStdString();
    EXPECT_TRUE(text.contains("M = 13.5")) << text.toStdString();
    // Leaving the drawing area clears it.
    Send(m_Window.Area(), QEvent(QEvent::Leave));
    EXPECT_TRUE(m_Window.StatusLabel()->text().isEmpty());
}

TEST_F(Panel, ResultsDockHasATabPerTableThatSortsAndCopies)
{
    ResultsPanel* panel = m_Window.Results();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    QAction* results = m_Window.Action(MenuId::Results);
    results->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(results->isChecked());
    // Before the solution: a hint, no tables.
    ASSERT_EQ(panel->Tabs()->count(), 1);
    EXPECT_EQ(panel->View(0), nullptr);

    Solve();
    ASSERT_EQ(panel->Tabs()->count(), 5);
    EXPECT_EQ(panel->Tabs()->tabText(4), "Member maxima");
    ResultTableView* maxima = panel->View(4);
    ASSERT_NE(maxima, nullptr);
    EXPECT_EQ(maxima->model()->rowCount(), 3);
    EXPECT_EQ(maxima->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "ABSmax(M)");
    EXPECT_EQ(maxima->model()->index(1, 2).data().toString(), "13.5931");

    // A click on the header sorts by the column; largest first on the
    // second.
    maxima->sortByColumn(2, Qt::DescendingOrder);
    EXPECT_EQ(maxima->model()->index(0, 0).data().toString(), "1");
    EXPECT_EQ(maxima->model()->index(2, 0).data().toString(), "0");

    // Ctrl+C copies the selection, header first, tab-separated.
    panel->Tabs()->setCurrentIndex(4);
    maxima->selectRow(0);
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(maxima, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "Element\tN\tABSmax(M)\tx(M)\tABSmax(V)\tx(V)\tDmax\tx(D)\n"
                                                 "1\t-11.2356\t13.5931\t2.838\t15.805\t6\t0.00287306\t3.204\n");

    // Closing the dock by its own button unchecks the menu item.
    panel->close();
    EXPECT_FALSE(results->isChecked());
    EXPECT_FALSE(m_Window.State().IsChecked(MenuId::Results));
}

TEST_F(Panel, AClickOnTheDrawingSelectsTheRow)
{
    Solve();
    m_Window.Action(MenuId::Results)->trigger();
    ResultsPanel* panel = m_Window.Results();
    panel->Tabs()->setCurrentIndex(3);
    // A member: its row in the current tab, which lists members.
    Click(At(3, 4));
    EXPECT_EQ(panel->Tabs()->currentIndex(), 3);
    ResultTableView* global = panel->View(3);
    ASSERT_NE(global->selectionModel(), nullptr);
    QModelIndexList rows = global->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(global->model()->index(rows[0].row(), 0).data().toString(), "1");
    // A node: the first tab that lists nodes.
    Click(At(6, 0));
    EXPECT_EQ(panel->Tabs()->currentIndex(), 0);
    rows = panel->View(0)->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(panel->View(0)->model()->index(rows[0].row(), 0).data().toString(), "3");
}

TEST_F(Panel, ReactionsAndValuesCarryCheckMarks)
{
    QAction* values = m_Window.Action(MenuId::Values);
    QAction* reactions = m_Window.Action(MenuId::Reactions);
    EXPECT_TRUE(values->isChecked());
    reactions->trigger();
    EXPECT_FALSE(reactions->isChecked()) << "not before a solution";
    ASSERT_EQ(m_Messages.size(), 1u);
    Solve();
    reactions->trigger();
    EXPECT_TRUE(reactions->isChecked());
    values->trigger();
    EXPECT_FALSE(values->isChecked());
    EXPECT_FALSE(m_Window.State().m_ShowValues);
}

TEST_F(Panel, ExportResultsAsksForANameAndWritesTheTables)
{
    Solve();
    QString suggested;
    m_Window.Platform().SetSaveChooser([&](const QString&, const QString&, const QString& path) {
        suggested = path;
        return QString::fromStdString(m_Home.File("out.csv"));
    });
    m_Window.Action(MenuId::ExportResults)->trigger();
    EXPECT_TRUE(suggested.endsWith("/Results.csv")) << suggested.toStdString();
    EXPECT_EQ(ReadFile(m_Home.File("out.csv")).rfind("Nodal displacements\n", 0), 0u);
}

} // namespace
