#include "qt/MainWindow.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "qt/MessagesPanel.h"
#include "qt/QtCanvas.h"
#include "qt/QtPlatform.h"
#include "qt/ResultsPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QUrl>
#include <QWheelEvent>

// The icon lives in this static library; it must be registered by hand.
static void InitResources()
{
    Q_INIT_RESOURCE(vela);
}

DrawingArea::DrawingArea(AppState& state, QWidget* parent) : QWidget(parent), m_State(state)
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    // Every paint covers the whole area; black shows only before the first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
}

QImage DrawingArea::ComposeFrame() const
{
    const int width = m_State.m_ClientWidth;
    const int height = m_State.m_ClientHeight;
    if (width <= 0 || height <= 0)
        return {};
    const qreal ratio = devicePixelRatioF();
    QImage frame(qRound(width * ratio), qRound(height * ratio), QImage::Format_RGB32);
    frame.setDevicePixelRatio(ratio);
    frame.fill(ColorFromColorRef(m_State.BackgroundColor()));
    QPainter painter(&frame);
    {
        QtCanvas canvas(painter);
        m_State.Paint(canvas);
    }
    painter.end();
    return frame;
}

void DrawingArea::paintEvent(QPaintEvent*)
{
    ++m_PaintCount;
    const QImage frame = ComposeFrame();
    if (frame.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
}

void DrawingArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_State.OnSize(width(), height());
}

void DrawingArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    m_State.OnLeftButtonDown(at.x(), at.y());
}

void DrawingArea::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_State.OnMouseMove(at.x(), at.y());
}

void DrawingArea::wheelEvent(QWheelEvent* event)
{
    // Only the vertical wheel zooms; a sideways tilt is not a zoom.
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    m_State.OnMouseWheel(at.x(), at.y(), delta);
    event->accept();
}

void DrawingArea::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_State.OnMouseLeave();
}

MainWindow::MainWindow(const QString& buildDate, std::unique_ptr<ViewerLauncher> launcher, QWidget* parent)
    : QMainWindow(parent), m_Area(nullptr), m_Results(nullptr), m_StatusLabel(nullptr)
{
    InitResources();
    m_Platform = std::make_unique<QtPlatform>(this, nullptr, std::move(launcher));
    m_Platform->SetCommandHandler([this](int id) { RunCommand(id); });
    // The recent files' submenu exists before the state, which fills it.
    m_RecentMenu = new QMenu(QStringLiteral("Recent &Files"), this);
    m_Platform->SetRecentMenu(m_RecentMenu);
    m_State = std::make_unique<AppState>(*m_Platform, buildDate.toStdString());
    m_Platform->SetState(m_State.get());
    m_Area = new DrawingArea(*m_State, this);
    m_Platform->SetDrawingArea(m_Area);
    setCentralWidget(m_Area);

    // The read-out of what is under the pointer.
    m_StatusLabel = new QLabel(this);
    m_StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(m_StatusLabel, 1);
    m_Platform->SetStatusLabel(m_StatusLabel);
    // The last notice, beside it; every notice is in View > Messages.
    m_NoticeLabel = new QLabel(this);
    m_NoticeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_NoticeLabel->setMinimumWidth(1);
    statusBar()->addWidget(m_NoticeLabel, 1);
    m_Platform->SetNoticeLabel(m_NoticeLabel);
    m_Busy = new BusyIndicator(this);
    statusBar()->addPermanentWidget(m_Busy);
    connect(m_Busy, &BusyIndicator::CancelClicked, this, [this] { RunCommand(MenuId::Cancel); });
    m_Platform->SetBusyIndicator(m_Busy);
    // The bar keeps the height it has with the indicator shown: a drawing
    // area that changed size would be fitted anew, losing the user's zoom
    // each time work starts or ends.
    m_Busy->Show(QStringLiteral("reading"), true);
    statusBar()->setMinimumHeight(statusBar()->sizeHint().height());
    m_Busy->Show({}, false);
    setAcceptDrops(true);

    m_Results = new ResultsPanel(*m_State, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_Results);
    m_Results->hide();
    m_Platform->SetResultsPanel(m_Results);
    m_Messages = new MessagesPanel(*m_State, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_Messages);
    m_Messages->hide();
    m_Platform->SetMessagesPanel(m_Messages);
    BuildMenu();
    UpdateActions();
    setWindowIcon(QIcon(QStringLiteral(":/vela/vela.svg")));
    setWindowTitle(QString::fromStdString(m_State->WindowTitle()));
    resize(1000, 720);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenu()
{
    for (const MenuPopupDesc& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.caption));
        for (const MenuItemDesc& item : popup.items) {
            QAction* action = nullptr;
            if (item.id == MenuId::Separator) {
                action = menu->addSeparator();
                action->setData(item.id);
                continue;
            }
            if (item.id == MenuId::RecentFiles) {
                action = menu->addMenu(m_RecentMenu);
                action->setData(item.id);
                m_Actions.insert(item.id, action);
                continue;
            }
            action = menu->addAction(QString::fromUtf8(item.caption));
            action->setData(item.id);
            action->setCheckable(item.checkable);
            action->setChecked(item.initiallyChecked);
            if (item.shortcut)
                action->setShortcut(QKeySequence(QString::fromUtf8(item.shortcut)));
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
            m_Actions.insert(id, action);
            m_Platform->RegisterAction(id, action);
        }
    }
}

void MainWindow::UpdateActions()
{
    // Solving needs a structure; the window without a file has none. While
    // work goes on, nothing that would change the model can start.
    const bool idle = !m_State->Busy();
    if (QAction* solve = m_Actions.value(MenuId::Solve))
        solve->setEnabled(idle && m_State->m_Loaded);
    for (int id : {MenuId::Open, MenuId::Reload, MenuId::StartFromExample})
        if (QAction* action = m_Actions.value(id))
            action->setEnabled(idle);
    m_RecentMenu->setEnabled(idle && !m_State->RecentFiles().empty());
    // The check marks follow the state (a failed solve clears Reactions).
    for (auto it = m_Actions.cbegin(); it != m_Actions.cend(); ++it)
        if (it.value()->isCheckable())
            it.value()->setChecked(m_State->IsChecked(it.key()));
}

void MainWindow::RunCommand(int id)
{
    // A checkable item has toggled itself already; the command sets every
    // check mark it owns, so put this one back to what the state says first.
    if (QAction* action = m_Actions.value(id); action && action->isCheckable())
        action->setChecked(m_State->IsChecked(id));
    m_State->OnCommand(id);
    UpdateActions();
}

bool MainWindow::OpenFile(const QString& path)
{
    const bool loaded = m_State->OpenChosenFile(QtPlatform::ToPath(QFileInfo(path).absoluteFilePath()));
    UpdateActions();
    return loaded;
}

bool MainWindow::WaitForWork(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_State->Busy()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    UpdateActions();
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.constFirst().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = QFileInfo(urls.constFirst().toLocalFile()).absoluteFilePath();
    m_State->OpenDroppedFile(QtPlatform::ToPath(path));
    UpdateActions();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    int code = 0;
    if (event->key() == Qt::Key_Escape)
        code = 27;
    else if (event->text().size() == 1)
        code = event->text().at(0).unicode();
    if (code == 27 || code == 'P' || code == 'p' || code == 'Z' || code == 'z' || code == 'X' || code == 'x') {
        m_State->OnChar(code);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
