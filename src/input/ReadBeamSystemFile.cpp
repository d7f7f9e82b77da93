#include "input/ReadBeamSystemFile.h"

#include "core/FatalError.h"
#include "core/Geometry.h"
#include "core/NumberFormat.h"
#include "core/PlatformFiles.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const kReadError = "前处理文本文件读取错误!";
const char* const kVersionError = "前处理文本文件版本错误!";
const char* const kNodeError = "节点号错误!";
const char* const kElementError = "单元号错误!";
const char* const kPropertyError = "单元属性号错误!";
const char* const kLengthError = "单元长度为零!";
const char* const kSpringError = "弹簧方向错误!";

constexpr double kRelease = 1.07;
// Larger files are refused before they are read: a frame with millions of
// members is still far below this, noise or a device file is not.
constexpr long long kMaxFileBytes = 1LL << 31;
// The word of a prescribed-displacement record.
constexpr std::size_t kMaxWord = 99;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Formatted reading with the matching rules of the C library's scanf family,
// over the whole file held in memory. Nothing here reads past the end of the
// text, and the end of the text also ends the last line.
class Scanner {
public:
    explicit Scanner(std::string text) : m_Text(std::move(text)) {}

    std::size_t Position() const { return m_Pos; }
    std::size_t Remaining() const { return m_Text.size() - m_Pos; }
    bool AtEnd() const { return m_Pos >= m_Text.size(); }

    void SkipWhite()
    {
        while (m_Pos < m_Text.size() && IsSpace(m_Text[m_Pos]))
            ++m_Pos;
    }

    // Literal text; a blank or a line break in it matches any run of white
    // space, including none.
    bool Text(std::string_view pattern)
    {
        for (char c : pattern) {
            if (IsSpace(c)) {
                SkipWhite();
            } else {
                if (m_Pos >= m_Text.size() || m_Text[m_Pos] != c)
                    return false;
                ++m_Pos;
            }
        }
        return true;
    }

    std::optional<long long> Int()
    {
        SkipWhite();
        std::size_t p = m_Pos;
        bool negative = false;
        if (p < m_Text.size() && (m_Text[p] == '+' || m_Text[p] == '-'))
            negative = m_Text[p++] == '-';
        const std::size_t digits = p;
        long long value = 0;
        while (p < m_Text.size() && m_Text[p] >= '0' && m_Text[p] <= '9') {
            if (value > (LLONG_MAX - 9) / 10)
                return std::nullopt;
            value = value * 10 + (m_Text[p] - '0');
            ++p;
        }
        if (p == digits)
            return std::nullopt;
        m_Pos = p;
        return negative ? -value : value;
    }

    // A real number after optional white space. Sets nonFinite when the text
    // is a number that does not fit a finite double (inf, nan, 1e999).
    std::optional<double> Real(bool& nonFinite)
    {
        SkipWhite();
        std::size_t end = m_Pos;
        auto value = ParseReal(m_Text, m_Pos, end, nonFinite);
        if (value)
            m_Pos = end;
        return value;
    }

    // The next run of non-white characters, at most maxLength long; sets
    // tooLong (and consumes the whole run) when it is longer.
    std::optional<std::string> Word(std::size_t maxLength, bool& tooLong)
    {
        SkipWhite();
        const std::size_t start = m_Pos;
        while (m_Pos < m_Text.size() && !IsSpace(m_Text[m_Pos]))
            ++m_Pos;
        tooLong = m_Pos - start > maxLength;
        if (m_Pos == start)
            return std::nullopt;
        return m_Text.substr(start, m_Pos - start);
    }

    void RestOfLine()
    {
        while (m_Pos < m_Text.size() && m_Text[m_Pos] != '\n')
            ++m_Pos;
        if (m_Pos < m_Text.size())
            ++m_Pos;
    }

    // 1-based line of the current position, for messages.
    int Line() const { return LineAt(m_Pos); }
    int LineAt(std::size_t pos) const
    {
        int line = 1;
        for (std::size_t i = 0; i < pos && i < m_Text.size(); ++i)
            line += m_Text[i] == '\n';
        return line;
    }
    // The text from first to last (positions), without a line end.
    std::string_view Slice(std::size_t first, std::size_t last) const
    {
        std::string_view text(m_Text);
        text = text.substr(std::min(first, text.size()), last > first ? last - first : 0);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.remove_suffix(1);
        return text;
    }
    // The whole line that pos lies on, without its line end.
    std::string_view LineAround(std::size_t pos) const
    {
        const std::size_t start = m_Text.rfind('\n', pos == 0 ? 0 : pos - 1);
        const std::size_t first = start == std::string::npos || pos == 0 ? 0 : start + 1;
        std::size_t last = m_Text.find('\n', first);
        if (last == std::string::npos)
            last = m_Text.size();
        return Slice(first, last);
    }

    // Parses a real number (scanf's %lf: sign, digits, fraction, exponent,
    // or inf/nan) at text[pos]; on success end is just past it. The decimal
    // point is always '.', whatever the process's locale.
    static std::optional<double> ParseReal(std::string_view text, std::size_t pos, std::size_t& end, bool& nonFinite)
    {
        nonFinite = false;
        std::size_t p = pos;
        bool negative = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            negative = text[p++] == '-';
        if (p >= text.size() || text[p] == '+' || text[p] == '-')
            return std::nullopt;
        double value = 0;
        const char* first = text.data() + p;
        const char* last = text.data() + text.size();
        auto result = std::from_chars(first, last, value, std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range) {
            // Too small underflows to zero, as the C library does; too large
            // is not a finite number.
            if (MagnitudeBelowOne(first, result.ptr)) {
                value = 0;
            } else {
                nonFinite = true;
            }
        } else if (result.ec != std::errc()) {
            return std::nullopt;
        }
        if (!std::isfinite(value))
            nonFinite = true;
        end = static_cast<std::size_t>(result.ptr - text.data());
        return negative ? -value : value;
    }

private:
    // For a decimal number out of double's range: true when it is tiny.
    static bool MagnitudeBelowOne(const char* first, const char* last)
    {
        const char* e = first;
        while (e < last && *e != 'e' && *e != 'E')
            ++e;
        if (e == last)
            return false;
        return e + 1 < last && e[1] == '-';
    }

    std::string m_Text;
    std::size_t m_Pos = 0;
};

class Reader {
public:
    Reader(StructureModel& model, std::string text) : m_Model(model), m_In(std::move(text)) {}

    void Run();

private:
    [[noreturn]] void Fail(const char* message, const std::string& detail) const
    {
        throw FatalError(std::string(message) + "\nline " + std::to_string(m_In.Line()) + ": " + detail, 1);
    }

    void Expect(std::string_view text, const char* what)
    {
        if (!m_In.Text(text))
            Fail(kReadError, std::string("expected \"") + std::string(text) + "\" (" + what + ")");
    }

    int ReadInt(const char* what)
    {
        auto value = m_In.Int();
        if (!value || *value < INT_MIN || *value > INT_MAX)
            Fail(kReadError, std::string("expected a whole number (") + what + ")");
        return static_cast<int>(*value);
    }

    double ReadReal(const char* what)
    {
        bool nonFinite = false;
        auto value = m_In.Real(nonFinite);
        if (!value)
            Fail(kReadError, std::string("expected a number (") + what + ")");
        if (nonFinite)
            Fail(kReadError, std::string("the value of ") + what + " is not a finite number");
        return *value;
    }

    // A record count: never negative, and never more records than the rest
    // of the file could hold, so that nothing is sized from a wild number.
    int ReadCount(std::string_view header, const char* what, std::size_t minRecordLength)
    {
        Expect(header, what);
        const int count = ReadInt(what);
        RestOfLineAfterNumber((std::string("the number of ") + what).c_str(), static_cast<long long>(count));
        if (count < 0)
            Fail(kReadError, std::string("the number of ") + what + " is negative (" + std::to_string(count) + ")");
        if (static_cast<std::size_t>(count) > m_In.Remaining() / minRecordLength)
            Fail(kReadError, std::string("the number of ") + what + " (" + std::to_string(count) +
                                 ") is more than the rest of the file can hold");
        return count;
    }

    // Drops the rest of the line after the number just read (what names
    // it, read is how it was taken). Characters there that would carry a
    // number on ("2,0e8", "1.5.3", "3e") mean it was very likely meant
    // otherwise: the file is still read as always, and the user hears what
    // was read and what was ignored.
    void RestOfLineAfterNumber(const char* what, const std::string& read)
    {
        const std::size_t start = m_In.Position();
        m_In.RestOfLine();
        const std::string_view dropped = m_In.Slice(start, m_In.Position());
        if (dropped.empty() || !std::strchr("0123456789.,eEdD+-", dropped.front()))
            return;
        std::string text = "line " + std::to_string(m_In.LineAt(start)) + " (\"" + std::string(m_In.LineAround(start)) +
                           "\"): " + what + " was read as " + read + " and the rest of the line, \"" +
                           std::string(dropped) + "\", was ignored";
        if (dropped.front() == ',')
            text += " (numbers are written with a decimal point, not a comma)";
        Warn(Warning::NumberCutShort, text);
    }
    void RestOfLineAfterNumber(const char* what, double value) { RestOfLineAfterNumber(what, FormatNumber(value)); }
    void RestOfLineAfterNumber(const char* what, long long value)
    {
        RestOfLineAfterNumber(what, std::to_string(value));
    }

    // The kinds of warning the reader gives; each is told for its first
    // few occurrences, then counted.
    enum class Warning { NumberCutShort, PropertyNotPositive, SupportFixesNothing, ElementTwice, Kinds };
    static constexpr int kWarningsTold = 10;

    // Warnings are told once the whole file has been read: a file that is
    // refused gets its error alone.
    void Warn(Warning kind, const std::string& text)
    {
        const int count = ++m_Warnings[static_cast<int>(kind)];
        if (count <= kWarningsTold)
            m_Pending.push_back(text);
    }

    void TellWarnings()
    {
        static const char* const what[] = {"numbers cut short", "properties that are not positive",
                                           "supports that fix nothing", "elements given twice"};
        for (const std::string& text : m_Pending)
            m_Model.Note(text);
        for (int k = 0; k < static_cast<int>(Warning::Kinds); ++k)
            if (m_Warnings[k] > kWarningsTold)
                m_Model.Note("and " + std::to_string(m_Warnings[k] - kWarningsTold) + " more " + what[k] +
                             " like those above");
    }

    void WarnOfPropertiesNotPositive();
    void WarnOfElementsGivenTwice();

    int NodeIndex(int n, const char* what) const
    {
        if (n < 0 || n >= m_Model.m_NPOIN)
            Fail(kNodeError, std::string(what) + " names node " + std::to_string(n) + ", outside 0.." +
                                 std::to_string(m_Model.m_NPOIN - 1));
        return n;
    }

    void ReadHeader();
    void ReadProperties();
    void ReadNodes();
    void ReadElements();
    void ReadSupports();
    void ReadForces();
    void ReadDistributedLoads();
    void ReadPrescribed();
    void ReadSprings();
    void ReadTorsionalSprings();

    StructureModel& m_Model;
    Scanner m_In;
    int m_Warnings[static_cast<int>(Warning::Kinds)] = {};
    std::vector<std::string> m_Pending;
};

void Reader::ReadHeader()
{
    // An editor's byte-order mark is invisible to the user; it is not part
    // of the header.
    m_In.Text("\xEF\xBB\xBF");
    bool nonFinite = false;
    if (!m_In.Text("### Vela release="))
        throw FatalError(std::string(kVersionError) + "\nthe file does not start with \"### Vela release=1.07\"", 1);
    auto release = m_In.Real(nonFinite);
    if (!release || *release != kRelease)
        throw FatalError(std::string(kVersionError) + "\nthis program reads release 1.07 files", 1);
    m_In.RestOfLine();
}

void Reader::ReadProperties()
{
    StructureModel& m = m_Model;
    m.m_NEP = ReadCount("Beam\nNumber of element property:NEP=", "element properties", 12);
    m.m_Properties.reserve(static_cast<std::size_t>(m.m_NEP));
    for (int i = 0; i < m.m_NEP; ++i) {
        ElementProperty p;
        m_In.RestOfLine(); // title line
        Expect("E=", "modulus of elasticity");
        p.E = ReadReal("E");
        RestOfLineAfterNumber("E", p.E);
        Expect("A=", "cross-section area");
        p.A = ReadReal("A");
        RestOfLineAfterNumber("A", p.A);
        Expect("I=", "second moment of area");
        p.I = ReadReal("I");
        RestOfLineAfterNumber("I", p.I);
        m.m_Properties.push_back(p);
    }
}

void Reader::ReadNodes()
{
    StructureModel& m = m_Model;
    m.m_NPOIN = ReadCount("Number of nodal points in the structure:NPOIN=", "nodal points", 5);
    m.m_Nodes.reserve(static_cast<std::size_t>(m.m_NPOIN));
    for (int i = 0; i < m.m_NPOIN; ++i) {
        Node n;
        n.No = ReadInt("node number");
        Expect(":", "after the node number");
        n.x = ReadReal("x");
        Expect(",", "between x and y");
        n.y = ReadReal("y");
        // Every other record finds its node's degrees of freedom through
        // this number, so it must be the node's position.
        if (n.No != i)
            Fail(kNodeError, "node " + std::to_string(n.No) + " stands at position " + std::to_string(i) +
                                 "; nodes must be numbered 0, 1, 2, ... in file order");
        m_In.SkipWhite();
        m.m_Nodes.push_back(n);
    }
}

void Reader::ReadElements()
{
    StructureModel& m = m_Model;
    m.m_NELEM = ReadCount("Number of elements in the structure:NELEM=", "elements", 7);
    m.m_ElemNodes.reserve(2 * static_cast<std::size_t>(m.m_NELEM));
    m.m_ElemProp.reserve(static_cast<std::size_t>(m.m_NELEM));
    for (int e = 0; e < m.m_NELEM; ++e) {
        ReadInt("element number");
        Expect(":", "after the element number");
        int nodes[2];
        for (int& n : nodes) {
            n = ReadInt("element node");
            if (n < 0 || n >= m.m_NPOIN)
                NodeIndex(n, ("element " + std::to_string(e)).c_str());
            Expect(",", "after an element node");
        }
        const int prop = ReadInt("property index");
        if (prop < 0 || prop >= m.m_NEP)
            Fail(kPropertyError, "element " + std::to_string(e) + " names property " + std::to_string(prop) +
                                     ", outside 0.." + std::to_string(m.m_NEP - 1));
        const Node& a = m.m_Nodes[static_cast<std::size_t>(nodes[0])];
        const Node& b = m.m_Nodes[static_cast<std::size_t>(nodes[1])];
        if (a.x == b.x && a.y == b.y)
            Fail(kLengthError, "element " + std::to_string(e) + " runs from node " + std::to_string(nodes[0]) +
                                   " to node " + std::to_string(nodes[1]) + ", which stand at the same point");
        m_In.SkipWhite();
        m.m_ElemNodes.push_back(nodes[0]);
        m.m_ElemNodes.push_back(nodes[1]);
        m.m_ElemProp.push_back(prop);
    }
}

void Reader::WarnOfPropertiesNotPositive()
{
    // Only the properties some element uses: an unused one changes nothing.
    const StructureModel& m = m_Model;
    std::vector<std::vector<int>> users(static_cast<std::size_t>(m.m_NEP));
    for (int e = 0; e < m.m_NELEM; ++e) {
        std::vector<int>& list = users[static_cast<std::size_t>(m.m_ElemProp[static_cast<std::size_t>(e)])];
        if (list.size() < 4)
            list.push_back(e);
    }
    for (int p = 0; p < m.m_NEP; ++p) {
        const std::vector<int>& list = users[static_cast<std::size_t>(p)];
        const ElementProperty& property = m.m_Properties[static_cast<std::size_t>(p)];
        if (list.empty() || (property.E > 0 && property.A > 0 && property.I > 0))
            continue;
        std::string which;
        for (const auto& [name, value] : {std::pair{"E", property.E}, {"A", property.A}, {"I", property.I}})
            if (!(value > 0))
                which += std::string(which.empty() ? "" : ", ") + name + " = " + FormatNumber(value);
        std::string elements = list.size() == 1 ? "element " : "elements ";
        for (std::size_t k = 0; k < list.size() && k < 3; ++k)
            elements += (k == 0 ? "" : ", ") + std::to_string(list[k]);
        if (list.size() > 3)
            elements += ", ...";
        Warn(Warning::PropertyNotPositive, "element property " + std::to_string(p) + " has " + which +
                                               " (not positive), and " + elements +
                                               " use it: a member needs a positive E, A and I to carry load");
    }
}

void Reader::WarnOfElementsGivenTwice()
{
    // Each element from its lower node to the higher, listed per lower node
    // and sorted there: an element joining the same two nodes as an
    // earlier one is its neighbour in the list.
    const StructureModel& m = m_Model;
    const std::size_t nodes = static_cast<std::size_t>(m.m_NPOIN);
    std::vector<int> first(nodes + 1, 0);
    auto ends = [&m](int e) {
        const int a = m.m_ElemNodes[2 * static_cast<std::size_t>(e)];
        const int b = m.m_ElemNodes[2 * static_cast<std::size_t>(e) + 1];
        return std::pair{std::min(a, b), std::max(a, b)};
    };
    for (int e = 0; e < m.m_NELEM; ++e)
        ++first[static_cast<std::size_t>(ends(e).first) + 1];
    for (std::size_t n = 0; n < nodes; ++n)
        first[n + 1] += first[n];
    std::vector<std::pair<int, int>> far(static_cast<std::size_t>(m.m_NELEM)); // (far node, element)
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (int e = 0; e < m.m_NELEM; ++e) {
        const auto [low, high] = ends(e);
        far[static_cast<std::size_t>(fill[static_cast<std::size_t>(low)]++)] = {high, e};
    }
    // Sorted by far node, then element: a run of elements between the same
    // two nodes starts with the earliest of them, which the others are
    // named after.
    std::vector<std::pair<int, int>> twice; // (element, the earliest one)
    for (std::size_t n = 0; n < nodes; ++n) {
        const auto begin = far.begin() + first[n], end = far.begin() + first[n + 1];
        std::sort(begin, end);
        for (auto run = begin; run != end;) {
            auto next = run + 1;
            for (; next != end && next->first == run->first; ++next)
                twice.push_back({next->second, run->second});
            run = next;
        }
    }
    std::sort(twice.begin(), twice.end());
    for (const auto& [element, earlier] : twice) {
        const auto [a, b] = ends(element);
        Warn(Warning::ElementTwice, "element " + std::to_string(element) + " joins nodes " + std::to_string(a) +
                                        " and " + std::to_string(b) + ", as element " + std::to_string(earlier) +
                                        " does: both are counted, so the connection is as stiff as both together");
    }
}

void Reader::ReadSupports()
{
    StructureModel& m = m_Model;
    m.m_NRN = ReadCount("Number of restricted nodal points:NRN=", "restricted nodal points", 7);
    m.m_RestrictedNodes.reserve(static_cast<std::size_t>(m.m_NRN));
    for (int k = 0; k < m.m_NRN; ++k) {
        RestrictedNode r;
        const int n = NodeIndex(ReadInt("restricted node"), "a support");
        Expect(":", "after the restricted node");
        r.NodeNo = n;
        r.x = m.m_Nodes[static_cast<std::size_t>(n)].x;
        r.y = m.m_Nodes[static_cast<std::size_t>(n)].y;
        const std::size_t start = m_In.Position();
        for (int c = 0; c < m.m_DOFPerNode; ++c)
            r.Fix[c] = ReadInt("support code");
        if (r.Fix[0] == 0 && r.Fix[1] == 0 && r.Fix[2] == 0)
            Warn(Warning::SupportFixesNothing, "line " + std::to_string(m_In.LineAt(start)) + ": the support of node " +
                                                   std::to_string(n) +
                                                   " fixes nothing (its three codes are 0): it is not a support");
        RestOfLineAfterNumber("the last support code", static_cast<long long>(r.Fix[2]));
        m.m_RestrictedNodes.push_back(r);
    }
}

void Reader::ReadForces()
{
    StructureModel& m = m_Model;
    m.m_NFOR = ReadCount("Number of force_2d:NFOR=", "concentrated loads", 9);
    m.m_Forces.reserve(static_cast<std::size_t>(m.m_NFOR));
    for (int k = 0; k < m.m_NFOR; ++k) {
        force_2d f;
        f.Node = m.m_Nodes[static_cast<std::size_t>(NodeIndex(ReadInt("loaded node"), "a concentrated load"))];
        Expect(":<", "after the loaded node");
        f.Fx = ReadReal("Fx");
        Expect(",", "between Fx and Fy");
        f.Fy = ReadReal("Fy");
        Expect(",", "between Fy and Mz");
        f.Mz = ReadReal("Mz");
        Expect(">", "after Mz");
        m_In.RestOfLine();
        m.m_Forces.push_back(f);
    }
}

void Reader::ReadDistributedLoads()
{
    StructureModel& m = m_Model;
    m.m_NDIS = ReadCount("Number of distributed load:NDIS=", "distributed loads", 5);
    m.m_DistributedLoads.reserve(static_cast<std::size_t>(m.m_NDIS));
    for (int k = 0; k < m.m_NDIS; ++k) {
        const int e = ReadInt("loaded element");
        if (e < 0 || e >= m.m_NELEM)
            Fail(kElementError, "a distributed load names element " + std::to_string(e) + ", outside 0.." +
                                    std::to_string(m.m_NELEM - 1));
        Expect(":", "after the loaded element");
        const double q1 = ReadReal("q1");
        Expect(",", "between q1 and q2");
        const double q2 = ReadReal("q2");
        RestOfLineAfterNumber("q2", q2);
        const std::size_t ue = static_cast<std::size_t>(e);
        DistributedLoad d;
        d.Init(e, m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[2 * ue])],
               m.m_Nodes[static_cast<std::size_t>(m.m_ElemNodes[2 * ue + 1])], q1, q2);
        m.m_Elements[ue].SetDistributedLoad(q1, q2);
        m.m_DistributedLoads.push_back(d);
    }
}

void Reader::ReadPrescribed()
{
    StructureModel& m = m_Model;
    m.m_NPRESC = ReadCount("Number of prescribed nodal points:NPRESC=", "prescribed nodal points", 2);
    m.m_Prescribed.reserve(static_cast<std::size_t>(m.m_NPRESC));
    for (int k = 0; k < m.m_NPRESC; ++k) {
        bool tooLong = false;
        auto word = m_In.Word(kMaxWord, tooLong);
        if (!word)
            Fail(kReadError, "expected a prescribed displacement such as 3:<,-0.001,>");
        if (tooLong)
            Fail(kReadError, "a prescribed displacement record is longer than 99 characters");
        const std::string& w = *word;

        // n:<Dx,Dy,Rz>, where any of the three values may be left empty.
        bool nonFinite = false;
        std::size_t pos = 0;
        auto node = Scanner::ParseReal(w, 0, pos, nonFinite);
        if (!node)
            Fail(kReadError, "a prescribed displacement record does not start with its node number");
        if (nonFinite || *node <= INT_MIN - 1.0 || *node >= INT_MAX + 1.0)
            Fail(kNodeError, "a prescribed displacement names node " + w.substr(0, pos));
        const int n = NodeIndex(static_cast<int>(*node), "a prescribed displacement");
        pos = std::min(pos + 2, w.size());

        double values[3] = {0, 0, 0};
        bool given[3] = {false, false, false};
        static const char* const names[3] = {"Dx", "Dy", "Rz"};
        for (int c = 0; c < 3; ++c) {
            if (c > 0)
                pos = std::min(pos + 1, w.size());
            std::size_t end = pos;
            auto value = Scanner::ParseReal(w, pos, end, nonFinite);
            if (value) {
                if (nonFinite)
                    Fail(kReadError, std::string("the value of ") + names[c] + " is not a finite number");
                // The value is imposed as a load of the penalty times it.
                if (!std::isfinite(*value * kPenalty))
                    Fail(kReadError, std::string("the prescribed ") + names[c] + " of node " + std::to_string(n) +
                                         " (" + FormatNumber(*value) + ") is too large to compute with");
                values[c] = *value;
                given[c] = true;
                pos = end;
            }
        }
        m_In.RestOfLine();
        PrescribedDisplacement p;
        p.Init(m.m_Nodes[static_cast<std::size_t>(n)], values[0], values[1], values[2], given[0], given[1], given[2]);
        m.m_Prescribed.push_back(p);
    }
}

void Reader::ReadSprings()
{
    StructureModel& m = m_Model;
    m.m_NSPR = ReadCount("Number of Spring_2ds:NSPR=", "springs", 8);
    m.m_Springs.reserve(static_cast<std::size_t>(m.m_NSPR));
    for (int k = 0; k < m.m_NSPR; ++k) {
        const int n = NodeIndex(ReadInt("spring node"), "a spring");
        Expect(":", "after the spring node");
        const double stiffness = ReadReal("spring stiffness");
        Expect("<", "before the spring direction");
        const double dirX = ReadReal("spring direction x");
        Expect(",", "between the direction's x and y");
        const double dirY = ReadReal("spring direction y");
        Expect(">", "after the spring direction");
        const double length = Length(dirX, dirY);
        if (!(length > 0) || !std::isfinite(length))
            Fail(kSpringError, "the spring at node " + std::to_string(n) + " has direction (" + FormatNumber(dirX) +
                                   ", " + FormatNumber(dirY) + "), which gives it no line of action");
        m_In.RestOfLine();
        Spring_2d s;
        s.Init(m.m_Nodes[static_cast<std::size_t>(n)], stiffness, dirX, dirY);
        m.m_Springs.push_back(s);
    }
}

void Reader::ReadTorsionalSprings()
{
    StructureModel& m = m_Model;
    m.m_NTSPR = ReadCount("Number of Torsional_Spring_2ds:NTSPR=", "rotational springs", 3);
    m.m_TorsionalSprings.reserve(static_cast<std::size_t>(m.m_NTSPR));
    for (int k = 0; k < m.m_NTSPR; ++k) {
        const int n = NodeIndex(ReadInt("rotational spring node"), "a rotational spring");
        Expect(":", "after the rotational spring node");
        const double stiffness = ReadReal("rotational spring stiffness");
        RestOfLineAfterNumber("the rotational spring's stiffness", stiffness);
        Torsional_Spring_2d t;
        t.Init(m.m_Nodes[static_cast<std::size_t>(n)], stiffness);
        m.m_TorsionalSprings.push_back(t);
    }
}

bool AllFinite(const Matrix& m)
{
    for (double v : m.m_Data)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool Finite(const force_2d& f)
{
    return std::isfinite(f.Fx) && std::isfinite(f.Fy) && std::isfinite(f.Mz);
}

void Reader::Run()
{
    StructureModel& m = m_Model;
    ReadHeader();
    ReadProperties();
    ReadNodes();
    ReadElements();
    WarnOfPropertiesNotPositive();
    WarnOfElementsGivenTwice();

    // Finite inputs can still overflow (a huge modulus over a tiny length).
    const int tooLarge = m.InitElements();
    if (tooLarge >= 0)
        throw FatalError(std::string(kReadError) + "\nthe stiffness of element " + std::to_string(tooLarge) +
                             " is too large to compute with (check E, A, I and the length)",
                         1);

    ReadSupports();
    ReadForces();
    ReadDistributedLoads();
    ReadPrescribed();
    ReadSprings();
    ReadTorsionalSprings();

    for (const DistributedLoad& d : m.m_DistributedLoads)
        if (!Finite(d.EquForce1) || !Finite(d.EquForce2))
            throw FatalError(std::string(kReadError) + "\nthe distributed load on element " + std::to_string(d.ElemNo) +
                                 " is too large to compute with",
                             1);
    for (const Spring_2d& s : m.m_Springs)
        if (!AllFinite(s.KInGlobalCS))
            throw FatalError(std::string(kReadError) + "\nthe spring at node " + std::to_string(s.Node.No) +
                                 " is too stiff to compute with",
                             1);
    TellWarnings();
}

std::string ReadWholeFile(const char* fileName)
{
    std::FILE* file = OpenFileUtf8(fileName, "rb");
    if (!file)
        throw FatalError(std::string(kReadError) + "\ncannot open " + fileName + ": " + std::strerror(errno), 1);
    std::string text;
    // One allocation for a file of known size; the loop below still reads
    // until the end, whatever the size turns out to be.
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && size <= kMaxFileBytes)
            text.reserve(static_cast<std::size_t>(size) + 1);
        std::rewind(file);
    }
    char buffer[1 << 16];
    bool failed = false;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        text.append(buffer, got);
        if (static_cast<long long>(text.size()) > kMaxFileBytes) {
            std::fclose(file);
            throw FatalError(std::string(kReadError) + "\n" + fileName + " is larger than 2 GiB", 1);
        }
        if (got < sizeof buffer) {
            failed = std::ferror(file) != 0;
            break;
        }
    }
    const int error = errno;
    std::fclose(file);
    if (failed)
        throw FatalError(std::string(kReadError) + "\ncannot read " + fileName + ": " + std::strerror(error), 1);
    return text;
}

void WritePointFile(const StructureModel& m)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(m.m_NPOIN) * 24 + 16);
    text += std::to_string(m.m_NPOIN);
    text += " 2\n";
    for (const Node& n : m.m_Nodes) {
        AppendNumber(text, n.x);
        text += ' ';
        AppendNumber(text, n.y);
        text += '\n';
    }
    WriteTextFile(m.OutputPath("Point.txt"), text, "Point.txt open error!");
}

void WriteMeFile(const StructureModel& m)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(m.m_NELEM) * 24 + 16);
    text += std::to_string(m.m_NELEM);
    text += " 2\n";
    char number[16];
    for (int e = 0; e < m.m_NELEM; ++e) {
        for (int j = 0; j < 2; ++j) {
            const int node = m.m_ElemNodes[static_cast<std::size_t>(2 * e + j)];
            const char* end = std::to_chars(number, number + sizeof number, node).ptr;
            text.append(number, static_cast<std::size_t>(end - number));
            text += ' ';
        }
        text += '\n';
    }
    WriteTextFile(m.OutputPath("Me.txt"), text, "file Me.txt open error!");
}

} // namespace

void ReadBeamSystemText(StructureModel& model, std::string text)
{
    // Text mode: a CR LF pair is a line end.
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        text[out++] = text[i];
    }
    text.resize(out);
    Reader(model, std::move(text)).Run();
}

void ReadBeamSystemFile(StructureModel& model, const char* fileName)
{
    ReadBeamSystemText(model, ReadWholeFile(fileName));
    // Only a file that has been read and checked in full leaves side files.
    WritePointFile(model);
    WriteMeFile(model);
}
