// One paint of the window on a 100,000-node frame (399 storeys of 249
// bays): AppState::Paint onto a 1280 x 800 surface, at the fitted view and
// zoomed in 10 and 100 times about the middle, with the structure as it
// opens (members, loads, supports) and with the moment diagram and its
// values over it. The model is loaded and solved once, through the same
// commands the window runs.
//
// Two surfaces: a canvas that only counts what it is given (the cost of the
// drawing code below the front ends) and, where Qt is built, the Qt canvas
// on a QImage as the window composes its frame (what the user waits for).
//
//   vela_paint_bench [STOREYSxBAYS] [benchmark options]
#include "FrameGenerator.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "app/Platform.h"
#include "core/PlatformFiles.h"
#include "graphics/Canvas.h"
#include "graphics/ViewTransform.h"

#if defined(VELA_PAINT_QT)
#include "qt/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#endif

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

int g_Storeys = 399;
int g_Bays = 249;

// The desktop with real files in one scratch folder and nobody to talk to.
class QuietPlatform : public Platform {
public:
    void ShowMessage(const std::string& caption, const std::string& text) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::optional<std::string> ChooseFileToOpen(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    bool OpenInViewer(const std::string&) override { return false; }
    void Repaint(bool) override {}
    void SetMenuCheck(int, bool) override {}
    void SetWindowTitle(const std::string&) override {}
    std::string CurrentDirectory() override { return m_Folder; }
    bool SetCurrentDirectory(const std::string& path) override
    {
        m_Folder = path;
        return true;
    }
    bool FileExists(const std::string& path) override { return std::filesystem::exists(PathFromUtf8(path)); }
    bool CreateNewFile(const std::string& path) override
    {
        if (std::filesystem::exists(PathFromUtf8(path)))
            return false;
        return static_cast<bool>(std::ofstream(PathFromUtf8(path)));
    }
    bool RemoveFile(const std::string& path) override { return std::filesystem::remove(PathFromUtf8(path)); }

    std::string m_Folder;
};

// A surface that keeps nothing: it counts segments and texts so that the
// work cannot be optimised away.
class CountingCanvas : public Canvas {
public:
    PenDesc SelectPen(const PenDesc& pen) override { return std::exchange(m_Pen, pen); }
    FontDesc SelectFont(const FontDesc& font) override { return std::exchange(m_Font, font); }
    COLORREF SetTextColor(COLORREF color) override { return std::exchange(m_TextColor, color); }
    bool SetTransparentText(bool transparent) override { return std::exchange(m_Transparent, transparent); }
    bool SetInvert(bool invert) override { return std::exchange(m_Invert, invert); }
    void MoveTo(int, int) override { ++m_Moves; }
    void LineTo(int, int) override { ++m_Lines; }
    void TextOut(int, int, std::string_view) override { ++m_Texts; }

    long m_Moves = 0;
    long m_Lines = 0;
    long m_Texts = 0;

private:
    PenDesc m_Pen;
    FontDesc m_Font;
    COLORREF m_TextColor = 0;
    bool m_Transparent = false;
    bool m_Invert = false;
};

struct Window {
    std::string folder;
    QuietPlatform platform;
    std::unique_ptr<AppState> state;

    ~Window()
    {
        state.reset();
        std::filesystem::remove_all(folder);
    }
};

// Opened at the window's size and solved, once.
Window& Frame()
{
    static std::unique_ptr<Window> window;
    if (!window) {
        window = std::make_unique<Window>();
        std::string pattern = (std::filesystem::temp_directory_path() / "vela-paint-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        window->folder = pattern;
        const std::string file = pattern + "/frame.txt";
        std::ofstream(file, std::ios::binary) << GenerateFrame(g_Storeys, g_Bays);
        window->state = std::make_unique<AppState>(window->platform);
        window->state->OnSize(kWidth, kHeight);
        if (!window->state->OpenChosenFile(file))
            std::abort();
        window->state->OnCommand(MenuId::Solve);
        if (!window->state->m_Solved)
            std::abort();
    }
    return *window;
}

enum Layers { Structure = 0, MomentWithValues = 1, ShearWithValues = 2, AxialWithValues = 3, DeformedWithValues = 4 };

// Zoom 0 stands for the view after a user's wheel and drag: five wheel steps
// in about a point off the middle, then the picture dragged by a third of
// the window.
constexpr int kWheeled = 0;

// The view of range(1) times the fitted scale about the middle and the
// layers of range(0).
AppState& Prepare(const benchmark::State& state)
{
    AppState& app = *Frame().state;
    app.OnCommand(MenuId::OriginStructure);
    if (app.m_ShowValues)
        app.OnCommand(MenuId::Values);
    constexpr int kDiagram[] = {0, MenuId::BendingMoment, MenuId::ShearingForce, MenuId::AxialForce, MenuId::Deformed};
    if (state.range(0) != Structure) {
        app.OnCommand(kDiagram[state.range(0)]);
        app.OnCommand(MenuId::Values);
    }
    app.m_View->FitToBox();
    if (state.range(1) == kWheeled) {
        app.m_View->ZoomAt(kWidth / 3, kHeight / 3, app.m_View->m_Scale * std::pow(1.1, 5));
        app.m_View->Pan(kWidth / 3, -kHeight / 3);
    } else {
        app.m_View->ZoomAt(kWidth / 2, kHeight / 2, app.m_View->m_Scale * static_cast<double>(state.range(1)));
    }
    return app;
}

void BM_PaintCounting(benchmark::State& state)
{
    AppState& app = Prepare(state);
    CountingCanvas canvas;
    for (auto _ : state)
        app.Paint(canvas);
    const double paints = static_cast<double>(state.iterations());
    state.counters["lines"] = static_cast<double>(canvas.m_Lines) / paints;
    state.counters["texts"] = static_cast<double>(canvas.m_Texts) / paints;
    state.counters["moves"] = static_cast<double>(canvas.m_Moves) / paints;
}

#if defined(VELA_PAINT_QT)
// What DrawingArea::ComposeFrame does: fill, paint, end.
void BM_PaintQImage(benchmark::State& state)
{
    AppState& app = Prepare(state);
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        frame.fill(ColorFromColorRef(app.BackgroundColor()));
        QPainter painter(&frame);
        {
            QtCanvas canvas(painter);
            app.Paint(canvas);
        }
        painter.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
}
#endif

void Register()
{
    const char* const names[] = {"/structure", "/moment+values", "/shear+values", "/axial+values", "/deformed+values"};
    for (int layers : {Structure, MomentWithValues, ShearWithValues, AxialWithValues, DeformedWithValues}) {
        // The two layers of the first rounds at every view, the other
        // diagrams where they cost most: fitted, and wheeled and dragged.
        const bool first = layers == Structure || layers == MomentWithValues;
        for (int zoom : first ? std::vector<int>{1, 10, 100, kWheeled} : std::vector<int>{1, kWheeled}) {
            const std::string suffix = std::string(names[layers]) +
                                       (zoom == kWheeled ? std::string("/wheel+pan") : "/zoom:" + std::to_string(zoom));
            benchmark::RegisterBenchmark(("PaintCounting" + suffix).c_str(), BM_PaintCounting)
                ->Args({layers, zoom})
                ->Unit(benchmark::kMillisecond);
#if defined(VELA_PAINT_QT)
            benchmark::RegisterBenchmark(("PaintQImage" + suffix).c_str(), BM_PaintQImage)
                ->Args({layers, zoom})
                ->Unit(benchmark::kMillisecond);
#endif
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    // A size of the frame before the benchmark's own options.
    if (argc > 1 && std::strchr(argv[1], 'x') && argv[1][0] != '-') {
        if (std::sscanf(argv[1], "%dx%d", &g_Storeys, &g_Bays) != 2 || g_Storeys < 1 || g_Bays < 1) {
            std::fprintf(stderr, "usage: vela_paint_bench [STOREYSxBAYS] [benchmark options]\n");
            return 2;
        }
        --argc;
        ++argv;
    }
#if defined(VELA_PAINT_QT)
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
