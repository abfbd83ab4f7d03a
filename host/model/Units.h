// Conversions between the units the project keeps and the ones the protocol speaks: seconds and
// ticks of a time scale, downsample factors and the sizes they give.
#pragma once

#include <algorithm>
#include <cmath>

#include "AE_Effect.h"

namespace orvane::host {

// A time in seconds as ticks of `scale`, rounded to the nearest tick.
inline A_Time Ticks(double seconds, A_u_long scale) {
  return A_Time{A_long(std::lround(seconds * scale)), scale};
}

// A downsample factor as a number; one without a denominator (or not positive) is full size.
inline double Factor(PF_RationalScale r) {
  return r.den && r.num > 0 ? double(r.num) / r.den : 1.0;
}

// A size at a downsample factor, at least one pixel.
inline A_long Scaled(A_long size, PF_RationalScale r) {
  return std::max<A_long>(1, A_long(std::ceil(size * Factor(r))));
}

}  // namespace orvane::host
