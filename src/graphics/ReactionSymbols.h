#pragma once

#include "graphics/ValueLabels.h"

#include <vector>

class Canvas;
class ViewTransform;

// What holds a node in place, as the reactions layer draws it: an arrow for
// each force component pointing onto the node in the direction of the
// force, an arc for the moment turning its way, each with its value. The
// values come from the result files' computation; drawing only shows them.
struct ReactionSymbol {
    double x = 0;
    double y = 0;
    // Fx, Fy, Mz in global axes.
    double value[3] = {0, 0, 0};
    // Which components are drawn: those the node is held in, unless all but
    // zero.
    bool shown[3] = {false, false, false};
};

// The arrows and arcs, in the reaction colour. Arrows have one length
// whatever the force (the value says how large it is), a little longer
// than the support symbol is wide.
// With cull, only those that can reach the client rectangle.
void DrawReactions(Canvas& canvas, const ViewTransform& view, const std::vector<ReactionSymbol>& reactions,
                   bool cull = false);

// The values of the shown components as labels: "Fx = ..." beside the tail
// of its arrow, "Mz = ..." beside its arc; ranked before diagram values.
std::vector<ValueLabel> ReactionLabels(const ViewTransform& view, const std::vector<ReactionSymbol>& reactions);
