// Level measurement of a signal stream: sample peak, true peak (ITU-R BS.1770-4: 4x
// oversampled peak), integrated loudness and loudness range (EBU R 128 with libebur128).
// Memory stays the same whatever the length of the stream.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace stellix::render {

struct Levels {
  double samplePeakDb;  // dBFS; -inf for digital silence
  double truePeakDb;    // dBTP
  double loudnessLufs;  // integrated; -inf below the absolute gate
  double rangeLu;       // loudness range
};

// Peak of the signal reconstructed between samples, from a 4x polyphase interpolator
// (Kaiser-windowed sinc, 16 taps per phase: within 0.02 dB up to 0.35 times the sample
// rate, +0.003 dB at a quarter of it). It also sees the samples themselves, so it is never
// below the sample peak. Values between samples count only where the filter's window lies
// wholly inside the stream: the silence before and after a stream is not part of it, and an
// abrupt start or end would otherwise read as an overshoot. The filter runs in single
// precision over blocks of samples.
class TruePeakMeter {
 public:
  explicit TruePeakMeter(int channels);
  void add(const double* interleaved, std::size_t frames);
  double samplePeak() const { return samplePeak_; }
  double truePeak() const;

  static constexpr int kFactor = 4;
  static constexpr int kTaps = 16;  // per phase
  static constexpr std::size_t kBlock = 256;

 private:
  void filter(int channel, std::size_t frames);

  int channels_;
  std::array<std::array<float, kTaps>, kFactor - 1> phases_{};
  // Per channel: the last kTaps - 1 samples, then the block being measured.
  std::vector<std::vector<float>> lines_;
  std::size_t seen_ = 0;  // frames so far
  double samplePeak_ = 0.0;
  float truePeak_ = 0.0f;
};

class LevelMeter {
 public:
  // Throws std::runtime_error when libebur128 refuses the format.
  LevelMeter(int channels, int sampleRate);
  ~LevelMeter();
  LevelMeter(const LevelMeter&) = delete;
  LevelMeter& operator=(const LevelMeter&) = delete;

  void add(const double* interleaved, std::size_t frames);
  Levels result();

 private:
  struct Loudness;  // libebur128's state
  int channels_;
  std::unique_ptr<Loudness> loudness_;
  TruePeakMeter peaks_;
};

}  // namespace stellix::render
