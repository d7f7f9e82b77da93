// The window's events: size, keys, clicks, mouse moves, the wheel, painting.
// A pan is click, move, click; a zoom window is click on one corner, move,
// click on the opposite one. No button needs to be held, and a mode stays on
// after its gesture until Esc or another mode key.

#include "app/AppState.h"
#include "app/Platform.h"
#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"
#include "inspect/ReadOut.h"
#include "inspect/Scene.h"

#include <cmath>

namespace {

constexpr double kWheelStep = 1.1;

} // namespace

bool AppState::ViewUsable() const
{
    // A minimised window has no pixels to zoom into, and before a file is
    // loaded the fitted scale of an empty box is not a number one can use.
    return m_ClientWidth > 0 && m_ClientHeight > 0 && std::isfinite(m_View->m_Scale) && m_View->m_Scale > 0;
}

void AppState::OnSize(int width, int height)
{
    m_ClientWidth = width;
    m_ClientHeight = height;
    m_ClientRect = {0, 0, width, height};
    m_View->SetUp(width, height, m_Box.m_XMin, m_Box.m_XMax, m_Box.m_YMin, m_Box.m_YMax);
}

void AppState::OnChar(int code)
{
    switch (code) {
    case 27:
        // Esc also cancels a solve under way.
        CancelWork();
        m_Mode = InteractionMode::None;
        m_Platform.Repaint(false);
        break;
    case 'P':
    case 'p':
        m_Mode = InteractionMode::Pan;
        m_ClickCount = 0;
        break;
    case 'Z':
    case 'z':
        // The click count is kept on purpose: a first click taken in
        // another mode becomes the zoom window's first corner.
        m_Mode = InteractionMode::ZoomWindow;
        break;
    case 'X':
    case 'x':
        m_View->FitToBox();
        m_Platform.Repaint(false);
        break;
    default:
        break;
    }
}

void AppState::OnLeftButtonDown(int x, int y)
{
    ++m_ClickCount;
    m_MouseX = x;
    m_MouseY = y;
    switch (m_Mode) {
    case InteractionMode::Pan:
        if (m_ClickCount == 1) {
            m_PanStartX = x;
            m_PanStartY = y;
        } else if (m_ClickCount == 2) {
            m_View->Pan(x - m_PanStartX, y - m_PanStartY);
            m_ClickCount = 0;
            m_Platform.Repaint(false);
        }
        break;
    case InteractionMode::ZoomWindow:
        if (m_ClickCount == 1) {
            m_Corner1X = x;
            m_Corner1Y = y;
        } else if (m_ClickCount == 2) {
            m_Corner2X = x;
            m_Corner2Y = y;
            m_ClickCount = 0;
            // A window of no extent on either axis has no scale.
            const bool degenerate = m_Corner1X == x && m_Corner1Y == y;
            if (ViewUsable() && !degenerate)
                m_View->ZoomToRect(m_Corner1X, m_Corner1Y, x, y);
            m_Platform.Repaint(false);
        }
        break;
    default:
        m_ClickCount = 0;
        // Without a gesture a click picks what is under the pointer: its
        // row in the results panel.
        if (m_Loaded && m_Results && ViewUsable()) {
            const Hit hit = HitTest(*m_Model, *m_View, x, y);
            if (hit.kind == Hit::Kind::Node)
                m_Platform.SelectResultRow(RowKind::Node, hit.index);
            else if (hit.kind == Hit::Kind::Element)
                m_Platform.SelectResultRow(RowKind::Element, hit.index);
        }
        break;
    }
}

void AppState::SetHover(int element, int node)
{
    if (element == m_HoverElement && node == m_HoverNode)
        return;
    m_HoverElement = element;
    m_HoverNode = node;
    m_Platform.Repaint(false);
}

void AppState::OnMouseLeave()
{
    SetHover(-1, -1);
    if (!m_StatusText.empty()) {
        m_StatusText.clear();
        m_Platform.SetStatusText(m_StatusText);
    }
}

void AppState::OnMouseMove(int x, int y)
{
    m_MouseX = x;
    m_MouseY = y;
    if (m_Loaded && ViewUsable()) {
        const ReadOut readOut = ReadOutAt(*m_Model, m_Results.get(), *m_View, x, y);
        SetHover(readOut.hit.kind == Hit::Kind::Element ? readOut.hit.index : -1,
                 readOut.hit.kind == Hit::Kind::Node ? readOut.hit.index : -1);
        if (readOut.text != m_StatusText) {
            m_StatusText = readOut.text;
            m_Platform.SetStatusText(m_StatusText);
        }
    }
    if (m_ClickCount != 1)
        return;
    if (m_Mode == InteractionMode::Pan) {
        m_View->Pan(x - m_PanStartX, y - m_PanStartY);
        m_PanStartX = x;
        m_PanStartY = y;
        m_Platform.Repaint(false);
    } else if (m_Mode == InteractionMode::ZoomWindow) {
        m_Corner2X = x;
        m_Corner2Y = y;
        m_Platform.Repaint(false);
    }
}

void AppState::OnMouseWheel(int x, int y, int delta)
{
    if (!ViewUsable())
        return;
    // One step per event, whatever the size of the delta.
    const double scale = delta > 0 ? m_View->m_Scale * kWheelStep : m_View->m_Scale / kWheelStep;
    if (!std::isfinite(scale) || scale <= 0)
        return;
    m_View->ZoomAt(x, y, scale);
    m_Platform.Repaint(false);
}

void AppState::Paint(Canvas& canvas)
{
    if (m_ClientWidth <= 0 || m_ClientHeight <= 0)
        return;
    if (m_Mode == InteractionMode::ZoomWindow && m_ClickCount == 1)
        DrawRubberBand(canvas, m_Corner1X, m_Corner1Y, m_Corner2X, m_Corner2Y);
    // An empty model has nothing to draw, whatever layers are switched on.
    if (m_Loaded)
        DrawScene(canvas, *m_View, *m_Model, *this, m_Results.get(), m_HoverElement, m_HoverNode);
}
