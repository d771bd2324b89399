#include "tools/render/meters.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace stellix::render {
namespace {

constexpr double kKaiserBeta = 5.5;

double toDb(double linear) {
  return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

}  // namespace

TruePeakMeter::TruePeakMeter(int channels)
    : channels_(channels),
      lines_(static_cast<std::size_t>(channels), std::vector<float>(kTaps - 1 + kBlock, 0.0f)) {
  // Prototype: a windowed sinc at 4x the rate, cut off at the original Nyquist frequency,
  // odd length so that phase 0 is the input sample itself. Phases 1..3 are its other taps.
  constexpr int length = kFactor * kTaps + 1;
  constexpr double centre = (length - 1) / 2.0;
  const double norm = std::cyl_bessel_i(0.0, kKaiserBeta);
  for (int p = 1; p < kFactor; ++p) {
    double taps[kTaps];
    double sum = 0.0;
    for (int k = 0; k < kTaps; ++k) {
      const int m = p + kFactor * k;
      const double x = (m - centre) / kFactor;
      const double r = (m - centre) / centre;
      const double window = std::cyl_bessel_i(0.0, kKaiserBeta * std::sqrt(1.0 - r * r)) / norm;
      taps[k] = std::sin(std::numbers::pi * x) / (std::numbers::pi * x) * window;
      sum += taps[k];
    }
    // Unity gain at DC for every phase.
    for (int k = 0; k < kTaps; ++k) phases_[p - 1][k] = static_cast<float>(taps[k] / sum);
  }
}

namespace {

using Floats8 = float __attribute__((vector_size(32)));
using Ints8 = std::int32_t __attribute__((vector_size(32)));

// Largest magnitude of the interpolated values between x[0 .. frames) and their
// predecessors, at least peak. Eight outputs at a time stay in registers over all taps.
// Built for AVX2 too, chosen at run time where the processor has it.
__attribute__((target_clones("avx2", "default"))) float interpolatedPeak(
    const std::array<std::array<float, TruePeakMeter::kTaps>, TruePeakMeter::kFactor - 1>& phases, const float* x,
    std::size_t frames, float peak) {
  constexpr int taps = TruePeakMeter::kTaps;
  Floats8 top = {};
  std::size_t n = 0;
  for (; n + 8 <= frames; n += 8) {
    for (const auto& c : phases) {
      Floats8 sum = {};
      for (int k = 0; k < taps; ++k) {
        Floats8 window;
        std::memcpy(&window, x + n - k, sizeof window);
        sum += c[k] * window;
      }
      const Floats8 magnitude = reinterpret_cast<Floats8>(reinterpret_cast<Ints8>(sum) & 0x7fffffff);
      top = magnitude > top ? magnitude : top;
    }
  }
  for (int i = 0; i < 8; ++i) peak = std::max(peak, top[i]);
  for (; n < frames; ++n) {
    for (const auto& c : phases) {
      float sum = 0.0f;
      for (int k = 0; k < taps; ++k) sum += c[k] * x[static_cast<std::ptrdiff_t>(n) - k];
      peak = std::max(peak, std::fabs(sum));
    }
  }
  return peak;
}

}  // namespace

// Interpolates the block in lines_[channel] (after its kTaps - 1 samples of history) and
// keeps the history for the next block.
void TruePeakMeter::filter(int channel, std::size_t frames) {
  std::vector<float>& line = lines_[channel];
  // The first kTaps - 1 frames of the stream have no full window yet.
  const std::size_t skip = std::min(frames, seen_ < kTaps - 1 ? kTaps - 1 - seen_ : 0);
  truePeak_ = interpolatedPeak(phases_, line.data() + (kTaps - 1) + skip, frames - skip, truePeak_);
  std::copy(line.begin() + static_cast<std::ptrdiff_t>(frames), line.begin() + static_cast<std::ptrdiff_t>(frames + kTaps - 1),
            line.begin());
}

void TruePeakMeter::add(const double* interleaved, std::size_t frames) {
  const std::size_t ch = static_cast<std::size_t>(channels_);
  for (std::size_t start = 0; start < frames; start += kBlock) {
    const std::size_t n = std::min(kBlock, frames - start);
    const double* block = interleaved + start * ch;
    for (std::size_t c = 0; c < ch; ++c) {
      float* in = lines_[c].data() + (kTaps - 1);
      for (std::size_t i = 0; i < n; ++i) {
        const double v = block[i * ch + c];
        samplePeak_ = std::max(samplePeak_, std::fabs(v));
        in[i] = static_cast<float>(v);
      }
      filter(static_cast<int>(c), n);
    }
    seen_ += n;
  }
}

double TruePeakMeter::truePeak() const { return std::max(samplePeak_, static_cast<double>(truePeak_)); }

struct LevelMeter::Loudness {
  ebur128_state* state;
  ~Loudness() { ebur128_destroy(&state); }
};

LevelMeter::LevelMeter(int channels, int sampleRate) : channels_(channels), peaks_(channels) {
  // The histogram mode keeps the gating blocks in fixed-size tables instead of a list that
  // grows with the length of the stream.
  ebur128_state* state = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate),
                                      EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_HISTOGRAM);
  if (!state) throw std::runtime_error("the loudness meter cannot measure this format");
  loudness_.reset(new Loudness{state});
}

LevelMeter::~LevelMeter() = default;

void LevelMeter::add(const double* interleaved, std::size_t frames) {
  if (frames == 0) return;
  if (ebur128_add_frames_double(loudness_->state, interleaved, frames) != EBUR128_SUCCESS)
    throw std::runtime_error("the loudness meter ran out of memory");
  peaks_.add(interleaved, frames);
}

Levels LevelMeter::result() {
  Levels l{};
  l.samplePeakDb = toDb(peaks_.samplePeak());
  l.truePeakDb = toDb(peaks_.truePeak());
  if (ebur128_loudness_global(loudness_->state, &l.loudnessLufs) != EBUR128_SUCCESS)
    l.loudnessLufs = -std::numeric_limits<double>::infinity();
  if (ebur128_loudness_range(loudness_->state, &l.rangeLu) != EBUR128_SUCCESS) l.rangeLu = 0.0;
  return l;
}

}  // namespace stellix::render
