#include "core/Gmres.h"

#include <cmath>
#include <vector>

namespace {

double Dot(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

} // namespace

double Gmres(std::size_t n, const std::function<void(const double*, double*)>& apply,
             const std::function<void(const double*, double*)>& precondition, const double* b, double* x,
             double tolerance, int restart, int maxIterations)
{
    for (std::size_t i = 0; i < n; ++i)
        x[i] = 0;
    double bNorm = 0;
    for (std::size_t i = 0; i < n; ++i)
        bNorm += b[i] * b[i];
    bNorm = std::sqrt(bNorm);
    if (!(bNorm > 0) || !std::isfinite(bNorm))
        return 0;

    const std::size_t m = static_cast<std::size_t>(restart > 0 ? restart : 1);
    std::vector<std::vector<double>> v(m + 1, std::vector<double>(n));
    std::vector<std::vector<double>> h(m + 1, std::vector<double>(m, 0.0));
    std::vector<double> cs(m), sn(m), g(m + 1), y(m), z(n), w(n), r(n);
    double relative = 1;
    int products = 0;
    while (products < maxIterations) {
        // r = b - A x
        apply(x, r.data());
        ++products;
        double beta = 0;
        for (std::size_t i = 0; i < n; ++i) {
            r[i] = b[i] - r[i];
            beta += r[i] * r[i];
        }
        beta = std::sqrt(beta);
        relative = beta / bNorm;
        if (!(relative > tolerance) || !std::isfinite(relative))
            break;
        for (std::size_t i = 0; i < n; ++i)
            v[0][i] = r[i] / beta;
        std::fill(g.begin(), g.end(), 0.0);
        g[0] = beta;
        std::size_t k = 0;
        for (; k < m && products < maxIterations; ++k) {
            precondition(v[k].data(), z.data());
            apply(z.data(), w.data());
            ++products;
            // Modified Gram-Schmidt against the basis so far.
            for (std::size_t j = 0; j <= k; ++j) {
                h[j][k] = Dot(w, v[j]);
                for (std::size_t i = 0; i < n; ++i)
                    w[i] -= h[j][k] * v[j][i];
            }
            h[k + 1][k] = std::sqrt(Dot(w, w));
            if (h[k + 1][k] > 0)
                for (std::size_t i = 0; i < n; ++i)
                    v[k + 1][i] = w[i] / h[k + 1][k];
            // The earlier rotations, then one that zeroes h[k + 1][k].
            for (std::size_t j = 0; j < k; ++j) {
                const double t = cs[j] * h[j][k] + sn[j] * h[j + 1][k];
                h[j + 1][k] = -sn[j] * h[j][k] + cs[j] * h[j + 1][k];
                h[j][k] = t;
            }
            const double d = std::hypot(h[k][k], h[k + 1][k]);
            cs[k] = d > 0 ? h[k][k] / d : 1;
            sn[k] = d > 0 ? h[k + 1][k] / d : 0;
            h[k][k] = d;
            h[k + 1][k] = 0;
            g[k + 1] = -sn[k] * g[k];
            g[k] = cs[k] * g[k];
            if (!(std::fabs(g[k + 1]) / bNorm > tolerance) || !(h[k + 1][k] >= 0)) {
                ++k;
                break;
            }
        }
        // y from the triangular system, x += M^-1 (V y).
        for (std::size_t i = k; i-- > 0;) {
            double sum = g[i];
            for (std::size_t j = i + 1; j < k; ++j)
                sum -= h[i][j] * y[j];
            y[i] = h[i][i] != 0 ? sum / h[i][i] : 0;
        }
        std::fill(w.begin(), w.end(), 0.0);
        for (std::size_t j = 0; j < k; ++j)
            for (std::size_t i = 0; i < n; ++i)
                w[i] += y[j] * v[j][i];
        precondition(w.data(), z.data());
        for (std::size_t i = 0; i < n; ++i)
            x[i] += z[i];
        const double estimate = std::fabs(g[k]) / bNorm;
        const bool gained = estimate < relative * 0.999;
        relative = estimate;
        if (!gained)
            break; // a whole restart gained nothing
    }
    return relative;
}
