#pragma once

class Canvas;

// Maps world coordinates (the model's units, y upwards) to client pixels
// (y downwards) with one scale for both axes and no rotation, and carries the
// five drawing scales that the model computes. The mapping lives here, beside
// the model that fills its scales; drawing through it (m_hDC) is the
// graphics layer's business.
class ViewTransform {
public:
    void SetUp(int width, int height, double xMin, double xMax, double yMin, double yMax);
    void FitToBox();
    void SetDC(Canvas* dc) { m_hDC = dc; }

    void WorldToScreen(const double world[2], int screen[2]) const;
    void ScreenToWorld(const int screen[2], double world[2]) const;
    void LocalToScreen(const int local[2], int screen[2]) const;
    void ScreenToLocal(const int screen[2], int local[2]) const;

    void Pan(int dx, int dy);
    void ZoomAt(int sx, int sy, double newScale);
    void ZoomToRect(int x1, int y1, int x2, int y2);
    void DrawRubberBand(int x1, int y1, int x2, int y2) const;

    double m_XMin = 0;
    double m_XMax = 0;
    double m_YMin = 0;
    double m_YMax = 0;
    Canvas* m_hDC = nullptr;
    int m_Width = 0;
    int m_Height = 0;
    int m_OriginX = 0;
    int m_OriginY = 0;
    double m_CenterX = 0;
    double m_CenterY = 0;
    double m_Scale = 0;
    double m_VisualScaleofDeformation = 1;
    double m_VisualScaleofMoment = 1;
    double m_VisualScaleofShear = 1;
    double m_VisualScaleofForce = 1;
    double m_VisualScaleofPress = 1;
};
