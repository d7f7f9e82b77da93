#include "cli/Render.h"

#include "app/ModelSetup.h"
#include "cli/StderrWarnings.h"
#include "core/FatalError.h"
#include "core/PlatformFiles.h"
#include "core/Records.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "graphics/Layers.h"
#include "graphics/Palette.h"
#include "graphics/Picture.h"
#include "graphics/ViewTransform.h"
#include "inspect/ModelResults.h"
#include "inspect/Scene.h"
#include "reports/PostProcess.h"
#if defined(VELA_HAVE_QT)
#include "qt/Render.h"
#elif defined(VELA_HAVE_WIN32)
#include "win32/Render.h"
#endif

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#if defined(VELA_PICTURE_PROGRAM)
#include <unistd.h>
#endif

namespace {

// The pictures this build can write: PNG through the platform's canvas
// (Qt's, GDI's; on Linux in the picture program), PDF through Qt's, SVG
// through the shared writer.
#if defined(VELA_HAVE_QT) || defined(VELA_PICTURE_PROGRAM)
constexpr bool kWritesPng = true;
constexpr bool kWritesPdf = true;
#define VELA_PICTURE_FILES "OUT.png|OUT.svg|OUT.pdf"
#define VELA_PICTURE_EXTENSIONS ".png, .svg or .pdf"
#elif defined(VELA_HAVE_WIN32)
constexpr bool kWritesPng = true;
constexpr bool kWritesPdf = false;
#define VELA_PICTURE_FILES "OUT.png|OUT.svg"
#define VELA_PICTURE_EXTENSIONS ".png or .svg; PDF is made by the Linux build only"
#else
constexpr bool kWritesPng = false;
constexpr bool kWritesPdf = false;
#define VELA_PICTURE_FILES "OUT.svg"
#define VELA_PICTURE_EXTENSIONS ".svg; PNG and PDF need a build with Qt"
#endif

constexpr const char* kUsage = "usage: vela-cli render FILE -o " VELA_PICTURE_FILES " [--layers LIST] [--size WxH]\n"
                               "                       [--background black|white] [--zoom F]\n";

constexpr const char* kHelp = "Draws a Beam System File the way the window shows it and saves the picture;\n"
                              "the format follows the extension of OUT.\n"
                              "\n"
                              "  -o, --output OUT     the picture to write (" VELA_PICTURE_EXTENSIONS ")\n"
                              "  --layers LIST        comma-separated layers to draw: structure, loads, supports,\n"
                              "                       springs, prescribed, nodes, elements, deformed, moment, shear,\n"
                              "                       axial, reactions, values\n"
                              "                       (default: structure,loads,supports,springs,prescribed);\n"
                              "                       deformed, moment, shear, axial and reactions solve the model\n"
                              "                       first and are drawn over the structure; values writes the\n"
                              "                       numbers on the diagrams (e.g. --layers moment,values)\n"
                              "  --size WxH           the picture's size in pixels (default: 1024x768)\n"
                              "  --background COLOUR  black (default) or white\n"
                              "  --zoom F             zoom about the middle of the fitted picture: F below 1\n"
                              "                       zooms out (0.5: half as large), above 1 in; 0.01 to 100\n"
                              "                       (default: 1, everything drawn just fits)\n"
                              "  -h, --help           show this help\n";

// A usage problem: the message for standard error.
struct UsageError {
    std::string message;
};

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Sets the layers one name stands for; false for an unknown name.
bool AddLayer(const std::string& name, LayerFlags& flags, bool& needsSolution)
{
    if (name == "structure") {
        flags.m_ShowStructure = true;
    } else if (name == "loads") {
        flags.m_ShowDistributedLoads = true;
        flags.m_ShowForces = true;
    } else if (name == "supports") {
        flags.m_ShowSupports = true;
    } else if (name == "springs") {
        flags.m_ShowSprings = true;
        flags.m_ShowTorsionalSprings = true;
    } else if (name == "prescribed") {
        flags.m_ShowPrescribed = true;
    } else if (name == "nodes") {
        flags.m_ShowNodeNumbers = true;
    } else if (name == "elements") {
        flags.m_ShowElementNumbers = true;
    } else if (name == "deformed" || name == "moment" || name == "shear" || name == "axial" || name == "reactions") {
        // A result is drawn over the structure, as the Draw menu shows it.
        flags.m_ShowStructure = true;
        if (name == "deformed")
            flags.m_ShowDeformed = true;
        else if (name == "moment")
            flags.m_ShowMoment = true;
        else if (name == "shear")
            flags.m_ShowShear = true;
        else if (name == "axial")
            flags.m_ShowAxial = true;
        else
            flags.m_ShowReactions = true;
        needsSolution = true;
    } else if (name == "values") {
        // The numbers of the result layers asked for.
        flags.m_ShowValues = true;
        needsSolution = true;
    } else {
        return false;
    }
    return true;
}

void ParseLayers(const std::string& list, RenderRequest& args)
{
    LayerFlags flags;
    bool needsSolution = false;
    bool any = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string name = list.substr(start, comma - start);
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        if (!name.empty()) {
            if (!AddLayer(Lower(name), flags, needsSolution))
                throw UsageError{"unknown layer \"" + name + "\""};
            any = true;
        }
        start = comma + 1;
    }
    if (!any)
        throw UsageError{"--layers needs at least one layer name"};
    args.layers = flags;
    args.needsSolution = needsSolution;
}

std::optional<int> ParseSide(std::string_view text)
{
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

void ParseSize(const std::string& text, RenderRequest& args)
{
    const std::size_t x = text.find_first_of("xX");
    const std::optional<int> width =
        x == std::string::npos ? std::nullopt : ParseSide(std::string_view(text).substr(0, x));
    const std::optional<int> height =
        x == std::string::npos ? std::nullopt : ParseSide(std::string_view(text).substr(x + 1));
    if (!width || !height)
        throw UsageError{"--size must be WIDTHxHEIGHT in pixels, e.g. 1024x768, not \"" + text + "\""};
    constexpr int maxSide = kMaxPictureSide;
    if (*width < 1 || *height < 1 || *width > maxSide || *height > maxSide)
        throw UsageError{"--size: each side must be 1 to " + std::to_string(maxSide) + " pixels, not \"" + text + "\""};
    args.width = *width;
    args.height = *height;
}

// The smallest and largest zoom accepted.
constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 100;

void ParseZoom(const std::string& text, RenderRequest& args)
{
    double zoom = 0;
    const char* const end = text.data() + text.size();
    const std::from_chars_result r = std::from_chars(text.data(), end, zoom);
    const bool number = !text.empty() && r.ec == std::errc() && r.ptr == end && std::isfinite(zoom);
    if (!number || zoom < kMinZoom || zoom > kMaxZoom)
        throw UsageError{"--zoom must be a number from 0.01 to 100 (below 1 zooms out, e.g. 0.5), not \"" + text +
                         "\""};
    args.zoom = zoom;
}

void ParseBackground(const std::string& text, RenderRequest& args)
{
    const std::string colour = Lower(text);
    if (colour == "black")
        args.background = MakeColorRef(0, 0, 0);
    else if (colour == "white")
        args.background = MakeColorRef(255, 255, 255);
    else
        throw UsageError{"--background must be black or white, not \"" + text + "\""};
}

RenderRequest ParseArgs(const std::vector<std::string>& words)
{
    RenderRequest args;
    bool haveOutput = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            if (!args.input.empty())
                throw UsageError{"more than one input file: \"" + args.input + "\" and \"" + word + "\""};
            if (word.empty())
                throw UsageError{"the input file name is empty"};
            args.input = word;
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "-h" || word == "--help") {
            args.help = true;
            continue;
        }

        // An option with a value, given as "--name VALUE" or "--name=VALUE".
        std::string name = word;
        std::optional<std::string> value;
        if (const std::size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = word.substr(0, eq);
            value = word.substr(eq + 1);
        }
        if (name != "-o" && name != "--output" && name != "--layers" && name != "--size" && name != "--background" &&
            name != "--zoom")
            throw UsageError{"unknown option \"" + word + "\""};
        if (!value) {
            if (i + 1 >= words.size())
                throw UsageError{name + " needs a value"};
            value = words[++i];
        }

        if (name == "-o" || name == "--output") {
            if (value->empty())
                throw UsageError{"the output file name is empty"};
            const std::string extension = Lower(std::filesystem::path(*value).extension().string());
            if (extension != ".png" && extension != ".svg" && extension != ".pdf")
                throw UsageError{"cannot tell the picture format of \"" + *value +
                                 "\": the file name must end in .png, .svg or .pdf"};
            args.output = *value;
            haveOutput = true;
        } else if (name == "--layers") {
            ParseLayers(*value, args);
        } else if (name == "--size") {
            ParseSize(*value, args);
        } else if (name == "--zoom") {
            ParseZoom(*value, args);
        } else {
            ParseBackground(*value, args);
        }
    }
    if (args.help)
        return args;
    if (args.input.empty())
        throw UsageError{"no input file given"};
    if (!haveOutput)
        throw UsageError{"no output picture given (-o OUT.png, OUT.svg or OUT.pdf)"};
    return args;
}

// Loading and solving write their side, dump and result files; a picture
// must not leave them in the user's folder, so they go to a private folder
// that is removed afterwards.
class PrivateFolder {
public:
    PrivateFolder()
    {
        std::string base;
        m_Path = CreatePrivateTempFolder("vela-render-", base);
        if (m_Path.empty())
            throw FatalError("Cannot create a temporary folder in \"" + base + "\".", 1);
    }
    ~PrivateFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(PathFromUtf8(m_Path), error);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& Path() const { return m_Path; }

private:
    std::string m_Path;
};

// Refuses, before the model is read and solved, a picture this build
// cannot write.
void CheckOutput(const std::string& path)
{
    const PictureFormat format = PictureFormatOf(path);
    if (format == PictureFormat::Pdf && !kWritesPdf)
        throw FatalError("Cannot write \"" + path + "\": " +
                             (kWritesPng ? "PDF pictures are made by the Linux build of Vela only; this one writes "
                                           ".png and .svg."
                                         : "this vela-cli was built without Qt and writes .svg pictures only."),
                         1);
    if (format == PictureFormat::Png && !kWritesPng)
        throw FatalError(
            "Cannot write \"" + path + "\": this vela-cli was built without Qt and writes .svg pictures only.", 1);
}

#if !defined(VELA_HAVE_QT) && !defined(VELA_HAVE_WIN32)
// Without a platform canvas: SVG, through the shared writer.
void RenderModelPicture(const StructureModel& model, const LayerFlags& layers, const PictureOptions& options,
                        const std::string& path, const ModelResults* results)
{
    CheckPictureSize(options);
    const ViewTransform view = SceneView(model, layers, results, options.width, options.height, options.zoom);
    WriteTextFile(path,
                  DrawSvgPicture(options,
                                 [&](Canvas& canvas) {
                                     PaletteCanvas shown(canvas, options.background);
                                     DrawScene(shown, view, model, layers, results);
                                 }),
                  "Cannot write the picture file \"" + path + "\".");
}
#endif

#if defined(VELA_PICTURE_PROGRAM)
// Hands the render command to the picture program, which draws through Qt:
// beside this program (the build tree), else where it is installed. Returns
// only when neither can be started.
void HandToPictureProgram(const std::vector<std::string>& args, const std::string& output)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::path(".") : self.parent_path();
    const std::filesystem::path installed = (folder / VELA_INSTALLED_PICTURE_PROGRAM).lexically_normal();
    for (const std::filesystem::path& program : {folder / VELA_PICTURE_PROGRAM, installed}) {
        std::vector<std::string> words{program.string(), "render"};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::fflush(nullptr);
        ::execv(argv.front(), argv.data());
    }
    throw FatalError("Cannot write \"" + output +
                         "\": PNG and PDF pictures are drawn by " VELA_PICTURE_PROGRAM
                         ", which is neither beside vela-cli nor at " +
                         installed.string() + ". Install Vela again, or write an .svg picture.",
                     1);
}
#endif

int Render(const RenderRequest& args)
{
    CheckOutput(args.output);

    const PrivateFolder folder;
    StderrWarnings warnings;
    const ModelSetup setup(warnings);
    const std::unique_ptr<StructureModel> model = setup.LoadModel(args.input, ModelOptions{folder.Path()});
    std::unique_ptr<ModelResults> results;
    if (args.needsSolution) {
        model->Solve();
        PostProcess(*model);
        results = std::make_unique<ModelResults>(*model);
    }

    PictureOptions options;
    options.width = args.width;
    options.height = args.height;
    options.background = args.background;
    options.zoom = args.zoom;
    RenderModelPicture(*model, args.layers, options, args.output, results.get());
    return 0;
}

} // namespace

std::optional<RenderRequest> ParseRenderArgs(const std::vector<std::string>& args, std::string& error)
{
    try {
        return ParseArgs(args);
    } catch (const UsageError& usage) {
        error = usage.message;
        return std::nullopt;
    }
}

int RunRenderCommand(const std::vector<std::string>& args)
{
    std::string error;
    const std::optional<RenderRequest> request = ParseRenderArgs(args, error);
    if (!request) {
        std::cerr << "vela-cli render: " << error << '\n' << kUsage;
        return 2;
    }
    if (request->help) {
        std::cout << kUsage << '\n' << kHelp << std::flush;
        return 0;
    }
    try {
#if defined(VELA_PICTURE_PROGRAM)
        if (PictureFormatOf(request->output) != PictureFormat::Svg)
            HandToPictureProgram(args, request->output);
#endif
        return Render(*request);
    } catch (const FatalError& failure) {
        std::cerr << failure.Message() << '\n';
        // A failure never ends with the status of a success.
        return failure.Status() != 0 ? failure.Status() : 1;
    }
}
