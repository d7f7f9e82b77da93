#include "core/Records.h"

#include "core/Geometry.h"

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
    const double L = Length(x1 - x2, y1 - y2);
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

    // Turned into global axes as the product of the rotation (rows (c, -s,
    // 0), (s, c, 0), (0, 0, 1)) with the local vector (0, V, M), by the
    // rule of Matrix::operator*: only pairs of factors that both count
    // contribute, in order, to a sum starting at 0.
    const double t[9] = {c, -s, 0, s, c, 0, 0, 0, 1};
    auto rotate = [&t](double V, double M, force_2d& out) {
        const double local[3] = {0, V, M};
        double global[3];
        for (int i = 0; i < 3; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k)
                if (ProductCounts(t[3 * i + k], local[k]))
                    sum += t[3 * i + k] * local[k];
            global[i] = sum;
        }
        out.Fx = global[0];
        out.Fy = global[1];
        out.Mz = global[2];
    };
    rotate(V1, M1, EquForce1);
    rotate(V2, M2, EquForce2);
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
    const double l = Length(DirX, DirY);
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
