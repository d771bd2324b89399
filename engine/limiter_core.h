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
#include "engine/vec.h"

namespace stellix {

class SmoothingConvolver;

constexpr int kFollowers = 8;

// Sliding maxima by tournament tree, one tree per channel stored as left/right pairs (both
// channels write the same leaf each sample, so they walk the same path). A tree over n leaves
// (a power of two) has 2n pairs: tree[1] is the root, the leaves are tree[n .. 2n - 1], the
// parent of node j is j / 2, and tree[0] holds the stop value 1e10, above any input.
//
// treeReplace() writes a leaf and recomputes every node on its path as the larger of its two
// children, up to the root, and returns the root: the maximum of the last n values written.
// It always walks the full depth: this leaves the tree exactly as a walk that stops once the
// path's maximum is unchanged, without the unpredictable branch of that stop.
inline Pair treeReplace(Pair* tree, int node, int depth, Pair d) noexcept {
  tree[node] = d;
  Pair m = d;
  for (int i = 0; i < depth; ++i) {
    m = maxOf(m, tree[node ^ 1]);
    node >>= 1;
    tree[node] = m;
  }
  return m;
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
    const double aL = __builtin_fabs(yL);
    const double aR = __builtin_fabs(yR);
    const double m = maxOf((maxOf(aL - aR, 0.0) + aR) - 1e-5, 0.0) + 1e-5;
    levEnv_ = levEnv_ + (m - levEnv_) * coeff;
    const double v = (threshold >= 1.0 || threshold >= levEnv_) ? 1.0 : threshold / levEnv_;
    levGain_[j] = v;
    return v;
  }

  // Where the path writes the levelled samples of the chunk, per channel.
  double* levelledIn(int ch) noexcept { return hist_[ch] + kHistory; }

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
  Pair follow1_[2][kFollowers / 2] = {};  // f_i per channel, two stages per pair
  Pair follow2_[2][kFollowers / 2] = {};  // h_i
  int lookPos_ = 0;
  int smoothPos_ = 0;
  int envPos_ = 0;
  SimdPath simd_ = SimdPath::Scalar;
};

}  // namespace stellix
