#include "engine/requantizer.h"

namespace stellix {

Requantizer::Requantizer() noexcept : set_(&noiseShapeOff()) { reset(); }

void Requantizer::reset() noexcept {
  rng_.seed();
  for (Pair& e : err_) e = splat(0.0);
  for (Pair& e : walk_) e = splat(0.0);
  w_ = 0;
  g_ = 1e-20;
}

// Off takes the all-zero set. A type takes its set for the rate; at a rate without sets the
// previous set stays and only the order follows the type.
void Requantizer::select(int type, int intRate) noexcept {
  type = clampType(type);
  w_ = 0;
  if (type == 0) {
    set_ = &noiseShapeOff();
  } else if (const NoiseShapeSet* s = noiseShapeSet(type, intRate)) {
    set_ = s;
  }
  order_ = noiseShapeOrder(type);
  type_ = type;
  for (int i = 0; i < order_; ++i) walk_[i] = walk_[i + order_] = err_[i];
}

}  // namespace stellix
