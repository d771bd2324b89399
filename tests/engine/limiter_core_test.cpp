#include "engine/limiter_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "engine/detector.h"

namespace stellix {
namespace {

// The sliding maximum against a brute-force maximum of the last n values, on sequences that
// exercise rises, falls, ties and lone peaks; the right lane runs the sequence reversed so the
// two channels differ.
TEST(SlidingMaximum, IsTheMaximumOfTheLastNValues) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coarse(0, 4);  // many equal values
  std::uniform_real_distribution<double> fine(1e-5, 16.0);
  for (int n : {8, 128, 512}) {
    std::vector<double> seq;
    for (int i = 0; i < 3 * n; ++i) seq.push_back(1.0 + i);                        // rising
    for (int i = 0; i < 3 * n; ++i) seq.push_back(4.0 * n - i);                    // falling
    for (int i = 0; i < 4 * n; ++i) seq.push_back(coarse(rng) * 0.5);              // ties
    for (int i = 0; i < 4 * n; ++i) seq.push_back(fine(rng));                      // noise
    for (int i = 0; i < 4 * n; ++i) seq.push_back(i % (n + 3) == 0 ? 9.0 : 1e-5);  // lone peaks
    const std::size_t len = seq.size();

    auto window = std::make_unique<SlidingMax<512>>();
    std::memset(static_cast<void*>(window.get()), 0, sizeof(SlidingMax<512>));
    std::vector<double> winL(n, 0.0), winR(n, 0.0);
    for (std::size_t t = 0; t < len; ++t) {
      const int pos = static_cast<int>(t % n);
      const Pair m = window->push(pos, n, Pair{seq[t], seq[len - 1 - t]}, window->prefix);
      winL[pos] = seq[t];
      winR[pos] = seq[len - 1 - t];
      ASSERT_EQ(m[0], *std::max_element(winL.begin(), winL.end())) << "n " << n << " t " << t;
      ASSERT_EQ(m[1], *std::max_element(winR.begin(), winR.end())) << "n " << n << " t " << t;
    }
  }
}

// A sine sampled at 64-sample windows: the interpolated points must lie on the sine between
// the centre sample and its predecessor (a reversed table or window shows up at once).
TEST(Interpolators, PointsLieOnABandLimitedSine) {
  const double w = 2.0 * M_PI * 0.17;  // cycles per sample, well inside the pass band
  for (double phase : {0.0, 0.7, 2.1}) {
    double win[64];
    for (int i = 0; i < 64; ++i) win[i] = std::sin(w * (i - 32) + phase);  // win[32] at t = 0
    double pts[3];
    interpolatePhases(win, pts);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(pts[j], std::sin(-w * 0.25 * (j + 1) + phase), 2e-3) << j;
    EXPECT_NEAR(interpolateMidpoint(win), std::sin(-w * 0.5 + phase), 2e-3);
  }
}

// Every vector path gives the scalar path's bits, for every block length (vector groups and
// scalar remainders) and on signals that reach into the filters' transition band.
TEST(Detector, EveryInstructionSetGivesTheScalarBits) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  constexpr int kMax = LimiterCore::kChunk;
  std::vector<std::vector<double>> signals;
  {
    std::vector<double> noise(63 + kMax), nyq(63 + kMax), mixed(63 + kMax);
    for (int i = 0; i < 63 + kMax; ++i) {
      noise[i] = 16.0 * u(rng);
      nyq[i] = std::sin(M_PI * 0.97 * i + 0.3);
      mixed[i] = (i % 5 == 0 ? 4.0 : 0.0) + 1e-7 * u(rng);
    }
    signals = {noise, nyq, mixed};
  }
  for (SimdPath path : {SimdPath::Sse2, SimdPath::Avx2}) {
    if (!simdPathAvailable(path)) continue;
    for (const auto& sig : signals) {
      for (int count = 1; count <= kMax; ++count) {
        double ref[kMax], got[kMax];
        detectPhases(sig.data(), count, ref, SimdPath::Scalar);
        detectPhases(sig.data(), count, got, path);
        ASSERT_EQ(0, std::memcmp(ref, got, count * sizeof(double))) << "4x, count " << count;
        detectMidpoint(sig.data(), count, ref, SimdPath::Scalar);
        detectMidpoint(sig.data(), count, got, path);
        ASSERT_EQ(0, std::memcmp(ref, got, count * sizeof(double))) << "2x, count " << count;
      }
    }
  }
}

TEST(Detector, PlainPeaksAreFlooredAt1eMinus5) {
  std::vector<double> hist(63 + 3, 0.0);
  hist[32] = -0.5;
  hist[33] = 0.0;
  hist[34] = 3e-6;
  double d[3];
  detectPlain(hist.data(), 3, d);
  EXPECT_DOUBLE_EQ(d[0], 0.5);
  EXPECT_EQ(d[1], 1e-5);
  EXPECT_EQ(d[2], 1e-5);
}

}  // namespace
}  // namespace stellix
