#pragma once

#include "core/Records.h"

#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

class Canvas;
class ViewTransform;

// Numbers written on a picture: the values of a result diagram, the
// reactions. Labels keep one readable size whatever the zoom; where they
// would overlap, the larger magnitude is kept, so the picture never turns
// into a smear.

// The text of a value on a picture and in the read-out: four significant
// digits, plain notation from 1e-3 up to (not including) 1e6 (123500,
// 0.001235), otherwise an exponent (1.234e-05, 1e+06); "inf", "-inf" and
// "nan" for what is not a number; a zero of either sign is "0".
std::string FormatValue(double value);

inline constexpr const char* kValueFace = "Arial";
// Cell height of the value font, in pixels.
inline constexpr int kValueFontHeight = 15;

// Label ranks: lower ranks are placed first. A label of kAlwaysShown is
// never left out (the largest value of the whole structure).
inline constexpr int kAlwaysShown = 0;
inline constexpr int kReactionRank = 1;
inline constexpr int kDiagramValueRank = 2;

// A value to be written beside a point of the picture.
struct ValueLabel {
    // The world point the label belongs to.
    double x = 0;
    double y = 0;
    // Where a diagram's ordinate stands on its member: a label whose point
    // lies beyond the screen slides along the ordinate towards it until it
    // is on the screen. Not a number: it stays where it is.
    double baseX = std::numeric_limits<double>::quiet_NaN();
    double baseY = std::numeric_limits<double>::quiet_NaN();
    // The world direction the label stands off in, a few pixels clear of
    // the point (zero: centred on it).
    double sideX = 0;
    double sideY = 0;
    // A world direction the label is moved along by its own half extent,
    // so that the value at a member's end stands over the member and not
    // beyond its end (zero: not moved).
    double alongX = 0;
    double alongY = 0;
    // May stand off on the opposite side when its own side leaves it off
    // the screen (a reaction's value at the edge, not a diagram's).
    bool mayFlip = false;
    double value = 0;
    // Written before the value ("Fx = "); a string that outlives the label.
    const char* prefix = "";
    COLORREF color = 0;
    int rank = kDiagramValueRank;
    // Within a rank, the larger is placed first: the value's magnitude.
    double priority = 0;
};

// A label placed on the screen: the top-left corner of its text cell, the
// cell's estimated size, and its text.
struct PlacedLabel {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;
    COLORREF color = 0;
};

// Width in pixels of a text in the value font of the given cell height,
// from the advance widths of the face (a little generous, never narrower
// than the text drawn), so that every front end leaves out the same labels.
int EstimateTextWidth(std::string_view text, int cellHeight = kValueFontHeight);

// A label before it has a place: its anchor in client pixels, its
// directions on the screen and its order. index is its position in the
// caller's list.
struct LabelCandidate {
    double anchorX = 0;
    double anchorY = 0;
    // The point the anchor may slide towards (the anchor itself: none).
    double baseX = 0;
    double baseY = 0;
    double sideX = 0;
    double sideY = 0;
    double alongX = 0;
    double alongY = 0;
    bool mayFlip = false;
    int rank = kDiagramValueRank;
    double priority = 0;
    std::size_t index = 0;
};

// Chooses which candidates are shown and where: in order of rank, then of
// priority (larger first; a value that is not a number comes first), each is
// placed beside its anchor (slid towards its base as far as needed to lie
// on the screen, on the other side if it may and must) and kept when its cell lies inside the width x height
// client area and clear of every label kept before it; kAlwaysShown labels
// are kept wherever they fall, moved onto the screen when they are off it.
// text(index) gives a candidate's text; it is asked only for candidates that
// may be kept.
// Returns the kept labels in the order they were chosen.
//
// The one place that decides which labels a picture shows: rules for very
// large frames belong here.
std::vector<PlacedLabel> SelectLabels(std::vector<LabelCandidate> candidates, int width, int height,
                                      const std::function<std::string(std::size_t)>& text,
                                      const std::function<COLORREF(std::size_t)>& color);

// Where very many labels compete for a picture (a large frame seen whole),
// only the first few in each small square of the screen can ever be kept,
// in the order SelectLabels chooses: the sieve keeps those and forgets the
// rest, so that the others need not be made, sorted or formatted. Points
// off the screen share the squares at its edge; kAlwaysShown ones are
// always kept.
class LabelSieve {
public:
    // Squares of this many pixels, this many kept in each.
    static constexpr int kCell = 16;
    static constexpr int kKept = 4;

    LabelSieve(int width, int height);

    // Something at pixel (x, y) of the given rank and priority, known to
    // the caller by index.
    void Offer(double x, double y, int rank, double priority, std::size_t index);
    // The indices kept, ascending.
    std::vector<std::size_t> Kept() const;

private:
    // A border of squares around the screen for what lies just off it.
    static constexpr int kBorder = 2;
    struct Entry {
        int rank;
        double priority;
        std::size_t index;
    };
    struct Slot {
        int count = 0;
        Entry best[kKept];
    };
    static int CellOf(double pixel, int cells);

    int m_Columns;
    int m_Rows;
    std::vector<Slot> m_Slots;
    std::vector<std::size_t> m_Always;
};

// The labels of two lists as they would be shown through the view: anchors
// mapped to the screen, then SelectLabels. Labels whose anchor is not a
// finite point are left out.
std::vector<PlacedLabel> PlaceLabels(const ViewTransform& view, const std::vector<ValueLabel>& labels,
                                     const std::vector<ValueLabel>& more = {});

// Writes placed labels in the value font, transparent, each in its colour.
void DrawPlacedLabels(Canvas& canvas, const std::vector<PlacedLabel>& labels);
