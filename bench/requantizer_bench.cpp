// Limiter path throughput with the output stages: requantizer (noise shaping of order 32),
// reconstructed output meters, and everything at once. "rt" is seconds of audio processed
// per second of CPU time (real-time factor on one core).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_common.h"

namespace stellix {
namespace {

struct OutputStages {
  bool quantize = false;
  bool meterOvs = false;
  bool oversample = false;
  int rate = 44100;
};

constexpr int kNoiseShapeF = 6;
constexpr int kBits24 = 4;

// The "Default" program with the stages under test switched on.
void setUp(Engine& e, const OutputStages& o) {
  bench::setDefaultProgram(e, o.rate);
  EngineValues& v = e.values();
  v.sw.oversample = o.oversample ? 1 : 0;
  v.sw.meterOvs = o.meterOvs ? 1 : 0;
  v.sw.quantize = o.quantize ? 1 : 0;
  v.sw.bits = kBits24;
  v.sw.autoblack = 1;
  e.setNoiseShape(o.quantize ? kNoiseShapeF : 0);
  e.reset();
}

void outputStages(benchmark::State& state, OutputStages o) {
  Engine e;
  setUp(e, o);
  constexpr int kBlock = 512;
  const std::size_t n = 1 << 16;
  const std::vector<float> inL = bench::material(n, 1), inR = bench::material(n, 2);
  std::vector<float> outL(n), outR(n);
  std::size_t pos = 0;
  float meters[10];
  int blocks = 0;
  for (auto _ : state) {
    if (pos + kBlock > n) pos = 0;
    e.processLimiter<float>(inL.data() + pos, inR.data() + pos, outL.data() + pos, outR.data() + pos, kBlock);
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    pos += kBlock;
    if (++blocks % 4 == 0) e.meterSnapshot(meters);  // about every 40 ms, as the editor does
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kBlock);
  state.counters["rt"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / o.rate, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(outputStages, plain_44k, OutputStages{});
BENCHMARK_CAPTURE(outputStages, quantize_typeF_44k, OutputStages{true, false, false});
BENCHMARK_CAPTURE(outputStages, meterOvs_44k, OutputStages{false, true, false});
BENCHMARK_CAPTURE(outputStages, all_on_44k, OutputStages{true, true, true});
BENCHMARK_CAPTURE(outputStages, all_on_96k, OutputStages{true, true, true, 96000});

}  // namespace
}  // namespace stellix
