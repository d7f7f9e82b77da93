#include "core/Records.h"

#include <cmath>

void DistributedLoad::Init(int elemNo, const struct Node& node1, const struct Node& node2, double q1Value,
                           double q2Value)
{
    ElemNo = elemNo;
    Node1 = node1;
    Node2 = node2;
    q1 = q1Value;
    q2 = q2Value;
    ComputeEquivalentForces();
}

void DistributedLoad::ComputeEquivalentForces()
{
    const double x1 = Node1.x, y1 = Node1.y, x2 = Node2.x, y2 = Node2.y;
    const double L = std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2));
    const double c = (x2 - x1) / L;
    const double s = (y2 - y1) / L;
    EquForce1.Node = Node1;
    EquForce2.Node = Node2;

    // Fixed-end reactions of a linearly varying load along the element's
    // local y axis, negated: the loads they put on the nodes.
    const double V1 = L * (0.35 * q1 + 0.15 * q2);
    const double M1 = q1 * L * L / 20 + q2 * L * L / 30;
    const double V2 = L * (0.15 * q1 + 0.35 * q2);
    const double M2 = -(q1 * L * L / 30 + q2 * L * L / 20);

    Matrix t;
    t.Resize(3, 3);
    t.At(0) = c;
    t.At(1) = -s;
    t.At(3) = s;
    t.At(4) = c;
    t.At(8) = 1;
    Matrix local;
    local.Resize(3, 1);

    local.At(1) = V1;
    local.At(2) = M1;
    Matrix global = t * local;
    EquForce1.Fx = global.At(0);
    EquForce1.Fy = global.At(1);
    EquForce1.Mz = global.At(2);

    local.At(1) = V2;
    local.At(2) = M2;
    global = t * local;
    EquForce2.Fx = global.At(0);
    EquForce2.Fy = global.At(1);
    EquForce2.Mz = global.At(2);
}

void PrescribedDisplacement::Init(const struct Node& node, double dx, double dy, double rz, bool hasDx, bool hasDy,
                                  bool hasRz)
{
    Node = node;
    Dx = dx;
    Dy = dy;
    Rz = rz;
    HasDx = hasDx;
    HasDy = hasDy;
    HasRz = hasRz;
}

void Spring_2d::Init(const struct Node& node, double k, double dirX, double dirY)
{
    K = k;
    DirX = dirX;
    DirY = dirY;
    Node = node;
    ComputeKInGlobalCS();
}

void Spring_2d::ComputeKInGlobalCS()
{
    // K n n^T, with n the unit vector of the direction, written as the
    // rotation of a spring acting along its own second axis.
    const double l = std::sqrt(DirX * DirX + DirY * DirY);
    Matrix t;
    t.Resize(2, 2);
    t.At(0) = DirY / l;
    t.At(1) = DirX / l;
    t.At(2) = -DirX / l;
    t.At(3) = DirY / l;
    Matrix local;
    local.Resize(2, 2);
    local.At(3) = K;
    Matrix tt = t;
    tt.Transpose();
    KInGlobalCS = t * local * tt;
}

void Torsional_Spring_2d::Init(const struct Node& node, double k)
{
    Node = node;
    K = k;
}
