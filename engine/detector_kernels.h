// Block kernels of the reconstructing detector, shared by the per-instruction-set
// translation units. Everything here has internal linkage: each unit compiles its own copy
// for its own instruction set, so no out-of-line copy built for a wider set can be picked
// by the linker for a narrower caller. Uses no library functions for the same reason.
#pragma once

#include "engine/interpolator_tables.h"

namespace stellix {
namespace {

// Reconstructed peak of one sample: the largest magnitude among the centre sample and the
// interpolated points (a later one wins only when strictly larger), raised by 0.1 %, floored.
inline double pickPeak(double s, const double* points, int n) {
  double p = s;
  double ap = __builtin_fabs(s);
  for (int i = 0; i < n; ++i) {
    const double a = __builtin_fabs(points[i]);
    if (a > ap) {
      p = points[i];
      ap = a;
    }
  }
  p = p * 1.001;
  const double m = __builtin_fabs(p) - 1e-5;
  return (m > 0.0 ? m : 0.0) + 1e-5;
}

// The three 4x phases of Lanes * Groups consecutive samples, one sample per lane.
// V is a vector of Lanes doubles (GCC vector extension).
template <typename V, int Lanes, int Groups>
inline void phasesBlock(const double* hist, double* d) {
  const auto& P = interp::kPhase.p;
  V acc[3][Groups];
  for (int g = 0; g < Groups; ++g) {
    V x;
    __builtin_memcpy(&x, hist + g * Lanes, sizeof x);
    for (int ph = 0; ph < 3; ++ph) acc[ph][g] = x * P[ph][0];
  }
  for (int k = 1; k < 64; ++k) {
    for (int g = 0; g < Groups; ++g) {
      V x;
      __builtin_memcpy(&x, hist + k + g * Lanes, sizeof x);
      for (int ph = 0; ph < 3; ++ph) acc[ph][g] = acc[ph][g] + x * P[ph][k];
    }
  }
  for (int g = 0; g < Groups; ++g) {
    for (int l = 0; l < Lanes; ++l) {
      const int j = g * Lanes + l;
      const double pts[3] = {acc[0][g][l], acc[1][g][l], acc[2][g][l]};
      d[j] = pickPeak(hist[j + 32], pts, 3);
    }
  }
}

// The 2x midpoint of Lanes * Groups consecutive samples, one sample per lane.
template <typename V, int Lanes, int Groups>
inline void midpointBlock(const double* hist, double* d) {
  const auto& C = interp::kC2.c;
  V acc[Groups];
  for (int g = 0; g < Groups; ++g) {
    V a, b;
    __builtin_memcpy(&a, hist + g * Lanes, sizeof a);
    __builtin_memcpy(&b, hist + 63 + g * Lanes, sizeof b);
    acc[g] = (a + b) * C[0];
  }
  for (int k = 1; k < 32; ++k) {
    for (int g = 0; g < Groups; ++g) {
      V a, b;
      __builtin_memcpy(&a, hist + k + g * Lanes, sizeof a);
      __builtin_memcpy(&b, hist + 63 - k + g * Lanes, sizeof b);
      acc[g] = acc[g] + (a + b) * C[k];
    }
  }
  for (int g = 0; g < Groups; ++g) {
    for (int l = 0; l < Lanes; ++l) {
      const int j = g * Lanes + l;
      const double pt = acc[g][l];
      d[j] = pickPeak(hist[j + 32], &pt, 1);
    }
  }
}

// One sample on the scalar path: the reference every vector lane reproduces.
inline void phasesOne(const double* w, double out[3]) {
  const auto& P = interp::kPhase.p;
  for (int ph = 0; ph < 3; ++ph) {
    double acc = w[0] * P[ph][0];
    for (int k = 1; k < 64; ++k) acc = acc + w[k] * P[ph][k];
    out[ph] = acc;
  }
}

inline double midpointOne(const double* w) {
  const auto& C = interp::kC2.c;
  double acc = (w[0] + w[63]) * C[0];
  for (int k = 1; k < 32; ++k) acc = acc + (w[k] + w[63 - k]) * C[k];
  return acc;
}

}  // namespace
}  // namespace stellix
