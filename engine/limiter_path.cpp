#include "engine/engine.h"

namespace stellix {

template <typename T>
void Engine::processLimiter(const T*, const T*, T* outL, T* outR, std::int32_t frames) noexcept {
  for (std::int32_t i = 0; i < frames; ++i) {
    outR[i] = T(0);
    outL[i] = T(0);
  }
}

template void Engine::processLimiter<float>(const float*, const float*, float*, float*, std::int32_t) noexcept;
template void Engine::processLimiter<double>(const double*, const double*, double*, double*, std::int32_t) noexcept;

}  // namespace stellix
