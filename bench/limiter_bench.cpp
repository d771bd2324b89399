// Limiter path throughput per stereo sample. "rt" is seconds of audio processed per second
// of CPU time (real-time factor on one core).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_common.h"

namespace stellix {
namespace {

struct BenchSettings {
  int rate = 44100;
  bool oversample = false;
  bool secondOrder = false;
  int block = 512;
  bool silence = false;
};

void setUp(Engine& e, const BenchSettings& b) {
  bench::setDefaultProgram(e, b.rate);
  e.values().sw.oversample = b.oversample ? 1 : 0;
  e.values().sw.detectorOrder = b.secondOrder ? 1 : 0;
  e.reset();
}

void limiterPath(benchmark::State& state, BenchSettings b) {
  Engine e;
  setUp(e, b);
  const std::size_t n = 1 << 16;
  std::vector<float> inL = b.silence ? std::vector<float>(n) : bench::material(n, 1);
  std::vector<float> inR = b.silence ? std::vector<float>(n) : bench::material(n, 2);
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
