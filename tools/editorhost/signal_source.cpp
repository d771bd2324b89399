#include "tools/editorhost/signal_source.h"

#include <bit>
#include <cmath>

namespace stellix::editorhost {
namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

SignalSource::SignalSource(SignalKind kind, double levelDb, double sampleRate)
    : kind_(kind), gain_(std::pow(10.0, levelDb / 20.0)), sampleRate_(sampleRate) {
  if (kind_ == SignalKind::kPink) {
    // kRows + 1 uniform values in -1 ... 1 (variance 1/3 each) are summed: scale the sum to the
    // RMS of a sine of peak gain_.
    gain_ *= std::sqrt(0.5) / std::sqrt((kRows + 1) / 3.0);
    for (double& row : rows_) {
      row = uniform();
      rowSum_ += row;
    }
  }
}

double SignalSource::uniform() {
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  return static_cast<double>(random_) / 2147483647.5 - 1.0;
}

double SignalSource::next() {
  switch (kind_) {
    case SignalKind::kSilence: return 0.0;
    case SignalKind::kSine: {
      const double v = std::sin(kTwoPi * phase_);
      phase_ += kSineHz / sampleRate_;
      phase_ -= std::floor(phase_);
      return gain_ * v;
    }
    case SignalKind::kSweep: {
      // Exponential sweep, restarted every kSweepSeconds; the phase runs on across restarts.
      const double period = kSweepSeconds * sampleRate_;
      const double t = std::fmod(static_cast<double>(frame_++), period) / period;
      const double hz = kSweepLowHz * std::pow(kSweepHighHz / kSweepLowHz, t);
      const double v = std::sin(kTwoPi * phase_);
      phase_ += hz / sampleRate_;
      phase_ -= std::floor(phase_);
      return gain_ * v;
    }
    case SignalKind::kPink: {
      // Row k is redrawn every 2^(k+1) samples: the one picked by the trailing zeros of the count.
      const std::uint64_t n = ++frame_;
      const int row = std::countr_zero(n);
      if (row < kRows) {
        rowSum_ -= rows_[row];
        rows_[row] = uniform();
        rowSum_ += rows_[row];
      }
      return gain_ * (rowSum_ + uniform());
    }
  }
  return 0.0;
}

void SignalSource::fill(float* out, int frames) {
  for (int i = 0; i < frames; ++i) out[i] = static_cast<float>(next());
}

}  // namespace stellix::editorhost
