#pragma once

class StructureModel;
class ViewTransform;

// What lies under a pixel of the picture.
struct Hit {
    enum class Kind { None, Node, Element };
    Kind kind = Kind::None;
    // The node's or element's number (its position in the model's arrays).
    int index = -1;
    // On an element: the fraction of its length from its first node to the
    // point of its axis nearest the pixel.
    double xi = 0;
};

// Within this many pixels of a node, the pointer is over the node; within
// kElementReach of an element's line (and not over a node), over the
// element. The nearest wins; on a tie, the lower number.
inline constexpr double kNodeReach = 6;
inline constexpr double kElementReach = 4;

Hit HitTest(const StructureModel& model, const ViewTransform& view, int x, int y);
