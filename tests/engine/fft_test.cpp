#include "engine/fft.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "engine/fft_twiddles.h"

namespace stellix::fft {
namespace {

constexpr int kSizes[] = {8, 16, 32, 64, 128, 256, 512};

std::vector<double> randomFrame(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> x(n);
  for (double& v : x) v = dist(gen);
  return x;
}

// Time index of a slot in the interleaved layout.
int timeOfSlot(int slot, int n) { return slot / 2 + (slot % 2) * (n / 2); }

TEST(FftTwiddles, EveryEntryIsCorrectlyRounded) {
  struct Table {
    int m;
    const double* values;
    int size;
  };
  const Table tables[] = {
      {16, kTwiddle16, int(std::size(kTwiddle16))},    {32, kTwiddle32, int(std::size(kTwiddle32))},
      {64, kTwiddle64, int(std::size(kTwiddle64))},    {128, kTwiddle128, int(std::size(kTwiddle128))},
      {256, kTwiddle256, int(std::size(kTwiddle256))}, {512, kTwiddle512, int(std::size(kTwiddle512))},
  };
  const __float128 pi = acosq(-1);
  for (const Table& t : tables) {
    ASSERT_EQ(t.size, 2 * (t.m / 4 - 1)) << "M = " << t.m;
    for (int k = 1; k < t.m / 4; ++k) {
      const __float128 angle = 2 * pi * k / t.m;
      EXPECT_EQ(t.values[2 * (k - 1)], static_cast<double>(cosq(angle))) << "M = " << t.m << ", k = " << k;
      EXPECT_EQ(t.values[2 * (k - 1) + 1], static_cast<double>(sinq(angle))) << "M = " << t.m << ", k = " << k;
    }
  }
}

TEST(Fft, ForwardScaleInverseIsIdentityForEverySize) {
  for (int n : kSizes) {
    const std::vector<double> original = randomFrame(n, 1000u + n);
    std::vector<double> x = original;
    ASSERT_TRUE(forward(x.data(), n));
    ASSERT_TRUE(scale(x.data(), n));
    ASSERT_TRUE(inverse(x.data(), n));
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], original[i], 4e-15) << "n = " << n << ", slot " << i;
  }
}

// The forward transform against a direct DFT (kernel exp(+i 2 pi k t / n)): pair 0 holds
// (X[0], X[n/2]) and the other pairs hold every bin 1 .. n/2 - 1 exactly once, as the bin or
// its conjugate.
TEST(Fft, ForwardPacksEveryBinOnce) {
  for (int n : kSizes) {
    const std::vector<double> frame = randomFrame(n, 2000u + n);
    std::vector<std::complex<long double>> bins(n / 2 + 1);
    const long double pi = std::acos(-1.0L);
    for (int k = 0; k <= n / 2; ++k) {
      std::complex<long double> sum = 0;
      for (int s = 0; s < n; ++s) {
        const long double a = 2 * pi * k * timeOfSlot(s, n) / n;
        sum += static_cast<long double>(frame[s]) * std::complex<long double>(std::cos(a), std::sin(a));
      }
      bins[k] = sum;
    }
    std::vector<double> x = frame;
    ASSERT_TRUE(forward(x.data(), n));
    const double tol = 1e-12;
    EXPECT_NEAR(x[0], double(bins[0].real()), tol) << "n = " << n;
    EXPECT_NEAR(x[1], double(bins[n / 2].real()), tol) << "n = " << n;

    std::vector<int> seen(n / 2, 0);
    for (int p = 1; p < n / 2; ++p) {
      const std::complex<long double> v(x[2 * p], x[2 * p + 1]);
      int found = 0;
      for (int k = 1; k < n / 2; ++k) {
        if (std::abs(v - bins[k]) < tol || std::abs(v - std::conj(bins[k])) < tol) {
          ++seen[k];
          ++found;
        }
      }
      EXPECT_EQ(found, 1) << "n = " << n << ", pair " << p;
    }
    for (int k = 1; k < n / 2; ++k) EXPECT_EQ(seen[k], 1) << "n = " << n << ", bin " << k;
  }
}

TEST(Fft, SmallestTransformPairsAsDocumented) {
  // n = 8: pair 1 = X[2], pair 2 = X[1], pair 3 = conj(X[3]). A single sample at time 1
  // (slot 2) gives X[k] = exp(i 2 pi k / 8).
  std::vector<double> x(8, 0.0);
  x[2] = 1.0;
  ASSERT_TRUE(forward(x.data(), 8));
  const double r = std::sqrt(0.5);
  const double expected[8] = {1.0, -1.0, 0.0, 1.0, r, r, -r, -r};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(x[i], expected[i], 1e-16) << "slot " << i;
}

// The paired convolution gives each lane exactly the bits of forward, multiply and inverse
// on that lane's frame alone.
TEST(Fft, PairedConvolutionGivesEachLaneTheSingleFrameBits) {
  for (int n : kSizes) {
    const std::vector<double> left = randomFrame(n, 3 * n), right = randomFrame(n, 3 * n + 1);
    const std::vector<double> k = randomFrame(n, 3 * n + 2);
    std::vector<Pair> paired(n);
    for (int i = 0; i < n; ++i) paired[i] = Pair{left[i], right[i]};
    ASSERT_TRUE(convolve(paired.data(), k.data(), n));
    for (int lane = 0; lane < 2; ++lane) {
      std::vector<double> x = lane == 0 ? left : right;
      ASSERT_TRUE(forward(x.data(), n));
      ASSERT_TRUE(multiply(x.data(), k.data(), n));
      ASSERT_TRUE(inverse(x.data(), n));
      for (int i = 0; i < n; ++i) ASSERT_EQ(x[i], paired[i][lane]) << "n " << n << " lane " << lane << " slot " << i;
    }
  }
}

TEST(Fft, RefusesUnsupportedSizesAndLeavesDataAlone) {
  for (int n : {-8, 0, 2, 4, 12, 24, 1024}) {
    std::vector<double> x(16, 0.5), k(16, 0.25);
    EXPECT_FALSE(isSupportedSize(n)) << n;
    EXPECT_FALSE(forward(x.data(), n)) << n;
    EXPECT_FALSE(inverse(x.data(), n)) << n;
    EXPECT_FALSE(scale(x.data(), n)) << n;
    EXPECT_FALSE(multiply(x.data(), k.data(), n)) << n;
    for (double v : x) EXPECT_EQ(v, 0.5) << n;
    std::vector<Pair> p(16, Pair{0.5, 0.5});
    EXPECT_FALSE(convolve(p.data(), k.data(), n)) << n;
    for (const Pair& v : p) EXPECT_TRUE(v[0] == 0.5 && v[1] == 0.5) << n;
  }
  EXPECT_FALSE(forward(nullptr, 8));
  EXPECT_FALSE(inverse(nullptr, 8));
}

}  // namespace
}  // namespace stellix::fft
