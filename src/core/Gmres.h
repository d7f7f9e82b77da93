#pragma once

#include <cstddef>
#include <functional>

// Solves A x = b by GMRES with right preconditioning: the Krylov space of
// A M^-1 is searched, and x = M^-1 y. apply(v, out) sets out = A v,
// precondition(v, out) sets out = M^-1 v (v and out never overlap); all
// vectors hold n values. x starts from 0. It stops when the residual has
// fallen by the factor tolerance, after maxIterations products, or when a
// restart of restart steps gains nothing; returns the residual's norm
// relative to b's.
//
// With M^-1 the factor of a matrix close to A, the eigenvalues of A M^-1
// cluster about 1 and a few steps suffice, also where plain refinement
// (one preconditioned step at a time) would diverge.
double Gmres(std::size_t n, const std::function<void(const double*, double*)>& apply,
             const std::function<void(const double*, double*)>& precondition, const double* b, double* x,
             double tolerance, int restart, int maxIterations);
