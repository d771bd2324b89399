// Peak detector of the limiter: plain sample peaks or inter-sample peaks reconstructed by
// the 2x or 4x interpolators, with the 1e-5 floor.
//
// The block functions work on a history of levelled samples: hist[0 .. 62] are the 63 samples
// before the block, hist[63 .. 63 + count - 1] the block. Sample j of the block is judged on
// the 64-sample window hist[j .. j + 63] (oldest first), whose centre hist[j + 32] is the
// sample 31 steps older than the newest one.
//
// Every vector path computes each sample's sums exactly as the scalar path does (same terms,
// same order, one sample per lane), so all paths give the same bits.
#pragma once

#include "engine/vec.h"

namespace stellix {

enum class SimdPath { Scalar, Sse2, Avx2 };

// Whether this build and this CPU can run a path. Scalar is always available.
bool simdPathAvailable(SimdPath path) noexcept;
// The widest available path.
SimdPath bestSimdPath() noexcept;

// Scalar interpolators on one 64-sample window (oldest first), also used by the meters.
// The 2x midpoint between window[31] and window[32].
double interpolateMidpoint(const double* window) noexcept;
// The three 4x points between window[32] and window[31]: out[0] nearest window[32].
void interpolatePhases(const double* window, double out[3]) noexcept;

// Detector value of a reconstructed or plain peak: max(|p|, 1e-5), computed as
// max(|p| - 1e-5, 0) + 1e-5.
inline double detectorFloor(double p) noexcept { return maxOf(__builtin_fabs(p) - 1e-5, 0.0) + 1e-5; }

// Largest magnitude among the interpolated points of each block sample (layout above): the
// 2x midpoint, or the three 4x phases; without the centre sample, the 0.1 % and the floor.
// The output meters' reconstructed peaks, on the same sums as the detector.
void midpointMagnitudes(const double* hist, int count, double* m, SimdPath path) noexcept;
void phaseMagnitudes(const double* hist, int count, double* m, SimdPath path) noexcept;

// Detector values d[0 .. count - 1] for a block (layout above).
void detectPlain(const double* hist, int count, double* d) noexcept;
void detectMidpoint(const double* hist, int count, double* d, SimdPath path) noexcept;
void detectPhases(const double* hist, int count, double* d, SimdPath path) noexcept;

}  // namespace stellix
