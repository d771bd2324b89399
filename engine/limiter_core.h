// The limiter core: leveller, reconstructing peak detector, look-ahead delay, sliding maxima,
// follower bank, brickwall envelope and gain computer.
//
// The path feeds it one chunk of up to kChunk samples at a time: level() levels the driven
// samples into the core's input; then run() produces, per sample, the
// delayed levelled samples, the gains and the gain-reduction readings. Chunking changes no
// result: run() is the per-sample recursion in the same order, split into passes over the
// chunk where the stages do not feed back into each other (detector; delays, maxima and
// brickwall envelope; follower bank; gain computer).
//
// [locked] reset() and allocation; [audio] level() and run().
#pragma once

#include <memory>

#include "engine/detector.h"
#include "engine/vec.h"

namespace stellix {

class SmoothingConvolver;

constexpr int kFollowers = 8;

// Sliding maximum over the last n values written (n a power of two up to Capacity), per
// left/right pair. The positions 0 .. n - 1 are written in turn; the window at position p is
// the previous round's values at p + 1 .. n - 1 and this round's at 0 .. p. At the start of
// a round (p = 0) suffix[i] becomes the maximum of the previous round's values at i .. n - 1
// (suffix[n] = 0); then each push costs two comparisons. The maximum is exact, so the result
// is the plain maximum of the window whatever the grouping. Zeroed, it holds n zeros.
// prefix, the maximum of this round's values so far, is the caller's to keep (in a register
// through a chunk) and to pass to every push.
template <int Capacity>
struct SlidingMax {
  Pair ring[Capacity];
  Pair suffix[Capacity + 1];
  Pair prefix;

  Pair push(int pos, int n, Pair d, Pair& roundMax) noexcept {
    if (pos == 0) {
      Pair m = splat(0.0);
      suffix[n] = m;
      for (int i = n - 1; i >= 0; --i) suffix[i] = m = maxOf(ring[i], m);
      roundMax = d;
    } else {
      roundMax = maxOf(roundMax, d);
    }
    ring[pos] = d;
    return maxOf(suffix[pos + 1], roundMax);
  }
};

// Settings of one chunk, snapshot from the engine values.
struct CoreSettings {
  int lookahead = 128;    // N_la, a power of two up to kMaxLookahead
  int kernelLength = 64;  // N_s, a power of two up to kMaxKernel
  int envDelay = 2;       // D_env = N_la - 2 N_s + 2
  int detector = 0;       // 0 plain peaks, 1 2x midpoint, 2 4x phases
  bool secondOrder = false;
  double levellerThreshold = 1.0;  // 1.0 and above: leveller off
  double levellerCoeff = 0.0;
  double link = 1.0;
  double transient[2] = {0.0, 0.0};  // M per channel
  double attack[kFollowers] = {};
  double release[kFollowers] = {};
  // Gain-reduction reading: w1 follower part, w2 brickwall part, w4 leveller.
  bool w1 = false, w2 = false, w4 = false;
};

class LimiterCore {
 public:
  static constexpr int kMaxLookahead = 512;
  static constexpr int kMaxKernel = 128;
  static constexpr int kChunk = 64;
  static constexpr int kHistory = 63;  // levelled samples kept before a chunk

  LimiterCore();
  ~LimiterCore();
  LimiterCore(const LimiterCore&) = delete;
  LimiterCore& operator=(const LimiterCore&) = delete;

  // Zeroes every delay line, tree, frame, follower and position; leveller envelope 1e-5.
  void reset() noexcept;
  void setSimdPath(SimdPath path) noexcept { simd_ = path; }

  // Leveller over the chunk's driven samples y = driven(j), j = 0 .. count - 1 in turn: per
  // sample advances the shared envelope with max(|yL|, |yR|), keeps the leveller gain v for
  // the gain-reduction reading and writes the levelled sample v y as the core's input. The
  // envelope stays in a register through the chunk, and the caller's work per sample in
  // driven() runs alongside its recursion.
  template <typename Driven>
  void level(int count, Driven&& driven, double threshold, double coeff) noexcept {
    double* zL = hist_[0] + kHistory;
    double* zR = hist_[1] + kHistory;
    double* gains = levGain_;
    double env = levEnv_;
    for (int j = 0; j < count; ++j) {
      const Pair y = driven(j);
      const double aL = __builtin_fabs(y[0]);
      const double aR = __builtin_fabs(y[1]);
      const double m = maxOf((maxOf(aL - aR, 0.0) + aR) - 1e-5, 0.0) + 1e-5;
      env = env + (m - env) * coeff;
      const double v = (threshold >= 1.0 || threshold >= env) ? 1.0 : threshold / env;
      gains[j] = v;
      const Pair z = v * y;
      zL[j] = z[0];
      zR[j] = z[1];
    }
    levEnv_ = env;
  }

  // Runs the chunk of `count` samples (1 .. kChunk) already levelled.
  void run(int count, const CoreSettings& s, const SmoothingConvolver& conv) noexcept;

  // Results of the last run() as left/right pairs per chunk sample.
  const Pair* delayed() const noexcept { return out_; }      // o: levelled, delayed N_la + 31
  const Pair* gain() const noexcept { return gain_; }        // G
  const Pair* reading() const noexcept { return reading_; }  // r

  double levellerEnvelope() const noexcept { return levEnv_; }

 private:
  struct Buffers;
  std::unique_ptr<Buffers> b_;
  // Chunk-sized views into b_ (set once in the constructor).
  double* hist_[2];
  Pair* out_;
  Pair* gain_;
  Pair* reading_;
  double* levGain_;

  double levEnv_ = 1e-5;
  double follow1_[2][kFollowers] = {};  // f_i per channel
  double follow2_[2][kFollowers] = {};  // h_i
  int lookPos_ = 0;
  int smoothPos_ = 0;
  int envPos_ = 0;
  SimdPath simd_ = SimdPath::Scalar;
};

}  // namespace stellix
