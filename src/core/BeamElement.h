#pragma once

#include "core/Matrix.h"
#include "core/Records.h"

// Straight two-node plane frame element (Euler-Bernoulli beam with axial
// stiffness). Element x runs from m_Node1 to m_Node2, element y is x turned a
// quarter turn counter-clockwise. End forces (N1, V1, M1, N2, V2, M2) are
// those the nodes exert on the element. The largest values along an element
// are sampled by the result files (reports/), its pictures drawn by
// graphics/.
class BeamElement {
public:
    BeamElement();

    void ResetResults();
    void Init(int no, Node node1, Node node2, ElementProperty prop);
    Matrix ComputeStiffness();
    void SetDistributedLoad(double q1, double q2);
    void SetDisInGlobalCS(const Matrix& node1, const Matrix& node2);
    void SetFixForInGlobalCS(const Matrix& node1, const Matrix& node2);
    void ComputeEndForces();

    // End forces in element axes, m_T transposed times m_ForInGlobalCS.
    Matrix ForInElemCS() const;
    // Global (dx, dy) of the point at fraction xi of the length from node 1.
    Matrix DisplacementAt(double xi) const;
    double MomentAt(double xi) const;
    double ShearAt(double xi) const;
    // The axial force, tension positive: N2 of the element-axis end forces
    // (which is -N1, the loads being perpendicular to the member), the same
    // at every point of it.
    double AxialForce() const;

    Matrix GetKInGlobalCS() const { return m_KInGlobalCS; }
    Matrix GetDisInGlobalCS() const { return m_DisInGlobalCS; }
    Matrix GetForInGlobalCS() const { return m_ForInGlobalCS; }

    // The element-axis end displacements and end forces that every value
    // along the element is computed from. Sampling code computes them once
    // per element and then evaluates any number of points without
    // allocating; the results are identical to DisplacementAt, MomentAt and
    // ShearAt.
    struct AxisResults {
        double u[6];  // end displacements in element axes
        double f[6];  // end forces in element axes
        double chord; // the length between the node copies
    };
    AxisResults ComputeAxisResults() const;
    void DisplacementAt(double xi, const AxisResults& axis, double out[2]) const;
    double MomentAt(double xi, const AxisResults& axis) const;
    double ShearAt(double xi, const AxisResults& axis) const;
    static double AxialForce(const AxisResults& axis) { return axis.f[3]; }

    // The plain versions of the in-place computations above, written as the
    // matrix products they stand for. Tests hold the fast versions to them,
    // bit for bit.
    Matrix ComputeStiffnessPlain();
    void ComputeEndForcesPlain();

    int m_No;
    Node m_Node1;
    Node m_Node2;
    ElementProperty m_Property;
    Matrix m_KInGlobalCS;
    Matrix m_KInElemCS;
    Matrix m_T;
    Matrix m_DisInGlobalCS;
    Matrix m_ForInGlobalCS;
    Matrix m_KDisInGlobalCS;
    Matrix m_FixForInGlobalCS;
    double m_q1;
    double m_q2;
    double m_Length;

private:
    double ChordLength() const;
    // ComputeStiffness into the given matrix, reusing its storage.
    void ComputeStiffnessInto(Matrix& global);
};

// Inline: a diagram of a large frame evaluates them at thirty stations of
// every member it draws.
inline double BeamElement::MomentAt(double xi, const AxisResults& axis) const
{
    const double L = axis.chord;
    const double x = L * xi;
    const double V1 = axis.f[1], M1 = axis.f[2];
    const double q1 = m_q1, q2 = m_q2;
    return -M1 + V1 * x + q1 * x * x / 2 + (q2 - q1) * x * x * x / (6 * L);
}

inline double BeamElement::ShearAt(double xi, const AxisResults& axis) const
{
    const double L = axis.chord;
    const double x = L * xi;
    const double V1 = axis.f[1];
    const double q1 = m_q1, q2 = m_q2;
    return V1 + q1 * x + (q2 - q1) * x * x / (2 * L);
}
