#pragma once

#include "qt/QtPlatform.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <memory>

class AppState;
class QAction;
class QLabel;
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

private:
    AppState& m_State;
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

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMenu();
    void UpdateActions();

    DrawingArea* m_Area;
    ResultsPanel* m_Results;
    QLabel* m_StatusLabel;
    std::unique_ptr<QtPlatform> m_Platform;
    std::unique_ptr<AppState> m_State;
    QHash<int, QAction*> m_Actions;
};
