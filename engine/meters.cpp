#include "engine/meters.h"

#include <cmath>
#include <cstring>

namespace stellix {
namespace {

// Magnitude rounded to single precision, as the peaks are kept and shown.
inline double magnitudeF(double x) noexcept { return static_cast<double>(static_cast<float>(std::fabs(x))); }

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

// Glossary (per channel):
//   hist      output history: 63 earlier outputs, then the block; the window of block sample
//             j is hist[j .. j + 63], its centre hist[j + 32] the output 31 samples back
//   recon     largest magnitude among the interpolated points between the centre and its
//             predecessor (2x: the midpoint; 4x: three quarter points)
void Meters::prepareOutput(int count, int recon) noexcept {
  for (int ch = 0; ch < 2; ++ch) {
    const double* hist = hist_[ch];
    double* peak = recon_[ch];
    if (recon == 1) {
      for (int j = 0; j < count; ++j) peak[j] = magnitudeF(interpolateMidpoint(hist + j));
    } else if (recon == 2) {
      for (int j = 0; j < count; ++j) {
        double pts[3];
        interpolatePhases(hist + j, pts);
        double a = std::fabs(pts[0]);
        for (int i = 1; i < 3; ++i) a = std::fabs(pts[i]) > a ? std::fabs(pts[i]) : a;
        peak[j] = magnitudeF(a);
      }
    }
  }
}

void Meters::limiterSample(int j, double inL, double inR, double grL, double grR, int recon, double c) noexcept {
  handshake();

  const double in[2] = {inL, inR};
  for (int ch = 0; ch < 2; ++ch) {
    const double x = in[ch];
    raise(kInPeakL + ch, magnitudeF(x));
    const double ms = get(kInRmsL + ch);
    set(kInRmsL + ch, ms + (x * x - ms) * c);
  }

  if (grL < get(kHoldL)) set(kHoldL, grL);
  if (grR < get(kHoldR)) set(kHoldR, grR);

  for (int ch = 0; ch < 2; ++ch) {
    double y;
    if (recon == 0) {
      y = magnitudeF(hist_[ch][kHistory + j]);
    } else {
      raise(kOutPeakL + ch, recon_[ch][j]);
      y = magnitudeF(hist_[ch][j + 32]);
    }
    raise(kOutPeakL + ch, y);
    const double ms = get(kOutRmsL + ch);
    set(kOutRmsL + ch, ms + (y * y - ms) * c);
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
