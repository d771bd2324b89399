// Helpers for the limiter tests: an engine set up from plain settings, and block-wise runs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/engine.h"

namespace stellix::testing {

struct LimiterSettings {
  int rate = 44100;
  int transShape = 2;
  double drive = 1.0;
  double output = 1.0;
  double transient = 0.0;
  double releaseMs = 50.0;
  double link = 1.0;
  double leveller = 1.0;
  bool oversample = false;
  bool secondOrder = false;
  bool power = true;
  int attShow = 7;
};

inline std::unique_ptr<Engine> makeEngine(const LimiterSettings& s) {
  auto e = std::make_unique<Engine>();
  EngineValues& v = e->values();
  e->setSampleRate(s.rate);
  e->setTransShape(s.transShape);
  v.driveTarget = s.drive;
  v.outputTarget = s.output;
  e->setTransient(s.transient);
  e->setReleaseTime(s.releaseMs);
  e->setLevellerThreshold(s.leveller);
  v.link = s.link;
  v.sw.oversample = s.oversample ? 1 : 0;
  v.sw.detectorOrder = s.secondOrder ? 1 : 0;
  v.sw.power = s.power ? 1 : 0;
  v.limiterSwitch = s.power ? 1.0 : 0.0;
  v.sw.attShow = s.attShow;
  e->reset();
  return e;
}

struct Stereo {
  std::vector<double> l, r;
};

// Runs the whole signal through the engine in blocks of `block` frames (separate buffers).
template <typename T = double>
Stereo run(Engine& e, const Stereo& in, std::size_t block) {
  const std::size_t n = in.l.size();
  std::vector<T> il(in.l.begin(), in.l.end()), ir(in.r.begin(), in.r.end());
  std::vector<T> ol(n), orr(n);
  for (std::size_t i = 0; i < n; i += block) {
    const auto count = static_cast<std::int32_t>(std::min(block, n - i));
    e.processLimiter<T>(il.data() + i, ir.data() + i, ol.data() + i, orr.data() + i, count);
  }
  return {std::vector<double>(ol.begin(), ol.end()), std::vector<double>(orr.begin(), orr.end())};
}

}  // namespace stellix::testing
