#include "core/BeamElement.h"

#include "core/Geometry.h"

#include <cmath>
#include <initializer_list>

namespace {

// One entry of a product with the rule of Matrix::operator*: the sum, in
// order, of a[k * strideA] * b[k * strideB] over the pairs whose factors
// both count. The element matrices are mostly zeros, always in the same
// places, so the tests for exact zeros (which never count) are branches
// that predict well and spare the rest.
double CountedDot(const double* a, int strideA, const double* b, int strideB, int n)
{
    double sum = 0.0;
    for (int k = 0; k < n; ++k) {
        const double x = a[k * strideA];
        const double y = b[k * strideB];
        if (x == 0 || y == 0)
            continue;
        if (ProductCounts(x, y))
            sum += x * y;
    }
    return sum;
}

// result[i] = sum over k of (m transposed)(i, k) * v[k], with the product
// rule, for a 6 x 6 m stored row-major.
void TransposedTimes(const Matrix& m, const Matrix& v, double result[6])
{
    for (int i = 0; i < 6; ++i)
        result[i] = CountedDot(m.Data() + i, 6, v.Data(), 1, 6);
}

// One factor's half of ProductCounts, without branches.
bool Counts(double x)
{
    return std::fabs(x) > kProductZero;
}

// x * y when the pair counts, else +0.0: adding +0.0 to a sum that starts
// at +0.0 (and so is never -0.0) is the same as leaving the term out.
double Term(double x, double y)
{
    return Counts(x) && Counts(y) ? x * y : 0.0;
}

// Whether every entry of a 6 x 6 matrix outside the two 2 x 2 rotation
// blocks and the two unit diagonal places (the non-zero entries of a
// rotation from ComputeStiffness) is exactly zero.
bool HasRotationZeros(const double* t)
{
    // Bit i set: entry i may be non-zero.
    constexpr unsigned long long kRotationEntries = (1ULL << 0) | (1ULL << 1) | (1ULL << 6) | (1ULL << 7) |
                                                    (1ULL << 14) | (1ULL << 21) | (1ULL << 22) | (1ULL << 27) |
                                                    (1ULL << 28) | (1ULL << 35);
    bool zeros = true;
    for (int i = 0; i < 36; ++i)
        if (!((kRotationEntries >> i) & 1))
            zeros = zeros & (t[i] == 0);
    return zeros;
}

// TransposedTimes for an m with the zeros of a rotation: every other term
// has an exact zero factor and never counts, so each entry is the sum of
// the (at most two) remaining terms, in the full sum's order.
void RotationTransposedTimes(const double* t, const double* v, double result[6])
{
    for (int b = 0; b < 6; b += 3) {
        const double* r = t + b * 6 + b; // the block's first entry
        double sum = 0.0;
        sum += Term(r[0], v[b]);
        sum += Term(r[6], v[b + 1]);
        result[b] = sum;
        sum = 0.0;
        sum += Term(r[1], v[b]);
        sum += Term(r[7], v[b + 1]);
        result[b + 1] = sum;
        result[b + 2] = 0.0 + Term(r[14], v[b + 2]);
    }
}

bool IsSixBySix(const Matrix& m)
{
    return m.GetRows() == 6 && m.GetCols() == 6 && m.m_Data.size() == 36;
}

bool IsSixVector(const Matrix& m)
{
    return m.GetRows() == 6 && m.GetCols() == 1 && m.m_Data.size() == 6;
}

} // namespace

BeamElement::BeamElement() : m_No(0), m_q1(0), m_q2(0), m_Length(0)
{
    ResetResults();
}

void BeamElement::ResetResults()
{
    m_DisInGlobalCS.Resize(6, 1);
    m_ForInGlobalCS.Resize(6, 1);
    m_KDisInGlobalCS.Resize(6, 1);
    m_FixForInGlobalCS.Resize(6, 1);
    m_q1 = 0;
    m_q2 = 0;
}

void BeamElement::Init(int no, Node node1, Node node2, ElementProperty prop)
{
    m_No = no;
    m_Node1 = node1;
    m_Node2 = node2;
    m_Property = prop;
    ComputeStiffnessInto(m_KInGlobalCS);
}

double BeamElement::ChordLength() const
{
    const double x1 = m_Node1.x, y1 = m_Node1.y, x2 = m_Node2.x, y2 = m_Node2.y;
    return Length(x1 - x2, y1 - y2);
}

Matrix BeamElement::ComputeStiffness()
{
    Matrix global;
    ComputeStiffnessInto(global);
    return global;
}

void BeamElement::ComputeStiffnessInto(Matrix& global)
{
    const double L = ChordLength();
    m_Length = L;
    const double E = m_Property.E, A = m_Property.A, I = m_Property.I;

    // The bending terms are written with E / L as a factor; the order of the
    // operations is part of the results' last digits.
    const double ea = E / L * A;
    const double k12 = I * 12 / L / L * (E / L);
    const double k6 = I * 6 / L * (E / L);
    const double k4 = I * 4 * (E / L);
    const double k2 = (I + I) * (E / L);

    // k and t are built in the element's own matrices.
    for (Matrix* m : {&m_KInElemCS, &m_T, &global})
        if (!IsSixBySix(*m))
            m->Resize(6, 6);
    double* k = m_KInElemCS.Data();
    for (int i = 0; i < 36; ++i)
        k[i] = 0;
    auto set = [k](int i, int j, double v) { k[i * 6 + j] = v; };
    set(0, 0, ea);
    set(0, 3, -ea);
    set(1, 1, k12);
    set(1, 2, k6);
    set(1, 4, -k12);
    set(1, 5, k6);
    set(2, 2, k4);
    set(2, 4, -k6);
    set(2, 5, k2);
    set(3, 3, ea);
    set(4, 4, k12);
    set(4, 5, -k6);
    set(5, 5, k4);
    for (int i = 1; i < 6; ++i)
        for (int j = 0; j < i; ++j)
            k[i * 6 + j] = k[j * 6 + i];

    const double c = (m_Node2.x - m_Node1.x) / L;
    const double s = (m_Node2.y - m_Node1.y) / L;
    double* t = m_T.Data();
    for (int i = 0; i < 36; ++i)
        t[i] = 0;
    t[0] = c;
    t[1] = -s;
    t[6] = s;
    t[7] = c;
    t[14] = 1;
    t[21] = c;
    t[22] = -s;
    t[27] = s;
    t[28] = c;
    t[35] = 1;

    // (t * k) * (t transposed) by the rule of the Matrix product, without
    // temporaries: elements are initialised by the hundred thousand. Row i
    // of t has its non-zero entries only in i's own block of three, at most
    // two of them, so every entry of either product is a sum of at most two
    // terms, taken in the order of the full sum; all the others have an
    // exact zero factor and never count.
    auto one = [](double x, double y) { return 0.0 + Term(x, y); };
    auto two = [](double x1, double y1, double x2, double y2) {
        double sum = 0.0;
        sum += Term(x1, y1);
        sum += Term(x2, y2);
        return sum;
    };
    double tk[36];
    for (int block = 0; block < 6; block += 3) {
        for (int j = 0; j < 6; ++j) {
            const double k0 = k[(block + 0) * 6 + j], k1 = k[(block + 1) * 6 + j], k2 = k[(block + 2) * 6 + j];
            tk[(block + 0) * 6 + j] = two(c, k0, -s, k1);
            tk[(block + 1) * 6 + j] = two(s, k0, c, k1);
            tk[(block + 2) * 6 + j] = one(1.0, k2);
        }
    }
    // Column j of t transposed is row j of t.
    double* g = global.Data();
    for (int i = 0; i < 6; ++i) {
        const double* row = tk + i * 6;
        for (int block = 0; block < 6; block += 3) {
            g[i * 6 + block + 0] = two(row[block], c, row[block + 1], -s);
            g[i * 6 + block + 1] = two(row[block], s, row[block + 1], c);
            g[i * 6 + block + 2] = one(row[block + 2], 1.0);
        }
    }
}

Matrix BeamElement::ComputeStiffnessPlain()
{
    const double L = ChordLength();
    m_Length = L;
    const double E = m_Property.E, A = m_Property.A, I = m_Property.I;
    const double ea = E / L * A;
    const double k12 = I * 12 / L / L * (E / L);
    const double k6 = I * 6 / L * (E / L);
    const double k4 = I * 4 * (E / L);
    const double k2 = (I + I) * (E / L);
    Matrix& k = m_KInElemCS;
    k.Resize(6, 6);
    const double upper[6][6] = {{ea, 0, 0, -ea, 0, 0}, {0, k12, k6, 0, -k12, k6}, {0, 0, k4, 0, -k6, k2},
                                {0, 0, 0, ea, 0, 0},   {0, 0, 0, 0, k12, -k6},    {0, 0, 0, 0, 0, k4}};
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            k.At(i * 6 + j) = j >= i ? upper[i][j] : upper[j][i];

    const double c = (m_Node2.x - m_Node1.x) / L;
    const double s = (m_Node2.y - m_Node1.y) / L;
    m_T.Resize(6, 6);
    for (int b = 0; b < 6; b += 3) {
        m_T.At(b * 6 + b) = c;
        m_T.At(b * 6 + b + 1) = -s;
        m_T.At((b + 1) * 6 + b) = s;
        m_T.At((b + 1) * 6 + b + 1) = c;
        m_T.At((b + 2) * 6 + b + 2) = 1;
    }
    Matrix tt = m_T;
    tt.Transpose();
    return (m_T * k) * tt;
}

void BeamElement::ComputeEndForcesPlain()
{
    m_KDisInGlobalCS = m_KInGlobalCS * m_DisInGlobalCS;
    m_ForInGlobalCS = m_KDisInGlobalCS + m_FixForInGlobalCS;
}

void BeamElement::SetDistributedLoad(double q1, double q2)
{
    m_q1 = q1;
    m_q2 = q2;
}

void BeamElement::SetDisInGlobalCS(const Matrix& node1, const Matrix& node2)
{
    for (int i = 0; i < 3; ++i) {
        m_DisInGlobalCS.At(i) = node1.At(i);
        m_DisInGlobalCS.At(i + 3) = node2.At(i);
    }
}

void BeamElement::SetFixForInGlobalCS(const Matrix& node1, const Matrix& node2)
{
    for (int i = 0; i < 3; ++i) {
        m_FixForInGlobalCS.At(i) = node1.At(i);
        m_FixForInGlobalCS.At(i + 3) = node2.At(i);
    }
}

void BeamElement::ComputeEndForces()
{
    if (!IsSixBySix(m_KInGlobalCS) || !IsSixVector(m_DisInGlobalCS) || !IsSixVector(m_FixForInGlobalCS)) {
        // Not the shapes an initialised element has: the Matrix operations
        // report the mismatch.
        ComputeEndForcesPlain();
        return;
    }
    // The same products and sums in place, without a matrix per element.
    if (!IsSixVector(m_KDisInGlobalCS))
        m_KDisInGlobalCS.Resize(6, 1);
    if (!IsSixVector(m_ForInGlobalCS))
        m_ForInGlobalCS.Resize(6, 1);
    const double* k = m_KInGlobalCS.Data();
    const double* d = m_DisInGlobalCS.Data();
    const double* fix = m_FixForInGlobalCS.Data();
    double* kd = m_KDisInGlobalCS.Data();
    double* f = m_ForInGlobalCS.Data();
    for (int i = 0; i < 6; ++i) {
        double sum = 0.0;
        for (int j = 0; j < 6; ++j)
            sum += Term(k[i * 6 + j], d[j]);
        kd[i] = sum;
    }
    for (int i = 0; i < 6; ++i)
        f[i] = fix[i] + kd[i];
}

Matrix BeamElement::ForInElemCS() const
{
    Matrix tt = m_T;
    tt.Transpose();
    return tt * m_ForInGlobalCS;
}

BeamElement::AxisResults BeamElement::ComputeAxisResults() const
{
    AxisResults axis{};
    // An element that was never initialised has no rotation yet: its axis
    // values stay zeros rather than being read from matrices too small.
    const bool initialised = IsSixBySix(m_T) && IsSixVector(m_DisInGlobalCS) && IsSixVector(m_ForInGlobalCS);
    if (initialised && HasRotationZeros(m_T.Data())) {
        RotationTransposedTimes(m_T.Data(), m_DisInGlobalCS.Data(), axis.u);
        RotationTransposedTimes(m_T.Data(), m_ForInGlobalCS.Data(), axis.f);
    } else if (initialised) {
        TransposedTimes(m_T, m_DisInGlobalCS, axis.u);
        TransposedTimes(m_T, m_ForInGlobalCS, axis.f);
    }
    axis.chord = ChordLength();
    return axis;
}

void BeamElement::DisplacementAt(double xi, const AxisResults& axis, double out[2]) const
{
    const double L = axis.chord;
    const double x = L * xi;
    const double* u = axis.u;
    const double V1 = axis.f[1], M1 = axis.f[2];
    const double q1 = m_q1, q2 = m_q2;
    const double E = m_Property.E, I = m_Property.I;

    const double a = u[0] + xi * (u[3] - u[0]);
    const double v = u[1] + u[2] * x - M1 * x * x / (2 * E * I) + V1 * x * x * x / (6 * E * I) +
                     x * x * x * x * ((q2 - q1) * x + 5 * q1 * L) / (120 * E * I * L);

    // The first two entries of m_T * (a, v, 0, 0, 0, 0), with the product rule.
    const double w[2] = {a, v};
    for (int i = 0; i < 2; ++i) {
        double sum = 0.0;
        for (int k = 0; k < 2; ++k) {
            const double t = m_T.At(i * 6 + k);
            if (ProductCounts(t, w[k]))
                sum += t * w[k];
        }
        out[i] = sum;
    }
}

Matrix BeamElement::DisplacementAt(double xi) const
{
    double out[2];
    DisplacementAt(xi, ComputeAxisResults(), out);
    Matrix result;
    result.Resize(2, 1);
    result.At(0) = out[0];
    result.At(1) = out[1];
    return result;
}

double BeamElement::MomentAt(double xi) const
{
    return MomentAt(xi, ComputeAxisResults());
}

double BeamElement::ShearAt(double xi) const
{
    return ShearAt(xi, ComputeAxisResults());
}

double BeamElement::AxialForce() const
{
    return AxialForce(ComputeAxisResults());
}
