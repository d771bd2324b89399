#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/denormals.h"
#include "engine/engine.h"
#include "limiter_fixture.h"

namespace stellix {
namespace {

using testing::LimiterSettings;
using testing::makeEngine;
using testing::run;
using testing::Stereo;

Stereo noise(std::size_t n, double amp, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-amp, amp);
  Stereo s{std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t i = 0; i < n; ++i) {
    s.l[i] = u(rng);
    s.r[i] = u(rng);
  }
  return s;
}

TEST(LimiterTiming, CoefficientsAt44100) {
  auto e = makeEngine({});
  const EngineValues& v = e->values();
  EXPECT_NEAR(v.attack[0], 0.0007083657705, 1e-13);
  EXPECT_NEAR(v.attack[7], 0.02242057474, 1e-11);
  EXPECT_NEAR(v.levellerCoeff, 2.26754798688944e-05, 1e-18);
  e->setReleaseTime(2.0);
  for (int i = 1; i < kFollowerStages; ++i) EXPECT_EQ(v.release[i], v.release[0]) << i;
}

TEST(LimiterTiming, EnvelopeDelayAndLatencyPerShapeAndRate) {
  struct Case {
    int rate, shape, envDelay, latency;
  };
  for (Case c : {Case{44100, 0, 114, 159},
                 {44100, 1, 98, 159},
                 {44100, 2, 2, 159},
                 {96000, 0, 226, 287},
                 {96000, 1, 194, 287},
                 {96000, 2, 2, 287},
                 {176400, 0, 450, 543},
                 {176400, 1, 386, 543},
                 {176400, 2, 258, 543}}) {
    LimiterSettings s;
    s.rate = c.rate;
    s.transShape = c.shape;
    auto e = makeEngine(s);
    EXPECT_EQ(e->values().outDelayOffset, c.envDelay) << c.rate << " shape " << c.shape;
    EXPECT_EQ(e->latency(), c.latency) << c.rate;
  }
}

// Below the ceiling the gain is 1: the output is the input times drive and output gain,
// delayed by exactly the latency.
TEST(LimiterPath, LowLevelPassesDelayedTimesTheGains) {
  for (int rate : {44100, 96000, 192000}) {
    LimiterSettings s;
    s.rate = rate;
    s.drive = 2.0;
    s.output = 0.5;
    s.transient = 0.3;
    s.oversample = true;
    auto e = makeEngine(s);
    const Stereo in = noise(4000, 0.2, 3);
    const Stereo out = run(*e, in, 512);
    const int lat = e->latency();
    for (int i = 0; i < lat; ++i) ASSERT_EQ(out.l[i], 0.0);
    for (std::size_t i = lat; i < in.l.size(); ++i) {
      ASSERT_NEAR(out.l[i], in.l[i - lat] * 2.0 * 0.5, 1e-15) << rate << " " << i;
      ASSERT_NEAR(out.r[i], in.r[i - lat] * 2.0 * 0.5, 1e-15) << rate << " " << i;
    }
  }
}

// A lone 4.0 over a quiet carrier: the sample leaves at most at the ceiling, and the gain
// is already falling on the samples before it. The output gain of 0.5 keeps the final clamp
// from hiding an overshoot.
TEST(LimiterPath, LonePeakIsCaughtAndTheGainFallsBeforeIt) {
  for (int shape : {0, 1, 2}) {
    for (double m : {0.0, 0.25, 0.5}) {
      LimiterSettings s;
      s.transShape = shape;
      s.transient = m;
      s.output = 0.5;
      auto e = makeEngine(s);
      const std::size_t n = 2000, at = 700;
      Stereo in{std::vector<double>(n, 0.1), std::vector<double>(n, 0.1)};
      in.l[at] = 4.0;
      const Stereo out = run(*e, in, 64);
      const std::size_t o = at + e->latency();
      EXPECT_LE(std::fabs(out.l[o]), 0.5 * (1.0 + 1e-12)) << "shape " << shape << " M " << m;
      EXPECT_GT(std::fabs(out.l[o]), 0.5 * 0.99);
      EXPECT_LT(out.l[o - 1], 0.05 * (1.0 - 1e-3)) << "shape " << shape << " M " << m;
      EXPECT_EQ(out.l[o - 300], 0.05);
    }
  }
}

// With no link only the loud channel's followers move; the brickwall part never links.
TEST(LimiterPath, LinkSharesOnlyTheFollowerPart) {
  struct Case {
    double link;
    bool rightTouched;
  };
  for (Case c : {Case{0.0, false}, {1.0, true}}) {
    LimiterSettings s;
    s.link = c.link;
    s.transient = 0.0;
    auto e = makeEngine(s);
    const std::size_t n = 6000;
    Stereo in{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
      in.l[i] = 3.0 * std::sin(0.05 * i);
      in.r[i] = 0.2 * std::sin(0.031 * i);
    }
    const Stereo out = run(*e, in, 512);
    const int lat = e->latency();
    double maxDev = 0.0;
    for (std::size_t i = lat; i < n; ++i) maxDev = std::max(maxDev, std::fabs(out.r[i] - in.r[i - lat]));
    if (c.rightTouched) {
      EXPECT_GT(maxDev, 0.01);
    } else {
      EXPECT_LT(maxDev, 1e-15);
    }
  }
}

// The leveller holds the average peak level at its threshold; at 1.0 it is off.
TEST(LimiterPath, LevellerHoldsTheAverageAtTheThreshold) {
  struct Case {
    double threshold, expected;
  };
  for (Case c : {Case{1.0, 0.8}, {0.25, 0.25}}) {
    LimiterSettings s;
    s.leveller = c.threshold;
    auto e = makeEngine(s);
    const std::size_t n = 441000;  // ten time constants
    Stereo in{std::vector<double>(n, 0.8), std::vector<double>(n, -0.8)};
    const Stereo out = run(*e, in, 4096);
    EXPECT_NEAR(out.l.back(), c.expected, 1e-4 * c.expected);
    EXPECT_NEAR(out.r.back(), -c.expected, 1e-4 * c.expected);
  }
}

// A sine at a quarter of the rate sampled 45 degrees off its crests: the samples read 0.9
// but the waveform peaks at 0.9 * sqrt(2). Reconstruction must bring the waveform, not just
// the samples, under the ceiling; above 96 kHz there is no reconstruction.
TEST(LimiterPath, OversamplingCatchesInterSamplePeaks) {
  struct Case {
    int rate;
    bool oversample;
    double maxSample;
  };
  const double crest = 0.9 * std::sqrt(2.0);
  for (Case c : {Case{44100, false, 0.9},
                 {44100, true, 0.9 / crest / 1.001},
                 {96000, true, 0.9 / crest / 1.001},
                 {192000, true, 0.9}}) {
    LimiterSettings s;
    s.rate = c.rate;
    s.oversample = c.oversample;
    s.transient = 0.0;
    auto e = makeEngine(s);
    const std::size_t n = 40000;
    Stereo in{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) in.l[i] = in.r[i] = crest * std::sin(M_PI / 2 * i + M_PI / 4);
    const Stereo out = run(*e, in, 512);
    double peak = 0.0;
    for (std::size_t i = n / 2; i < n; ++i) peak = std::max(peak, std::fabs(out.l[i]));
    EXPECT_NEAR(peak, c.maxSample, 2e-3 * c.maxSample) << c.rate << " oversample " << c.oversample;
  }
}

TEST(LimiterPath, NoReconstructionAbove96kHz) {
  const Stereo in = noise(5000, 3.0, 5);
  LimiterSettings s;
  s.rate = 192000;
  auto off = makeEngine(s);
  s.oversample = true;
  auto on = makeEngine(s);
  const Stereo a = run(*off, in, 512), b = run(*on, in, 512);
  EXPECT_EQ(a.l, b.l);
  EXPECT_EQ(a.r, b.r);
}

// Buffer layouts: separate, in place, and the mono binding (one input and one output buffer
// for both channels), in both precisions. Power off must also return the input unchanged.
template <typename T>
class LimiterBuffers : public ::testing::Test {};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(LimiterBuffers, SampleTypes);

TYPED_TEST(LimiterBuffers, InPlaceAndMonoMatchSeparateBuffers) {
  using T = TypeParam;
  const std::size_t n = 3000;
  const Stereo in = noise(n, 2.0, 9);
  LimiterSettings s;
  s.drive = 2.0;
  s.oversample = true;
  const Stereo ref = run<T>(*makeEngine(s), in, 256);

  // In place.
  std::vector<T> l(in.l.begin(), in.l.end()), r(in.r.begin(), in.r.end());
  auto e = makeEngine(s);
  for (std::size_t i = 0; i < n; i += 256) {
    const auto c = static_cast<std::int32_t>(std::min<std::size_t>(256, n - i));
    e->processLimiter<T>(l.data() + i, r.data() + i, l.data() + i, r.data() + i, c);
  }
  for (std::size_t i = 0; i < n; ++i) {
    ASSERT_EQ(static_cast<double>(l[i]), ref.l[i]) << i;
    ASSERT_EQ(static_cast<double>(r[i]), ref.r[i]) << i;
  }

  // Mono: the left input feeds both channels; the left result stays in the one output.
  const Stereo dual{in.l, in.l};
  const Stereo monoRef = run<T>(*makeEngine(s), dual, 256);
  std::vector<T> m(in.l.begin(), in.l.end());
  auto me = makeEngine(s);
  for (std::size_t i = 0; i < n; i += 256) {
    const auto c = static_cast<std::int32_t>(std::min<std::size_t>(256, n - i));
    me->processLimiter<T>(m.data() + i, m.data() + i, m.data() + i, m.data() + i, c);
  }
  for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(static_cast<double>(m[i]), monoRef.l[i]) << i;
}

TYPED_TEST(LimiterBuffers, PowerOffIsTheInputDelayedExactly) {
  using T = TypeParam;
  const std::size_t n = 2000;
  Stereo in = noise(n, 1.0, 13);
  in.l[100] = 1.5;  // beyond full scale: clamped
  in.r[101] = -7.0;
  in.l[102] = static_cast<double>(static_cast<T>(3e-12));  // far below the clamp's grid
  for (int rate : {44100, 96000, 192000}) {
    LimiterSettings s;
    s.rate = rate;
    s.power = false;
    s.drive = 4.0;
    s.output = 0.5;
    for (bool inPlace : {false, true}) {
      auto e = makeEngine(s);
      std::vector<T> il(in.l.begin(), in.l.end()), ir(in.r.begin(), in.r.end());
      std::vector<T> ol(n), orr(n);
      T* outL = inPlace ? il.data() : ol.data();
      T* outR = inPlace ? ir.data() : orr.data();
      e->processLimiter<T>(il.data(), ir.data(), outL, outR, static_cast<std::int32_t>(n));
      const int lat = e->latency();
      for (std::size_t i = 0; i < n; ++i) {
        const T xl = i >= static_cast<std::size_t>(lat) ? static_cast<T>(in.l[i - lat]) : T(0);
        const T xr = i >= static_cast<std::size_t>(lat) ? static_cast<T>(in.r[i - lat]) : T(0);
        ASSERT_EQ(outL[i], std::clamp(xl, T(-1), T(1))) << rate << " " << i;
        ASSERT_EQ(outR[i], std::clamp(xr, T(-1), T(1))) << rate << " " << i;
      }
    }
  }
}

// Adversarial signals at every rate range and shape: nothing leaves above the ceiling, and
// splitting the same input into any block sizes gives the same bits.
TEST(LimiterProperties, CeilingHoldsAndBlockSizesAgree) {
  const std::size_t n = 12000;
  std::vector<std::pair<const char*, Stereo>> signals;
  signals.emplace_back("noise", noise(n, 1.0, 21));
  {
    Stereo sq{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
      sq.l[i] = (i / 37) % 2 ? 1.0 : -1.0;
      sq.r[i] = (i / 300) % 2 ? 0.9 : -0.9;
    }
    signals.emplace_back("square", sq);
  }
  {
    Stereo imp{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (std::size_t i : {6u, 7u, 511u, 512u, 1023u, 4095u, 4096u, 7000u}) imp.l[i] = imp.r[i + 1] = 1.0;
    signals.emplace_back("impulses at block edges", imp);
  }
  {
    Stereo nyq{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
      nyq.l[i] = std::sin(M_PI * 0.98 * i);
      nyq.r[i] = std::sin(M_PI * 0.93 * i + 1.0);
    }
    signals.emplace_back("near Nyquist", nyq);
  }
  for (int rate : {44100, 96000, 192000}) {
    for (int shape : {0, 1, 2}) {
      for (const auto& [name, in] : signals) {
        LimiterSettings s;
        s.rate = rate;
        s.transShape = shape;
        s.drive = 16.0;  // +24 dB
        s.output = 0.5;
        s.transient = 0.5 * ((rate + shape) % 3) / 2.0;
        s.oversample = shape != 1;
        s.secondOrder = shape == 1;
        s.link = 0.5;
        s.releaseMs = 10.0;
        const Stereo ref = run(*makeEngine(s), in, 1);
        double peak = 0.0;
        for (std::size_t i = 0; i < n; ++i) peak = std::max({peak, std::fabs(ref.l[i]), std::fabs(ref.r[i])});
        EXPECT_LE(peak, 0.5 * (1.0 + 1e-12)) << name << " rate " << rate << " shape " << shape;
        for (std::size_t block : {7u, 512u, 100000u}) {
          const Stereo got = run(*makeEngine(s), in, block);
          ASSERT_EQ(0, std::memcmp(got.l.data(), ref.l.data(), n * sizeof(double)))
              << name << " rate " << rate << " shape " << shape << " block " << block;
          ASSERT_EQ(0, std::memcmp(got.r.data(), ref.r.data(), n * sizeof(double)))
              << name << " rate " << rate << " shape " << shape << " block " << block;
        }
      }
    }
  }
}

// Every instruction set of the detector and the core's kernels gives the same output bits
// through the whole path.
TEST(LimiterProperties, InstructionSetsGiveTheSameOutput) {
  const Stereo in = noise(6000, 4.0, 31);
  struct Case {
    int rate;
    bool oversample;
    bool secondOrder;
  };
  for (const Case& c : {Case{44100, true, false}, Case{96000, true, false}, Case{44100, false, false},
                        Case{44100, false, true}, Case{48000, true, true}}) {
    LimiterSettings s;
    s.rate = c.rate;
    s.oversample = c.oversample;
    s.secondOrder = c.secondOrder;
    s.transient = 0.3;
    auto ref = makeEngine(s);
    ref->setDetectorPath(SimdPath::Scalar);
    const Stereo a = run(*ref, in, 333);
    for (SimdPath p : {SimdPath::Sse2, SimdPath::Avx2}) {
      if (!simdPathAvailable(p)) continue;
      auto e = makeEngine(s);
      e->setDetectorPath(p);
      const Stereo b = run(*e, in, 333);
      ASSERT_EQ(0, std::memcmp(a.l.data(), b.l.data(), a.l.size() * sizeof(double))) << c.rate;
      ASSERT_EQ(0, std::memcmp(a.r.data(), b.r.data(), a.r.size() * sizeof(double))) << c.rate;
    }
  }
}

// Non-finite samples enter as 0; absurdly large finite ones cannot push the state out of
// range. Either way the output stays finite and within the ceiling and recovers.
TEST(LimiterRobustness, NonFiniteAndHugeInputsRecover) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::size_t n = 30000;
  Stereo base{std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t i = 0; i < n; ++i) base.l[i] = base.r[i] = 0.3 * std::sin(0.01 * i);

  LimiterSettings s;
  s.oversample = true;
  s.secondOrder = true;
  s.leveller = 0.5;
  s.drive = 16.0;
  s.releaseMs = 5.0;

  // NaN and infinities behave exactly like zeros.
  Stereo bad = base, zeroed = base;
  for (std::size_t i = 1000; i < 1010; ++i) {
    bad.l[i] = i % 2 ? nan : inf;
    bad.r[i] = -inf;
    zeroed.l[i] = zeroed.r[i] = 0.0;
  }
  EXPECT_EQ(run(*makeEngine(s), bad, 512).l, run(*makeEngine(s), zeroed, 512).l);

  // Huge finite values (and a float's largest) leave no lasting trace in the state.
  Stereo huge = base;
  for (std::size_t i = 1000; i < 1010; ++i) {
    huge.l[i] = 1e300;
    huge.r[i] = -static_cast<double>(FLT_MAX);
  }
  // The leveller averages over a second, so it is left off where recovery is checked.
  for (bool asFloat : {false, true}) {
    for (double leveller : {0.5, 1.0}) {
      s.leveller = leveller;
      const Stereo out = asFloat ? run<float>(*makeEngine(s), huge, 512) : run(*makeEngine(s), huge, 512);
      for (std::size_t i = 0; i < n; ++i) {
        ASSERT_TRUE(std::isfinite(out.l[i]) && std::isfinite(out.r[i])) << i;
        ASSERT_LE(std::fabs(out.l[i]), 1.0);
      }
      if (leveller == 1.0) {
        double peak = 0.0;
        for (std::size_t i = n - 2000; i < n; ++i) peak = std::max(peak, std::fabs(out.l[i]));
        EXPECT_GT(peak, 0.9) << "float " << asFloat;
      }
    }
  }
}

TEST(LimiterRobustness, ZeroFramesTouchNothing) {
  auto e = makeEngine({});
  double buf[4] = {0.25, 0.25, 0.25, 0.25};
  e->processLimiter<double>(buf, buf, buf + 2, buf + 2, 0);
  e->processLimiter<double>(buf, buf, buf + 2, buf + 2, -5);
  EXPECT_EQ(buf[2], 0.25);
  const Stereo in = noise(1000, 2.0, 1);
  EXPECT_EQ(run(*e, in, 100).l, run(*makeEngine({}), in, 100).l);
}

// The processing call flushes denormals while it runs and gives the caller its own mode back.
TEST(LimiterRobustness, CallerFloatingPointModeIsRestored) {
  const unsigned saved = ScopedFlushDenormals::controlWord();
  const unsigned callerMode = saved & ~ScopedFlushDenormals::kFlushBits;
  ScopedFlushDenormals::setControlWord(callerMode);
  auto e = makeEngine({});
  const Stereo in = noise(300, 1e-310, 2);  // denormal input
  const Stereo out = run(*e, in, 100);
  constexpr unsigned kStatusFlags = 0x3F;  // sticky exception flags, raised by the test itself
  EXPECT_EQ(ScopedFlushDenormals::controlWord() & ~kStatusFlags, callerMode & ~kStatusFlags);
  for (double x : out.l) EXPECT_EQ(x, 0.0);
  ScopedFlushDenormals::setControlWord(saved);
}

}  // namespace
}  // namespace stellix
