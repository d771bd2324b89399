// Shared set-up of the engine benchmarks: the "Default" program and loud test material.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "engine/engine.h"

namespace stellix::bench {

// The "Default" factory program at a sample rate: Output and Drive 0 dB, Transient 20 %,
// Release 0.7237, TransShape A-hard, full link, leveller off, all gain-reduction flags.
// The caller sets its own switches and then resets the engine.
inline void setDefaultProgram(Engine& e, int rate) {
  EngineValues& v = e.values();
  e.setSampleRate(rate);
  e.setTransShape(0);
  v.driveTarget = 1.0;
  v.outputTarget = 1.0;
  const double t = 0.2 * 1.4142136;
  e.setTransient(t * t * 0.25);
  e.setReleaseTime(std::pow(10.0, 3.0 * std::pow(0.7237, 0.82030212)));
  e.setLevellerThreshold(1.0);
  v.link = 1.0;
  v.sw.power = 1;
  v.limiterSwitch = 1.0;
  v.sw.attShow = 7;
}

// Loud programme-like material: noise with a slow level swing and a tone, peaking above
// full scale so the limiter works all the time.
inline std::vector<float> material(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double swing = 0.8 + 0.6 * std::sin(2.0 * M_PI * i / 20000.0);
    x[i] = static_cast<float>(swing * (0.6 * u(rng) + 0.5 * std::sin(0.03 * i)));
  }
  return x;
}

}  // namespace stellix::bench
