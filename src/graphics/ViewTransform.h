#pragma once

// Maps world coordinates (the model's units, y upwards) to client pixels
// (y downwards) with one scale for both axes and no rotation. It knows
// nothing of what is drawn through it: the surface is handed to each
// drawing call beside the view, and the drawing scales are the model's.
class ViewTransform {
public:
    void SetUp(int width, int height, double xMin, double xMax, double yMin, double yMax);
    void FitToBox();

    void WorldToScreen(const double world[2], int screen[2]) const;
    void ScreenToWorld(const int screen[2], double world[2]) const;
    void LocalToScreen(const int local[2], int screen[2]) const;
    void ScreenToLocal(const int screen[2], int local[2]) const;

    void Pan(int dx, int dy);
    void ZoomAt(int sx, int sy, double newScale);
    void ZoomToRect(int x1, int y1, int x2, int y2);

    double m_XMin = 0;
    double m_XMax = 0;
    double m_YMin = 0;
    double m_YMax = 0;
    int m_Width = 0;
    int m_Height = 0;
    int m_OriginX = 0;
    int m_OriginY = 0;
    double m_CenterX = 0;
    double m_CenterY = 0;
    double m_Scale = 0;
};
