#include "qt/ResultsPanel.h"

#include "app/AppState.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>

#include <algorithm>
#include <numeric>
#include <set>

ResultTableModel::ResultTableModel(const ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_Table(table), m_Order(static_cast<std::size_t>(table.RowCount())),
      m_ViewRowOf(m_Order.size())
{
    std::iota(m_Order.begin(), m_Order.end(), 0);
    std::iota(m_ViewRowOf.begin(), m_ViewRowOf.end(), 0);
}

int ResultTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_Table.RowCount();
}

int ResultTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_Table.ColumnCount();
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_Table.RowCount() || index.column() >= m_Table.ColumnCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(m_Table.Text(TableRow(index.row()), index.column()));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < m_Table.ColumnCount())
        return QString::fromStdString(m_Table.Column(section));
    if (orientation == Qt::Vertical)
        return section + 1;
    return {};
}

void ResultTableModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged();
    m_Order = SortedRows(m_Table, column, order == Qt::AscendingOrder);
    for (std::size_t i = 0; i < m_Order.size(); ++i)
        m_ViewRowOf[static_cast<std::size_t>(m_Order[i])] = static_cast<int>(i);
    emit layoutChanged();
}

int ResultTableModel::ViewRow(int tableRow) const
{
    if (tableRow < 0 || static_cast<std::size_t>(tableRow) >= m_ViewRowOf.size())
        return -1;
    return m_ViewRowOf[static_cast<std::size_t>(tableRow)];
}

QString ResultTableView::SelectionText() const
{
    const auto* results = qobject_cast<const ResultTableModel*>(model());
    if (!results || !selectionModel())
        return {};
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    std::set<int> viewRows;
    std::set<int> columnSet;
    for (const QModelIndex& cell : cells) {
        viewRows.insert(cell.row());
        columnSet.insert(cell.column());
    }
    if (viewRows.empty())
        return {};
    // Rows as the user sees them; a rectangular block of the columns
    // touched.
    std::vector<int> rows;
    for (const int row : viewRows)
        rows.push_back(results->TableRow(row));
    const std::vector<int> columns(columnSet.begin(), columnSet.end());
    return QString::fromStdString(TableText(results->Table(), rows, columns, '\t'));
}

void ResultTableView::CopySelection() const
{
    const QString text = SelectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void ResultTableView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

ResultsPanel::ResultsPanel(AppState& state, QWidget* parent)
    : QDockWidget(QStringLiteral("Results"), parent), m_State(state), m_Tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("results"));
    setWidget(m_Tabs);
}

ResultTableView* ResultsPanel::View(int tab) const
{
    return qobject_cast<ResultTableView*>(m_Tabs->widget(tab));
}

void ResultsPanel::ResultsChanged()
{
    // The old pages show tables that are gone.
    ClearPages();
    m_Stale = true;
    m_HasPending = false;
    if (isVisible())
        Rebuild();
}

void ResultsPanel::ClearPages()
{
    if (m_Tabs->currentIndex() >= 0)
        m_LastTab = m_Tabs->currentIndex();
    while (m_Tabs->count() > 0) {
        QWidget* page = m_Tabs->widget(0);
        m_Tabs->removeTab(0);
        delete page;
    }
}

void ResultsPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    if (m_Stale)
        Rebuild();
    if (m_HasPending) {
        m_HasPending = false;
        SelectRow(m_PendingKind, m_PendingNumber);
    }
}

void ResultsPanel::closeEvent(QCloseEvent* event)
{
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        m_State.OnResultsPanelClosed();
}

void ResultsPanel::Rebuild()
{
    m_Stale = false;
    ClearPages();
    const int current = m_LastTab;
    const std::vector<ResultTable>& tables = m_State.ResultTables();
    if (tables.empty()) {
        auto* empty = new QLabel(QStringLiteral("Solve the structure (Calculate, Solve) to see its results here."));
        empty->setAlignment(Qt::AlignCenter);
        empty->setWordWrap(true);
        m_Tabs->addTab(empty, QStringLiteral("Results"));
        return;
    }
    for (const ResultTable& table : tables) {
        auto* view = new ResultTableView(m_Tabs);
        auto* model = new ResultTableModel(table, view);
        view->setModel(model);
        view->setSortingEnabled(true);
        view->sortByColumn(0, Qt::AscendingOrder);
        view->setSelectionBehavior(QAbstractItemView::SelectItems);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setAlternatingRowColors(true);
        view->verticalHeader()->setVisible(false);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        view->horizontalHeader()->setDefaultSectionSize(
            view->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123456e-000")));
        view->horizontalHeader()->resizeSection(0, view->fontMetrics().horizontalAdvance(QStringLiteral("Element000")));
        m_Tabs->addTab(view, QString::fromStdString(table.Title()));
    }
    if (current >= 0 && current < m_Tabs->count())
        m_Tabs->setCurrentIndex(current);
}

void ResultsPanel::SelectRow(RowKind kind, int number)
{
    if (m_Stale) {
        if (!isVisible()) {
            m_HasPending = true;
            m_PendingKind = kind;
            m_PendingNumber = number;
            return;
        }
        Rebuild();
    }
    const std::vector<ResultTable>& tables = m_State.ResultTables();
    const int tab = TableForSelection(tables, m_Tabs->currentIndex(), kind);
    if (tab < 0 || tab >= m_Tabs->count())
        return;
    ResultTableView* view = View(tab);
    if (!view)
        return;
    const auto* model = qobject_cast<const ResultTableModel*>(view->model());
    const int row = model ? model->ViewRow(model->Table().RowOf(number)) : -1;
    if (row < 0)
        return;
    m_Tabs->setCurrentIndex(tab);
    view->clearSelection();
    view->selectRow(row);
    view->scrollTo(view->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
}
