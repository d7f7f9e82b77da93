#include "qt/Render.h"

#include "core/FatalError.h"
#include "core/StructureModel.h"
#include "core/TextFile.h"
#include "graphics/Palette.h"
#include "graphics/ViewTransform.h"
#include "inspect/Scene.h"
#include "qt/QtCanvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

// Fonts need a QGuiApplication. Inside the desktop program one exists; a
// batch run gets one for the duration of the picture, on the offscreen
// platform unless the user chose another, with a private runtime folder when
// the session has none (Qt warns on standard error without one).
class GuiApplicationScope {
public:
    GuiApplicationScope()
    {
        if (QCoreApplication::instance())
            return;
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
            std::error_code error;
            const std::filesystem::path base = std::filesystem::temp_directory_path(error);
            std::string pattern = ((error ? std::filesystem::path("/tmp") : base) / "vela-runtime-XXXXXX").string();
            if (::mkdtemp(pattern.data()) != nullptr) {
                m_RuntimeDir = pattern;
                ::setenv("XDG_RUNTIME_DIR", m_RuntimeDir.c_str(), 0);
            }
        }
        m_App = std::make_unique<QGuiApplication>(m_Argc, m_Argv);
    }
    ~GuiApplicationScope()
    {
        m_App.reset();
        if (!m_RuntimeDir.empty()) {
            ::unsetenv("XDG_RUNTIME_DIR");
            std::error_code ignored;
            std::filesystem::remove_all(m_RuntimeDir, ignored);
        }
    }
    GuiApplicationScope(const GuiApplicationScope&) = delete;
    GuiApplicationScope& operator=(const GuiApplicationScope&) = delete;

private:
    char m_Name[9] = "vela-cli";
    char* m_Argv[2] = {m_Name, nullptr};
    int m_Argc = 1;
    std::string m_RuntimeDir;
    std::unique_ptr<QGuiApplication> m_App;
};

// Paints the background and the drawing on a painter that is already active
// on a width x height device.
void Paint(QPainter& painter, const PictureOptions& options, const std::function<void(Canvas&)>& draw,
           QtCanvas::Surface surface)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(0, 0, options.width, options.height, ColorFromColorRef(options.background));
    QtCanvas canvas(painter, surface);
    draw(canvas);
    canvas.Flush();
}

QByteArray EncodePng(const PictureOptions& options, const std::function<void(Canvas&)>& draw)
{
    QImage image(options.width, options.height, QImage::Format_RGB32);
    if (image.isNull())
        throw FatalError("Not enough memory for a picture of " + std::to_string(options.width) + " x " +
                             std::to_string(options.height) + " pixels.",
                         1);
    {
        QPainter painter(&image);
        Paint(painter, options, draw, QtCanvas::Surface::Pixels);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw FatalError("Could not encode the picture as PNG.", 1);
    return bytes;
}

QByteArray EncodePdf(const PictureOptions& options, const std::function<void(Canvas&)>& draw)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Vela"));
        writer.setTitle(QStringLiteral("Vela"));
        // At 96 dots per inch one device unit is one window pixel, and the
        // page is exactly the client area.
        writer.setResolution(96);
        const QPageSize page(QSizeF(options.width / 96.0, options.height / 96.0), QPageSize::Inch,
                             QStringLiteral("Vela"), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            throw FatalError("Could not start a PDF picture.", 1);
        Paint(painter, options, draw, QtCanvas::Surface::Vector);
        painter.end();
    }
    return bytes;
}

} // namespace

void RenderPicture(const PictureOptions& options, const std::string& path, const std::function<void(Canvas&)>& draw)
{
    const PictureFormat format = PictureFormatOf(path);
    CheckPictureSize(options);
    const std::string error = "Cannot write the picture file \"" + path + "\".";
    if (format == PictureFormat::Svg) {
        WriteTextFile(path, DrawSvgPicture(options, draw), error);
        return;
    }

    const GuiApplicationScope app;
    const QByteArray bytes = format == PictureFormat::Png ? EncodePng(options, draw) : EncodePdf(options, draw);
    WriteTextFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

void RenderModelPicture(const StructureModel& model, const LayerFlags& layers, const PictureOptions& options,
                        const std::string& path, const ModelResults* results)
{
    const ViewTransform view = SceneView(model, layers, results, options.width, options.height, options.zoom);
    RenderPicture(options, path, [&](Canvas& canvas) {
        PaletteCanvas shown(canvas, options.background);
        DrawScene(shown, view, model, layers, results);
    });
}
