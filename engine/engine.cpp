#include "engine/engine.h"

#include <algorithm>
#include <cmath>

#include "engine/limiter_core.h"

namespace stellix {

int rateShiftFor(int intRate) {
  if (intRate < 80000) return 0;
  if (intRate < 170000) return 1;
  return 2;
}

int kernelLengthFor(int transShapeStep, int rateShift) {
  static constexpr int kBase[3] = {8, 16, 64};
  const int s = transShapeStep < 0 ? 0 : (transShapeStep > 2 ? 2 : transShapeStep);
  const int r = rateShift < 0 ? 0 : (rateShift > 2 ? 2 : rateShift);
  const int n = kBase[s] << r;
  return n > Engine::kMaxKernel ? Engine::kMaxKernel : n;
}

double onePoleCoeff(double ms, double fs) { return 1.0 - std::exp(-1000.0 / (ms * fs)); }

Engine::Engine()
    : core_(std::make_unique<LimiterCore>()), rawDelay_(std::make_unique<Pair[]>(kMaxLookahead + 31)) {
  v_.transient[0] = v_.transient[1] = 0.0;
  v_.releaseTime[0] = v_.releaseTime[1] = 200.0;
  v_.levellerThreshold[0] = v_.levellerThreshold[1] = 1.0;
  v_.intRate = 0;  // forces the first set-up
  setSampleRate(44100);
  reset();
}

Engine::~Engine() = default;

void Engine::recomputeAttack() noexcept {
  // Eight attack times from 32 ms down to 1 ms in steps of 31/7 ms.
  double t = 32.0;
  for (int i = 0; i < kFollowerStages; ++i) {
    v_.attack[i] = onePoleCoeff(t, v_.sampleRate);
    t -= 4.428571428571429;
  }
}

void Engine::recomputeRelease() noexcept {
  // Eight release times from the release time T down (or up) to 2 ms.
  double t = v_.releaseTime[0];
  const double d = (t - 2.0) / 7.0;
  for (int i = 0; i < kFollowerStages; ++i) {
    v_.release[i] = onePoleCoeff(t, v_.sampleRate);
    t -= d;
  }
}

void Engine::setTransient(double amount) noexcept {
  v_.transient[0] = amount;
  v_.transient[1] = amount;
  recomputeAttack();
}

void Engine::setReleaseTime(double ms) noexcept {
  v_.releaseTime[0] = ms;
  v_.releaseTime[1] = ms;
  recomputeRelease();
}

void Engine::setLevellerThreshold(double t) noexcept {
  v_.levellerThreshold[0] = t;
  v_.levellerThreshold[1] = t;
}

void Engine::setNoiseShape(int step) noexcept {
  v_.sw.noiseShape = step;
  requant_.requestNoiseShape(step);
}

void Engine::resetGainReductionHolds() noexcept { meters_.resetHolds(); }

void Engine::meterSnapshot(float out[10]) noexcept { meters_.snapshot(out); }

void Engine::recomputeRateValues() {
  const double fs = v_.sampleRate;
  v_.rateShift = rateShiftFor(v_.intRate);
  v_.lookahead = 128 << v_.rateShift;
  v_.kernelLength = kernelLengthFor(v_.sw.transShape, v_.rateShift);
  v_.outDelayOffset = v_.lookahead - 2 * v_.kernelLength + 2;
  recomputeRelease();
  recomputeAttack();
  v_.rmsCoeff = 1.0 - std::pow(0.01, 1000.0 / (fs * 600.0));
  v_.smoothCoeff = 1.0 - std::exp(-188.49555921538757 / fs);
  v_.autoblackCoeff = 1.0 - std::exp(-1000.0 / (fs * 10.0));
  v_.levellerCoeff = 1.0 - std::exp(-1000.0 / (fs * 1000.0));
  v_.reconCode = v_.intRate <= 48000 ? 2 : (v_.intRate <= 96000 ? 1 : 0);
  requant_.rateChanged(v_.intRate);
  designKernel();
}

bool Engine::setSampleRate(int intRate) {
  if (intRate == v_.intRate) return false;
  v_.intRate = intRate;
  v_.sampleRate = static_cast<double>(intRate);
  recomputeRateValues();
  return true;
}

void Engine::setTransShape(int step) {
  if (step == v_.sw.transShape) return;
  v_.sw.transShape = step;
  v_.kernelLength = kernelLengthFor(step, v_.rateShift);
  v_.outDelayOffset = v_.lookahead - 2 * v_.kernelLength + 2;
  designKernel();
  reset();
}

void Engine::designKernel() { conv_.prepare(v_.kernelLength); }

void Engine::setDetectorPath(SimdPath path) noexcept {
  const SimdPath p = simdPathAvailable(path) ? path : SimdPath::Scalar;
  core_->setSimdPath(p);
  meters_.setSimdPath(p);  // the output meters' reconstruction runs the same kernels
}

void Engine::reset() noexcept {
  resetRequantizer();
  core_->reset();
  std::fill_n(rawDelay_.get(), kMaxLookahead + 31, Pair{0.0, 0.0});
  rawPos_ = 0;
  driveGain_ = v_.driveTarget;
  outputGain_ = v_.outputTarget;
  resetMeters();
}

// Dither generator seeding and noise-shaping history: the requantizer's part of the reset,
// with the calibration noise that draws from the same generator.
void Engine::resetRequantizer() noexcept {
  requant_.reset();
  pink_.reset();
}

// Peak and RMS readings, gain-reduction holds and the meter-read flag: the meters' part.
void Engine::resetMeters() noexcept { meters_.reset(); }

}  // namespace stellix
