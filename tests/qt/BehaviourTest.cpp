// The window around its commands, with the real watcher, worker thread,
// settings and dialogs' stand-ins: reload after an editor's save, a window
// that answers while a large frame solves, Cancel, notices without boxes,
// recent files, pictures and dropped files.

#include "qt/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "qt/MessagesPanel.h"
#include "qt/QtPlatform.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

std::string Portal()
{
    return ReadFile(VELA_EXAMPLES_DIR "/portal.txt");
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// Writes a new file beside path and renames it over path, as editors save.
void SaveByRename(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".swp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << text;
    }
    std::filesystem::rename(temporary, path);
}

class Desktop : public ::testing::Test {
protected:
    Desktop() : m_SavedDirectory(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(m_Home.Path()));
        m_Window.Platform().SetMessageHandler(
            [this](const QString&, const QString& text) { m_Boxes.push_back(text.toStdString()); });
        m_Window.resize(820, 640);
        m_Window.show();
        QCoreApplication::processEvents();
    }
    ~Desktop() override
    {
        m_Window.WaitForWork();
        QDir::setCurrent(m_SavedDirectory);
    }

    // Lets events run until done says so; false after timeoutMs.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    bool Open(const std::string& path)
    {
        return m_Window.OpenFile(QString::fromStdString(path)) && m_Window.WaitForWork();
    }
    AppState& State() { return m_Window.State(); }
    QStringList MessagesListed() const
    {
        QStringList lines;
        QListWidget* list = const_cast<MainWindow&>(m_Window).Messages()->List();
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }

    ScratchDir m_Home;
    QString m_SavedDirectory;
    MainWindow m_Window{QStringLiteral("2024-05-06")};
    std::vector<std::string> m_Boxes;
};

TEST_F(Desktop, AnEditorsSaveIsReloadedByTheWatcher)
{
    const std::string path = m_Home.Write("frame.txt", Portal());
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(State().m_Model->m_Nodes[2].x, 6);

    // Twice: the first rename ends the file's own watch, which must be
    // taken up again for the second.
    for (const char* x : {"6.1", "6.2"}) {
        SaveByRename(path, Replace(Portal(), "2:6,4", std::string("2:") + x + ",4"));
        EXPECT_TRUE(WaitUntil([&] { return State().m_Model->m_Nodes[2].x == std::stod(x) && !State().Busy(); }))
            << "still " << State().m_Model->m_Nodes[2].x;
    }
    EXPECT_TRUE(m_Boxes.empty());
    EXPECT_TRUE(MessagesListed().last().contains(QStringLiteral("Reloaded \"frame.txt\"")));
    EXPECT_EQ(m_Window.Platform().WatchedFile(), QString::fromStdString(path));

    // The files the program writes beside it are no reason to reload.
    const std::size_t notices = State().Notices().size();
    m_Home.Write("Point.txt", "touched");
    m_Home.Write("unrelated.txt", "x");
    WaitUntil([] { return false; }, AppState::kReloadDelayMs * 3);
    EXPECT_EQ(State().Notices().size(), notices);
}

TEST_F(Desktop, ABrokenSaveKeepsTheModelWithoutABox)
{
    const std::string path = m_Home.Write("frame.txt", Portal());
    ASSERT_TRUE(Open(path));
    const StructureModel* before = State().m_Model.get();
    // The real message box this time: none may come up.
    m_Window.Platform().SetMessageHandler(nullptr);
    bool boxSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            boxSeen = true;
            modal->close();
        }
    });
    poll.start(10);

    SaveByRename(path, Replace(Portal(), "NPOIN=4", "NPOIN=four"));
    EXPECT_TRUE(WaitUntil([&] { return MessagesListed().join('\n').contains(QStringLiteral("was not reloaded")); }));
    EXPECT_FALSE(boxSeen);
    EXPECT_EQ(State().m_Model.get(), before);
    EXPECT_TRUE(m_Window.NoticeLabel()->text().startsWith(QStringLiteral("\"frame.txt\" was not reloaded: ")))
        << m_Window.NoticeLabel()->text().toStdString();

    // The user mends the file: the watch outlived the failed reload.
    SaveByRename(path, Replace(Portal(), "2:6,4", "2:7,4"));
    EXPECT_TRUE(WaitUntil([&] { return State().m_Model->m_Nodes[2].x == 7 && !State().Busy(); }));
    EXPECT_FALSE(boxSeen);
}

TEST_F(Desktop, TheWindowAnswersWhileALargeFrameSolves)
{
    ASSERT_TRUE(Open(m_Home.Write("large.txt", BuildingFrame(60, 60))));
    // Zoomed in: the zoom must survive the indicator coming and going.
    QWheelEvent wheel(QPointF(100, 100), m_Window.Area()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_Window.Area(), &wheel);
    const double zoomed = State().m_View->m_Scale;
    const QSize area = m_Window.Area()->size();
    const int paintsBefore = m_Window.Area()->PaintCount();
    int paintsWhileBusy = 0;
    bool indicatorSeen = false;
    m_Window.Action(MenuId::Solve)->trigger();
    // The command came back before the solution.
    EXPECT_TRUE(State().Busy());
    EXPECT_FALSE(m_Window.Action(MenuId::Solve)->isEnabled());
    EXPECT_FALSE(m_Window.Action(MenuId::Open)->isEnabled());
    while (State().Busy()) {
        indicatorSeen = indicatorSeen || m_Window.Busy()->isVisible();
        EXPECT_EQ(m_Window.Area()->size(), area);
        m_Window.Area()->update();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (State().Busy())
            paintsWhileBusy = m_Window.Area()->PaintCount() - paintsBefore;
    }
    EXPECT_GT(paintsWhileBusy, 0);
    EXPECT_TRUE(indicatorSeen);
    EXPECT_FALSE(m_Window.Busy()->isVisible());
    EXPECT_TRUE(State().m_Solved);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_Window.Area()->size(), area);
    EXPECT_EQ(State().m_View->m_Scale, zoomed);
    EXPECT_TRUE(m_Window.Action(MenuId::Solve)->isEnabled());
    EXPECT_TRUE(m_Window.NoticeLabel()->text().startsWith(QStringLiteral("Solved \"large.txt\": 3721 nodes")))
        << m_Window.NoticeLabel()->text().toStdString();
}

TEST_F(Desktop, EscCancelsTheSolutionAndLeavesTheFilesAlone)
{
    ASSERT_TRUE(Open(m_Home.Write("large.txt", BuildingFrame(60, 60))));
    const std::string result = m_Home.Write("MForInElemCS.txt", "an earlier solution\n");
    m_Window.Action(MenuId::Solve)->trigger();
    ASSERT_TRUE(State().Busy());
    EXPECT_TRUE(m_Window.Busy()->CancelButton()->isVisibleTo(m_Window.Busy()));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_Window, &esc);
    ASSERT_TRUE(m_Window.WaitForWork());
    EXPECT_FALSE(State().m_Solved);
    EXPECT_EQ(ReadFile(result), "an earlier solution\n");
    EXPECT_FALSE(FileExists(m_Home.File("Nodal_Displacement.txt")));
    EXPECT_TRUE(m_Window.NoticeLabel()->text().contains(QStringLiteral("cancelled")));
    EXPECT_TRUE(m_Boxes.empty());

    // The Cancel button does the same.
    m_Window.Action(MenuId::Solve)->trigger();
    m_Window.Busy()->CancelButton()->click();
    ASSERT_TRUE(m_Window.WaitForWork());
    EXPECT_FALSE(State().m_Solved);
    EXPECT_EQ(ReadFile(result), "an earlier solution\n");
}

TEST_F(Desktop, TheSkippedStiffnessDumpIsANoticeNotABox)
{
    m_Window.Platform().SetMessageHandler(nullptr);
    bool boxSeen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            boxSeen = true;
            modal->close();
        }
    });
    poll.start(10);
    // 21 x 25 nodes: 1,575 unknowns.
    ASSERT_TRUE(Open(m_Home.Write("big.txt", BuildingFrame(20, 24))));
    EXPECT_FALSE(boxSeen);
    ASSERT_EQ(MessagesListed().size(), 1);
    EXPECT_TRUE(MessagesListed()[0].contains(QStringLiteral("\"K.txt\" is not written")));
    // The list gives each notice its time, "hh:mm:ss".
    EXPECT_TRUE(QTime::fromString(MessagesListed()[0].left(8), QStringLiteral("HH:mm:ss")).isValid())
        << MessagesListed()[0].toStdString();
    EXPECT_FALSE(m_Window.Messages()->isVisible());
    m_Window.Action(MenuId::Messages)->trigger();
    EXPECT_TRUE(m_Window.Messages()->isVisible());
    EXPECT_TRUE(m_Window.Action(MenuId::Messages)->isChecked());
}

TEST_F(Desktop, RecentFilesAreRememberedAcrossWindows)
{
    const std::string a = m_Home.Write("a.txt", Portal());
    const std::string b = m_Home.Write("b.txt", Portal());
    ASSERT_TRUE(Open(a));
    ASSERT_TRUE(Open(b));
    QList<QAction*> items = m_Window.RecentMenu()->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_TRUE(items[0]->text().startsWith(QStringLiteral("&1 b.txt")));
    EXPECT_TRUE(items[1]->text().startsWith(QStringLiteral("&2 a.txt")));

    // A second window (the next start) offers them in the same order...
    MainWindow next(QStringLiteral("2024-05-06"));
    QList<QAction*> again = next.RecentMenu()->actions();
    ASSERT_GE(again.size(), 2);
    EXPECT_EQ(again[0]->text(), items[0]->text());
    EXPECT_EQ(again[1]->text(), items[1]->text());
    // ... and its item opens the file.
    again[1]->trigger();
    ASSERT_TRUE(next.WaitForWork());
    EXPECT_EQ(next.State().m_LoadedFileName, a);
    EXPECT_TRUE(next.RecentMenu()->actions()[0]->text().startsWith(QStringLiteral("&1 a.txt")));
}

TEST_F(Desktop, SavePictureWritesWhatTheWindowShows)
{
    ASSERT_TRUE(Open(m_Home.Write("frame.txt", Portal())));
    QString askedFilter;
    m_Window.Platform().SetSaveChooser([&](const QString&, const QString& filter, const QString&) {
        askedFilter = filter;
        return QString::fromStdString(m_Home.File("frame.png"));
    });
    m_Window.Action(MenuId::SavePicture)->trigger();
    EXPECT_TRUE(askedFilter.contains(QStringLiteral("*.svg")));
    const QImage saved(QString::fromStdString(m_Home.File("frame.png")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), m_Window.Area()->size());
    // Pixel for pixel the window's own frame.
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), m_Window.Area()->ComposeFrame());
}

TEST_F(Desktop, ADroppedFileOpens)
{
    const std::string path = m_Home.Write("dropped.txt", Portal());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(&m_Window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_Window, &drop);
    ASSERT_TRUE(m_Window.WaitForWork());
    EXPECT_EQ(State().m_LoadedFileName, path);

    // Text, or several files at once, are not taken.
    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(&m_Window, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(Desktop, ExitClosesTheWindow)
{
    ASSERT_TRUE(m_Window.isVisible());
    m_Window.Action(MenuId::Exit)->trigger();
    EXPECT_FALSE(m_Window.isVisible());
}

} // namespace
