#include "qt/MessagesPanel.h"

#include "app/AppState.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>

MessagesPanel::MessagesPanel(AppState& state, QWidget* parent)
    : QDockWidget(QStringLiteral("Messages"), parent), m_State(state), m_List(new QListWidget(this))
{
    setObjectName(QStringLiteral("MessagesPanel"));
    m_List->setWordWrap(true);
    m_List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWidget(m_List);
}

QString MessagesPanel::Line(const Notice& notice)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(notice.time.time_since_epoch()).count();
    const QString time = QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss"));
    return time + QStringLiteral("  ") + QString::fromStdString(notice.text);
}

void MessagesPanel::Add(const Notice& notice)
{
    m_List->addItem(Line(notice));
    m_List->scrollToBottom();
}

void MessagesPanel::closeEvent(QCloseEvent* event)
{
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        m_State.OnMessagesPanelClosed();
}

BusyIndicator::BusyIndicator(QWidget* parent)
    : QWidget(parent), m_Stage(new QLabel(this)), m_Bar(new QProgressBar(this)),
      m_Cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Stage);
    layout->addWidget(m_Bar);
    layout->addWidget(m_Cancel);
    // No fraction is known: the bar only shows that work goes on.
    m_Bar->setRange(0, 0);
    m_Bar->setMaximumWidth(120);
    m_Bar->setMaximumHeight(m_Stage->sizeHint().height());
    m_Cancel->setToolTip(QStringLiteral("Cancel the solution (Esc)"));
    connect(m_Cancel, &QPushButton::clicked, this, &BusyIndicator::CancelClicked);
    hide();
}

void BusyIndicator::Show(const QString& stage, bool cancellable)
{
    if (stage.isEmpty()) {
        hide();
        return;
    }
    m_Stage->setText(stage.at(0).toUpper() + stage.mid(1) + QStringLiteral("…"));
    m_Cancel->setVisible(cancellable);
    show();
}
