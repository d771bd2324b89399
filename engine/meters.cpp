#include "engine/meters.h"

#include <cmath>
#include <cstring>

namespace stellix {
namespace {

// Magnitude rounded to single precision, as the peaks are kept and shown.
inline Pair magnitudeF(Pair x) noexcept {
  typedef float F2 __attribute__((vector_size(8)));
  typedef long long Bits __attribute__((vector_size(16)));
  const Pair a = reinterpret_cast<Pair>(reinterpret_cast<Bits>(x) & 0x7fffffffffffffffLL);  // fabs
  return __builtin_convertvector(__builtin_convertvector(a, F2), Pair);
}

// a < b ? a : b per lane.
inline Pair minOf(Pair a, Pair b) noexcept { return a < b ? a : b; }

}  // namespace

Meters::Meters() noexcept : simd_(bestSimdPath()) { reset(); }

void Meters::reset() noexcept {
  for (int r = 0; r < kReadings; ++r) set(r, r >= kHoldL ? 1.0 : 0.0);
  requests_.store(0, std::memory_order_relaxed);
  std::memset(hist_, 0, sizeof hist_);
  std::memset(recon_, 0, sizeof recon_);
}

void Meters::snapshot(float out[kReadings]) noexcept {
  for (int r = 0; r < kReadings; ++r) {
    const double x = get(r);
    out[r] = static_cast<float>(r >= kInRmsL && r <= kOutRmsR ? std::sqrt(2.0 * x) : x);
  }
  // Release: the readings above are taken before the audio thread can see the request.
  requests_.fetch_or(kReadRequest, std::memory_order_release);
}

void Meters::resetHolds() noexcept {
  set(kHoldL, 1.0);
  set(kHoldR, 1.0);
  requests_.fetch_or(kHoldRequest, std::memory_order_release);
}

void Meters::handshake() noexcept {
  if (requests_.load(std::memory_order_relaxed) == 0) return;
  const std::uint8_t req = requests_.exchange(0, std::memory_order_acquire);
  if (req & kReadRequest) {
    set(kInPeakL, 0.0);
    set(kInPeakR, 0.0);
    set(kOutPeakL, 0.0);
    set(kOutPeakR, 0.0);
  }
  if (req != 0) {
    set(kHoldL, 1.0);
    set(kHoldR, 1.0);
  }
}

// Largest reconstructed magnitude per block sample and channel, from the detector's kernels.
void Meters::reconstruct(int count, int recon) noexcept {
  for (int ch = 0; ch < 2; ++ch) {
    if (recon == 1) {
      midpointMagnitudes(hist_[ch], count, recon_[ch], simd_);
    } else {
      phaseMagnitudes(hist_[ch], count, recon_[ch], simd_);
    }
  }
}

// Glossary (per channel ch; the readings are kept in locals and published every sample):
//   hist      output history: 63 earlier outputs, then the block; the window of block sample
//             j is hist[j .. j + 63], its centre hist[j + 32] the output 31 samples back
//   recon_    largest magnitude among the interpolated points between that centre and its
//             predecessor (2x: the midpoint; 4x: three quarter points)
//   x         input sample: raw input times inScale; its mean square uses it unrounded
//   y         output magnitude rounded to single precision: the current output, or with
//             reconstruction the centre sample (the reconstructed meter runs 31 samples late)
//   inPk, outPk, inMs, outMs, hold: the readings
void Meters::limiterBlock(int count, const Pair* raw, double inScale, const Pair* gr, int recon,
                          double c) noexcept {
  if (recon != 0) reconstruct(count, recon);
  // Both channels as the lanes of a pair; each lane is the scalar reading's arithmetic.
  const Pair zero = splat(0.0);
  const Pair one = splat(1.0);
  Pair inPk = Pair{get(kInPeakL), get(kInPeakR)};
  Pair outPk = Pair{get(kOutPeakL), get(kOutPeakR)};
  Pair inMs = Pair{get(kInRmsL), get(kInRmsR)};
  Pair outMs = Pair{get(kOutRmsL), get(kOutRmsR)};
  Pair hold = Pair{get(kHoldL), get(kHoldR)};
  const double* yL = recon == 0 ? hist_[0] + kHistory : hist_[0] + 32;
  const double* yR = recon == 0 ? hist_[1] + kHistory : hist_[1] + 32;
  for (int j = 0; j < count; ++j) {
    if (requests_.load(std::memory_order_relaxed) != 0) {
      const std::uint8_t req = requests_.exchange(0, std::memory_order_acquire);
      if (req & kReadRequest) inPk = outPk = zero;
      if (req != 0) hold = one;
    }
    const Pair x = raw[j] * inScale;
    inPk = maxOf(inPk, magnitudeF(x));
    inMs = inMs + (x * x - inMs) * c;
    hold = minOf(hold, gr[j]);
    if (recon != 0) outPk = maxOf(outPk, magnitudeF(Pair{recon_[0][j], recon_[1][j]}));
    const Pair y = magnitudeF(Pair{yL[j], yR[j]});
    outPk = maxOf(outPk, y);
    outMs = outMs + (y * y - outMs) * c;
    for (int ch = 0; ch < 2; ++ch) {
      set(kInPeakL + ch, inPk[ch]);
      set(kOutPeakL + ch, outPk[ch]);
      set(kInRmsL + ch, inMs[ch]);
      set(kOutRmsL + ch, outMs[ch]);
      set(kHoldL + ch, hold[ch]);
    }
  }
}

void Meters::endBlock(int count) noexcept {
  for (int ch = 0; ch < 2; ++ch) std::memmove(hist_[ch], hist_[ch] + count, kHistory * sizeof(double));
}

void Meters::calibrationSample(const double s[2], const bool generated[2], double c) noexcept {
  handshake();
  for (int ch = 0; ch < 2; ++ch) {
    if (generated[ch]) {
      raise(kOutPeakL + ch, std::fabs(s[ch]));
      const double ms = get(kOutRmsL + ch);
      set(kOutRmsL + ch, ms + (s[ch] * s[ch] - ms) * c);
      set(kInPeakL + ch, get(kOutPeakL + ch));
      set(kInRmsL + ch, get(kOutRmsL + ch));
    } else {
      set(kInPeakL + ch, 0.0);
      set(kOutPeakL + ch, 0.0);
      set(kInRmsL + ch, 0.0);
      set(kOutRmsL + ch, 0.0);
    }
  }
}

}  // namespace stellix
