#pragma once

#include "qt/QtPlatform.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <memory>

class AppState;
class BusyIndicator;
class MessagesPanel;
class QAction;
class QLabel;
class QMenu;
class QtPlatform;
class ResultsPanel;

// The area under the menu bar where the structure is drawn. Its size is the
// client size the view is fitted to; its events drive the gestures.
class DrawingArea : public QWidget {
    Q_OBJECT
public:
    DrawingArea(AppState& state, QWidget* parent);

    // The picture as the next paint would show it: background, rubber band
    // and layers, composed off screen in one image of the area's size.
    QImage ComposeFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

public:
    // How many times the area has been painted (tests: the window answers
    // while work goes on).
    int PaintCount() const { return m_PaintCount; }

private:
    AppState& m_State;
    int m_PaintCount = 0;
};

// The one top-level window: the menu built from the application's menu
// description, the drawing area, and the keys.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const QString& buildDate = {}, std::unique_ptr<ViewerLauncher> launcher = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens a file exactly as if it had been chosen in the Open dialog.
    bool OpenFile(const QString& path);
    // Runs the menu command with this id, as its menu item does.
    void RunCommand(int id);

    AppState& State() { return *m_State; }
    QtPlatform& Platform() { return *m_Platform; }
    DrawingArea* Area() { return m_Area; }
    QAction* Action(int id) const { return m_Actions.value(id); }
    ResultsPanel* Results() { return m_Results; }
    QLabel* StatusLabel() { return m_StatusLabel; }
    QLabel* NoticeLabel() { return m_NoticeLabel; }
    MessagesPanel* Messages() { return m_Messages; }
    BusyIndicator* Busy() { return m_Busy; }
    QMenu* RecentMenu() { return m_RecentMenu; }
    // Lets events run until the load or solve under way has ended and its
    // result is in; false when it takes longer than timeoutMs.
    bool WaitForWork(int timeoutMs = 60000);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu();
    void UpdateActions();

    DrawingArea* m_Area;
    ResultsPanel* m_Results;
    QLabel* m_StatusLabel;
    QLabel* m_NoticeLabel = nullptr;
    MessagesPanel* m_Messages = nullptr;
    BusyIndicator* m_Busy = nullptr;
    QMenu* m_RecentMenu = nullptr;
    std::unique_ptr<QtPlatform> m_Platform;
    std::unique_ptr<AppState> m_State;
    QHash<int, QAction*> m_Actions;
};
