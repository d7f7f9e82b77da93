#pragma once

class StructureModel;
class ViewTransform;

// How much of what is switched on a picture draws. A frame of a hundred
// thousand members seen whole would otherwise bury itself under its own
// load symbols and cost a second a paint, most of it on lines no one can
// see; the window and the exported pictures draw with both rules on, and
// the plain drawing (both off) stays as the reference the rules are checked
// against.
struct DrawDetail {
    // Leave out what cannot reach the client rectangle, and draw a member
    // shorter than a pixel as that pixel, once.
    bool cull = true;
    // Draw load, support, spring and reaction symbols, node and element
    // numbers and the values of diagrams only where they can be read: where
    // the members on the screen are long enough to tell which one a symbol
    // belongs to.
    bool readableOnly = true;
};

// Every record, wherever it falls and however small.
inline constexpr DrawDetail kDrawEverything{false, false};

// The mean member length on screen, in pixels, from which symbols are drawn
// (a few tens of pixels: a symbol then stands beside its own member).
inline constexpr double kReadableMemberPixels = 20;
// The smallest cell height at which node and element numbers are written.
inline constexpr int kReadableNumberPixels = 6;

// The mean member length through the view, in pixels (0 when the view
// cannot draw or the model has no length).
double MeanMemberPixels(const ViewTransform& view, const StructureModel& model);

// Whether the symbols of the model are drawn through the view.
bool SymbolsShown(const ViewTransform& view, const StructureModel& model, const DrawDetail& detail);

// Whether a box of client pixels, grown by margin on every side, meets the
// client rectangle. A box that is not a number anywhere is taken to meet
// it, so that doubt always draws.
bool PixelBoxMeetsClient(const ViewTransform& view, double left, double top, double right, double bottom,
                         double margin);

// The same for a box of world coordinates, mapped through the view.
bool WorldBoxMeetsClient(const ViewTransform& view, double xMin, double yMin, double xMax, double yMax, double margin);

// Whether anything within worldRadius of the world point (x, y), plus
// margin pixels, can reach the client rectangle.
bool NearClient(const ViewTransform& view, double x, double y, double worldRadius, double margin);

// The client pixel a world point falls in, as doubles (no rounding, no
// pinning): what the tests above compare.
void ToClientPixels(const ViewTransform& view, double x, double y, double& px, double& py);
