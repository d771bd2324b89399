// The test signal the audio thread feeds the plug-in, so that its meters have something to show.
#pragma once

#include <cstdint>

#include "tools/editorhost/options.h"

namespace stellix::editorhost {

class SignalSource {
 public:
  // levelDb is the peak of the sine and the sweep; pink noise gets the RMS of a sine of that peak.
  SignalSource(SignalKind kind, double levelDb, double sampleRate);

  // The next frames samples of the (mono) signal.
  void fill(float* out, int frames);

  static constexpr double kSineHz = 997.0;
  static constexpr double kSweepLowHz = 20.0;
  static constexpr double kSweepHighHz = 20000.0;
  static constexpr double kSweepSeconds = 10.0;

 private:
  double next();
  double uniform();

  SignalKind kind_;
  double gain_;
  double sampleRate_;
  double phase_ = 0.0;  // in turns
  std::uint64_t frame_ = 0;
  // Pink noise: Voss-McCartney rows, each redrawn at half the rate of the one before.
  static constexpr int kRows = 16;
  double rows_[kRows] = {};
  double rowSum_ = 0.0;
  std::uint32_t random_ = 0x9E3779B9u;
};

}  // namespace stellix::editorhost
