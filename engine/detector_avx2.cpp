// The detector's block kernels built for AVX2 (four samples per 256-bit vector). Compiled
// with -mavx2 and reached only through the run-time check in detector.cpp.
#include "engine/detector_kernels.h"

namespace stellix {
namespace {
typedef double V4 __attribute__((vector_size(32)));

void midpointRest(const double* hist, int count, double* d) {
  for (int j = 0; j < count; ++j) {
    const double pt = midpointOne(hist + j);
    d[j] = pickPeak(hist[j + 32], &pt, 1);
  }
}

void phasesRest(const double* hist, int count, double* d) {
  for (int j = 0; j < count; ++j) {
    double pts[3];
    phasesOne(hist + j, pts);
    d[j] = pickPeak(hist[j + 32], pts, 3);
  }
}
}  // namespace

void detectMidpointAvx2(const double* hist, int count, double* d) noexcept {
  int j = 0;
  for (; j + 8 <= count; j += 8) midpointBlock<V4, 4, 2>(hist + j, d + j);
  midpointRest(hist + j, count - j, d + j);
}

void detectPhasesAvx2(const double* hist, int count, double* d) noexcept {
  int j = 0;
  for (; j + 8 <= count; j += 8) phasesBlock<V4, 4, 2>(hist + j, d + j);
  phasesRest(hist + j, count - j, d + j);
}

void midpointMagnitudesAvx2(const double* hist, int count, double* m) noexcept {
  int j = 0;
  for (; j + 8 <= count; j += 8) midpointMagnitudeBlock<V4, 4, 2>(hist + j, m + j);
  midpointMagnitudeRest(hist + j, count - j, m + j);
}

void phaseMagnitudesAvx2(const double* hist, int count, double* m) noexcept {
  int j = 0;
  for (; j + 8 <= count; j += 8) phasesMagnitudeBlock<V4, 4, 2>(hist + j, m + j);
  phasesMagnitudeRest(hist + j, count - j, m + j);
}

}  // namespace stellix
