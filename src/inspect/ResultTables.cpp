#include "inspect/ResultTables.h"

#include "core/NumberFormat.h"
#include "core/StructureModel.h"
#include "inspect/ModelResults.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

std::string Field(const std::string& text, char separator)
{
    if (separator != ',' || text.find_first_of(",\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

ResultTable::ResultTable(std::string title, RowKind kind, std::vector<std::string> columns, int integerColumns)
    : m_Title(std::move(title)), m_Kind(kind), m_Columns(std::move(columns)), m_IntegerColumns(integerColumns)
{
}

std::string ResultTable::Text(int row, int column) const
{
    const double value = Value(row, column);
    if (IsInteger(column))
        return std::to_string(static_cast<long long>(value));
    return FormatNumber(value);
}

int ResultTable::RowOf(int key) const
{
    // Rows are made in key order.
    int low = 0, high = RowCount();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (Key(mid) < key)
            low = mid + 1;
        else
            high = mid;
    }
    return low < RowCount() && Key(low) == key ? low : -1;
}

void ResultTable::AddRow(const std::vector<double>& values)
{
    m_Cells.insert(m_Cells.end(), values.begin(), values.end());
}

std::vector<ResultTable> BuildResultTables(const ModelResults& results)
{
    const StructureModel& model = results.Model();
    std::vector<ResultTable> tables;

    ResultTable displacements("Nodal displacements", RowKind::Node, {"Node", "dx", "dy", "rz"}, 1);
    const int nodes = std::max(0, std::min(model.m_NPOIN, model.m_D.GetRows() / 3));
    for (int i = 0; i < nodes; ++i)
        displacements.AddRow(
            {static_cast<double>(i), model.m_D.At(3 * i), model.m_D.At(3 * i + 1), model.m_D.At(3 * i + 2)});
    tables.push_back(std::move(displacements));

    ResultTable reactions("Reactions", RowKind::Node, {"Node", "Fx", "Fy", "Mz"}, 1);
    for (const NodeSupport& s : results.Supports())
        reactions.AddRow({static_cast<double>(s.node), s.reaction[0], s.reaction[1], s.reaction[2]});
    tables.push_back(std::move(reactions));

    ResultTable element("End forces, element axes", RowKind::Element,
                        {"Element", "Node i", "Node j", "N1", "V1", "M1", "N2", "V2", "M2"}, 3);
    ResultTable global("End forces, global axes", RowKind::Element,
                       {"Element", "Node i", "Node j", "Fx1", "Fy1", "Mz1", "Fx2", "Fy2", "Mz2"}, 3);
    ResultTable maxima("Member maxima", RowKind::Element,
                       {"Element", "N", "ABSmax(M)", "x(M)", "ABSmax(V)", "x(V)", "Dmax", "x(D)"}, 1);
    std::vector<double> row;
    for (int e = 0; e < results.MemberCount(); ++e) {
        const BeamElement& beam = model.m_Elements[static_cast<std::size_t>(e)];
        const MemberResults& r = results.Member(e);
        const double n1 = beam.m_Node1.No, n2 = beam.m_Node2.No;
        row = {static_cast<double>(e), n1, n2};
        row.insert(row.end(), r.axis.f, r.axis.f + 6);
        element.AddRow(row);
        row = {static_cast<double>(e), n1, n2};
        for (int k = 0; k < 6; ++k)
            row.push_back(beam.m_ForInGlobalCS.At(k));
        global.AddRow(row);
        maxima.AddRow({static_cast<double>(e), BeamElement::AxialForce(r.axis), r.moment.value, r.moment.x,
                       r.shear.value, r.shear.x, r.displacement.value, r.displacement.x});
    }
    tables.push_back(std::move(element));
    tables.push_back(std::move(global));
    tables.push_back(std::move(maxima));
    return tables;
}

std::vector<int> SortedRows(const ResultTable& table, int column, bool ascending)
{
    std::vector<int> rows(static_cast<std::size_t>(table.RowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    if (column < 0 || column >= table.ColumnCount())
        return rows;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const double va = table.Value(a, column), vb = table.Value(b, column);
        const bool naA = std::isnan(va), naB = std::isnan(vb);
        if (naA || naB)
            return !naA && naB;
        return ascending ? va < vb : vb < va;
    });
    return rows;
}

std::string TableText(const ResultTable& table, const std::vector<int>& rows, const std::vector<int>& columns,
                      char separator)
{
    std::string text;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0)
            text += separator;
        text += Field(table.Column(columns[c]), separator);
    }
    text += '\n';
    for (const int row : rows) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                text += separator;
            text += table.Text(row, columns[c]);
        }
        text += '\n';
    }
    return text;
}

std::string ResultTablesCsv(const std::vector<ResultTable>& tables)
{
    std::string text;
    for (const ResultTable& table : tables) {
        std::vector<int> rows(static_cast<std::size_t>(table.RowCount()));
        std::iota(rows.begin(), rows.end(), 0);
        std::vector<int> columns(static_cast<std::size_t>(table.ColumnCount()));
        std::iota(columns.begin(), columns.end(), 0);
        text += Field(table.Title(), ',');
        text += '\n';
        text += TableText(table, rows, columns, ',');
        text += '\n';
    }
    return text;
}

int TableForSelection(const std::vector<ResultTable>& tables, int current, RowKind kind)
{
    if (current >= 0 && static_cast<std::size_t>(current) < tables.size() &&
        tables[static_cast<std::size_t>(current)].Kind() == kind)
        return current;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (tables[i].Kind() == kind)
            return static_cast<int>(i);
    return -1;
}
