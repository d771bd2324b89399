// The limiter engine: working values, structural set-up and the two processing paths.
//
// Threading: the set-up calls marked [locked] run with the caller holding the processing
// mutex (construction, sample-rate change, TransShape change, suspend). The value setters
// marked [any] are plain relaxed stores from the parameter thread; the paths read them at
// block start or per sample. The process calls run on the audio thread under the mutex.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/convolution.h"
#include "engine/detector.h"
#include "engine/meters.h"
#include "engine/pink_noise.h"
#include "engine/requantizer.h"

namespace stellix {

// Relaxed-order scalar shared between the parameter thread and the audio thread.
template <typename T>
class Relaxed {
 public:
  constexpr Relaxed(T v = T{}) noexcept : v_(v) {}
  Relaxed(const Relaxed& o) noexcept : v_(o.load()) {}
  Relaxed& operator=(const Relaxed& o) noexcept {
    store(o.load());
    return *this;
  }
  Relaxed& operator=(T v) noexcept {
    store(v);
    return *this;
  }
  operator T() const noexcept { return load(); }
  T load() const noexcept { return v_.load(std::memory_order_relaxed); }
  void store(T v) noexcept { v_.store(v, std::memory_order_relaxed); }

 private:
  std::atomic<T> v_;
};

constexpr int kFollowerStages = 8;

// Step-index switches the paths read. Each is the step index of its parameter.
struct EngineSwitches {
  Relaxed<int> oversample{0};
  Relaxed<int> detectorOrder{0};
  Relaxed<int> power{1};
  Relaxed<int> scale{0};
  Relaxed<int> bits{4};
  Relaxed<int> noiseShape{0};
  Relaxed<int> calibrate{0};
  Relaxed<int> meterOvs{0};
  Relaxed<int> autoOut{0};
  Relaxed<int> quantize{0};
  Relaxed<int> autoblack{0};
  Relaxed<int> meterType{0};
  Relaxed<int> attZoom{0};
  Relaxed<int> attShow{0};
  Relaxed<int> postMeter{0};
  Relaxed<int> transShape{2};
};

// Engine working values. Gains are linear factors, times in milliseconds,
// coefficients of the one-pole form 1 - exp(-x).
struct EngineValues {
  // Written from the parameter thread [any].
  Relaxed<double> driveTarget{1.0};
  Relaxed<double> outputTarget{1.0};
  std::array<Relaxed<double>, 2> transient{};  // M per channel, 0 .. 0.5
  std::array<Relaxed<double>, kFollowerStages> attack{};
  std::array<Relaxed<double>, 2> releaseTime{};  // ms per channel
  std::array<Relaxed<double>, kFollowerStages> release{};
  Relaxed<double> link{1.0};
  Relaxed<double> limiterSwitch{1.0};
  std::array<Relaxed<double>, 2> levellerThreshold{};
  EngineSwitches sw;

  // Rate-dependent values, written only under the processing mutex [locked].
  int intRate = 44100;
  double sampleRate = 44100.0;
  int rateShift = 0;
  int lookahead = 128;      // N_la
  int kernelLength = 64;    // N_s
  int outDelayOffset = 2;   // D_env = N_la - 2 N_s + 2
  int reconCode = 2;        // 2: 4x, 1: 2x, 0: no reconstruction
  double rmsCoeff = 0.0;
  double smoothCoeff = 0.0;     // parameter smoothing, a 30 Hz pole
  double autoblackCoeff = 0.0;  // 10 ms
  double levellerCoeff = 0.0;   // 1000 ms
};

// Rate shift for an integer sample rate: 0 below 80 kHz, 1 below 170 kHz, else 2.
int rateShiftFor(int intRate);
// Smoothing kernel length for a TransShape step (0..2) and rate shift (0..2).
int kernelLengthFor(int transShapeStep, int rateShift);
// One-pole coefficient 1 - exp(-1000 / (ms * fs)).
double onePoleCoeff(double ms, double fs);

class LimiterCore;

class Engine {
 public:
  static constexpr int kMaxLookahead = 512;
  static constexpr int kMaxKernel = 128;

  // Allocates every buffer for the largest settings and sets up 44100 Hz. [locked]
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  EngineValues& values() noexcept { return v_; }
  const EngineValues& values() const noexcept { return v_; }

  // Latency of the limiter path in samples: N_la + 31.
  int latency() const noexcept { return v_.lookahead + 31; }

  // [any] Value setters with derived coefficients.
  void setTransient(double amount) noexcept;   // M into both channels, attack coefficients
  void setReleaseTime(double ms) noexcept;     // release time into both channels, release coefficients
  void setLevellerThreshold(double t) noexcept;
  void setNoiseShape(int step) noexcept;       // selection applied at the start of the next block
  void resetGainReductionHolds() noexcept;     // both gain-reduction readings become 1.0

  // [locked] Structural set-up.
  // Applies a new integer sample rate (already clamped to 5000..200000). Recomputes every
  // rate-dependent value and the smoothing kernel when the rate differs from the current one.
  // Returns true when it changed anything. Does not reset: the caller does.
  bool setSampleRate(int intRate);
  // Applies a TransShape step; when it changes, recomputes N_s, D_env, the kernel and resets.
  void setTransShape(int step);
  // Clears every running state, delay line and meter; seeds the random generator. [locked]
  void reset() noexcept;

  // [audio, locked] The limiter path over one block. inR may equal inL and outR may equal
  // outL (mono binding); buffers may be shared between input and output (in place).
  template <typename T>
  void processLimiter(const T* inL, const T* inR, T* outL, T* outR, std::int32_t frames) noexcept;
  // [audio, locked] The calibration path; outL or outR may be null (that channel not written).
  template <typename T>
  void processCalibration(T* outL, T* outR, std::int32_t frames) noexcept;

  // [locked] Instruction set of the detector's and the core's block kernels (default: the widest this CPU
  // runs). Every path gives the same bits; tests and benchmarks compare them.
  void setDetectorPath(SimdPath path) noexcept;

  // [editor, no lock] The ten meter readings: input peak L/R, output peak L/R, input RMS L/R,
  // output RMS L/R, gain reduction L/R (linear). Asks the audio thread for new peaks and holds
  // at its next sample.
  void meterSnapshot(float out[10]) noexcept;

  // Requantizer and meter state, for tests.
  const Requantizer& requantizer() const noexcept { return requant_; }
  const Meters& meters() const noexcept { return meters_; }

 private:
  void recomputeRateValues();
  void recomputeAttack() noexcept;
  void recomputeRelease() noexcept;
  void designKernel();

  // Parts of the suspend reset owned by the requantizer and the meters.
  void resetRequantizer() noexcept;
  void resetMeters() noexcept;

  EngineValues v_;

  // Limiter path state (limiter_path.cpp, limiter_core.cpp).
  SmoothingConvolver conv_;             // brickwall envelope smoothing
  std::unique_ptr<LimiterCore> core_;   // leveller, detector, envelopes, gain
  std::unique_ptr<Pair[]> rawDelay_;    // undriven input, left/right, kMaxLookahead + 31
  int rawPos_ = 0;                      // shared write index, wraps at N_la + 31
  double driveGain_ = 1.0;              // g_d, smoothed toward driveTarget
  double outputGain_ = 1.0;             // g_o, smoothed toward the output-gain target

  // Requantizer, meters and calibration noise (requantizer.h, meters.h, calibration_path.cpp).
  Requantizer requant_;  // also owns the random generator the calibration noise draws from
  Meters meters_;
  PinkNoise pink_;
};

}  // namespace stellix
