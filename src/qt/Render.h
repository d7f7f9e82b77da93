#pragma once

#include "core/Records.h"
#include "graphics/Layers.h"

#include <functional>
#include <string>

class Canvas;
class ModelResults;
class StructureModel;

// Pictures of a model, drawn off screen the way the window draws them and
// saved as PNG, SVG or PDF. The interface is free of Qt so that callers
// outside the Qt layer (the command line) can use it.

enum class PictureFormat { Png, Svg, Pdf };

// The format named by the file's extension, in any letter case. Any other
// extension is a FatalError (status 1).
PictureFormat PictureFormatOf(const std::string& path);

struct PictureOptions {
    // The client area the view is fitted to, in pixels.
    int width = 1024;
    int height = 768;
    // Filled before anything is drawn (black or white in the window).
    COLORREF background = 0;
};

// The largest side accepted for a picture, in pixels.
inline constexpr int kMaxPictureSide = 8192;

// Draws onto a fresh width x height surface (after the background) through
// draw, and writes the picture to path in the format its extension names.
// A bad size, an unknown extension or a file that cannot be written is a
// FatalError (status 1); the file is replaced only once the whole picture
// has been produced.
void RenderPicture(const PictureOptions& options, const std::string& path, const std::function<void(Canvas&)>& draw);

// Draws the chosen layers of a loaded model, through a view fitted to the
// picture's size, into path; with the model's results (when solved), the
// values and reactions too.
void RenderModelPicture(const StructureModel& model, const LayerFlags& layers, const PictureOptions& options,
                        const std::string& path, const ModelResults* results = nullptr);
