#pragma once

#include "core/Matrix.h"

#include <cstdint>

// The records of a Beam System File: plain structures that the reader
// fills. Each computes what follows from its own fields (equivalent nodal
// loads, a spring's stiffness); drawing them is graphics/' business.

// A Windows-style colour value, 0x00BBGGRR. On Windows it is the very type
// <windows.h> declares (a DWORD, unsigned long there), so that the two
// declarations agree wherever both are seen and a colour goes to GDI as it
// is; elsewhere a 32-bit unsigned integer.
#if defined(_WIN32)
using COLORREF = unsigned long;
static_assert(sizeof(COLORREF) == 4);
#else
using COLORREF = std::uint32_t;
#endif

constexpr COLORREF MakeColorRef(int r, int g, int b)
{
    return static_cast<COLORREF>(r & 0xFF) | (static_cast<COLORREF>(g & 0xFF) << 8) |
           (static_cast<COLORREF>(b & 0xFF) << 16);
}

inline constexpr COLORREF kRed = MakeColorRef(255, 0, 0);
inline constexpr COLORREF kGreen = MakeColorRef(0, 255, 0);

struct Node {
    double x = 0;
    double y = 0;
    int No = 0;
};

struct ElementProperty {
    double E = 0;
    double A = 0;
    double I = 0;
};

struct RestrictedNode {
    int Fix[3] = {0, 0, 0};
    double x = 0;
    double y = 0;
    int NodeNo = 0;
    int Color = static_cast<int>(kGreen);
};

struct force_2d {
    struct Node Node;
    double Fx = 0;
    double Fy = 0;
    double Mz = 0;
    int Color = static_cast<int>(kRed);
};

struct DistributedLoad {
    int ElemNo = 0;
    struct Node Node1;
    struct Node Node2;
    double q1 = 0;
    double q2 = 0;
    force_2d EquForce1;
    force_2d EquForce2;

    void Init(int elemNo, const struct Node& node1, const struct Node& node2, double q1Value, double q2Value);
    void ComputeEquivalentForces();
    force_2d GetEquForce1() const { return EquForce1; }
    force_2d GetEquForce2() const { return EquForce2; }
};

struct PrescribedDisplacement {
    struct Node Node;
    double Dx = 0;
    double Dy = 0;
    double Rz = 0;
    bool HasDx = false;
    bool HasDy = false;
    bool HasRz = false;
    int Color = static_cast<int>(kGreen);

    void Init(const struct Node& node, double dx, double dy, double rz, bool hasDx, bool hasDy, bool hasRz);
};

struct Spring_2d {
    double K = 0;
    double DirX = 0;
    double DirY = 0;
    struct Node Node;
    Matrix KInGlobalCS;
    int Color = static_cast<int>(kGreen);

    void Init(const struct Node& node, double k, double dirX, double dirY);
    void ComputeKInGlobalCS();
    Matrix GetKInGlobalCS() const { return KInGlobalCS; }
};

struct Torsional_Spring_2d {
    struct Node Node;
    double K = 0;
    int Color = static_cast<int>(kGreen);

    void Init(const struct Node& node, double k);
};
