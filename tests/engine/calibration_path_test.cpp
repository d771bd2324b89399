#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "engine/engine.h"
#include "limiter_fixture.h"

namespace stellix {
namespace {

using testing::makeEngine;

enum Calibrate { kLeft = 1, kBoth = 2, kRight = 3 };
enum Scale { kK12 = 0, kK14 = 1, kK20 = 2 };
enum { kInPeakL, kInPeakR, kOutPeakL, kOutPeakR, kInRmsL, kInRmsR, kOutRmsL, kOutRmsR, kGrL, kGrR };

std::unique_ptr<Engine> calibrating(int calibrate, int scale) {
  auto e = makeEngine({});
  e->values().sw.calibrate = calibrate;
  e->values().sw.scale = scale;
  return e;
}

std::array<float, 10> snapshot(Engine& e) {
  std::array<float, 10> m;
  e.meterSnapshot(m.data());
  return m;
}

double rms(const std::vector<double>& x) {
  double sum = 0.0;
  for (double v : x) sum += v * v;
  return std::sqrt(sum / x.size());
}

// K-20 noise reads 0.1 on the RMS meter (sqrt(2 mean square)); K-14 and K-12 6.02 and 8 dB more.
TEST(Calibration, LevelPerScale) {
  struct Case {
    int scale;
    double reading;
  };
  for (Case c : {Case{kK12, 0.25118864315}, Case{kK14, 0.2}, Case{kK20, 0.1}}) {
    auto e = calibrating(kBoth, c.scale);
    const std::size_t n = 10 * 44100;
    std::vector<double> l(n), r(n);
    e->processCalibration<double>(l.data(), r.data(), static_cast<std::int32_t>(n));
    EXPECT_NEAR(20.0 * std::log10(std::sqrt(2.0) * rms(l) / c.reading), 0.0, 0.2) << c.scale;
    EXPECT_NEAR(20.0 * std::log10(std::sqrt(2.0) * rms(r) / c.reading), 0.0, 0.2) << c.scale;
    const auto m = snapshot(*e);
    for (int i : {kInRmsL, kInRmsR, kOutRmsL, kOutRmsR})
      EXPECT_NEAR(20.0 * std::log10(m[i] / c.reading), 0.0, 1.0) << c.scale << " reading " << i;
    EXPECT_EQ(m[kInPeakL], m[kOutPeakL]);
    EXPECT_EQ(m[kGrL], 1.0f);
  }
}

// Noise goes to the routed channels only; a null right output drops the right channel, and
// a silent channel's meters read 0.
TEST(Calibration, RoutingAndOutputBinding) {
  struct Case {
    int calibrate;
    bool rightConnected;
  };
  for (Case c : {Case{kLeft, false}, Case{kLeft, true}, Case{kBoth, false}, Case{kBoth, true}, Case{kRight, true},
                 Case{kRight, false}}) {
    auto e = calibrating(c.calibrate, kK20);
    constexpr std::int32_t n = 4096;
    std::vector<float> l(n, 7.0f), r(n, 7.0f);
    e->processCalibration<float>(l.data(), c.rightConnected ? r.data() : nullptr, n);
    const bool noiseL = c.calibrate != kRight, noiseR = c.calibrate != kLeft;
    const std::vector<double> dl(l.begin(), l.end()), dr(r.begin(), r.end());
    EXPECT_EQ(rms(dl) > 0.01, noiseL) << c.calibrate;
    if (c.rightConnected) {
      EXPECT_EQ(rms(dr) > 0.01, noiseR) << c.calibrate;
      EXPECT_NE(dl, dr) << "independent noises";
    } else {
      EXPECT_EQ(r, std::vector<float>(n, 7.0f)) << "an unconnected right output is not written";
    }
    const auto m = snapshot(*e);
    for (int i : {kInPeakL, kOutPeakL, kInRmsL, kOutRmsL}) EXPECT_EQ(m[i] > 0.0f, noiseL) << c.calibrate << " " << i;
    for (int i : {kInPeakR, kOutPeakR, kInRmsR, kOutRmsR}) EXPECT_EQ(m[i] > 0.0f, noiseR) << c.calibrate << " " << i;
  }
  auto e = calibrating(kBoth, kK20);
  std::vector<double> r(64);
  e->processCalibration<double>(nullptr, r.data(), 64);
  EXPECT_GT(rms(r), 0.01) << "the left output may be missing too";
}

// The calibration noise and the dither draw from one generator, seeded at every reset; with
// Quantize off the limiter path leaves it alone.
TEST(Calibration, SharesTheGeneratorWithTheDither) {
  auto noiseAfter = [](bool quantize, bool processFirst) {
    auto e = calibrating(kBoth, kK20);
    e->values().sw.quantize = quantize ? 1 : 0;
    if (processFirst) {
      std::vector<double> in(1000, 0.25), out(1000);
      e->processLimiter<double>(in.data(), in.data(), out.data(), out.data(), 1000);
    }
    std::vector<double> l(512), r(512);
    e->processCalibration<double>(l.data(), r.data(), 512);
    return l;
  };
  const std::vector<double> fresh = noiseAfter(false, false);
  EXPECT_EQ(noiseAfter(false, true), fresh);
  EXPECT_NE(noiseAfter(true, true), fresh);

  auto e = calibrating(kLeft, kK20);
  std::vector<double> a(300), b(300);
  e->processCalibration<double>(a.data(), nullptr, 300);
  e->reset();
  e->processCalibration<double>(b.data(), nullptr, 300);
  EXPECT_EQ(a, b) << "a reset starts the same noise again";
}

// Pink: about 3 dB less power per octave. Compares the mean power of first differences
// (a high-pass view) with the power of the noise itself against white noise of the same
// generator, for which the Voss rows give a much smaller ratio.
TEST(Calibration, NoiseIsPink) {
  auto e = calibrating(kLeft, kK20);
  const std::size_t n = 1 << 18;
  std::vector<double> x(n);
  e->processCalibration<double>(x.data(), nullptr, static_cast<std::int32_t>(n));
  // Band powers by octave from block averages: averaging blocks of 2^k samples keeps the
  // power below fs / 2^(k + 1); successive differences of those averages isolate an octave.
  auto octavePower = [&](int k) {
    const std::size_t len = std::size_t{1} << k;
    double prev = 0.0, sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + len <= n; i += len) {
      double avg = 0.0;
      for (std::size_t j = 0; j < len; ++j) avg += x[i + j];
      avg /= len;
      if (i > 0) {
        sum += (avg - prev) * (avg - prev);
        ++count;
      }
      prev = avg;
    }
    return sum / count * len;  // per unit bandwidth, up to a constant
  };
  // White noise would give a constant; pink noise falls by about a factor 2 per octave.
  for (int k = 2; k <= 5; ++k) {
    const double db = 10.0 * std::log10(octavePower(k) / octavePower(k + 1));
    EXPECT_GT(db, -4.5) << k;
    EXPECT_LT(db, -1.5) << k;
  }
}

}  // namespace
}  // namespace stellix
