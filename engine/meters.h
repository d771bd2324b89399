// Level meters: input and output peaks, input and output mean squares and gain-reduction
// holds per channel, updated per sample by the processing paths and read by the editor.
//
// Threading: the readings are atomics written only by the audio thread (or by reset()
// under the processing mutex) and read by snapshot() on the editor thread without a lock.
// snapshot() and resetHolds() raise request flags that the audio thread honours at its next
// sample, so only the audio thread ever modifies a running reading.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/detector.h"
#include "engine/vec.h"

namespace stellix {

class Meters {
 public:
  // Snapshot order of the ten readings.
  enum Reading { kInPeakL, kInPeakR, kOutPeakL, kOutPeakR, kInRmsL, kInRmsR, kOutRmsL, kOutRmsR, kHoldL, kHoldR };
  static constexpr int kReadings = 10;
  // The output history kept before a block: with the newest sample it makes the 64-sample
  // window of the reconstruction filters.
  static constexpr int kHistory = 63;
  static constexpr int kMaxBlock = 64;

  Meters() noexcept;
  Meters(const Meters&) = delete;
  Meters& operator=(const Meters&) = delete;

  // [locked] Peaks and mean squares 0, holds 1, no pending request, output history zeroed.
  void reset() noexcept;
  // [editor] The ten readings (RMS = sqrt(2 ms)), then a request for new peaks and holds.
  void snapshot(float out[kReadings]) noexcept;
  // [any] Both gain-reduction holds become 1.0, now and again at the next sample.
  void resetHolds() noexcept;
  // [locked] Instruction set of the reconstruction filters.
  void setSimdPath(SimdPath path) noexcept { simd_ = path; }

  // Limiter path, per block of 1 .. kMaxBlock samples:
  //   1. write the outputs (before requantizing and clamping) to outputIn(0) and outputIn(1);
  //   2. limiterBlock(): per sample, in this order, the pending requests, the input readings
  //      from the raw input times inScale, the holds from the gain-reduction readings gr, and
  //      the output readings, reconstructed when recon (the reconstruction factor code in
  //      use) is not 0; c is the RMS coefficient;
  //   3. endBlock(count), once the outputs have been read back.
  double* outputIn(int ch) noexcept { return hist_[ch] + kHistory; }
  void limiterBlock(int count, const Pair* raw, double inScale, const Pair* gr, int recon, double c) noexcept;
  void endBlock(int count) noexcept;

  // Calibration path, per sample: a generated channel feeds its output and input readings,
  // a silent one holds them at 0. The holds stay.
  void calibrationSample(const double s[2], const bool generated[2], double c) noexcept;

  // One reading as the audio thread keeps it (peak, mean square or hold), for tests.
  double raw(Reading r) const noexcept { return v_[r].load(std::memory_order_relaxed); }

 private:
  static constexpr std::uint8_t kReadRequest = 1;  // snapshot taken: new peaks and holds
  static constexpr std::uint8_t kHoldRequest = 2;  // AttShow changed: new holds

  double get(int r) const noexcept { return v_[r].load(std::memory_order_relaxed); }
  void set(int r, double x) noexcept { v_[r].store(x, std::memory_order_relaxed); }
  void raise(int r, double x) noexcept {
    if (x > get(r)) set(r, x);
  }
  void handshake() noexcept;
  void reconstruct(int count, int recon) noexcept;

  // Readings in snapshot order, mean squares in place of the RMS values.
  std::atomic<double> v_[kReadings];
  std::atomic<std::uint8_t> requests_{0};
  SimdPath simd_;
  // Output history then the block, per channel.
  alignas(64) double hist_[2][kHistory + kMaxBlock];
  // Largest reconstructed magnitude per block sample, per channel.
  alignas(64) double recon_[2][kMaxBlock];
};

static_assert(std::atomic<double>::is_always_lock_free, "the meters need lock-free doubles");

}  // namespace stellix
