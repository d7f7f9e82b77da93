#pragma once

#include <cmath>
#include <limits>

// The length of (dx, dy), computed as sqrt(dx * dx + dy * dy): that is how
// every length of the model is defined, and its last bit shows in the
// results. Only where the squares overflow or underflow (a length beyond
// about 1e154 or below 1e-154), which would give an infinite, zero or
// inexact length, the exactly scaled hypot takes over.
inline double Length(double dx, double dy)
{
    const double squares = dx * dx + dy * dy;
    if (squares >= std::numeric_limits<double>::min() && squares <= std::numeric_limits<double>::max())
        return std::sqrt(squares);
    return std::hypot(dx, dy);
}
