#include "engine/limiter_core.h"

#include <cstring>

#include "engine/convolution.h"

namespace stellix {

struct LimiterCore::Buffers {
  alignas(64) double hist[2][kHistory + kChunk];  // levelled history, then the chunk
  alignas(64) double frame[2][2 * kMaxKernel];    // convolution frames, interleaved
  alignas(64) double det[2][kChunk];              // detector values of the chunk
  alignas(64) Pair look[kMaxLookahead];           // look-ahead delay
  alignas(64) Pair lookTree[2 * kMaxLookahead];   // maximum over N_la detector values
  alignas(64) Pair smoothTree[2 * kMaxKernel];    // maximum over N_s detector values
  alignas(64) Pair tail[kMaxKernel];              // overlap of the previous frames
  alignas(64) Pair env[kMaxLookahead];            // envelope delay (D_env < N_la)
  alignas(64) Pair out[kChunk];
  alignas(64) Pair gain[kChunk];
  alignas(64) Pair reading[kChunk];
  alignas(64) double levGain[kChunk];
};

namespace {
int log2Of(int n) {
  int d = 0;
  while ((1 << d) < n) ++d;
  return d;
}
}  // namespace

LimiterCore::LimiterCore() : b_(std::make_unique<Buffers>()) {
  hist_[0] = b_->hist[0];
  hist_[1] = b_->hist[1];
  out_ = b_->out;
  gain_ = b_->gain;
  reading_ = b_->reading;
  levGain_ = b_->levGain;
  simd_ = bestSimdPath();
  reset();
}

LimiterCore::~LimiterCore() = default;

void LimiterCore::reset() noexcept {
  std::memset(static_cast<void*>(b_.get()), 0, sizeof(Buffers));
  b_->lookTree[0] = splat(kTreeStop);
  b_->smoothTree[0] = splat(kTreeStop);
  levEnv_ = 1e-5;
  std::memset(static_cast<void*>(follow1_), 0, sizeof follow1_);
  std::memset(static_cast<void*>(follow2_), 0, sizeof follow2_);
  lookPos_ = smoothPos_ = envPos_ = 0;
}

// Glossary (left/right pairs unless noted; j is the sample within the chunk):
//   hist      per channel: levelled samples z, 63 of history then the chunk. a = hist[j + 32]
//             is z of 31 samples ago (the levelled delay); hist[j .. j + 63] is the window
//             the detector reconstructs from
//   det       per channel: detector value D = max(|p|, 1e-5) of a (p reconstructed when
//             oversampling)
//   look      look-ahead delay of N_la samples; o = a delayed by N_la (z by N_la + 31)
//   lookTree  tree over the last N_la values of D; root W, input of the followers
//   smoothTree tree over the last N_s values of D; root S, input of the brickwall envelope
//   lookPos   write position of look and lookTree, 0 .. N_la - 1
//   smoothPos position in the convolution block, 0 .. N_s - 1: S goes to frame slot
//             2 smoothPos; after the position advanced, the smoothed value is frame slot
//             2 smoothPos plus tail[smoothPos]
//   frame     per channel, 2 N_s values: block samples in even slots, zeros in odd slots;
//             after the convolution output j in slot 2j, overlap N_s + j in slot 2j + 1
//   tail      overlap of the previous convolution, added to the current outputs
//   env       envelope delay of D_env samples at envPos; its output J lines up with o
//   f, h      follower stages f_i and h_i (h = f in order I), pairs of stages per channel
//   F         follower level max(1, h_0 .. h_7)
//   G, r      gain and gain-reduction reading; v (levGain) the leveller gain
void LimiterCore::run(int count, const CoreSettings& s, const SmoothingConvolver& conv) noexcept {
  Buffers& b = *b_;
  const int nLa = s.lookahead;
  const int nS = s.kernelLength;
  const int dEnv = s.envDelay;
  const int depthLa = log2Of(nLa);
  const int depthS = log2Of(nS);
  if (lookPos_ >= nLa) lookPos_ = 0;
  if (smoothPos_ >= nS) smoothPos_ = 0;
  if (envPos_ >= dEnv) envPos_ = 0;

  for (int ch = 0; ch < 2; ++ch) {
    switch (s.detector) {
      case 2: detectPhases(b.hist[ch], count, b.det[ch], simd_); break;
      case 1: detectMidpoint(b.hist[ch], count, b.det[ch], simd_); break;
      default: detectPlain(b.hist[ch], count, b.det[ch]); break;
    }
  }

  constexpr int kQ = kFollowers / 2;
  Pair f[2][kQ], h[2][kQ], att[kQ], rel[kQ];
  std::memcpy(static_cast<void*>(f), follow1_, sizeof f);
  std::memcpy(static_cast<void*>(h), follow2_, sizeof h);
  for (int q = 0; q < kQ; ++q) {
    att[q] = Pair{s.attack[2 * q], s.attack[2 * q + 1]};
    rel[q] = Pair{s.release[2 * q], s.release[2 * q + 1]};
  }
  const double k = s.link;
  const double k1 = 1.0 - k;
  const bool second = s.secondOrder;
  const Pair M = Pair{s.transient[0], s.transient[1]};
  const Pair M1 = 1.0 - M;
  const Pair one = splat(1.0);
  const bool w1 = s.w1, w2 = s.w2, w4 = s.w4;

  int lookPos = lookPos_, smoothPos = smoothPos_, envPos = envPos_;
  double* frameL = b.frame[0];
  double* frameR = b.frame[1];
  for (int j = 0; j < count; ++j) {
    const Pair d = Pair{b.det[0][j], b.det[1][j]};

    // Look-ahead delay and its window maximum.
    const Pair o = b.look[lookPos];
    b.look[lookPos] = Pair{b.hist[0][j + 32], b.hist[1][j + 32]};
    const Pair W = treeReplace(b.lookTree, nLa + lookPos, depthLa, d);
    if (++lookPos == nLa) lookPos = 0;

    // Brickwall envelope: maximum over N_s, smoothed by overlap-add block convolution,
    // delayed by D_env.
    const Pair S = treeReplace(b.smoothTree, nS + smoothPos, depthS, d);
    frameL[2 * smoothPos] = S[0];
    frameR[2 * smoothPos] = S[1];
    if (++smoothPos == nS) {
      smoothPos = 0;
      conv.convolve(frameL);
      conv.convolve(frameR);
    }
    const Pair smoothed = Pair{frameL[2 * smoothPos], frameR[2 * smoothPos]} + b.tail[smoothPos];
    b.tail[smoothPos] = Pair{frameL[2 * smoothPos + 1], frameR[2 * smoothPos + 1]};
    frameL[2 * smoothPos + 1] = 0.0;
    frameR[2 * smoothPos + 1] = 0.0;
    const Pair J = b.env[envPos];
    b.env[envPos] = smoothed;
    if (++envPos == dEnv) envPos = 0;

    // Link, then the follower bank per channel.
    const double wMax = maxOf(W[0], W[1]);
    const Pair E2 = k1 * W + k * wMax;
    double Fc[2];
    for (int ch = 0; ch < 2; ++ch) {
      const Pair E = splat(E2[ch]);
      Pair Fv = one;
      for (int q = 0; q < kQ; ++q) {
        const Pair fq = f[ch][q] + (E - f[ch][q]) * (E >= f[ch][q] ? att[q] : rel[q]);
        f[ch][q] = fq;
        if (second) {
          const Pair hq = h[ch][q] + (fq - h[ch][q]) * (fq > h[ch][q] ? att[q] : rel[q]);
          h[ch][q] = hq;
          Fv = maxOf(Fv, hq);
        } else {
          Fv = maxOf(Fv, fq);
        }
      }
      Fc[ch] = maxOf(Fv[0], Fv[1]);
    }
    const Pair F = Pair{Fc[0], Fc[1]};

    // Gain G = M / max(J, 1) + (1 - M) / max(F, J) and the reading
    // r = (w2 ? G / phi : 1) (w1 ? phi : 1) (w4 ? v : 1) with phi = M + (1 - M) / F.
    const Pair G = M / maxOf(J, one) + M1 / maxOf(F, J);
    Pair r = one;
    if (w1 || w2) {
      const Pair phi = M + M1 / F;
      r = (w2 ? G / phi : one) * (w1 ? phi : one);
    }
    if (w4) r = r * b.levGain[j];
    b.out[j] = o;
    b.gain[j] = G;
    b.reading[j] = r;
  }
  lookPos_ = lookPos;
  smoothPos_ = smoothPos;
  envPos_ = envPos;
  if (!second) std::memcpy(static_cast<void*>(h), f, sizeof h);
  std::memcpy(static_cast<void*>(follow1_), f, sizeof f);
  std::memcpy(static_cast<void*>(follow2_), h, sizeof h);

  // Keep the last 63 levelled samples as the next chunk's history.
  for (int ch = 0; ch < 2; ++ch) std::memmove(b.hist[ch], b.hist[ch] + count, kHistory * sizeof(double));
}

}  // namespace stellix
