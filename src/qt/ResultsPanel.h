#pragma once

#include "inspect/ResultTables.h"

#include <QAbstractTableModel>
#include <QDockWidget>
#include <QTableView>

#include <vector>

class AppState;
class QTabWidget;

// One result table as Qt shows it: the rows in the order the user sorted
// them (the order itself comes from SortedRows).
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ResultTableModel(const ResultTable& table, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    const ResultTable& Table() const { return m_Table; }
    // The table's row shown at a view row, and back (-1 when none).
    int TableRow(int viewRow) const { return m_Order[static_cast<std::size_t>(viewRow)]; }
    int ViewRow(int tableRow) const;

private:
    const ResultTable& m_Table;
    std::vector<int> m_Order;
    std::vector<int> m_ViewRowOf;
};

// A table view whose copy command (Ctrl+C) puts the selected cells on the
// clipboard as tab-separated text with a header row, which pastes into a
// spreadsheet cell by cell.
class ResultTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    // The selection as that text.
    QString SelectionText() const;
    void CopySelection() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The results panel (View > Results): a tab per table of the solution, the
// tables taken from the application state whenever the results change.
class ResultsPanel : public QDockWidget {
    Q_OBJECT
public:
    ResultsPanel(AppState& state, QWidget* parent);

    // Takes the tables again (made only while the panel is shown).
    void ResultsChanged();
    // Selects the row of a node or element, in the current tab when it
    // lists those, else in the first tab that does.
    void SelectRow(RowKind kind, int number);

    QTabWidget* Tabs() const { return m_Tabs; }
    ResultTableView* View(int tab) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ClearPages();
    void Rebuild();

    AppState& m_State;
    QTabWidget* m_Tabs;
    bool m_Stale = true;
    // The tab the user was on, kept across a rebuild.
    int m_LastTab = 0;
    // A selection asked for while the panel was hidden, made when it shows.
    bool m_HasPending = false;
    RowKind m_PendingKind = RowKind::Node;
    int m_PendingNumber = -1;
};
