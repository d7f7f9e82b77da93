#include "qt/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "core/StructureModel.h"
#include "graphics/ViewTransform.h"
#include "qt/QtPlatform.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Readable failure messages for Qt strings.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The shipped portal frame: columns from (0, 0) and (6, 0) up to a beam at
// y = 4.
std::string PortalFrame()
{
    return ReadFile(VELA_EXAMPLES_DIR "/portal.txt");
}

constexpr QRgb kElementBlue = 0x0000FF;

// Records what would be started instead of starting it.
class RecordingLauncher : public ViewerLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    bool OpenUrl(const QUrl& url) override
    {
        m_Urls.push_back(url);
        return m_UrlWorks;
    }
    bool StartDetached(const QString& program, const QStringList& arguments) override
    {
        m_Starts.push_back({program, arguments});
        return m_Works.contains(program);
    }
    QString Environment(const char* name) override { return m_Environment.value(QString::fromLatin1(name)); }

    bool m_UrlWorks = false;
    QStringList m_Works;
    QHash<QString, QString> m_Environment;
    std::vector<QUrl> m_Urls;
    std::vector<Start> m_Starts;
};

// A window on the offscreen platform, its messages recorded, in a scratch
// folder that is the current one for the test's duration.
class Window : public ::testing::Test {
protected:
    Window() : m_SavedDirectory(QDir::currentPath())
    {
        QDir::setCurrent(QString::fromStdString(m_Home.Path()));
        m_Window.Platform().SetMessageHandler([this](const QString& caption, const QString& text) {
            m_Messages.push_back({caption, text});
        });
        m_Window.resize(820, 640);
        m_Window.show();
        QCoreApplication::processEvents();
    }
    ~Window() override { QDir::setCurrent(m_SavedDirectory); }

    void Send(QObject* target, QEvent&& event) { QCoreApplication::sendEvent(target, &event); }
    void Key(Qt::Key key, const QString& text)
    {
        Send(m_Window.Area(), QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    }
    void Click(int x, int y)
    {
        Send(m_Window.Area(),
             QMouseEvent(QEvent::MouseButtonPress, QPointF(x, y), m_Window.Area()->mapToGlobal(QPointF(x, y)),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        Send(m_Window.Area(),
             QMouseEvent(QEvent::MouseButtonRelease, QPointF(x, y), m_Window.Area()->mapToGlobal(QPointF(x, y)),
                         Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
    void Move(int x, int y)
    {
        Send(m_Window.Area(), QMouseEvent(QEvent::MouseMove, QPointF(x, y), m_Window.Area()->mapToGlobal(QPointF(x, y)),
                                          Qt::NoButton, Qt::NoButton, Qt::NoModifier));
    }
    void Wheel(int x, int y, int delta)
    {
        Send(m_Window.Area(), QWheelEvent(QPointF(x, y), m_Window.Area()->mapToGlobal(QPointF(x, y)), QPoint(),
                                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
    }
    bool LoadPortalFrame()
    {
        const bool started = m_Window.OpenFile(QString::fromStdString(m_Home.Write("frame.txt", PortalFrame())));
        return m_Window.WaitForWork() && started && State().m_Loaded;
    }
    AppState& State() { return m_Window.State(); }

    ScratchDir m_Home;
    QString m_SavedDirectory;
    MainWindow m_Window{QStringLiteral("2024-05-06")};
    std::vector<std::pair<QString, QString>> m_Messages;
};

TEST_F(Window, MenuBarFollowsTheMenuDescription)
{
    const QList<QAction*> popups = m_Window.menuBar()->actions();
    const auto& menu = MainMenu();
    ASSERT_EQ(popups.size(), static_cast<qsizetype>(menu.size()));
    for (std::size_t p = 0; p < menu.size(); ++p) {
        EXPECT_EQ(popups[p]->text(), QString::fromUtf8(menu[p].caption));
        ASSERT_NE(popups[p]->menu(), nullptr);
        const QList<QAction*> items = popups[p]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(menu[p].items.size()));
        for (std::size_t i = 0; i < menu[p].items.size(); ++i) {
            const MenuItemDesc& item = menu[p].items[i];
            EXPECT_EQ(items[i]->data().toInt(), item.id);
            if (item.id == MenuId::Separator) {
                EXPECT_TRUE(items[i]->isSeparator());
                continue;
            }
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(item.caption));
            EXPECT_EQ(items[i], m_Window.Action(item.id));
            EXPECT_EQ(items[i]->shortcut(), QKeySequence(QString::fromUtf8(item.shortcut ? item.shortcut : "")))
                << item.id;
        }
    }
    EXPECT_EQ(popups[0]->text(), "&File");
    // The usual keys, on the real actions.
    EXPECT_EQ(m_Window.Action(MenuId::Open)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(m_Window.Action(MenuId::Reload)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(m_Window.Action(MenuId::Solve)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(m_Window.Action(MenuId::Exit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(m_Window.Action(MenuId::RecentFiles)->menu(), m_Window.RecentMenu());
    EXPECT_EQ(m_Window.Action(40019)->text(), "S&tart From Example File");
    EXPECT_EQ(m_Window.Action(40022)->text(), "M&DisInGlobalCS");
    EXPECT_TRUE(m_Window.Action(MenuId::BlackBackground)->isChecked());
    for (int id : {MenuId::WhiteBackground, MenuId::NodeNumbers, MenuId::ElementNumbers})
        EXPECT_FALSE(m_Window.Action(id)->isChecked()) << id;
    // Nothing to solve before a file is open.
    EXPECT_FALSE(m_Window.Action(MenuId::Solve)->isEnabled());
}

TEST_F(Window, CheckMarksFollowTheCommands)
{
    QAction* numbers = m_Window.Action(MenuId::NodeNumbers);
    numbers->trigger();
    EXPECT_TRUE(numbers->isChecked());
    EXPECT_TRUE(State().m_ShowNodeNumbers);
    numbers->trigger();
    EXPECT_FALSE(numbers->isChecked());
    EXPECT_FALSE(State().m_ShowNodeNumbers);

    QAction* black = m_Window.Action(MenuId::BlackBackground);
    QAction* white = m_Window.Action(MenuId::WhiteBackground);
    white->trigger();
    EXPECT_TRUE(white->isChecked());
    EXPECT_FALSE(black->isChecked());
    white->trigger();
    EXPECT_TRUE(white->isChecked());
    EXPECT_FALSE(black->isChecked());
    EXPECT_EQ(State().m_BackgroundIndex, 1);
    black->trigger();
    EXPECT_TRUE(black->isChecked());
    EXPECT_FALSE(white->isChecked());
}

TEST_F(Window, WindowLooksTheWayItShould)
{
    EXPECT_EQ(m_Window.windowTitle(), "Vela 2024-05-06");
    EXPECT_FALSE(m_Window.windowIcon().isNull());
    EXPECT_EQ(m_Window.Area()->cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(m_Window.Area()->hasMouseTracking());
    EXPECT_EQ(State().m_ClientWidth, m_Window.Area()->width());
    EXPECT_EQ(State().m_ClientHeight, m_Window.Area()->height());
    const QImage frame = m_Window.Area()->grab().toImage();
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.pixel(5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(frame.pixel(frame.width() / 2, frame.height() / 2) & 0xFFFFFF, 0u);
}

TEST_F(Window, OpenCommandLoadsTheChosenFile)
{
    ScratchDir other;
    const std::string path = other.Write("frame.txt", PortalFrame());
    QString askedTitle;
    QString askedFilter;
    m_Window.Platform().SetFileChooser([&](const QString& title, const QString& filter, const QString&) {
        askedTitle = title;
        askedFilter = filter;
        return QString::fromStdString(path);
    });
    m_Window.Action(MenuId::Open)->trigger();
    ASSERT_TRUE(m_Window.WaitForWork());
    EXPECT_EQ(askedTitle, "Open a Beam System File");
    EXPECT_EQ(askedFilter, "Text Files (*.TXT)");
    ASSERT_TRUE(State().m_Loaded) << (m_Messages.empty() ? "" : m_Messages[0].second.toStdString());
    EXPECT_EQ(QDir(QDir::currentPath()).canonicalPath(), QDir(QString::fromStdString(other.Path())).canonicalPath());
    EXPECT_TRUE(FileExists(other.File("K.txt")));
    EXPECT_EQ(m_Window.windowTitle(), "frame.txt - Vela 2024-05-06");
    EXPECT_TRUE(m_Window.Action(MenuId::Solve)->isEnabled());

    m_Window.Action(MenuId::Solve)->trigger();
    ASSERT_TRUE(m_Window.WaitForWork());
    EXPECT_TRUE(State().m_Solved);
    EXPECT_TRUE(FileExists(other.File("MForInElemCS.txt")));
    EXPECT_TRUE(m_Messages.empty());
}

TEST_F(Window, PaintedFrameShowsTheStructure)
{
    ASSERT_TRUE(LoadPortalFrame());
    const ViewTransform& view = *State().m_View;
    // The middle of the beam, from (0, 4) to (6, 4).
    const double middle[2] = {3, 4};
    int pixel[2];
    view.WorldToScreen(middle, pixel);

    auto blueNear = [&](const QImage& image) {
        for (int dy = -3; dy <= 3; ++dy)
            if ((image.pixel(pixel[0], pixel[1] + dy) & 0xFFFFFF) == kElementBlue)
                return true;
        return false;
    };
    const QImage frame = m_Window.Area()->grab().toImage();
    ASSERT_EQ(frame.size(), m_Window.Area()->size());
    EXPECT_TRUE(blueNear(frame));
    EXPECT_EQ(frame.pixel(2, 2) & 0xFFFFFF, 0u);

    // White background, and the structure follows a pan.
    m_Window.Action(MenuId::WhiteBackground)->trigger();
    Key(Qt::Key_P, "p");
    Click(100, 100);
    Click(100, 160);
    pixel[1] += 60;
    const QImage moved = m_Window.Area()->grab().toImage();
    EXPECT_EQ(moved.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(blueNear(moved));
}

TEST_F(Window, RubberBandIsDrawnWhileZooming)
{
    Key(Qt::Key_Z, "z");
    Click(50, 50);
    Move(200, 150);
    const QImage frame = m_Window.Area()->grab().toImage();
    // Inverted black is white, along the band's edges.
    EXPECT_EQ(frame.pixel(120, 50) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(frame.pixel(200, 100) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(frame.pixel(120, 100) & 0xFFFFFF, 0u);
    Key(Qt::Key_Escape, "\x1b");
    const QImage after = m_Window.Area()->grab().toImage();
    EXPECT_EQ(after.pixel(120, 50) & 0xFFFFFF, 0u);
}

TEST_F(Window, KeysMouseAndWheelChangeTheView)
{
    ASSERT_TRUE(LoadPortalFrame());
    ViewTransform& view = *State().m_View;
    const double fitted = view.m_Scale;
    const int originX = view.m_OriginX;

    Key(Qt::Key_P, "P");
    EXPECT_EQ(State().m_Mode, 1);
    Click(300, 300);
    Move(340, 300);
    EXPECT_EQ(view.m_OriginX, originX + 40);
    Click(350, 300);
    EXPECT_EQ(view.m_OriginX, originX + 50);

    Wheel(200, 200, 120);
    EXPECT_DOUBLE_EQ(view.m_Scale, fitted * 1.1);
    Wheel(200, 200, -120);
    EXPECT_NEAR(view.m_Scale, fitted, 1e-9 * fitted);
    EXPECT_EQ(view.m_OriginX, 200);

    Key(Qt::Key_Z, "z");
    EXPECT_EQ(State().m_Mode, 2);
    Click(100, 100);
    Click(300, 250);
    EXPECT_GT(view.m_Scale, fitted);

    Key(Qt::Key_X, "x");
    EXPECT_DOUBLE_EQ(view.m_Scale, fitted);
    EXPECT_EQ(view.m_OriginX, originX);
    Key(Qt::Key_Escape, QString(QChar(27)));
    EXPECT_EQ(State().m_Mode, 0);
    // Other keys change nothing.
    Key(Qt::Key_A, "a");
    EXPECT_EQ(State().m_Mode, 0);
}

TEST_F(Window, ResizingRefitsTheView)
{
    ASSERT_TRUE(LoadPortalFrame());
    Wheel(10, 10, 120);
    m_Window.resize(600, 500);
    QCoreApplication::processEvents();
    const ViewTransform& view = *State().m_View;
    EXPECT_EQ(view.m_Width, m_Window.Area()->width());
    EXPECT_EQ(view.m_Height, m_Window.Area()->height());
    EXPECT_EQ(view.m_OriginX, m_Window.Area()->width() / 2);
}

TEST_F(Window, RealMessageBoxHasTheWarningCaptionAndOnlyOk)
{
    m_Window.Platform().SetMessageHandler(nullptr);
    QString title;
    QString text;
    int buttons = -1;
    QTimer::singleShot(10, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    m_Window.Action(MenuId::Deformed)->trigger();
    EXPECT_EQ(title, "Warning!");
    EXPECT_EQ(text, QString::fromUtf8("结构还未求解!"));
    EXPECT_EQ(buttons, 1);
}

TEST_F(Window, RealOpenDialogOffersTxtFilesInAnyCase)
{
    m_Home.Write("lower.txt", PortalFrame());
    m_Home.Write("UPPER.TXT", PortalFrame());
    m_Home.Write("other.dat", "x");
    m_Window.Platform().SetFileChooser(nullptr);
    State().m_FileName = m_Home.File("lower.txt");
    QString title;
    QStringList filters;
    QStringList listed;
    QTimer poll;
    int rounds = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        const int rows = list ? list->model()->rowCount(list->rootIndex()) : 0;
        if (rows < 2 && ++rounds < 100)
            return;
        poll.stop();
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        for (int r = 0; list && r < rows; ++r)
            listed << list->model()->index(r, 0, list->rootIndex()).data().toString();
        dialog->selectFile(QString::fromStdString(m_Home.File("lower.txt")));
        static_cast<QDialog*>(dialog)->accept();
    });
    poll.start(20);
    m_Window.Action(MenuId::Open)->trigger();
    EXPECT_TRUE(m_Window.WaitForWork());
    EXPECT_EQ(title, "Open a Beam System File");
    EXPECT_EQ(filters, QStringList{"Text Files (*.TXT)"});
    listed.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, (QStringList{"lower.txt", "UPPER.TXT"}));
    EXPECT_TRUE(State().m_Loaded);
}

TEST(Viewer, FilesReachTheViewerAsOneArgument)
{
    ScratchDir home;
    for (const char* name : {"my frame.txt", "it's \"quoted\".txt", "a; rm -rf x.txt", "$(touch pwned) `id`.txt"}) {
        const std::string path = home.Write(name, "x");
        const QString absolute = QtPlatform::FromPath(path);

        auto launcher = std::make_unique<RecordingLauncher>();
        RecordingLauncher* record = launcher.get();
        record->m_Environment.insert("EDITOR", "my-editor --wait");
        record->m_Works << "my-editor";
        QtPlatform platform(nullptr, nullptr, std::move(launcher));
        EXPECT_TRUE(platform.OpenInViewer(path));
        ASSERT_EQ(record->m_Urls.size(), 1u);
        EXPECT_EQ(record->m_Urls[0].toLocalFile(), absolute);
        ASSERT_EQ(record->m_Starts.size(), 1u);
        EXPECT_EQ(record->m_Starts[0].program, "my-editor");
        EXPECT_EQ(record->m_Starts[0].arguments, (QStringList{"--wait", absolute}));
    }
    EXPECT_FALSE(FileExists(home.File("pwned")));
}

TEST(Viewer, DesktopHandlerFirstThenVisualEditorAndXdgOpen)
{
    auto launcher = std::make_unique<RecordingLauncher>();
    RecordingLauncher* record = launcher.get();
    QtPlatform platform(nullptr, nullptr, std::move(launcher));

    record->m_UrlWorks = true;
    EXPECT_TRUE(platform.OpenInViewer("/tmp/a b.txt"));
    EXPECT_TRUE(record->m_Starts.empty());

    record->m_UrlWorks = false;
    record->m_Environment.insert("VISUAL", "gvim -f");
    record->m_Environment.insert("EDITOR", "nano");
    EXPECT_FALSE(platform.OpenInViewer("/tmp/a b.txt"));
    ASSERT_EQ(record->m_Starts.size(), 3u);
    EXPECT_EQ(record->m_Starts[0].program, "gvim");
    EXPECT_EQ(record->m_Starts[0].arguments, (QStringList{"-f", "/tmp/a b.txt"}));
    EXPECT_EQ(record->m_Starts[1].program, "nano");
    EXPECT_EQ(record->m_Starts[2].program, "xdg-open");
    EXPECT_EQ(record->m_Starts[2].arguments, QStringList{"/tmp/a b.txt"});

    record->m_Starts.clear();
    record->m_Environment.clear();
    record->m_Works << "xdg-open";
    EXPECT_TRUE(platform.OpenInViewer("/tmp/a b.txt"));
    ASSERT_EQ(record->m_Starts.size(), 1u);
    EXPECT_EQ(record->m_Starts[0].program, "xdg-open");
}

TEST(Probe, NewFilesOnlyNeverAnExistingOne)
{
    ScratchDir home;
    const std::string mine = home.Write("temp.tmp", "keep me");
    QtPlatform platform(nullptr, nullptr);
    EXPECT_FALSE(platform.CreateNewFile(mine));
    EXPECT_EQ(ReadFile(mine), "keep me");
    const std::string fresh = home.File("temp1.tmp");
    EXPECT_TRUE(platform.CreateNewFile(fresh));
    EXPECT_TRUE(platform.FileExists(fresh));
    EXPECT_TRUE(platform.RemoveFile(fresh));
    EXPECT_FALSE(platform.FileExists(fresh));
}

} // namespace
