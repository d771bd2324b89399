// The requantizer: word-length reduction with triangular dither inside an error-feedback
// noise shaper, and autoblack (the output fades to digital zero during digital silence).
//
// Threading: requestNoiseShape() is the only call from the parameter thread; it records the
// request, which the audio thread applies at the start of its next block (applyRequest), so
// the coefficient set, the order and the error index always change together between two
// samples. Everything else runs on the audio thread or under the processing mutex.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/random.h"
#include "engine/vec.h"

namespace stellix {

// Coefficients c_0 .. c_31 of one noise-shaping filter (unused ones 0).
struct NoiseShapeSet {
  alignas(64) double c[32];
};

// The all-zero set, used by "off": dither and rounding without shaping.
const NoiseShapeSet& noiseShapeOff() noexcept;
// The set of a type (1 = A .. 6 = F) at one of the rates 44100, 48000, 88200, 96000, 176400
// and 192000 Hz; null for other types and rates.
const NoiseShapeSet* noiseShapeSet(int type, int intRate) noexcept;
// Filter order of a type: 12 for off and A to C, 32 for D to F.
constexpr int noiseShapeOrder(int type) noexcept { return type >= 4 ? 32 : 12; }

class Requantizer {
 public:
  static constexpr int kMaxOrder = 32;
  // Samples below this autoblack gain would only carry rounding residue: the gain becomes 0.
  static constexpr double kAutoblackFloor = 1e-46;

  Requantizer() noexcept;

  // Engine reset: seeds the generator, zeroes the error history and its index, and sets the
  // autoblack gain to 1e-20 (output practically silent until the first audible sample).
  // The coefficient selection stays.
  void reset() noexcept;

  // [any] Records a new NoiseShape step (0 off, 1 .. 6 types A .. F).
  void requestNoiseShape(int type) noexcept { request_.store(clampType(type), std::memory_order_release); }
  // [audio] Applies a recorded request: set, order and error index 0.
  void applyRequest(int intRate) noexcept {
    if (request_.load(std::memory_order_relaxed) < 0) return;
    const int type = request_.exchange(-1, std::memory_order_acquire);
    if (type >= 0) select(type, intRate);
  }
  // [locked] A new integer sample rate: selects the current type's set for it (and applies a
  // request still pending).
  void rateChanged(int intRate) noexcept {
    const int type = request_.exchange(-1, std::memory_order_acquire);
    select(type >= 0 ? type : type_, intRate);
  }

  // Requantizes one stereo sample in place to the grid 1/q (q = 2^(bits - 1), step = 1/q).
  // autoblack: the switch; k: the autoblack coefficient.
  void process(double& l, double& r, double q, double step, bool autoblack, double k) noexcept {
    processBlock(&l, &r, 1, q, step, autoblack, k);
  }
  // process() on `count` samples in turn, in place.
  void processBlock(double* l, double* r, int count, double q, double step, bool autoblack, double k) noexcept {
    if (order_ == kMaxOrder) {
      run<kMaxOrder>(l, r, count, q, step, autoblack, k);
    } else {
      run<noiseShapeOrder(0)>(l, r, count, q, step, autoblack, k);
    }
  }

  RandomGenerator& random() noexcept { return rng_; }
  const RandomGenerator& random() const noexcept { return rng_; }

  // Current selection and state, for tests.
  int type() const noexcept { return type_; }
  int order() const noexcept { return order_; }
  int errorIndex() const noexcept { return w_; }
  const NoiseShapeSet& coefficients() const noexcept { return *set_; }
  double autoblackGain() const noexcept { return g_; }

 private:
  static int clampType(int t) noexcept { return t < 0 ? 0 : (t > 6 ? 6 : t); }
  void select(int type, int intRate) noexcept;
  static inline double bounded(double x) noexcept;
  inline double quantize(double x, double q, double step) noexcept;
  template <int Order>
  inline void run(double* l, double* r, int count, double q, double step, bool autoblack, double k) noexcept;

  const NoiseShapeSet* set_;
  int type_ = 0;
  int order_ = 12;
  int w_ = 0;  // newest entry of the error ring, 0 <= w_ < order_
  double g_ = 1e-20;
  // Error ring, left/right pairs: all kMaxOrder entries are kept across order changes.
  alignas(64) Pair err_[kMaxOrder] = {};
  // The ring's first order_ entries twice over (walk_[i] = walk_[i + order_] = err_[i]), so
  // that the walk from the newest entry backwards reads consecutive pairs.
  alignas(64) Pair walk_[2 * kMaxOrder] = {};
  RandomGenerator rng_;
  std::atomic<int> request_{-1};  // pending NoiseShape step, -1 for none
};

// Holds the value to quantize within +-2, so that x q + q fits a 32-bit integer at every word
// length whatever the bypass passes in (the clamp after this stage limits the output to +-1
// anyway), and the stored error stays one step of dither and rounding.
inline double Requantizer::bounded(double x) noexcept {
  x = x > 2.0 ? 2.0 : x;
  return x >= -2.0 ? x : -2.0;  // also turns NaN into a number
}

// Rounds x + TPDF dither to the grid: two draws of +-1/2 step each, halves rounding up.
inline double Requantizer::quantize(double x, double q, double step) noexcept {
  const double u1 = rng_.next();
  const double u2 = rng_.next();
  const double a = (u1 + u2) * 0.5 + (x * q + q) + 0.5;
  const auto n = static_cast<std::int32_t>(a);
  return (static_cast<double>(n) - q) * step;
}

// Glossary:
//   g        autoblack gain: 1.0 while anything is audible, else falling by (1 - k) per sample
//   err_     total error (requantization plus dither) per channel, a ring of order_ entries
//   w_       newest ring entry; the walk for S goes from it backwards
//   c        coefficient set; S = sum c_j e[n - 1 - j] is subtracted before quantizing
//   x, y     the value to quantize (input minus S) and its requantized value
// Both channels' sums run as the two lanes of a pair, each in the scalar order (newest term
// first). The newest error stays in a register for the next sample's first term.
template <int Order>
inline void Requantizer::run(double* l, double* r, int count, double q, double step, bool autoblack,
                             double k) noexcept {
  const double* c = set_->c;
  double g = g_;
  int w = w_;
  Pair newest = walk_[w + Order];
  for (int n = 0; n < count; ++n) {
    const double al = l[n] < 0.0 ? -l[n] : l[n];
    const double ar = r[n] < 0.0 ? -r[n] : r[n];
    if (!autoblack || (al > ar ? al : ar) > 1e-8) {
      g = 1.0;
    } else {
      g = g - g * k;
      if (g < kAutoblackFloor) g = 0.0;
    }

    const Pair* e = walk_ + w + Order;  // e[-j]: the entry j samples older than the newest
    Pair s = splat(0.0);
    s = s + c[0] * newest;
#pragma GCC unroll 32
    for (int j = 1; j < Order; ++j) s = s + c[j] * e[-j];
    if (++w == Order) w = 0;

    const double xL = bounded(l[n] - s[0]);
    const double yL = quantize(xL, q, step);
    const double xR = bounded(r[n] - s[1]);
    const double yR = quantize(xR, q, step);
    newest = Pair{yL - xL, yR - xR};
    err_[w] = newest;
    walk_[w] = newest;
    walk_[w + Order] = newest;
    l[n] = yL * g;
    r[n] = yR * g;
  }
  g_ = g;
  w_ = w;
}

}  // namespace stellix
