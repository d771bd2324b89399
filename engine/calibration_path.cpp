#include "engine/engine.h"

namespace stellix {

template <typename T>
void Engine::processCalibration(T* outL, T* outR, std::int32_t frames) noexcept {
  for (std::int32_t i = 0; i < frames; ++i) {
    if (outR) outR[i] = T(0);
    if (outL) outL[i] = T(0);
  }
}

template void Engine::processCalibration<float>(float*, float*, std::int32_t) noexcept;
template void Engine::processCalibration<double>(double*, double*, std::int32_t) noexcept;

}  // namespace stellix
