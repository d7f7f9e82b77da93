#pragma once

#include "graphics/Layers.h"
#include "graphics/Picture.h"

#include <functional>
#include <string>

class Canvas;
class ModelResults;
class StructureModel;

// Pictures of a model on Windows, drawn off screen by the GDI canvas the
// way the window draws them: PNG through the Windows Imaging Component, SVG
// through the shared writer (the same file as on every other platform).
// PDF is made by the Linux build only. The interface is free of Windows
// types, like the Qt layer's.

// Draws onto a fresh width x height surface (after the background) through
// draw, and writes the picture to path in the format its extension names.
// A bad size, an unknown extension, PDF or a file that cannot be written is
// a FatalError (status 1); the file is replaced only once the whole picture
// has been produced.
void RenderPicture(const PictureOptions& options, const std::string& path, const std::function<void(Canvas&)>& draw);

// Draws the chosen layers of a loaded model, through a view fitted to the
// picture's size, into path; with the model's results (when solved), the
// values and reactions too.
void RenderModelPicture(const StructureModel& model, const LayerFlags& layers, const PictureOptions& options,
                        const std::string& path, const ModelResults* results = nullptr);

// The PNG file of the picture, as bytes.
std::string EncodePngPicture(const PictureOptions& options, const std::function<void(Canvas&)>& draw);
