// Built-in demo material for the limiter: four bars at 120 bpm of kick, snare and hi-hat
// transients, a bass line and sustained chords, stereo at 44100 Hz, its highest sample just
// below 0 dBFS. Synthesized once on construction (8 s, 5.6 MB).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stellix::render {

class DemoMaterial {
 public:
  static constexpr int kRate = 44100;
  static constexpr double kPeak = 0.98;  // -0.18 dBFS
  static constexpr std::int64_t kFrames = 8 * kRate;  // 4 bars of 2 s

  DemoMaterial();

  // Writes frames stereo frames from position on; answers how many were left.
  std::size_t render(std::int64_t position, double* interleaved, std::size_t frames) const;

 private:
  std::vector<double> samples_;  // interleaved
};

}  // namespace stellix::render
