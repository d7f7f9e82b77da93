#pragma once

#include "core/Records.h"

#include <functional>
#include <string>

class Canvas;

// Pictures of a drawing, saved as files: what every front end's picture
// export shares. The raster formats are drawn by the platform's own canvas
// (Qt's, GDI's); SVG is written by SvgCanvas, the same bytes on every
// platform.

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
    // The view's zoom about the centre of its fit to what is drawn: below
    // 1 zooms out, above 1 in.
    double zoom = 1;
};

// The largest side accepted for a picture, in pixels.
inline constexpr int kMaxPictureSide = 8192;

// A FatalError (status 1) for a size no picture can have.
void CheckPictureSize(const PictureOptions& options);

// The SVG document of the background and of what draw draws.
std::string DrawSvgPicture(const PictureOptions& options, const std::function<void(Canvas&)>& draw);
