#include <benchmark/benchmark.h>

#include <vector>

#include "engine/convolution.h"

namespace {

// One frame convolution per kernel length; the limiter runs two of these every N samples.
void BM_ConvolveFrame(benchmark::State& state) {
  const int N = static_cast<int>(state.range(0));
  stellix::SmoothingConvolver conv;
  conv.prepare(N);
  std::vector<double> frame(2 * N, 0.0);
  for (auto _ : state) {
    for (int j = 0; j < N; ++j) {
      frame[2 * j] = 1.0 + 0.001 * j;
      frame[2 * j + 1] = 0.0;
    }
    conv.convolve(frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetItemsProcessed(state.iterations() * N);
}
BENCHMARK(BM_ConvolveFrame)->RangeMultiplier(2)->Range(8, 128);

}  // namespace
