#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ModelResults;

// The tables of the results panel, shared by every front end: what the rows
// and columns are, how a cell reads, how rows sort, and the text a copy or
// an export produces. Cells read as in the result files (six significant
// digits, core's number format), so a table, its copy and the files agree.

enum class RowKind { Node, Element };

class ResultTable {
public:
    ResultTable(std::string title, RowKind kind, std::vector<std::string> columns, int integerColumns);

    const std::string& Title() const { return m_Title; }
    // Nodes (keyed by node number) or elements (by element number).
    RowKind Kind() const { return m_Kind; }
    int ColumnCount() const { return static_cast<int>(m_Columns.size()); }
    const std::string& Column(int column) const { return m_Columns[static_cast<std::size_t>(column)]; }
    int RowCount() const { return static_cast<int>(m_Cells.size() / m_Columns.size()); }

    double Value(int row, int column) const
    {
        return m_Cells[static_cast<std::size_t>(row) * m_Columns.size() + static_cast<std::size_t>(column)];
    }
    // The row's node or element number: its first column.
    int Key(int row) const { return static_cast<int>(Value(row, 0)); }
    // The text of a cell: numbers of nodes and elements as integers, every
    // other value in the result files' format.
    std::string Text(int row, int column) const;
    bool IsInteger(int column) const { return column < m_IntegerColumns; }

    // The row of a node or element number, -1 when it has none.
    int RowOf(int key) const;

    // Appends a row; values holds one number per column.
    void AddRow(const std::vector<double>& values);

private:
    std::string m_Title;
    RowKind m_Kind;
    std::vector<std::string> m_Columns;
    // The first m_IntegerColumns columns hold node and element numbers.
    int m_IntegerColumns;
    std::vector<double> m_Cells;
};

// The five tables: nodal displacements, reactions (every held node),
// member end forces in element axes and in global axes (one row per
// member), and member maxima (axial force, then ABSmax of M and V and Dmax
// with their positions).
std::vector<ResultTable> BuildResultTables(const ModelResults& results);

// Row numbers in the order of a column, ascending or descending, ties in
// row order; a cell that is not a number comes last either way.
std::vector<int> SortedRows(const ResultTable& table, int column, bool ascending);

// The given rows and columns as text, separated by separator ('\t' or ','),
// a header row of the column titles first, every line ending in a newline.
// With a comma a field that holds a comma or a quote is quoted.
std::string TableText(const ResultTable& table, const std::vector<int>& rows, const std::vector<int>& columns,
                      char separator);

// Every table whole, for File > Export Results: per table a line with its
// title, its header and rows, and an empty line, comma-separated.
std::string ResultTablesCsv(const std::vector<ResultTable>& tables);

// Which table shows a clicked node or element: the current one when it is
// of that kind, else the first of that kind; -1 when there is none.
int TableForSelection(const std::vector<ResultTable>& tables, int current, RowKind kind);
