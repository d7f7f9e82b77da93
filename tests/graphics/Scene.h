#pragma once

#include "core/StructureModel.h"
#include "graphics/RecordingCanvas.h"
#include "graphics/ViewTransform.h"

#include <algorithm>
#include <climits>
#include <ostream>
#include <vector>

// A model built in code, a view and a recording canvas: what the window
// hands the layers at a paint.
struct Scene {
    StructureModel model;
    ViewTransform view;
    RecordingCanvas canvas;

    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    int AddNode(double x, double y)
    {
        const int index = static_cast<int>(model.m_Nodes.size());
        model.m_Nodes.push_back(Node{x, y, index});
        model.m_NPOIN = index + 1;
        return index;
    }

    int AddProperty(double I, double E = 1, double A = 1)
    {
        model.m_Properties.push_back(ElementProperty{E, A, I});
        model.m_NEP = static_cast<int>(model.m_Properties.size());
        return model.m_NEP - 1;
    }

    BeamElement& AddElement(int n1, int n2, int property = 0)
    {
        if (model.m_Properties.empty())
            AddProperty(1);
        const int index = static_cast<int>(model.m_Elements.size());
        model.m_ElemNodes.push_back(n1);
        model.m_ElemNodes.push_back(n2);
        model.m_ElemProp.push_back(property);
        BeamElement element;
        element.Init(index, model.m_Nodes[static_cast<std::size_t>(n1)], model.m_Nodes[static_cast<std::size_t>(n2)],
                     model.m_Properties[static_cast<std::size_t>(property)]);
        model.m_Elements.push_back(element);
        model.m_NELEM = index + 1;
        return model.m_Elements.back();
    }

    // What loading does for the drawing: inertia levels, box, mean length,
    // and the view fitted to the box.
    void Fit(int width = 800, int height = 600)
    {
        if (!model.m_Properties.empty())
            model.ComputeInertiaLevels();
        model.ComputeBoundingBox();
        model.m_AverageElemLength = model.ComputeAverageElemLength();
        view.SetUp(width, height, model.m_XMin, model.m_XMax, model.m_YMin, model.m_YMax);
    }

    struct Pixel {
        int x, y;
        bool operator==(const Pixel&) const = default;
    };

    Pixel At(double x, double y) const
    {
        const double world[2] = {x, y};
        int screen[2];
        view.WorldToScreen(world, screen);
        return {screen[0], screen[1]};
    }

    // Every end point of the recorded segments.
    std::vector<Pixel> Points() const
    {
        std::vector<Pixel> points;
        for (const RecordingCanvas::Segment& s : canvas.m_Segments) {
            points.push_back({s.x1, s.y1});
            points.push_back({s.x2, s.y2});
        }
        return points;
    }

    struct Box {
        int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    };

    static Box Bounds(const std::vector<Pixel>& points)
    {
        Box box;
        for (const Pixel& p : points) {
            box.minX = std::min(box.minX, p.x);
            box.maxX = std::max(box.maxX, p.x);
            box.minY = std::min(box.minY, p.y);
            box.maxY = std::max(box.maxY, p.y);
        }
        return box;
    }
};

// The standard scene of these tests: box x 0…10, y 0…5 in an 800 x 600
// client, so the scale is 76, the origin (400, 300) and the centre (5, 2.5);
// the span S is 10.
inline void BuildFrame(Scene& scene)
{
    scene.AddNode(0, 0);
    scene.AddNode(10, 0);
    scene.AddNode(10, 5);
    scene.AddElement(0, 1);
    scene.AddElement(1, 2);
    scene.Fit();
}

// Readable failure messages for the recorded calls.
inline void PrintTo(const RecordingCanvas::Call& c, std::ostream* os)
{
    static const char* const kinds[] = {"Move", "Line", "Text"};
    *os << kinds[c.kind] << "(" << c.x << ", " << c.y << ")";
}

inline void PrintTo(const RecordingCanvas::Segment& s, std::ostream* os)
{
    *os << "(" << s.x1 << ", " << s.y1 << ")-(" << s.x2 << ", " << s.y2 << ") pen " << s.pen.width << "/" << std::hex
        << s.pen.color << std::dec << (s.invert ? " inverted" : "");
}

inline void PrintTo(const RecordingCanvas::Text& t, std::ostream* os)
{
    *os << "\"" << t.text << "\" at (" << t.x << ", " << t.y << ") font " << t.font.face << " " << t.font.height << "/"
        << t.font.width << " colour " << std::hex << t.color << std::dec
        << (t.transparent ? " transparent" : " opaque");
}
