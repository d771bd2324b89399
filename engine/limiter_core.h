// The limiter core: leveller, reconstructing peak detector, look-ahead delay, sliding maxima,
// follower bank, brickwall envelope and gain computer.
//
// The path feeds it one chunk of up to kChunk samples at a time: per sample it calls level()
// and writes the levelled samples into levelledIn(); then run() produces, per sample, the
// delayed levelled samples, the gains and the gain-reduction readings. Chunking changes no
// result: run() is the per-sample recursion in the same order, split into passes over the
// chunk where the stages do not feed back into each other.
//
// [locked] reset() and allocation; [audio] level() and run().
#pragma once

#include <memory>

#include "engine/detector.h"

namespace stellix {

class SmoothingConvolver;

constexpr int kFollowers = 8;

// Sliding maximum by tournament tree: tree[1] is the root, leaves are tree[n .. 2n - 1], the
// parent of node j is j / 2 and tree[0] holds a stop value above any input, so the upward
// walks end at the root without a depth check. Replaces a leaf and returns nothing; the
// window maximum is tree[1].
inline void treeReplace(double* tree, int node, double d) noexcept {
  const double old = tree[node];
  tree[node] = d;
  if (d > old) {
    // The new value climbs while it beats the sibling.
    while (d > tree[node ^ 1]) {
      node >>= 1;
      tree[node] = d;
    }
  } else if (old > tree[node ^ 1]) {
    // The old value ruled its parent: recompute while it ruled the next level too.
    do {
      node >>= 1;
      const double l = tree[2 * node];
      const double r = tree[2 * node + 1];
      tree[node] = l > r ? l : r;
    } while (old > tree[node ^ 1]);
  }
}

// The stop value above the root.
constexpr double kTreeStop = 1e10;

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

  // Leveller for chunk sample j: advances the shared envelope with max(|yL|, |yR|) and
  // returns the leveller gain, kept for the gain-reduction reading.
  double level(int j, double yL, double yR, double threshold, double coeff) noexcept {
    const double aL = yL < 0.0 ? -yL : yL;
    const double aR = yR < 0.0 ? -yR : yR;
    const double dif = aL - aR;
    const double m0 = ((dif > 0.0 ? dif : 0.0) + aR) - 1e-5;
    const double m = (m0 > 0.0 ? m0 : 0.0) + 1e-5;
    levEnv_ = levEnv_ + (m - levEnv_) * coeff;
    const double v = (threshold >= 1.0 || threshold >= levEnv_) ? 1.0 : threshold / levEnv_;
    levGain_[j] = v;
    return v;
  }

  // Where the path writes the levelled samples of the chunk, per channel.
  double* levelledIn(int ch) noexcept { return hist_[ch] + kHistory; }

  // Runs the chunk of `count` samples (1 .. kChunk) already levelled.
  void run(int count, const CoreSettings& s, const SmoothingConvolver& conv) noexcept;

  // Results of the last run(), per channel and chunk sample.
  const double* delayed(int ch) const noexcept { return out_[ch]; }      // o: levelled, delayed N_la + 31
  const double* gain(int ch) const noexcept { return gain_[ch]; }        // G
  const double* reading(int ch) const noexcept { return reading_[ch]; }  // r

  double levellerEnvelope() const noexcept { return levEnv_; }

 private:
  struct Buffers;
  std::unique_ptr<Buffers> b_;
  // Chunk-sized views into b_ (set once in the constructor).
  double* hist_[2];
  double* out_[2];
  double* gain_[2];
  double* reading_[2];
  double* levGain_;

  double levEnv_ = 1e-5;
  double follow1_[2][kFollowers] = {};
  double follow2_[2][kFollowers] = {};
  int lookPos_ = 0;
  int smoothPos_ = 0;
  int envPos_ = 0;
  SimdPath simd_ = SimdPath::Scalar;
};

}  // namespace stellix
