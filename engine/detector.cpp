#include "engine/detector.h"

#include "engine/detector_kernels.h"

namespace stellix {

#if defined(STELLIX_AVX2_KERNELS)
// detector_avx2.cpp, built for AVX2; called only when the CPU has it.
void detectMidpointAvx2(const double* hist, int count, double* d) noexcept;
void detectPhasesAvx2(const double* hist, int count, double* d) noexcept;
void midpointMagnitudesAvx2(const double* hist, int count, double* m) noexcept;
void phaseMagnitudesAvx2(const double* hist, int count, double* m) noexcept;
#endif

namespace {

#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define STELLIX_SSE2_KERNELS 1
typedef double V2 __attribute__((vector_size(16)));
#endif

bool cpuHasAvx2() noexcept {
#if defined(STELLIX_AVX2_KERNELS)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

void phasesScalar(const double* hist, int count, double* d) noexcept {
  for (int j = 0; j < count; ++j) {
    double pts[3];
    phasesOne(hist + j, pts);
    d[j] = pickPeak(hist[j + 32], pts, 3);
  }
}

void midpointScalar(const double* hist, int count, double* d) noexcept {
  for (int j = 0; j < count; ++j) {
    const double pt = midpointOne(hist + j);
    d[j] = pickPeak(hist[j + 32], &pt, 1);
  }
}

}  // namespace

bool simdPathAvailable(SimdPath path) noexcept {
  switch (path) {
    case SimdPath::Scalar: return true;
    case SimdPath::Sse2:
#if defined(STELLIX_SSE2_KERNELS)
      return true;
#else
      return false;
#endif
    case SimdPath::Avx2: return cpuHasAvx2();
  }
  return false;
}

SimdPath bestSimdPath() noexcept {
  if (simdPathAvailable(SimdPath::Avx2)) return SimdPath::Avx2;
  if (simdPathAvailable(SimdPath::Sse2)) return SimdPath::Sse2;
  return SimdPath::Scalar;
}

double interpolateMidpoint(const double* window) noexcept { return midpointOne(window); }

void interpolatePhases(const double* window, double out[3]) noexcept { phasesOne(window, out); }

void detectPlain(const double* hist, int count, double* d) noexcept {
  for (int j = 0; j < count; ++j) d[j] = detectorFloor(hist[j + 32]);
}

void detectMidpoint(const double* hist, int count, double* d, SimdPath path) noexcept {
#if defined(STELLIX_AVX2_KERNELS)
  if (path == SimdPath::Avx2 && cpuHasAvx2()) return detectMidpointAvx2(hist, count, d);
#endif
#if defined(STELLIX_SSE2_KERNELS)
  if (path != SimdPath::Scalar) {
    int j = 0;
    for (; j + 4 <= count; j += 4) midpointBlock<V2, 2, 2>(hist + j, d + j);
    return midpointScalar(hist + j, count - j, d + j);
  }
#endif
  (void)path;
  midpointScalar(hist, count, d);
}

void detectPhases(const double* hist, int count, double* d, SimdPath path) noexcept {
#if defined(STELLIX_AVX2_KERNELS)
  if (path == SimdPath::Avx2 && cpuHasAvx2()) return detectPhasesAvx2(hist, count, d);
#endif
#if defined(STELLIX_SSE2_KERNELS)
  if (path != SimdPath::Scalar) {
    int j = 0;
    for (; j + 4 <= count; j += 4) phasesBlock<V2, 2, 2>(hist + j, d + j);
    return phasesScalar(hist + j, count - j, d + j);
  }
#endif
  (void)path;
  phasesScalar(hist, count, d);
}

void midpointMagnitudes(const double* hist, int count, double* m, SimdPath path) noexcept {
#if defined(STELLIX_AVX2_KERNELS)
  if (path == SimdPath::Avx2 && cpuHasAvx2()) return midpointMagnitudesAvx2(hist, count, m);
#endif
#if defined(STELLIX_SSE2_KERNELS)
  if (path != SimdPath::Scalar) {
    int j = 0;
    for (; j + 4 <= count; j += 4) midpointMagnitudeBlock<V2, 2, 2>(hist + j, m + j);
    return midpointMagnitudeRest(hist + j, count - j, m + j);
  }
#endif
  (void)path;
  midpointMagnitudeRest(hist, count, m);
}

void phaseMagnitudes(const double* hist, int count, double* m, SimdPath path) noexcept {
#if defined(STELLIX_AVX2_KERNELS)
  if (path == SimdPath::Avx2 && cpuHasAvx2()) return phaseMagnitudesAvx2(hist, count, m);
#endif
#if defined(STELLIX_SSE2_KERNELS)
  if (path != SimdPath::Scalar) {
    int j = 0;
    for (; j + 4 <= count; j += 4) phasesMagnitudeBlock<V2, 2, 2>(hist + j, m + j);
    return phasesMagnitudeRest(hist + j, count - j, m + j);
  }
#endif
  (void)path;
  phasesMagnitudeRest(hist, count, m);
}

}  // namespace stellix
