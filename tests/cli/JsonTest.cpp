// vela-cli solve --json: the document agrees with the text files written
// beside it, number for number, and is written like every other file.
#include "cli/CliRunner.h"
#include "core/NumberFormat.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Just enough JSON to read the document back: objects, arrays, numbers,
// strings without escapes beyond \" and \\, and null.
struct Json {
    enum Kind { Null, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const
    {
        for (const auto& [name, value] : members)
            if (name == key)
                return value;
        ADD_FAILURE() << "no key " << key;
        static const Json none;
        return none;
    }
    const Json& operator[](std::size_t i) const { return items.at(i); }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const auto& m : members)
            keys.push_back(m.first);
        return keys;
    }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : m_Text(text) {}

    Json Document()
    {
        Json value = Value();
        Space();
        if (m_At != m_Text.size())
            throw std::runtime_error("text after the document");
        return value;
    }

private:
    void Space()
    {
        while (m_At < m_Text.size() && std::isspace(static_cast<unsigned char>(m_Text[m_At])))
            ++m_At;
    }
    void Expect(char c)
    {
        Space();
        if (m_At >= m_Text.size() || m_Text[m_At] != c)
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(m_At));
        ++m_At;
    }
    bool Next(char c)
    {
        Space();
        if (m_At < m_Text.size() && m_Text[m_At] == c) {
            ++m_At;
            return true;
        }
        return false;
    }
    std::string String()
    {
        Expect('"');
        std::string s;
        while (m_Text.at(m_At) != '"') {
            if (m_Text[m_At] == '\\')
                ++m_At;
            s += m_Text.at(m_At++);
        }
        ++m_At;
        return s;
    }
    Json Value()
    {
        Space();
        Json v;
        if (Next('{')) {
            v.kind = Json::Object;
            if (!Next('}')) {
                do {
                    std::string key = String();
                    Expect(':');
                    v.members.emplace_back(key, Value());
                } while (Next(','));
                Expect('}');
            }
        } else if (Next('[')) {
            v.kind = Json::Array;
            if (!Next(']')) {
                do
                    v.items.push_back(Value());
                while (Next(','));
                Expect(']');
            }
        } else if (m_Text.compare(m_At, 4, "null") == 0) {
            m_At += 4;
        } else if (m_Text[m_At] == '"') {
            v.kind = Json::String;
            v.text = String();
        } else {
            v.kind = Json::Number;
            char* end = nullptr;
            v.number = std::strtod(m_Text.c_str() + m_At, &end);
            if (end == m_Text.c_str() + m_At)
                throw std::runtime_error("not a value at " + std::to_string(m_At));
            m_At = static_cast<std::size_t>(end - m_Text.c_str());
        }
        return v;
    }

    const std::string& m_Text;
    std::size_t m_At = 0;
};

// Whitespace-separated words of a file's lines, "N:" row labels dropped.
std::vector<std::vector<std::string>> Words(const std::string& path)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        std::string w;
        while (fields >> w)
            words.push_back(w);
        lines.push_back(words);
    }
    return lines;
}

// The numbers of the table rows ("  N:  a  b  c"), in order.
std::vector<std::vector<std::string>> Rows(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    for (auto& words : Words(path))
        if (!words.empty() && words[0].back() == ':' && words[0].size() > 1)
            rows.emplace_back(words.begin() + 1, words.end());
    return rows;
}

// The value and position of the summary lines ("ABSmax(M) = v , x = p").
std::vector<std::pair<std::string, std::string>> Summaries(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> found;
    for (auto& words : Words(path))
        if (words.size() >= 7 && words[1] == "=" && words[3] == "," && words[4] == "x")
            found.emplace_back(words[2], words[6]);
    return found;
}

std::string Six(const Json& number)
{
    EXPECT_EQ(number.kind, Json::Number);
    return FormatNumber(number.number);
}

class JsonDocument : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonDocument, AgreesWithTheTextFiles)
{
    ScratchDir out;
    const std::string json = out.File("results.json");
    const CliRun run =
        RunCli({"solve", std::string(VELA_EXAMPLES_DIR) + "/" + GetParam(), "-C", out.Path(), "--json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = ReadFile(json);
    Json doc;
    ASSERT_NO_THROW(doc = JsonReader(text).Document());
    ASSERT_EQ(doc.Keys(), (std::vector<std::string>{"nodes", "elements", "warnings"}));

    // Nodes: Point.txt, Nodal_Displacement.txt, Nodal_Reaction.txt.
    const auto points = Words(out.File("Point.txt"));
    const auto displacements = Rows(out.File("Nodal_Displacement.txt"));
    const auto reactionWords = Words(out.File("Nodal_Reaction.txt"));
    std::map<std::string, std::vector<std::string>> reactions;
    for (std::size_t i = 1; i < reactionWords.size(); ++i)
        reactions[reactionWords[i][0].substr(0, reactionWords[i][0].size() - 1)] =
            std::vector<std::string>(reactionWords[i].begin() + 1, reactionWords[i].end());
    const Json& nodes = doc["nodes"];
    ASSERT_EQ(nodes.items.size(), displacements.size());
    for (std::size_t i = 0; i < nodes.items.size(); ++i) {
        const Json& node = nodes[i];
        EXPECT_EQ(node.Keys(), (std::vector<std::string>{"number", "x", "y", "displacement", "reaction"}));
        EXPECT_EQ(node["number"].number, static_cast<double>(i));
        EXPECT_EQ(Six(node["x"]), points[i + 1][0]);
        EXPECT_EQ(Six(node["y"]), points[i + 1][1]);
        for (std::size_t c = 0; c < 3; ++c)
            EXPECT_EQ(Six(node["displacement"][c]), displacements[i][c]) << "node " << i;
        const auto reaction = reactions.find(std::to_string(i));
        if (reaction != reactions.end()) {
            ASSERT_EQ(node["reaction"].kind, Json::Array) << "node " << i;
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_EQ(Six(node["reaction"][c]), reaction->second[c]) << "node " << i;
        }
    }

    // Elements: Me.txt, both force files with their summaries, the
    // displacement file's.
    const auto connectivity = Words(out.File("Me.txt"));
    const auto elementForces = Rows(out.File("MForInElemCS.txt"));
    const auto globalForces = Rows(out.File("MForInGlobalCS.txt"));
    const auto forceSummaries = Summaries(out.File("MForInElemCS.txt"));
    const auto displacementSummaries = Summaries(out.File("MDisInGlobalCS.txt"));
    const Json& elements = doc["elements"];
    ASSERT_EQ(2 * elements.items.size(), elementForces.size());
    for (std::size_t e = 0; e < elements.items.size(); ++e) {
        const Json& element = elements[e];
        EXPECT_EQ(element.Keys(),
                  (std::vector<std::string>{"number", "nodes", "property", "length", "end_forces_element_axes",
                                            "end_forces_global_axes", "max_moment", "max_shear", "max_displacement"}));
        EXPECT_EQ(element["number"].number, static_cast<double>(e));
        EXPECT_EQ(Six(element["nodes"][0]), connectivity[e + 1][0]);
        EXPECT_EQ(Six(element["nodes"][1]), connectivity[e + 1][1]);
        EXPECT_EQ(element["property"].kind, Json::Number);
        EXPECT_GT(element["length"].number, 0);
        for (std::size_t c = 0; c < 6; ++c) {
            EXPECT_EQ(Six(element["end_forces_element_axes"][c]), elementForces[2 * e + c / 3][c % 3]) << e;
            EXPECT_EQ(Six(element["end_forces_global_axes"][c]), globalForces[2 * e + c / 3][c % 3]) << e;
        }
        EXPECT_EQ(Six(element["max_moment"]["value"]), forceSummaries[2 * e].first);
        EXPECT_EQ(Six(element["max_moment"]["x"]), forceSummaries[2 * e].second);
        EXPECT_EQ(Six(element["max_shear"]["value"]), forceSummaries[2 * e + 1].first);
        EXPECT_EQ(Six(element["max_shear"]["x"]), forceSummaries[2 * e + 1].second);
        EXPECT_EQ(Six(element["max_displacement"]["value"]), displacementSummaries[e].first);
        EXPECT_EQ(Six(element["max_displacement"]["x"]), displacementSummaries[e].second);
    }
    EXPECT_EQ(doc["warnings"].kind, Json::Array);
}

INSTANTIATE_TEST_SUITE_P(Examples, JsonDocument, ::testing::Values("portal.txt", "综合算例.txt"));

TEST(JsonFile, NodesHeldOnlyByAPrescribedValueHaveAReactionAndWarningsAreKept)
{
    // The comprehensive example prescribes node 0 (also supported) and node
    // 2; node 1 is free. An unloaded frame warns about its scales.
    ScratchDir out;
    const std::string json = out.File("r.json");
    CliRun run = RunCli({"solve", std::string(VELA_EXAMPLES_DIR) + "/综合算例.txt", "-C", out.Path(), "--json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    Json doc = JsonReader(ReadFile(json)).Document();
    EXPECT_EQ(doc["nodes"][1]["reaction"].kind, Json::Null);
    EXPECT_EQ(doc["nodes"][2]["reaction"].kind, Json::Array);

    run = RunCli({"solve", std::string(VELA_TEST_DATA_DIR) + "/regressions/unloaded-frame.txt", "-C", out.Path(),
                  "--json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    doc = JsonReader(ReadFile(json)).Document();
    ASSERT_EQ(doc["warnings"].items.size(), 3u);
    EXPECT_EQ(doc["warnings"][0].text, "梁系剪力太小|Nmax|<1e-10!");
    EXPECT_NE(run.err.find("梁系剪力太小"), std::string::npos) << "warnings still go to standard error";
}

TEST(JsonFile, ValuesThatAreNotFiniteAreNull)
{
    ScratchDir out;
    const std::string json = out.File("r.json");
    const CliRun run =
        RunCli({"solve", std::string(VELA_TEST_DATA_DIR) + "/regressions/solution-overflows-to-infinity.txt", "-C",
                out.Path(), "--json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = ReadFile(json);
    EXPECT_NE(text.find("null"), std::string::npos);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    EXPECT_NO_THROW(JsonReader(text).Document());
}

TEST(JsonFile, UsageAndAFileThatCannotBeWritten)
{
    ScratchDir out;
    const std::string portal = std::string(VELA_EXAMPLES_DIR) + "/portal.txt";
    EXPECT_EQ(RunCli({"solve", portal, "--json"}).status, 2);
    EXPECT_EQ(RunCli({"solve", portal, "--json", ""}).status, 2);
    // Into a folder that is not there: status 1, the reason on standard
    // error, nothing left behind.
    const CliRun run = RunCli({"solve", portal, "-C", out.Path(), "--json", out.File("no/such/r.json")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Cannot write the JSON file"), std::string::npos) << run.err;
    EXPECT_EQ(Listing(out.Path()).count("no"), 0u);

    const CliRun help = RunCli({"--help"});
    EXPECT_NE(help.out.find("--json OUT.json"), std::string::npos);
    EXPECT_NE(help.out.find("axial, reactions, values"), std::string::npos);
}

} // namespace
