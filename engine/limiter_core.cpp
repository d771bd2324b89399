#include "engine/limiter_core.h"

#include <cstring>

#include "engine/convolution.h"

namespace stellix {

struct LimiterCore::Buffers {
  alignas(64) double hist[2][kHistory + kChunk];      // levelled history, then the chunk
  alignas(64) double look[2][kMaxLookahead];          // look-ahead delay
  alignas(64) double lookTree[2][2 * kMaxLookahead];  // maximum over N_la detector values
  alignas(64) double smoothTree[2][2 * kMaxKernel];   // maximum over N_s detector values
  alignas(64) double frame[2][2 * kMaxKernel];        // convolution frames, interleaved
  alignas(64) double tail[2][kMaxKernel];             // overlap of the previous frame
  alignas(64) double env[2][kMaxLookahead];           // envelope delay (D_env < N_la)
  // Per-chunk intermediate and result arrays.
  alignas(64) double det[2][kChunk];
  alignas(64) double window[2][kChunk];
  alignas(64) double wall[2][kChunk];
  alignas(64) double level[2][kChunk];
  alignas(64) double out[2][kChunk];
  alignas(64) double gain[2][kChunk];
  alignas(64) double reading[2][kChunk];
  alignas(64) double levGain[kChunk];
};

LimiterCore::LimiterCore() : b_(std::make_unique<Buffers>()) {
  for (int ch = 0; ch < 2; ++ch) {
    hist_[ch] = b_->hist[ch];
    out_[ch] = b_->out[ch];
    gain_[ch] = b_->gain[ch];
    reading_[ch] = b_->reading[ch];
  }
  levGain_ = b_->levGain;
  simd_ = bestSimdPath();
  reset();
}

LimiterCore::~LimiterCore() = default;

void LimiterCore::reset() noexcept {
  std::memset(b_.get(), 0, sizeof(Buffers));
  for (int ch = 0; ch < 2; ++ch) {
    b_->lookTree[ch][0] = kTreeStop;
    b_->smoothTree[ch][0] = kTreeStop;
  }
  levEnv_ = 1e-5;
  std::memset(follow1_, 0, sizeof follow1_);
  std::memset(follow2_, 0, sizeof follow2_);
  lookPos_ = smoothPos_ = envPos_ = 0;
}

// Glossary (per channel unless noted; chunk arrays are indexed by the chunk sample j):
//   hist      levelled samples z: 63 of history, then the chunk. a = hist[j + 32] is z of
//             31 samples ago (the levelled delay); hist[j .. j + 63] is the detector window.
//   det       detector value D = max(|p|, 1e-5) of a (p reconstructed when oversampling)
//   look      look-ahead delay of N_la samples; o = a delayed by N_la (z by N_la + 31)
//   lookTree  tournament tree over the last N_la values of D; root W, the followers' input
//   smoothTree tournament tree over the last N_s values of D; root S, the brickwall input
//   lookPos   shared write position of look and lookTree, 0 .. N_la - 1 (both channels)
//   smoothPos shared position in the convolution block, 0 .. N_s - 1: S goes to frame slot
//             2 smoothPos; the smoothed value is read from the slot 2 smoothPos and the tail
//             entry smoothPos after the position advanced
//   frame     2 N_s values, block samples in even slots, zero padding in odd slots;
//             after the convolution: output j in slot 2j, overlap N_s + j in slot 2j + 1
//   tail      overlap of the previous convolution, added to the current outputs
//   env       envelope delay of D_env samples, envPos its position; J its output
//   follow1   first-stage followers f_i; follow2 second-stage followers h_i (= f_i in order I)
//   window    W per chunk sample; level: follower level F = max(1, h_0 .. h_7)
//   wall      J per chunk sample
//   levGain   leveller gain v per chunk sample (both channels)
void LimiterCore::run(int count, const CoreSettings& s, const SmoothingConvolver& conv) noexcept {
  Buffers& b = *b_;
  const int nLa = s.lookahead;
  const int nS = s.kernelLength;
  const int dEnv = s.envDelay;

  if (lookPos_ >= nLa) lookPos_ = 0;
  if (smoothPos_ >= nS) smoothPos_ = 0;
  if (envPos_ >= dEnv) envPos_ = 0;

  // Detector.
  for (int ch = 0; ch < 2; ++ch) {
    switch (s.detector) {
      case 2: detectPhases(b.hist[ch], count, b.det[ch], simd_); break;
      case 1: detectMidpoint(b.hist[ch], count, b.det[ch], simd_); break;
      default: detectPlain(b.hist[ch], count, b.det[ch]); break;
    }
  }

  // Look-ahead delay, both sliding maxima and the brickwall smoothing. The channels share
  // their positions but nothing else, so each runs the chunk on its own; the convolution
  // happens at the same sample for both.
  int lookPos = lookPos_, smoothPos = smoothPos_, envPos = envPos_;
  for (int ch = 0; ch < 2; ++ch) {
    const double* hist = b.hist[ch];
    const double* det = b.det[ch];
    double* look = b.look[ch];
    double* lookTree = b.lookTree[ch];
    double* smoothTree = b.smoothTree[ch];
    double* frame = b.frame[ch];
    double* tail = b.tail[ch];
    double* env = b.env[ch];
    double* out = b.out[ch];
    double* window = b.window[ch];
    double* wall = b.wall[ch];
    lookPos = lookPos_;
    smoothPos = smoothPos_;
    envPos = envPos_;
    for (int j = 0; j < count; ++j) {
      const double d = det[j];
      out[j] = look[lookPos];
      look[lookPos] = hist[j + 32];
      treeReplace(lookTree, nLa + lookPos, d);
      window[j] = lookTree[1];
      if (++lookPos == nLa) lookPos = 0;

      treeReplace(smoothTree, nS + smoothPos, d);
      frame[2 * smoothPos] = smoothTree[1];
      if (++smoothPos == nS) {
        smoothPos = 0;
        conv.convolve(frame);
      }
      const double smoothed = frame[2 * smoothPos] + tail[smoothPos];
      tail[smoothPos] = frame[2 * smoothPos + 1];
      frame[2 * smoothPos + 1] = 0.0;

      wall[j] = env[envPos];
      env[envPos] = smoothed;
      if (++envPos == dEnv) envPos = 0;
    }
  }
  lookPos_ = lookPos;
  smoothPos_ = smoothPos;
  envPos_ = envPos;

  // Link and follower bank: F = max(1, h_0 .. h_7) of the linked window maximum.
  {
    double f[2][kFollowers], h[2][kFollowers], att[kFollowers], rel[kFollowers];
    std::memcpy(f, follow1_, sizeof f);
    std::memcpy(h, follow2_, sizeof h);
    std::memcpy(att, s.attack, sizeof att);
    std::memcpy(rel, s.release, sizeof rel);
    const double k = s.link;
    const double k1 = 1.0 - k;
    for (int j = 0; j < count; ++j) {
      const double wL = b.window[0][j];
      const double wR = b.window[1][j];
      const double wMax = wL > wR ? wL : wR;
      const double e[2] = {k1 * wL + k * wMax, k1 * wR + k * wMax};
      for (int ch = 0; ch < 2; ++ch) {
        const double E = e[ch];
        double F = 1.0;
        if (s.secondOrder) {
          for (int i = 0; i < kFollowers; ++i) {
            const double fi = f[ch][i] + (E - f[ch][i]) * (E >= f[ch][i] ? att[i] : rel[i]);
            f[ch][i] = fi;
            const double hi = h[ch][i] + (fi - h[ch][i]) * (fi > h[ch][i] ? att[i] : rel[i]);
            h[ch][i] = hi;
            F = hi > F ? hi : F;
          }
        } else {
          for (int i = 0; i < kFollowers; ++i) {
            const double fi = f[ch][i] + (E - f[ch][i]) * (E >= f[ch][i] ? att[i] : rel[i]);
            f[ch][i] = fi;
            F = fi > F ? fi : F;
          }
        }
        b.level[ch][j] = F;
      }
    }
    if (!s.secondOrder) std::memcpy(h, f, sizeof h);
    std::memcpy(follow1_, f, sizeof f);
    std::memcpy(follow2_, h, sizeof h);
  }

  // Gain: G = M / max(J, 1) + (1 - M) / max(F, J), and the gain-reduction reading
  // r = (w2 ? G / phi : 1) (w1 ? phi : 1) (w4 ? v : 1) with phi = M + (1 - M) / F.
  for (int ch = 0; ch < 2; ++ch) {
    const double M = s.transient[ch];
    const double M1 = 1.0 - M;
    const double* wall = b.wall[ch];
    const double* level = b.level[ch];
    double* gain = b.gain[ch];
    double* reading = b.reading[ch];
    for (int j = 0; j < count; ++j) {
      const double J = wall[j];
      const double F = level[j];
      const double G = M / (J > 1.0 ? J : 1.0) + M1 / (F > J ? F : J);
      gain[j] = G;
      double r = 1.0;
      if (s.w1 || s.w2) {
        const double phi = M + M1 / F;
        r = (s.w2 ? G / phi : 1.0) * (s.w1 ? phi : 1.0);
      }
      reading[j] = s.w4 ? r * b.levGain[j] : r;
    }
  }

  // Keep the last 63 levelled samples as the next chunk's history.
  for (int ch = 0; ch < 2; ++ch) std::memmove(b.hist[ch], b.hist[ch] + count, kHistory * sizeof(double));
}

}  // namespace stellix
