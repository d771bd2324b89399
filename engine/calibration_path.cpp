#include "engine/engine.h"

namespace stellix {

// Glossary (per sample):
//   gen       which channels carry noise: Calibrate 1 left, 2 both (independent), 3 right
//   row       pink-noise row renewed at this sample, shared by both channels
//   s         the noise sample: (row sum + white) 0.1 / sqrt(2) / sqrt(3) times the level, so
//             that the meters' RMS (sqrt(2 mean square)) reads 0.1 at level 1.0 (K-20)
// The inputs, the gain smoothers and the limiter's delay lines are not touched.
template <typename T>
void Engine::processCalibration(T* outL, T* outR, std::int32_t frames) noexcept {
  if (frames <= 0) return;
  static constexpr double kLevel[3] = {2.5118864315, 2.0, 1.0};  // K-12, K-14, K-20
  constexpr double kSqrt2 = static_cast<double>(1.4142135f);
  const int scale = v_.sw.scale;
  const double level = kLevel[scale < 0 ? 0 : (scale > 2 ? 2 : scale)];
  const int calibrate = v_.sw.calibrate;
  const bool gen[2] = {calibrate == 1 || calibrate == 2, calibrate == 2 || calibrate == 3};
  const double cMs = v_.rmsCoeff;
  RandomGenerator& rng = requant_.random();

  for (std::int32_t i = 0; i < frames; ++i) {
    const int row = pink_.row();
    double s[2] = {0.0, 0.0};
    for (int ch = 0; ch < 2; ++ch)
      if (gen[ch]) s[ch] = pink_.next(ch, row, rng) * 0.1 / kSqrt2 / 1.73205081 * level;
    pink_.advance();
    meters_.calibrationSample(s, gen, cMs);
    if (outR) outR[i] = static_cast<T>(s[1]);
    if (outL) outL[i] = static_cast<T>(s[0]);
  }
}

template void Engine::processCalibration<float>(float*, float*, std::int32_t) noexcept;
template void Engine::processCalibration<double>(double*, double*, std::int32_t) noexcept;

}  // namespace stellix
