#include <cmath>

#include "engine/denormals.h"
#include "engine/engine.h"
#include "engine/limiter_core.h"
#include "engine/vec.h"

namespace stellix {
namespace {

// Input samples beyond +-2^20 (+120 dB over full scale) are held there and non-finite ones
// become 0, so that drive, interpolation and the envelopes stay finite and below the trees'
// stop value whatever the host sends.
constexpr double kInputLimit = 1048576.0;

inline double admit(double x) noexcept {
  const double a = std::fabs(x);
  if (a <= kInputLimit) return x;
  if (a <= 1.7976931348623157e308) return std::copysign(kInputLimit, x);
  return 0.0;
}

// Output limited to -1 .. +1. A plain comparison keeps every sample inside the range
// bit-exact, so the bypass returns its input unchanged.
inline double clampUnit(double x) noexcept { return minOf(maxOf(x, -1.0), 1.0); }

template <typename T>
T clampedAndNarrowed(double x) noexcept {
  return static_cast<T>(clampUnit(x));
}

// One step of the 30 Hz parameter smoother; adding and removing 1e-30 flushes denormals.
inline double smoothStep(double g, double target, double c) noexcept {
  return ((g + (target - g) * c) + 1e-30) - 1e-30;
}

// Whether g is a fixed point of smoothStep() toward target: then a whole chunk keeps it.
inline bool settled(double g, double target) noexcept { return g == target && ((g + 1e-30) - 1e-30) == g; }

}  // namespace

// Glossary of the limiter path (per sample unless noted):
//   gd, go    smoothed drive and output gains (driveGain_, outputGain_), one-pole at 30 Hz
//   x         input sample, widened, non-finite replaced by 0
//   d         raw input delayed by N_la + 31 (rawDelay_, index rawPos_): the bypass output
//   y, z      driven sample x gd; levelled sample v y handed to the core
//   v         leveller gain
//   o, G, r   from the core: z delayed by N_la + 31, the gain, the gain-reduction reading
//   sIn       input-meter scale for the block: gd at block start, 1.0 for post metering
//   q         requantization scale 2^(bits - 1) for the block
//   recon     output-meter reconstruction: the reconstruction factor code with MeterOvs on, else 0
template <typename T>
void Engine::processLimiter(const T* inL, const T* inR, T* outL, T* outR, std::int32_t frames) noexcept {
  if (frames <= 0) return;
  ScopedFlushDenormals flush;
  constexpr int kChunk = LimiterCore::kChunk;
  static_assert(kChunk <= Meters::kMaxBlock, "a chunk must fit the output meters' block");
  LimiterCore& core = *core_;

  // Block snapshot.
  const int attShow = v_.sw.attShow;
  const int bits = v_.sw.bits;
  static constexpr double kQuantScale[5] = {128.0, 2048.0, 32768.0, 524288.0, 8388608.0};
  const double q = (bits >= 0 && bits < 5) ? kQuantScale[bits] : 8388608.0;
  const double qStep = 1.0 / q;
  const double sIn = v_.sw.postMeter == 1 ? 1.0 : driveGain_;
  const double c30 = v_.smoothCoeff;
  const double cMs = v_.rmsCoeff;
  const double kBlack = v_.autoblackCoeff;
  requant_.applyRequest(v_.intRate);  // a NoiseShape change takes effect between blocks

  // Lengths, held to what the buffers take.
  CoreSettings s;
  s.lookahead = v_.lookahead >= LimiterCore::kMaxLookahead ? LimiterCore::kMaxLookahead
                : v_.lookahead >= 256                      ? 256
                                                           : 128;
  s.kernelLength = 8;
  while (s.kernelLength < v_.kernelLength && s.kernelLength < LimiterCore::kMaxKernel) s.kernelLength <<= 1;
  if (2 * s.kernelLength > s.lookahead) s.kernelLength = s.lookahead / 2;
  s.envDelay = s.lookahead - 2 * s.kernelLength + 2;
  const int rawLen = s.lookahead + 31;
  s.levellerCoeff = v_.levellerCoeff;
  s.w1 = (attShow & 1) != 0;
  s.w2 = (attShow & 2) != 0;
  s.w4 = (attShow & 4) != 0;

  Pair* raw = rawDelay_.get();
  double gd = driveGain_;
  double go = outputGain_;
  int rawPos = rawPos_ < rawLen ? rawPos_ : 0;

  for (std::int32_t start = 0; start < frames; start += kChunk) {
    const int count = frames - start < kChunk ? static_cast<int>(frames - start) : kChunk;

    // Chunk snapshot of the values the parameter thread writes.
    const double driveT = v_.driveTarget;
    const double outT = v_.sw.autoOut == 1 ? 1.0 / driveT : static_cast<double>(v_.outputTarget);
    const bool power = v_.limiterSwitch != 0.0;
    const bool quantize = v_.sw.quantize == 1;
    const bool autoblack = v_.sw.autoblack == 1;
    const int recon = v_.sw.meterOvs == 1 ? v_.reconCode : 0;
    const int detector = v_.sw.oversample == 1 ? v_.reconCode : 0;
    s.detector = detector < 0 || detector > 2 ? 0 : detector;
    s.secondOrder = v_.sw.detectorOrder == 1;
    s.levellerThreshold = v_.levellerThreshold[0];
    s.link = v_.link;
    s.transient[0] = v_.transient[0];
    s.transient[1] = v_.transient[1];
    for (int i = 0; i < kFollowers; ++i) {
      s.attack[i] = v_.attack[i];
      s.release[i] = v_.release[i];
    }

    // Gains, raw delay, drive and leveller.
    double outGain[kChunk];
    double driveGain[kChunk];
    if (settled(gd, driveT)) {
      for (int j = 0; j < count; ++j) driveGain[j] = gd;
    } else {
      for (int j = 0; j < count; ++j) driveGain[j] = gd = smoothStep(gd, driveT, c30);
    }
    if (settled(go, outT)) {
      for (int j = 0; j < count; ++j) outGain[j] = go;
    } else {
      for (int j = 0; j < count; ++j) outGain[j] = go = smoothStep(go, outT, c30);
    }
    Pair rawOut[kChunk];
    core.level(
        count,
        [&](int j) {
          const Pair x = Pair{admit(static_cast<double>(inL[start + j])), admit(static_cast<double>(inR[start + j]))};
          rawOut[j] = raw[rawPos];
          raw[rawPos] = x;
          if (++rawPos == rawLen) rawPos = 0;
          return x * driveGain[j];
        },
        s.levellerThreshold, s.levellerCoeff);
    core.run(count, s, conv_);

    // Output or bypass into the output meters' history.
    const Pair* o = core.delayed();
    const Pair* g = core.gain();
    const Pair* r = core.reading();
    double* yL = meters_.outputIn(0);
    double* yR = meters_.outputIn(1);
    Pair gr[kChunk];
    for (int j = 0; j < count; ++j) {
      Pair y;
      if (power) {
        y = g[j] * o[j] * outGain[j];
        gr[j] = r[j];
      } else {
        y = rawOut[j];
        gr[j] = splat(1.0);
      }
      yL[j] = y[0];
      yR[j] = y[1];
    }

    // Meters, then requantizer and clamp; right before left.
    meters_.limiterBlock(count, rawOut, sIn, gr, recon, cMs);
    const double* sampleL = yL;
    const double* sampleR = yR;
    double quantL[kChunk], quantR[kChunk];
    if (quantize) {
      for (int j = 0; j < count; ++j) {
        quantL[j] = yL[j];
        quantR[j] = yR[j];
      }
      requant_.processBlock(quantL, quantR, count, q, qStep, autoblack, kBlack);
      sampleL = quantL;
      sampleR = quantR;
    }
    for (int j = 0; j < count; ++j) {
      outR[start + j] = clampedAndNarrowed<T>(sampleR[j]);
      outL[start + j] = clampedAndNarrowed<T>(sampleL[j]);
    }
    meters_.endBlock(count);
  }

  driveGain_ = gd;
  outputGain_ = go;
  rawPos_ = rawPos;
}

template void Engine::processLimiter<float>(const float*, const float*, float*, float*, std::int32_t) noexcept;
template void Engine::processLimiter<double>(const double*, const double*, double*, double*, std::int32_t) noexcept;

}  // namespace stellix
