#pragma once

#include "app/Platform.h"

#include <QDockWidget>
#include <QWidget>

class AppState;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// View > Messages: every notice since the program started, oldest first,
// each with the time it came.
class MessagesPanel : public QDockWidget {
    Q_OBJECT
public:
    MessagesPanel(AppState& state, QWidget* parent);

    void Add(const Notice& notice);
    QListWidget* List() const { return m_List; }

    // "14:05:09  text", the time in the local time zone.
    static QString Line(const Notice& notice);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppState& m_State;
    QListWidget* m_List;
};

// The busy indicator of the status bar: the stage under way, a bar that
// moves while nothing else does, and Cancel while the work can be
// cancelled.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent);

    // Empty stage: hidden.
    void Show(const QString& stage, bool cancellable);
    QLabel* Stage() const { return m_Stage; }
    QPushButton* CancelButton() const { return m_Cancel; }

signals:
    void CancelClicked();

private:
    QLabel* m_Stage;
    QProgressBar* m_Bar;
    QPushButton* m_Cancel;
};
