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

// pickPeak() for a vector of samples, without branches; each lane matches pickPeak().
template <typename V>
inline V pickPeakLanes(V s, const V* points, int n) {
  const V zero = s - s;
  V p = s;
  V ap = s < zero ? -s : s;
  for (int i = 0; i < n; ++i) {
    const V a = points[i] < zero ? -points[i] : points[i];
    const auto wins = a > ap;
    p = wins ? points[i] : p;
    ap = wins ? a : ap;
  }
  p = p * 1.001;
  V m = (p < zero ? -p : p) - 1e-5;
  m = m > zero ? m : zero;
  return m + 1e-5;
}

// The three 4x phases of Lanes * Groups consecutive samples, one sample per lane: lane l of
// acc[ph][g] is phase ph of sample g * Lanes + l. V is a vector of Lanes doubles (GCC vector
// extension).
template <typename V, int Lanes, int Groups>
inline void phasesSums(const double* hist, V (&acc)[3][Groups]) {
  const auto& P = interp::kPhase.p;
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
}

template <typename V>
inline V magnitudeLanes(V x) {
  const V zero = x - x;
  return x < zero ? -x : x;
}

// Detector values of Lanes * Groups consecutive samples from their 4x phases.
template <typename V, int Lanes, int Groups>
inline void phasesBlock(const double* hist, double* d) {
  V acc[3][Groups];
  phasesSums<V, Lanes, Groups>(hist, acc);
  for (int g = 0; g < Groups; ++g) {
    V s;
    __builtin_memcpy(&s, hist + 32 + g * Lanes, sizeof s);
    const V pts[3] = {acc[0][g], acc[1][g], acc[2][g]};
    const V r = pickPeakLanes(s, pts, 3);
    __builtin_memcpy(d + g * Lanes, &r, sizeof r);
  }
}

// Largest magnitude among the 4x phases of Lanes * Groups consecutive samples.
template <typename V, int Lanes, int Groups>
inline void phasesMagnitudeBlock(const double* hist, double* m) {
  V acc[3][Groups];
  phasesSums<V, Lanes, Groups>(hist, acc);
  for (int g = 0; g < Groups; ++g) {
    V a = magnitudeLanes(acc[0][g]);
    for (int ph = 1; ph < 3; ++ph) {
      const V b = magnitudeLanes(acc[ph][g]);
      a = b > a ? b : a;
    }
    __builtin_memcpy(m + g * Lanes, &a, sizeof a);
  }
}

// The 2x midpoint of Lanes * Groups consecutive samples, one sample per lane.
template <typename V, int Lanes, int Groups>
inline void midpointSums(const double* hist, V (&acc)[Groups]) {
  const auto& C = interp::kC2.c;
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
}

// Detector values of Lanes * Groups consecutive samples from their 2x midpoints.
template <typename V, int Lanes, int Groups>
inline void midpointBlock(const double* hist, double* d) {
  V acc[Groups];
  midpointSums<V, Lanes, Groups>(hist, acc);
  for (int g = 0; g < Groups; ++g) {
    V s;
    __builtin_memcpy(&s, hist + 32 + g * Lanes, sizeof s);
    const V r = pickPeakLanes(s, &acc[g], 1);
    __builtin_memcpy(d + g * Lanes, &r, sizeof r);
  }
}

// Magnitude of the 2x midpoints of Lanes * Groups consecutive samples.
template <typename V, int Lanes, int Groups>
inline void midpointMagnitudeBlock(const double* hist, double* m) {
  V acc[Groups];
  midpointSums<V, Lanes, Groups>(hist, acc);
  for (int g = 0; g < Groups; ++g) {
    const V a = magnitudeLanes(acc[g]);
    __builtin_memcpy(m + g * Lanes, &a, sizeof a);
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

// Largest magnitude among the interpolated points of `count` samples, one at a time, with
// the same comparisons as the vector lanes.
inline double magnitudeOne(double x) { return x < 0.0 ? -x : x; }

inline void phasesMagnitudeRest(const double* hist, int count, double* m) {
  for (int j = 0; j < count; ++j) {
    double pts[3];
    phasesOne(hist + j, pts);
    double a = magnitudeOne(pts[0]);
    for (int ph = 1; ph < 3; ++ph) {
      const double b = magnitudeOne(pts[ph]);
      a = b > a ? b : a;
    }
    m[j] = a;
  }
}

inline void midpointMagnitudeRest(const double* hist, int count, double* m) {
  for (int j = 0; j < count; ++j) m[j] = magnitudeOne(midpointOne(hist + j));
}

}  // namespace
}  // namespace stellix
