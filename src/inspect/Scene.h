#pragma once

#include "graphics/Layers.h"
#include "graphics/ViewTransform.h"

#include <vector>

class Canvas;
class ModelResults;
class StructureModel;

// What a picture of a solved model shows beyond the model itself: the
// values on the diagram shown and the reactions, taken from the results.

enum class Diagram { Deformed, Moment, Shear, Axial };

// The values of one diagram on the members the view shows: each member's
// end values and its largest value at the position the result files report
// (one label for the constant axial force), beside the diagram's outline on
// the side it is drawn, in the diagram's colour. The largest value of the
// whole structure is never left out. A diagram that is all but zero
// everywhere (its scale fell back to 1) gets no labels.
// Where only what can be read is drawn, only members at least
// kReadableMemberPixels long on the screen have values (and the largest).
std::vector<ValueLabel> DiagramValues(const ModelResults& results, const ViewTransform& view, Diagram diagram,
                                      const DrawDetail& detail = kDrawEverything);

// The reactions at every held node, with the components it is held in,
// leaving out those that are all but zero.
std::vector<ReactionSymbol> ReactionSymbols(const ModelResults& results);

// The overlay for the layers switched on: values of every diagram shown
// when values are, reactions when they are, and the halo of what is under
// the pointer (-1: nothing), and how far each diagram reaches. Without
// results (an unsolved model) only the halo.
ResultOverlay BuildOverlay(const ModelResults* results, const ViewTransform& view, const LayerFlags& flags,
                           int highlightElement = -1, int highlightNode = -1,
                           const DrawDetail& detail = kDrawEverything);

// DrawLayers with that overlay: how the window and the exported pictures
// paint a model, by default leaving out what cannot be seen or read.
// results, when given, must be those of model.
void DrawScene(Canvas& canvas, const ViewTransform& view, const StructureModel& model, const LayerFlags& flags,
               const ModelResults* results, int highlightElement = -1, int highlightNode = -1,
               const DrawDetail& detail = DrawDetail{});

// Widens the view, fitted to the model's box, so that everything DrawScene
// draws for these layers (loads, diagrams, their values, labels) lies in the
// client area; a picture with nothing beyond the box keeps the box's fit.
void FitScene(ViewTransform& view, const StructureModel& model, const LayerFlags& flags, const ModelResults* results);

// The view of a width x height picture of the model: FitScene's fit, then
// zoomed by zoom about its centre (below 1 out, above 1 in; a zoom that is
// not a positive number is ignored).
ViewTransform SceneView(const StructureModel& model, const LayerFlags& flags, const ModelResults* results, int width,
                        int height, double zoom = 1);
