// Limiter path throughput per stereo sample. "rt" is seconds of audio processed per second
// of CPU time (real-time factor on one core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/engine.h"

namespace stellix {
namespace {

struct BenchSettings {
  int rate = 44100;
  bool oversample = false;
  bool secondOrder = false;
  int block = 512;
  bool silence = false;
};

// The "Default" factory program: Output 0 dB, Drive 0 dB, Transient 20 %, Release 0.7237,
// TransShape A-hard, full link, no oversampling, detector order I, leveller off.
void setDefaultProgram(Engine& e, const BenchSettings& b) {
  EngineValues& v = e.values();
  e.setSampleRate(b.rate);
  e.setTransShape(0);
  v.driveTarget = 1.0;
  v.outputTarget = 1.0;
  const double t = 0.2 * 1.4142136;
  e.setTransient(t * t * 0.25);
  e.setReleaseTime(std::pow(10.0, 3.0 * std::pow(0.7237, 0.82030212)));
  e.setLevellerThreshold(1.0);
  v.link = 1.0;
  v.sw.oversample = b.oversample ? 1 : 0;
  v.sw.detectorOrder = b.secondOrder ? 1 : 0;
  v.sw.power = 1;
  v.limiterSwitch = 1.0;
  v.sw.attShow = 7;
  e.reset();
}

// Loud programme-like material: noise with a slow level swing and a tone, peaking above
// full scale so the limiter works all the time.
std::vector<float> material(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double swing = 0.8 + 0.6 * std::sin(2.0 * M_PI * i / 20000.0);
    x[i] = static_cast<float>(swing * (0.6 * u(rng) + 0.5 * std::sin(0.03 * i)));
  }
  return x;
}

void limiterPath(benchmark::State& state, BenchSettings b) {
  Engine e;
  setDefaultProgram(e, b);
  const std::size_t n = 1 << 16;
  std::vector<float> inL = b.silence ? std::vector<float>(n) : material(n, 1);
  std::vector<float> inR = b.silence ? std::vector<float>(n) : material(n, 2);
  std::vector<float> outL(n), outR(n);
  std::size_t pos = 0;
  for (auto _ : state) {
    if (pos + b.block > n) pos = 0;
    e.processLimiter<float>(inL.data() + pos, inR.data() + pos, outL.data() + pos, outR.data() + pos, b.block);
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    pos += b.block;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * b.block);
  state.counters["rt"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * b.block / b.rate, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(limiterPath, default_44k, BenchSettings{});
BENCHMARK_CAPTURE(limiterPath, oversample_44k, BenchSettings{44100, true});
BENCHMARK_CAPTURE(limiterPath, order2_44k, BenchSettings{44100, false, true});
BENCHMARK_CAPTURE(limiterPath, default_96k, BenchSettings{96000});
BENCHMARK_CAPTURE(limiterPath, oversample_96k, BenchSettings{96000, true});
BENCHMARK_CAPTURE(limiterPath, default_192k, BenchSettings{192000});
BENCHMARK_CAPTURE(limiterPath, block32_44k, BenchSettings{44100, false, false, 32});
BENCHMARK_CAPTURE(limiterPath, block4096_44k, BenchSettings{44100, false, false, 4096});
BENCHMARK_CAPTURE(limiterPath, oversample_block4096_44k, BenchSettings{44100, true, false, 4096});
BENCHMARK_CAPTURE(limiterPath, silence_44k, BenchSettings{44100, false, false, 512, true});

}  // namespace
}  // namespace stellix
