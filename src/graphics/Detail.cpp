#include "graphics/Detail.h"

#include "core/StructureModel.h"
#include "graphics/Drawing.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <cmath>

double MeanMemberPixels(const ViewTransform& view, const StructureModel& model)
{
    if (!CanDraw(view))
        return 0;
    const double pixels = model.m_AverageElemLength * view.m_Scale;
    return std::isfinite(pixels) && pixels > 0 ? pixels : 0;
}

bool SymbolsShown(const ViewTransform& view, const StructureModel& model, const DrawDetail& detail)
{
    return !detail.readableOnly || MeanMemberPixels(view, model) >= kReadableMemberPixels;
}

void ToClientPixels(const ViewTransform& view, double x, double y, double& px, double& py)
{
    px = view.m_OriginX + (x - view.m_CenterX) * view.m_Scale;
    py = view.m_OriginY - (y - view.m_CenterY) * view.m_Scale;
}

bool PixelBoxMeetsClient(const ViewTransform& view, double left, double top, double right, double bottom, double margin)
{
    // Written so that a NaN anywhere answers true.
    return !(right < -margin || left > view.m_Width + margin || bottom < -margin || top > view.m_Height + margin);
}

bool WorldBoxMeetsClient(const ViewTransform& view, double xMin, double yMin, double xMax, double yMax, double margin)
{
    double left, top, right, bottom;
    ToClientPixels(view, xMin, yMax, left, top);
    ToClientPixels(view, xMax, yMin, right, bottom);
    return PixelBoxMeetsClient(view, left, top, right, bottom, margin);
}

bool NearClient(const ViewTransform& view, double x, double y, double worldRadius, double margin)
{
    double px, py;
    ToClientPixels(view, x, y, px, py);
    const double reach = std::fabs(worldRadius) * view.m_Scale + margin;
    return PixelBoxMeetsClient(view, px - reach, py - reach, px + reach, py + reach, 0);
}
