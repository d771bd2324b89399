#include "engine/convolution.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace stellix {
namespace {

constexpr int kLengths[] = {4, 8, 16, 32, 64, 128, 256};

// Runs the convolver the way the limiter core does: samples go into the even slots of a frame;
// when the frame is full it is convolved, and each output is the even slot plus the overlap
// tail kept from the previous block's odd slots.
class Stream {
 public:
  Stream(const SmoothingConvolver& c, int N) : conv_(c), n_(N), frame_(2 * N, 0.0), tail_(N, 0.0) {}

  double push(double s) {
    frame_[q_] = s;
    q_ += 2;
    if (q_ == 2 * n_) {
      q_ = 0;
      t_ = 0;
      conv_.convolve(frame_.data());
    }
    const double out = frame_[q_] + tail_[t_];
    tail_[t_] = frame_[q_ + 1];
    frame_[q_ + 1] = 0.0;
    ++t_;
    return out;
  }

 private:
  const SmoothingConvolver& conv_;
  int n_;
  std::vector<double> frame_, tail_;
  int q_ = 0, t_ = 0;
};

TEST(SmoothingKernel, MatchesTheWorkedEightTapKernel) {
  SmoothingConvolver c;
  ASSERT_TRUE(c.prepare(8));
  const double expected[8] = {0, 0.0854249636, 0.1775386454, 0.2370363911, 0.2370363911, 0.1775386454, 0.0854249636, 0};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(c.taps()[i], expected[i], 5e-11) << "tap " << i;
}

TEST(SmoothingKernel, IsTheNormalisedSincBellForEveryLength) {
  SmoothingConvolver c;
  const double pi = std::acos(-1.0);
  for (int N : kLengths) {
    ASSERT_TRUE(c.prepare(N));
    ASSERT_EQ(c.length(), N);
    std::vector<double> ref(N);
    double sum = 0.0;
    for (int i = 0; i < N; ++i) {
      const double x = -pi + i * 2.0 * pi / (N - 1);
      ref[i] = std::sin(x) / x;
      sum += ref[i];
    }
    double tapSum = 0.0;
    for (int i = 0; i < N; ++i) {
      EXPECT_NEAR(c.taps()[i], ref[i] / sum, 1e-15) << "N = " << N << ", tap " << i;
      EXPECT_EQ(c.taps()[i], c.taps()[N - 1 - i]) << "N = " << N << ", tap " << i;
      tapSum += c.taps()[i];
    }
    EXPECT_NEAR(tapSum, 1.0, 1e-14) << "N = " << N;
  }
}

TEST(SmoothingConvolver, StartsWithSixtyFourTaps) {
  SmoothingConvolver c;
  EXPECT_EQ(c.length(), 64);
}

TEST(SmoothingConvolver, RefusesInvalidLengthsAndKeepsTheKernel) {
  SmoothingConvolver c;
  ASSERT_TRUE(c.prepare(16));
  const std::vector<double> before(c.taps(), c.taps() + 16);
  for (int N : {-16, 0, 1, 2, 3, 12, 100, 512}) {
    EXPECT_FALSE(c.prepare(N)) << N;
    EXPECT_EQ(c.length(), 16) << N;
  }
  EXPECT_EQ(std::vector<double>(c.taps(), c.taps() + 16), before);
}

TEST(SmoothingConvolver, FrameEqualsDirectLinearConvolution) {
  SmoothingConvolver c;
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> dist(0.0, 4.0);
  for (int N : kLengths) {
    ASSERT_TRUE(c.prepare(N));
    std::vector<double> block(N), frame(2 * N, 0.0);
    for (int j = 0; j < N; ++j) frame[2 * j] = block[j] = dist(gen);
    c.convolve(frame.data());
    for (int t = 0; t < 2 * N; ++t) {
      long double direct = 0;
      for (int j = 0; j < N; ++j) {
        if (t - j >= 0 && t - j < N) direct += static_cast<long double>(block[j]) * c.taps()[t - j];
      }
      const double got = t < N ? frame[2 * t] : frame[2 * (t - N) + 1];
      EXPECT_NEAR(got, double(direct), 1e-14) << "N = " << N << ", output " << t;
    }
  }
}

TEST(SmoothingConvolver, ZeroFrameStaysExactlyZero) {
  SmoothingConvolver c;
  for (int N : kLengths) {
    ASSERT_TRUE(c.prepare(N));
    std::vector<double> frame(2 * N, 0.0);
    c.convolve(frame.data());
    for (int i = 0; i < 2 * N; ++i) EXPECT_EQ(frame[i], 0.0) << "N = " << N << ", slot " << i;
  }
}

TEST(SmoothingConvolver, ImpulseAtAnyBlockPositionGivesTheTapsAcrossBlocks) {
  SmoothingConvolver c;
  ASSERT_TRUE(c.prepare(8));
  for (int pos = 0; pos < 8; ++pos) {
    Stream s(c, 8);
    // The impulse is in block 0; outputs 8 .. 15 come from its overlap tail.
    std::vector<double> out;
    for (int i = 0; i < 32; ++i) out.push_back(s.push(i == pos ? 1.0 : 0.0));
    // The output of block sample t appears N - 1 = 7 samples after it is written.
    for (int t = 0; t < 24; ++t) {
      const int k = t - pos;
      const double expected = k >= 0 && k < 8 ? c.taps()[k] : 0.0;
      EXPECT_NEAR(out[t + 7], expected, 1e-16) << "impulse at " << pos << ", output " << t;
    }
  }
}

TEST(SmoothingConvolver, ConstantInputRampsThenHoldsWithoutRipple) {
  SmoothingConvolver c;
  for (int N : {8, 64, 128}) {
    ASSERT_TRUE(c.prepare(N));
    Stream s(c, N);
    const double level = 0.7;
    double ramp = 0.0;
    for (int i = 0; i < 6 * N; ++i) {
      const double out = s.push(level);
      if (i < N - 1) {
        EXPECT_EQ(out, 0.0) << "N = " << N << ", sample " << i;  // before the first block is convolved
      } else if (i < 2 * N - 1) {
        ramp += c.taps()[i - (N - 1)];
        EXPECT_NEAR(out, level * ramp, 1e-15) << "N = " << N << ", sample " << i;
      } else {
        EXPECT_NEAR(out, level, 1e-15) << "N = " << N << ", sample " << i;
      }
    }
  }
}

}  // namespace
}  // namespace stellix
