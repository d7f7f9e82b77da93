#include "graphics/Picture.h"

#include "core/FatalError.h"
#include "graphics/SvgCanvas.h"

#include <algorithm>
#include <cctype>

namespace {

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

PictureFormat PictureFormatOf(const std::string& path)
{
    const std::string ext = LowerExtension(path);
    if (ext == "png")
        return PictureFormat::Png;
    if (ext == "svg")
        return PictureFormat::Svg;
    if (ext == "pdf")
        return PictureFormat::Pdf;
    throw FatalError(
        "Cannot tell the picture format of \"" + path + "\": the file name must end in .png, .svg or .pdf.", 1);
}

void CheckPictureSize(const PictureOptions& options)
{
    if (options.width < 1 || options.height < 1 || options.width > kMaxPictureSide || options.height > kMaxPictureSide)
        throw FatalError("A picture must be 1 to " + std::to_string(kMaxPictureSide) + " pixels wide and high, not " +
                             std::to_string(options.width) + " x " + std::to_string(options.height) + ".",
                         1);
}

std::string DrawSvgPicture(const PictureOptions& options, const std::function<void(Canvas&)>& draw)
{
    SvgCanvas canvas(options.width, options.height, options.background);
    draw(canvas);
    return canvas.Finish();
}
