#include "graphics/ValueLabels.h"

#include "graphics/Canvas.h"
#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// Clear space between a label and the point it belongs to, and around every
// label kept, in pixels.
constexpr double kGap = 3;
constexpr int kPadding = 1;

// The value font's cell is its em times this (ascent plus descent of Arial
// and its metric twin Liberation Sans).
constexpr double kCellPerEm = 1.117;

// Advance widths of Arial in thousandths of an em.
int Advance(char c)
{
    if (c >= '0' && c <= '9')
        return 556;
    switch (c) {
    case '.':
    case ',':
    case ' ':
    case 'f':
        return 278;
    case 'i':
        return 222;
    case '-':
        return 333;
    case '+':
    case '=':
        return 584;
    case 'M':
        return 833;
    case 'x':
    case 'y':
    case 'z':
        return 500;
    default:
        return c >= 'A' && c <= 'Z' ? 722 : 556;
    }
}

std::string_view StripTrailingZeros(std::string_view digits)
{
    while (!digits.empty() && digits.back() == '0')
        digits.remove_suffix(1);
    return digits;
}

// The order labels are chosen in: rank, then larger priority (a priority
// that is not a number first), then the caller's order.
bool ChosenBefore(const LabelCandidate& a, const LabelCandidate& b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank;
    const bool aNaN = std::isnan(a.priority), bNaN = std::isnan(b.priority);
    if (aNaN != bNaN)
        return aNaN;
    if (!aNaN && a.priority != b.priority)
        return a.priority > b.priority;
    return a.index < b.index;
}

struct Box {
    double left, top, right, bottom;

    Box Shifted(double dx, double dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    bool Overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// The label's cell beside its anchor: clear of it by kGap along the side
// direction, moved by its own half extent along the along direction.
Box PlaceBeside(const LabelCandidate& c, double w, double h)
{
    const double reachSide = std::fabs(c.sideX) * w / 2 + std::fabs(c.sideY) * h / 2;
    const double reachAlong = std::fabs(c.alongX) * w / 2 + std::fabs(c.alongY) * h / 2;
    const bool hasSide = c.sideX != 0 || c.sideY != 0;
    const double off = hasSide ? kGap + reachSide : 0;
    const double cx = c.anchorX + c.sideX * off + c.alongX * reachAlong;
    const double cy = c.anchorY + c.sideY * off + c.alongY * reachAlong;
    return {cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2};
}

// The box moved the least part s (0..1) of the way from anchor to base that
// puts it inside the client area; false when no part does.
bool SlideInside(const LabelCandidate& c, Box& box, double width, double height)
{
    const double dx = c.baseX - c.anchorX, dy = c.baseY - c.anchorY;
    double low = 0, high = 1;
    // lo + s d >= 0 and hi + s d <= limit, for one axis.
    auto within = [&](double lo, double hi, double d, double limit) {
        if (d == 0)
            return lo >= 0 && hi <= limit;
        double a = -lo / d, b = (limit - hi) / d;
        if (d < 0)
            std::swap(a, b);
        low = std::max(low, a);
        high = std::min(high, b);
        return true;
    };
    if (!within(box.left, box.right, dx, width) || !within(box.top, box.bottom, dy, height) || !(low <= high))
        return false;
    box = box.Shifted(low * dx, low * dy);
    // Round-off may leave the edge a hair outside.
    return box.left >= -1e-9 && box.top >= -1e-9 && box.right <= width + 1e-9 && box.bottom <= height + 1e-9;
}

// Kept labels by the cells of a coarse grid over the client area, so that a
// new label is compared only with its neighbours.
class Occupancy {
public:
    Occupancy(int width, int height) : m_Columns(width / kCell + 1), m_Rows(height / kCell + 1)
    {
        m_Cells.resize(static_cast<std::size_t>(m_Columns) * static_cast<std::size_t>(m_Rows));
    }

    bool Free(const Box& box) const
    {
        bool free = true;
        ForCells(box, [&](std::vector<Box>& cell) {
            for (const Box& kept : cell)
                if (kept.Overlaps(box))
                    free = false;
        });
        return free;
    }

    void Add(const Box& box)
    {
        ForCells(box, [&](std::vector<Box>& cell) { cell.push_back(box); });
    }

private:
    static constexpr int kCell = 64;

    template <typename Visit>
    void ForCells(const Box& box, Visit visit) const
    {
        const int c0 = Clamp(box.left, m_Columns), c1 = Clamp(box.right, m_Columns);
        const int r0 = Clamp(box.top, m_Rows), r1 = Clamp(box.bottom, m_Rows);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                visit(m_Cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_Columns) +
                              static_cast<std::size_t>(c)]);
    }

    static int Clamp(double pixel, int cells)
    {
        const double cell = std::floor(pixel / kCell);
        return static_cast<int>(std::clamp(cell, 0.0, static_cast<double>(cells - 1)));
    }

    int m_Columns;
    int m_Rows;
    mutable std::vector<std::vector<Box>> m_Cells;
};

// With very many candidates (a large frame seen whole) most of them crowd
// into a few pixels, where only the first few of a small square can ever
// be kept: the others are dropped before anything is sorted or formatted.
constexpr std::size_t kThinningThreshold = 4096;

void Thin(std::vector<LabelCandidate>& candidates, int width, int height)
{
    if (candidates.size() <= kThinningThreshold)
        return;
    LabelSieve sieve(width, height);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const LabelCandidate& c = candidates[i];
        sieve.Offer(c.anchorX, c.anchorY, c.rank, c.priority, i);
    }
    std::size_t out = 0;
    for (const std::size_t i : sieve.Kept())
        candidates[out++] = candidates[i];
    candidates.resize(out);
}

} // namespace

std::string FormatValue(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    if (value == 0)
        return "0";
    // Rounded to four significant digits once, by the exact rule of the
    // conversion (no locale): d.ddde±XX.
    char buffer[32];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 3);
    const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
    const char digits[4] = {text[0], text[2], text[3], text[4]};
    int exponent = 0;
    std::from_chars(text.data() + 6 + (text[6] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    if (text[6] == '-')
        exponent = -std::abs(exponent);

    std::string out;
    if (value < 0)
        out += '-';
    if (exponent >= -3 && exponent < 6) {
        if (exponent >= 3) {
            out.append(digits, 4);
            out.append(static_cast<std::size_t>(exponent - 3), '0');
        } else if (exponent >= 0) {
            const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
            out.append(digits, whole);
            const std::string_view fraction = StripTrailingZeros(std::string_view(digits + whole, 4 - whole));
            if (!fraction.empty()) {
                out += '.';
                out += fraction;
            }
        } else {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += StripTrailingZeros(std::string_view(digits, 4));
        }
        return out;
    }
    out += digits[0];
    const std::string_view fraction = StripTrailingZeros(std::string_view(digits + 1, 3));
    if (!fraction.empty()) {
        out += '.';
        out += fraction;
    }
    out += exponent < 0 ? "e-" : "e+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10)
        out += '0';
    out += std::to_string(magnitude);
    return out;
}

int EstimateTextWidth(std::string_view text, int cellHeight)
{
    long thousandths = 0;
    for (const char c : text)
        thousandths += Advance(c);
    const double em = cellHeight / kCellPerEm;
    return static_cast<int>(std::ceil(thousandths * em / 1000)) + 2;
}

std::vector<PlacedLabel> SelectLabels(std::vector<LabelCandidate> candidates, int width, int height,
                                      const std::function<std::string(std::size_t)>& text,
                                      const std::function<COLORREF(std::size_t)>& color)
{
    std::vector<PlacedLabel> kept;
    if (width <= 0 || height <= 0)
        return kept;
    std::erase_if(candidates, [](const LabelCandidate& c) {
        return !std::isfinite(c.anchorX) || !std::isfinite(c.anchorY) || !std::isfinite(c.baseX) ||
               !std::isfinite(c.baseY) || !std::isfinite(c.sideX) || !std::isfinite(c.sideY) ||
               !std::isfinite(c.alongX) || !std::isfinite(c.alongY);
    });
    Thin(candidates, width, height);
    std::sort(candidates.begin(), candidates.end(), ChosenBefore);

    const Box client{0, 0, static_cast<double>(width), static_cast<double>(height)};
    const int h = kValueFontHeight;
    Occupancy occupied(width, height);
    for (const LabelCandidate& c : candidates) {
        std::string label = text(c.index);
        const int w = EstimateTextWidth(label, h);
        Box box = PlaceBeside(c, w, h);
        if (!std::isfinite(box.left) || !std::isfinite(box.top))
            continue;
        bool inside = SlideInside(c, box, client.right, client.bottom);
        if (!inside && c.mayFlip) {
            LabelCandidate flipped = c;
            flipped.sideX = -c.sideX;
            flipped.sideY = -c.sideY;
            Box other = PlaceBeside(flipped, w, h);
            if (SlideInside(flipped, other, client.right, client.bottom)) {
                box = other;
                inside = true;
            }
        }
        if (!inside) {
            if (c.rank != kAlwaysShown)
                continue;
            // The structure's largest value stays on the screen, at its
            // edge if need be.
            const double dx =
                std::clamp(box.left, 0.0, std::max(0.0, client.right - (box.right - box.left))) - box.left;
            const double dy = std::clamp(box.top, 0.0, std::max(0.0, client.bottom - (box.bottom - box.top))) - box.top;
            box = box.Shifted(dx, dy);
        }
        const Box padded{box.left - kPadding, box.top - kPadding, box.right + kPadding, box.bottom + kPadding};
        if (c.rank != kAlwaysShown && !occupied.Free(padded))
            continue;
        occupied.Add(padded);
        PlacedLabel placed;
        placed.x = static_cast<int>(std::lround(box.left));
        placed.y = static_cast<int>(std::lround(box.top));
        placed.width = w;
        placed.height = h;
        placed.text = std::move(label);
        placed.color = color(c.index);
        kept.push_back(std::move(placed));
    }
    return kept;
}

std::vector<PlacedLabel> PlaceLabels(const ViewTransform& view, const std::vector<ValueLabel>& labels,
                                     const std::vector<ValueLabel>& more)
{
    const std::size_t count = labels.size() + more.size();
    if (!CanDraw(view) || count == 0)
        return {};
    auto at = [&](std::size_t i) -> const ValueLabel& {
        return i < labels.size() ? labels[i] : more[i - labels.size()];
    };
    // Offsets beyond this from the origin pixel are far off the screen; the
    // bound keeps every later sum finite.
    constexpr double kFar = 1e9;
    std::vector<LabelCandidate> candidates;
    candidates.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ValueLabel& label = at(i);
        const double px = view.m_OriginX + (label.x - view.m_CenterX) * view.m_Scale;
        const double py = view.m_OriginY - (label.y - view.m_CenterY) * view.m_Scale;
        if (!(std::fabs(px) < kFar) || !(std::fabs(py) < kFar))
            continue;
        LabelCandidate c;
        c.anchorX = px;
        c.anchorY = py;
        c.baseX = px;
        c.baseY = py;
        if (std::isfinite(label.baseX) && std::isfinite(label.baseY)) {
            const double bx = view.m_OriginX + (label.baseX - view.m_CenterX) * view.m_Scale;
            const double by = view.m_OriginY - (label.baseY - view.m_CenterY) * view.m_Scale;
            if (std::fabs(bx) < kFar && std::fabs(by) < kFar) {
                c.baseX = bx;
                c.baseY = by;
            }
        }
        // World directions turned into screen directions (y downwards).
        auto unit = [](double x, double y, double& ux, double& uy) {
            const double length = std::hypot(x, y);
            if (length > 0 && std::isfinite(length)) {
                ux = x / length;
                uy = -y / length;
            }
        };
        unit(label.sideX, label.sideY, c.sideX, c.sideY);
        unit(label.alongX, label.alongY, c.alongX, c.alongY);
        c.mayFlip = label.mayFlip;
        c.rank = label.rank;
        c.priority = label.priority;
        c.index = i;
        candidates.push_back(c);
    }
    return SelectLabels(
        std::move(candidates), view.m_Width, view.m_Height,
        [&](std::size_t i) { return std::string(at(i).prefix ? at(i).prefix : "") + FormatValue(at(i).value); },
        [&](std::size_t i) { return at(i).color; });
}

void DrawPlacedLabels(Canvas& canvas, const std::vector<PlacedLabel>& labels)
{
    if (labels.empty())
        return;
    TextScope text(canvas, FontDesc{kValueFace, kValueFontHeight, 0}, labels.front().color);
    COLORREF current = labels.front().color;
    for (const PlacedLabel& label : labels) {
        if (label.color != current) {
            canvas.SetTextColor(label.color);
            current = label.color;
        }
        canvas.TextOut(label.x, label.y, label.text);
    }
}

LabelSieve::LabelSieve(int width, int height)
    : m_Columns(std::max(0, width) / kCell + 1 + 2 * kBorder), m_Rows(std::max(0, height) / kCell + 1 + 2 * kBorder),
      m_Slots(static_cast<std::size_t>(m_Columns) * static_cast<std::size_t>(m_Rows))
{
}

int LabelSieve::CellOf(double pixel, int cells)
{
    // Beyond the border everything shares the outermost cells; what is not
    // a number, the first.
    const double cell = std::floor(pixel / kCell) + kBorder;
    if (!(cell >= 0))
        return 0;
    return cell >= cells - 1 ? cells - 1 : static_cast<int>(cell);
}

void LabelSieve::Offer(double x, double y, int rank, double priority, std::size_t index)
{
    const Entry entry{rank, priority, index};
    if (rank == kAlwaysShown) {
        m_Always.push_back(index);
        return;
    }
    Slot& slot = m_Slots[static_cast<std::size_t>(CellOf(y, m_Rows)) * static_cast<std::size_t>(m_Columns) +
                         static_cast<std::size_t>(CellOf(x, m_Columns))];
    auto before = [](const Entry& a, const Entry& b) {
        LabelCandidate ca, cb;
        ca.rank = a.rank;
        ca.priority = a.priority;
        ca.index = a.index;
        cb.rank = b.rank;
        cb.priority = b.priority;
        cb.index = b.index;
        return ChosenBefore(ca, cb);
    };
    // The square's first few in the order of choice, kept sorted.
    if (slot.count == kKept) {
        if (!before(entry, slot.best[kKept - 1]))
            return;
        --slot.count;
    }
    int at = slot.count++;
    while (at > 0 && before(entry, slot.best[at - 1])) {
        slot.best[at] = slot.best[at - 1];
        --at;
    }
    slot.best[at] = entry;
}

std::vector<std::size_t> LabelSieve::Kept() const
{
    std::vector<std::size_t> kept = m_Always;
    for (const Slot& slot : m_Slots)
        for (int k = 0; k < slot.count; ++k)
            kept.push_back(slot.best[k].index);
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    return kept;
}
