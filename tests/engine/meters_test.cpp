#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "engine/engine.h"
#include "limiter_fixture.h"

namespace stellix {
namespace {

using testing::LimiterSettings;
using testing::makeEngine;
using testing::run;
using testing::Stereo;

using Readings = std::array<float, 10>;
enum { kInPeakL, kInPeakR, kOutPeakL, kOutPeakR, kInRmsL, kInRmsR, kOutRmsL, kOutRmsR, kGrL, kGrR };

Readings snapshot(Engine& e) {
  Readings m;
  e.meterSnapshot(m.data());
  return m;
}

Stereo sine(std::size_t n, double cyclesPerSample, double amp, double phase = 0.0) {
  Stereo s{std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t i = 0; i < n; ++i) s.l[i] = s.r[i] = amp * std::sin(2.0 * M_PI * cyclesPerSample * i + phase);
  return s;
}

Stereo noise(std::size_t n, double amp) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-amp, amp);
  Stereo s{std::vector<double>(n), std::vector<double>(n)};
  for (std::size_t i = 0; i < n; ++i) {
    s.l[i] = u(rng);
    s.r[i] = u(rng);
  }
  return s;
}

Stereo silence(std::size_t n) { return {std::vector<double>(n), std::vector<double>(n)}; }

// RMS readings are sqrt(2 mean square), so a full-scale sine reads 1.0 like its peak; the
// mean square settles to 99 % in 600 ms.
TEST(Meters, FullScaleSineReadsOneOnPeaksAndRms) {
  auto e = makeEngine({});
  const std::size_t settled = 44100 * 6 / 10 + e->latency();
  run(*e, sine(settled, 1000.0 / 44100.0, 1.0), 512);
  const Readings m = snapshot(*e);
  for (int i : {kInPeakL, kInPeakR, kOutPeakL, kOutPeakR}) {
    EXPECT_GT(m[i], 0.999f) << i;
    EXPECT_LE(m[i], 1.0f) << i;
  }
  for (int i : {kInRmsL, kInRmsR, kOutRmsL, kOutRmsR}) {
    EXPECT_GT(m[i], 0.99f) << i;
    EXPECT_LT(m[i], 0.996f) << i;
  }
  EXPECT_EQ(m[kGrL], 1.0f);
  EXPECT_EQ(m[kGrR], 1.0f);
}

// A sine at fs/4 with phase 45 degrees has samples of +-0.7071 and peaks of 1.0 between them.
TEST(Meters, ReconstructedOutputPeaks) {
  struct Case {
    int rate;
    bool meterOvs;
    double outPeak, tolerance;
  };
  for (Case c : {Case{44100, true, 1.0, 0.02}, Case{48000, true, 1.0, 0.02}, Case{96000, true, 1.0, 0.02},
                 Case{192000, true, M_SQRT1_2, 1e-7}, Case{44100, false, M_SQRT1_2, 1e-7}}) {
    LimiterSettings s;
    s.rate = c.rate;
    auto e = makeEngine(s);
    e->values().sw.meterOvs = c.meterOvs ? 1 : 0;
    run(*e, sine(4096, 0.25, 1.0, M_PI / 4), 300);
    const Readings m = snapshot(*e);
    EXPECT_FLOAT_EQ(m[kInPeakL], static_cast<float>(M_SQRT1_2)) << c.rate;
    EXPECT_NEAR(m[kOutPeakL], c.outPeak, c.tolerance) << c.rate << (c.meterOvs ? " on" : " off");
    EXPECT_NEAR(m[kOutPeakR], c.outPeak, c.tolerance) << c.rate << (c.meterOvs ? " on" : " off");
  }
}

// The reconstruction filters run on the detector's kernels: every instruction set gives the
// same readings.
TEST(Meters, ReconstructionIsTheSameOnEveryPath) {
  const Stereo in = noise(3000, 1.5);
  std::vector<Readings> readings;
  for (SimdPath p : {SimdPath::Scalar, SimdPath::Sse2, SimdPath::Avx2}) {
    if (!simdPathAvailable(p)) continue;
    auto e = makeEngine({});
    e->setDetectorPath(p);
    e->values().sw.meterOvs = 1;
    for (std::size_t at = 0; at < in.l.size(); at += 1000) {
      run(*e, Stereo{{in.l.begin() + at, in.l.begin() + at + 1000}, {in.r.begin() + at, in.r.begin() + at + 1000}},
          77);
      readings.push_back(snapshot(*e));
    }
  }
  for (std::size_t i = 3; i < readings.size(); ++i) EXPECT_EQ(readings[i], readings[i % 3]) << i;
}

// A snapshot asks for new peaks and holds, which the engine starts at its next sample.
TEST(Meters, SnapshotRestartsPeaksAndHoldsAtTheNextSample) {
  LimiterSettings s;
  s.drive = 4.0;
  auto e = makeEngine(s);
  run(*e, noise(4000, 0.5), 256);
  run(*e, silence(8000), 256);  // the limiter has released
  const Readings first = snapshot(*e);
  EXPECT_GT(first[kOutPeakL], 0.5f);
  EXPECT_LT(first[kGrL], 0.9f);
  EXPECT_EQ(snapshot(*e), first) << "nothing processed in between";

  run(*e, silence(1), 1);
  const Readings next = snapshot(*e);
  for (int i : {kInPeakL, kInPeakR, kOutPeakL, kOutPeakR}) EXPECT_EQ(next[i], 0.0f) << i;
  EXPECT_EQ(next[kGrL], 1.0f);
  EXPECT_EQ(next[kGrR], 1.0f);
  EXPECT_GT(next[kOutRmsL], 0.0f) << "the mean squares run on";
}

TEST(Meters, InputScaleGainReductionAndPower) {
  struct Case {
    bool postMeter, power;
    float inPeak;
    bool reduced;
  };
  // Drive +12.04 dB (4.0) on a sine of 0.5: the limiter reduces a driven peak of 2.0.
  for (Case c : {Case{false, true, 2.0f, true}, Case{true, true, 0.5f, true}, Case{false, false, 2.0f, false}}) {
    LimiterSettings s;
    s.drive = 4.0;
    s.power = c.power;
    auto e = makeEngine(s);
    e->values().sw.postMeter = c.postMeter ? 1 : 0;
    run(*e, sine(8000, 1000.0 / 44100.0, 0.5), 512);
    const Readings m = snapshot(*e);
    EXPECT_NEAR(m[kInPeakL], c.inPeak, 2e-3) << c.postMeter << c.power;
    if (c.reduced) {
      EXPECT_LT(m[kGrL], 0.55f) << c.postMeter << c.power;
    } else {
      EXPECT_EQ(m[kGrL], 1.0f) << c.postMeter << c.power;
    }
  }
}

TEST(Meters, HoldResetAndEngineReset) {
  LimiterSettings s;
  s.drive = 4.0;
  auto e = makeEngine(s);
  run(*e, noise(4000, 0.5), 256);
  ASSERT_LT(e->meters().raw(Meters::kHoldL), 0.9);

  // AttShow: the holds read 1.0 at once, without waiting for a sample.
  e->resetGainReductionHolds();
  const Readings held = snapshot(*e);
  EXPECT_EQ(held[kGrL], 1.0f);
  EXPECT_EQ(held[kGrR], 1.0f);

  run(*e, noise(4000, 0.5), 256);
  e->reset();
  const Readings m = snapshot(*e);
  for (int i = kInPeakL; i <= kOutRmsR; ++i) EXPECT_EQ(m[i], 0.0f) << i;
  EXPECT_EQ(m[kGrL], 1.0f);
  EXPECT_EQ(m[kGrR], 1.0f);
}

}  // namespace
}  // namespace stellix
