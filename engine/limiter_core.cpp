#include "engine/limiter_core.h"

#include <cstring>

#include "engine/convolution.h"
#include "engine/core_kernels.h"

namespace stellix {

#if defined(STELLIX_AVX2_KERNELS)
// limiter_core_avx2.cpp, built for AVX2; called only when the CPU has it.
void followerBankAvx2(const Pair* W, int count, double k, const double* attack, const double* release, bool second,
                      double (*f)[kBankStages], double (*h)[kBankStages], Pair* F) noexcept;
void gainsAvx2(const Pair* J, const Pair* F, const double* v, int count, const GainSettings& s, Pair* G,
               Pair* r) noexcept;
#endif

static_assert(kBankStages == kFollowers, "the kernels run the whole follower bank");
static_assert(kChunkMax >= LimiterCore::kChunk, "the kernels take a whole chunk");

namespace {
// detectorFloor() of both channels: max(|a| - 1e-5, 0) + 1e-5 per lane.
inline Pair plainPeak(Pair a) noexcept {
  typedef long long Bits __attribute__((vector_size(16)));
  const Pair m = reinterpret_cast<Pair>(reinterpret_cast<Bits>(a) & 0x7fffffffffffffffLL) - 1e-5;
  return maxOf(m, splat(0.0)) + 1e-5;
}
}  // namespace

struct LimiterCore::Buffers {
  alignas(64) double hist[2][kHistory + kChunk];  // levelled history, then the chunk
  alignas(64) Pair frame[2 * kMaxKernel];         // convolution frames, interleaved
  alignas(64) double det[2][kChunk];              // detector values of the chunk
  alignas(64) Pair look[kMaxLookahead];           // look-ahead delay
  alignas(64) SlidingMax<kMaxLookahead> lookMax;  // maximum over N_la detector values
  alignas(64) SlidingMax<kMaxKernel> smoothMax;   // maximum over N_s detector values
  alignas(64) Pair tail[kMaxKernel];              // overlap of the previous frames
  alignas(64) Pair env[kMaxLookahead];            // envelope delay (D_env < N_la)
  alignas(64) Pair W[kChunk];  // look-ahead maxima of the chunk
  alignas(64) Pair J[kChunk];  // brickwall envelope of the chunk
  alignas(64) Pair F[kChunk];  // follower levels of the chunk
  alignas(64) Pair out[kChunk];
  alignas(64) Pair gain[kChunk];
  alignas(64) Pair reading[kChunk];
  alignas(64) double levGain[kChunk];
};

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
  levEnv_ = 1e-5;
  std::memset(static_cast<void*>(follow1_), 0, sizeof follow1_);
  std::memset(static_cast<void*>(follow2_), 0, sizeof follow2_);
  lookPos_ = smoothPos_ = envPos_ = 0;
}

// Glossary (left/right pairs unless noted; j is the sample within the chunk):
//   hist      per channel: levelled samples z, 63 of history then the chunk. a = hist[j + 32]
//             is z of 31 samples ago (the levelled delay); hist[j .. j + 63] is the window
//             the detector reconstructs from
//   det       per channel: detector value D = max(|p|, 1e-5) of a, p reconstructed when
//             oversampling (plain peaks are taken from a directly)
//   look      look-ahead delay of N_la samples; o = a delayed by N_la (z by N_la + 31)
//   lookMax   maximum W of the last N_la values of D, input of the followers
//   smoothMax maximum S of the last N_s values of D, input of the brickwall envelope
//   lookPos   write position of look and lookMax, 0 .. N_la - 1
//   smoothPos position in the convolution block, 0 .. N_s - 1: S goes to frame slot
//             2 smoothPos; after the position advanced, the smoothed value is frame slot
//             2 smoothPos plus tail[smoothPos]
//   frame     2 N_s left/right pairs: block samples in even slots, zeros in odd slots;
//             after the convolution output j in slot 2j, overlap N_s + j in slot 2j + 1
//   tail      overlap of the previous convolution, added to the current outputs
//   env       envelope delay of D_env samples at envPos; its output J lines up with o
//   f, h      follower stages f_i and h_i (h = f in order I), per channel
//   F         follower level max(1, h_0 .. h_7)
//   G, r      gain and gain-reduction reading; v (levGain) the leveller gain
void LimiterCore::run(int count, const CoreSettings& s, const SmoothingConvolver& conv) noexcept {
  Buffers& b = *b_;
  const int nLa = s.lookahead;
  const int nS = s.kernelLength;
  const int dEnv = s.envDelay;
  if (lookPos_ >= nLa) lookPos_ = 0;
  if (smoothPos_ >= nS) smoothPos_ = 0;
  if (envPos_ >= dEnv) envPos_ = 0;
#if defined(STELLIX_AVX2_KERNELS)
  const bool avx2 = simd_ == SimdPath::Avx2 && simdPathAvailable(SimdPath::Avx2);
#endif

  // Reconstructing detectors fill det; plain peaks are taken in the pass below.
  const bool plain = s.detector != 1 && s.detector != 2;
  for (int ch = 0; ch < 2; ++ch) {
    if (s.detector == 2) detectPhases(b.hist[ch], count, b.det[ch], simd_);
    if (s.detector == 1) detectMidpoint(b.hist[ch], count, b.det[ch], simd_);
  }

  // Look-ahead delay and maximum; brickwall envelope: maximum over N_s, smoothed by
  // overlap-add block convolution, delayed by D_env.
  int lookPos = lookPos_, smoothPos = smoothPos_, envPos = envPos_;
  Pair lookRound = b.lookMax.prefix, smoothRound = b.smoothMax.prefix;
  Pair* frame = b.frame;
  for (int j = 0; j < count; ++j) {
    const Pair a = Pair{b.hist[0][j + 32], b.hist[1][j + 32]};
    const Pair d = plain ? plainPeak(a) : Pair{b.det[0][j], b.det[1][j]};

    b.out[j] = b.look[lookPos];
    b.look[lookPos] = a;
    b.W[j] = b.lookMax.push(lookPos, nLa, d, lookRound);
    if (++lookPos == nLa) lookPos = 0;

    const Pair S = b.smoothMax.push(smoothPos, nS, d, smoothRound);
    frame[2 * smoothPos] = S;
    if (++smoothPos == nS) {
      smoothPos = 0;
      conv.convolve(frame);
    }
    const Pair smoothed = frame[2 * smoothPos] + b.tail[smoothPos];
    b.tail[smoothPos] = frame[2 * smoothPos + 1];
    frame[2 * smoothPos + 1] = splat(0.0);
    b.J[j] = b.env[envPos];
    b.env[envPos] = smoothed;
    if (++envPos == dEnv) envPos = 0;
  }
  lookPos_ = lookPos;
  smoothPos_ = smoothPos;
  envPos_ = envPos;
  b.lookMax.prefix = lookRound;
  b.smoothMax.prefix = smoothRound;

  // Link, follower bank, then the gain G = M / max(J, 1) + (1 - M) / max(F, J) and the
  // reading r = (w2 ? G / phi : 1) (w1 ? phi : 1) (w4 ? v : 1) with phi = M + (1 - M) / F.
  GainSettings g;
  g.M = Pair{s.transient[0], s.transient[1]};
  g.M1 = 1.0 - g.M;
  g.w1 = s.w1;
  g.w2 = s.w2;
  g.w4 = s.w4;
#if defined(STELLIX_AVX2_KERNELS)
  if (avx2) {
    followerBankAvx2(b.W, count, s.link, s.attack, s.release, s.secondOrder, follow1_, follow2_, b.F);
    gainsAvx2(b.J, b.F, b.levGain, count, g, b.gain, b.reading);
  } else
#endif
  {
    followerBank<Pair, 2>(b.W, count, s.link, s.attack, s.release, s.secondOrder, follow1_, follow2_, b.F);
    gainRest(b.J, b.F, b.levGain, 0, count, g, b.gain, b.reading);
  }

  // Keep the last 63 levelled samples as the next chunk's history.
  for (int ch = 0; ch < 2; ++ch) std::memmove(b.hist[ch], b.hist[ch] + count, kHistory * sizeof(double));
}

}  // namespace stellix
