// The results tables against the result files, their order, their copy and
// export texts, and the JSON document's numbers.
#include "ResultFileRows.h"
#include "Solved.h"

#include "core/NumberFormat.h"
#include "inspect/ModelResults.h"
#include "inspect/ResultTables.h"
#include "inspect/ResultsJson.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>

namespace {

std::vector<int> Range(int n)
{
    std::vector<int> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), 0);
    return v;
}

std::vector<std::vector<std::string>> SplitTsv(const std::string& text)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        lines.push_back(fields);
    }
    return lines;
}

class Tables : public ::testing::TestWithParam<const char*> {};

// A copy of a whole table pastes as the numbers of the result files, cell
// for cell.
TEST_P(Tables, CopiesPasteAsTheNumbersOfTheResultFiles)
{
    const SolvedFile solved(Example(GetParam()));
    const ModelResults results(*solved.model);
    const std::vector<ResultTable> tables = BuildResultTables(results);
    ASSERT_EQ(tables.size(), 5u);
    const std::string folder = solved.out.Path() + "/";

    // Nodal displacements: every row of the file.
    const ResultTable& displacements = tables[0];
    EXPECT_EQ(displacements.Kind(), RowKind::Node);
    auto lines = SplitTsv(TableText(displacements, Range(displacements.RowCount()), {0, 1, 2, 3}, '\t'));
    const ResultFileRows nodal(folder + "Nodal_Displacement.txt");
    ASSERT_EQ(lines.size(), nodal.rows.size() + 1);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"Node", "dx", "dy", "rz"}));
    for (std::size_t i = 0; i < nodal.rows.size(); ++i) {
        EXPECT_EQ(lines[i + 1][0], std::to_string(i));
        EXPECT_EQ(std::vector<std::string>(lines[i + 1].begin() + 1, lines[i + 1].end()), nodal.rows[i]) << i;
    }

    // Reactions: every node of the file, with the same numbers.
    const ResultFileRows reactions(folder + "Nodal_Reaction.txt");
    const ResultTable& reactionTable = tables[1];
    for (std::size_t k = 0; k < reactions.rows.size(); ++k) {
        const int node = solved.model->m_RestrictedNodes[k].NodeNo;
        const int row = reactionTable.RowOf(node);
        ASSERT_GE(row, 0) << node;
        for (int c = 1; c <= 3; ++c)
            EXPECT_EQ(reactionTable.Text(row, c), reactions.rows[k][static_cast<std::size_t>(c - 1)]) << node;
    }

    // End forces in both axes: two file rows per member, one table row.
    const char* const files[2] = {"MForInElemCS.txt", "MForInGlobalCS.txt"};
    for (int t = 0; t < 2; ++t) {
        const ResultTable& table = tables[static_cast<std::size_t>(2 + t)];
        const ResultFileRows file(folder + files[t]);
        lines = SplitTsv(TableText(table, Range(table.RowCount()), Range(table.ColumnCount()), '\t'));
        ASSERT_EQ(2 * (lines.size() - 1), file.rows.size()) << files[t];
        for (std::size_t e = 0; e + 1 < lines.size(); ++e) {
            const std::vector<std::string>& row = lines[e + 1];
            const std::vector<std::string>& first = file.rows[2 * e];
            const std::vector<std::string>& second = file.rows[2 * e + 1];
            EXPECT_EQ(std::vector<std::string>(row.begin() + 3, row.begin() + 6), first) << files[t] << " " << e;
            EXPECT_EQ(std::vector<std::string>(row.begin() + 6, row.end()), second) << files[t] << " " << e;
        }
    }

    // Member maxima: ABSmax(M), ABSmax(N) (the shear) and Dmax with their
    // positions, as the two files print them.
    const ResultFileRows forces(folder + "MForInElemCS.txt");
    const ResultFileRows displaced(folder + "MDisInGlobalCS.txt");
    const ResultTable& maxima = tables[4];
    EXPECT_EQ(maxima.Column(2), "ABSmax(M)");
    EXPECT_EQ(maxima.Column(4), "ABSmax(V)");
    for (int e = 0; e < maxima.RowCount(); ++e) {
        const std::size_t i = static_cast<std::size_t>(e);
        EXPECT_EQ(maxima.Text(e, 2), forces.summaries[2 * i][0]);
        EXPECT_EQ(maxima.Text(e, 3), forces.summaries[2 * i][1]);
        EXPECT_EQ(maxima.Text(e, 4), forces.summaries[2 * i + 1][0]);
        EXPECT_EQ(maxima.Text(e, 5), forces.summaries[2 * i + 1][1]);
        EXPECT_EQ(maxima.Text(e, 6), displaced.summaries[i][0]);
        EXPECT_EQ(maxima.Text(e, 7), displaced.summaries[i][1]);
        // N, tension positive: N2 of the element-axis end forces.
        EXPECT_EQ(maxima.Text(e, 1), forces.rows[2 * i + 1][0]);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, Tables, ::testing::Values("portal.txt", "综合算例.txt"));

TEST(ResultTables, SortSelectCopyAndExport)
{
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::vector<ResultTable> tables = BuildResultTables(results);
    const ResultTable& maxima = tables[4];

    // By ABSmax(M), largest first: the beam (13.59), the right column
    // (11.39), the left one (6.557); then back.
    EXPECT_EQ(SortedRows(maxima, 2, false), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(SortedRows(maxima, 2, true), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(SortedRows(maxima, 99, true), (std::vector<int>{0, 1, 2}));

    // The portal's held nodes: the two supports (node 3 also carries the
    // settlement).
    EXPECT_EQ(tables[1].RowCount(), 2);
    EXPECT_EQ(tables[1].RowOf(3), 1);
    EXPECT_EQ(tables[1].RowOf(2), -1);

    // A click picks the current table when it lists that kind of row.
    EXPECT_EQ(TableForSelection(tables, 4, RowKind::Element), 4);
    EXPECT_EQ(TableForSelection(tables, 1, RowKind::Element), 2);
    EXPECT_EQ(TableForSelection(tables, 3, RowKind::Node), 0);
    EXPECT_EQ(TableForSelection({}, 0, RowKind::Node), -1);

    // Selected rows and columns, in the order given.
    EXPECT_EQ(TableText(maxima, {1}, {0, 2, 3}, '\t'), "Element\tABSmax(M)\tx(M)\n1\t13.5931\t2.838\n");

    // The export: each table under its title, comma-separated, quoted
    // where a field needs it.
    const std::string csv = ResultTablesCsv(tables);
    EXPECT_EQ(csv.rfind("Nodal displacements\nNode,dx,dy,rz\n0,-1.23561e-020,-1.4195e-019,-1.61424e-020\n", 0), 0u);
    EXPECT_NE(csv.find("\n\"End forces, element axes\"\nElement,Node i,Node j,N1,V1,M1,N2,V2,M2\n"), std::string::npos);
    EXPECT_NE(csv.find("\nMember maxima\n"), std::string::npos);
}

TEST(ResultTables, NotANumberSortsLastEitherWay)
{
    ResultTable table("T", RowKind::Node, {"Node", "v"}, 1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    table.AddRow({0, 2});
    table.AddRow({1, nan});
    table.AddRow({2, -1});
    table.AddRow({3, 5});
    EXPECT_EQ(SortedRows(table, 1, true), (std::vector<int>{2, 0, 3, 1}));
    EXPECT_EQ(SortedRows(table, 1, false), (std::vector<int>{3, 0, 2, 1}));
    EXPECT_EQ(table.Text(1, 1), "nan");
    EXPECT_EQ(table.Text(3, 0), "3");
}

TEST(Json, NumbersReadBackExactlyAndWhatIsNotFiniteIsNull)
{
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        const std::string text = JsonNumber(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    EXPECT_EQ(JsonNumber(4), "4");
    EXPECT_EQ(JsonNumber(0.1), "0.1");
    EXPECT_EQ(JsonNumber(-2.838e-5), "-2.838e-05");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(JsonString("a \"b\"\\\n\t\x01 中"), "\"a \\\"b\\\"\\\\\\n\\t\\u0001 中\"");
}

TEST(Json, ThePortalFramesDocument)
{
    const SolvedFile solved(Example("portal.txt"));
    const ModelResults results(*solved.model);
    const std::string json = ResultsJson(results, {"first", "second \"one\""});
    // Fixed keys, node 1 free, node 3 held, numbers in full.
    EXPECT_EQ(json.rfind("{\n  \"nodes\": [\n    {\"number\": 0, \"x\": 0, \"y\": 0, \"displacement\": [", 0), 0u);
    EXPECT_NE(json.find("{\"number\": 1, \"x\": 0, \"y\": 4, \"displacement\": [" +
                        JsonNumber(solved.model->m_D.At(3)) + ", " + JsonNumber(solved.model->m_D.At(4)) + ", " +
                        JsonNumber(solved.model->m_D.At(5)) + "], \"reaction\": null}"),
              std::string::npos);
    EXPECT_NE(json.find("\"reaction\": [" + JsonNumber(results.SupportAt(3)->reaction[0])), std::string::npos);
    EXPECT_NE(json.find("{\"number\": 1, \"nodes\": [1, 2], \"property\": 1, \"length\": 6, "
                        "\"end_forces_element_axes\": ["),
              std::string::npos);
    EXPECT_NE(json.find("\"max_moment\": {\"value\": " + JsonNumber(results.Member(1).moment.value) +
                        ", \"x\": 2.838}, \"max_shear\": {\"value\": "),
              std::string::npos);
    EXPECT_NE(json.find("\"warnings\": [\n    \"first\",\n    \"second \\\"one\\\"\"\n  ]\n}\n"), std::string::npos);
}

} // namespace
