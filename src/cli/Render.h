#pragma once

#include "core/Records.h"
#include "graphics/Layers.h"

#include <optional>
#include <string>
#include <vector>

// vela-cli render FILE -o OUT.png|OUT.svg|OUT.pdf [--layers LIST] [--size WxH]
//                 [--background black|white] [--zoom F]

// What a render command line asks for.
struct RenderRequest {
    std::string input;
    std::string output;
    LayerFlags layers = FreshStructureLayers();
    // A result layer is asked for: the model is solved first.
    bool needsSolution = false;
    int width = 1024;
    int height = 768;
    COLORREF background = 0;
    // Below 1 zooms out of the fitted picture, above 1 in.
    double zoom = 1;
    bool help = false;
};

// Reads the words after "render". On a usage problem returns nothing and
// puts the reason (one line, no usage text) in error.
std::optional<RenderRequest> ParseRenderArgs(const std::vector<std::string>& args, std::string& error);

// Runs the command on the words after "render" and returns the exit status:
// 0 on success, the error's status (1 for any error in the model or a file)
// when something fails, 2 on a usage error.
int RunRenderCommand(const std::vector<std::string>& args);
