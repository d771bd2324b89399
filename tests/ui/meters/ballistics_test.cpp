// Meter ballistics driven by the ticks of the readings: hold and fall of the level meters,
// hold and return of the gain-reduction meter, the scales' pixel rules, independence from how
// often the meters are fed and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "meter_window.h"

namespace {

using meters_test::fromDb;
using meters_test::MeterWindow;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// One reading: tick and peak in dB (nullopt: silence).
struct Reading {
  std::uint32_t t;
  std::optional<float> db;
};

// Silent readings every 1000 / rate ms after `from` up to `to` inclusive, on whole
// milliseconds as the tick counter gives them.
std::vector<Reading> silenceEvery(std::uint32_t rate, std::uint32_t from, std::uint32_t to) {
  std::vector<Reading> out;
  for (std::uint32_t k = 1;; ++k) {
    const std::uint32_t t = from + k * 1000 / rate;
    if (t > to) break;
    out.push_back({t, std::nullopt});
  }
  return out;
}

std::vector<Reading> concat(std::vector<Reading> a, const std::vector<Reading>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// -6 dBFS at 1000 ms falls from 1050 ms on: at 2200 ms it has fallen for 1150 ms.
constexpr float kAfterFall = -6.0f - 1150 * 0.00866f;

TEST(LevelMeterBallistics, HoldThenFallOnTheTicksOfTheReadings) {
  struct Case {
    const char* name;
    std::vector<Reading> readings;
    int extraDraws;  // draws without a new reading after each one
    float displayed;
  };
  const Reading peak{1000, -6.0f};
  const Case cases[] = {
      {"hold lasts 50 ms", {peak, {1040, {}}, {1050, {}}}, 0, -6.0f},
      {"falls 8.66 dB/s after the hold", {peak, {1090, {}}}, 0, -6.0f - 40 * 0.00866f},
      {"fed at 25 Hz", concat({peak}, silenceEvery(25, 1000, 2200)), 0, kAfterFall},
      {"fed at 60 Hz", concat({peak}, silenceEvery(60, 1000, 2200)), 0, kAfterFall},
      {"fed every 5 ms", concat({peak}, silenceEvery(200, 1000, 2200)), 0, kAfterFall},
      {"drawn between readings", concat({peak}, silenceEvery(25, 1000, 2200)), 3, kAfterFall},
      {"one late reading", {peak, {2200, {}}}, 0, kAfterFall},
      {"a lower peak while falling is passed over", {peak, {1500, -20.0f}, {2200, {}}}, 0, kAfterFall},
      {"a higher peak restarts the hold", {peak, {1500, -3.0f}, {1550, {}}}, 0, -3.0f},
      {"falls to silence, -120 dB", {peak, {100000, {}}}, 0, -120.0f},
      {"peaks above +20 dB are capped", {{1000, 40.0f}}, 0, 20.0f},
      {"across the wrap of the tick counter", {{0xFFFFFF00u, -6.0f}, {0xFFFFFF00u + 1200u, {}}}, 0, kAfterFall},
      {"a reading older than the last passes no time", {peak, {900, {}}, {950, {}}}, 0, -6.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeterWindow w;
    for (const Reading& r : c.readings) {
      const float v = r.db ? fromDb(*r.db) : 0.0f;
      w.in->feed(r.t, v, v, v, v);
      w.idle();
      for (int i = 0; i < c.extraDraws; ++i) {
        w.in->setDirty();
        w.idle();
      }
    }
    EXPECT_NEAR(w.in->displayedPeakDb(0), c.displayed, 2e-3f);
    EXPECT_NEAR(w.in->displayedPeakDb(1), c.displayed, 2e-3f);
  }
}

TEST(LevelMeterBallistics, ChannelsAreIndependent) {
  MeterWindow w;
  w.out->feed(1000, fromDb(-6.0f), fromDb(-30.0f), 0.0f, 0.0f);
  w.idle();
  w.out->feed(1100, 0.0f, fromDb(-3.0f), 0.0f, 0.0f);
  w.idle();
  EXPECT_NEAR(w.out->displayedPeakDb(0), -6.0f - 50 * 0.00866f, 2e-3f);
  EXPECT_NEAR(w.out->displayedPeakDb(1), -3.0f, 2e-3f);
  EXPECT_EQ(w.out->holdCounter(0), 0);
  EXPECT_EQ(w.out->holdCounter(1), 50);
}

TEST(LevelMeterScale, BarHeightOfADbValue) {
  struct Case {
    float db;
    float offset;
    int pixels;
  };
  const Case cases[] = {
      {0.0f, 48.0f, 288},                                              // 0 dBFS, peak scale: y = 114
      {-48.0f, 48.0f, 0},   {-47.95f, 48.0f, 0},                       // 0.8 pixels truncate to none
      {-47.9f, 48.0f, 1},   {12.0f, 48.0f, 360}, {12.5f, 48.0f, 360},  // top of the scale
      {-6.0f, 48.0f, 252},  {-122.0f, 48.0f, 0}, {0.0f, 60.0f, 360},   // full-scale RMS, K scales
      {-20.0f, 60.0f, 240}, {kNaN, 48.0f, 0},    {kInf, 60.0f, 360},  {-kInf, 60.0f, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CMeterLevel::barHeight(c.db, c.offset), c.pixels) << c.db << " dB + " << c.offset;
}

TEST(GainReductionBallistics, HoldThenReturnAt30DbPerSecond) {
  struct Case {
    const char* name;
    std::uint32_t rate;  // readings of no reduction per second after -12 dB at 1000 ms
    std::uint32_t until;
    float held;
    int length;  // normal scale
  };
  const Case cases[] = {
      {"held 50 ms", 100, 1050, -12.0f, 73},        {"returning", 100, 1250, -6.0f, 37},
      {"fed at 25 Hz", 25, 1400, -1.5f, 10},        {"fed at 60 Hz", 60, 1400, -1.5f, 10},
      {"just before the end", 100, 1440, -0.3f, 3}, {"back 400 ms after the hold", 60, 1450, 0.0f, 0},
      {"stays at 0 dB", 25, 3000, 0.0f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeterWindow w;
    w.gr->feed(1000, fromDb(-12.0f), fromDb(-12.0f));
    w.idle();
    for (const Reading& r : silenceEvery(c.rate, 1000, c.until)) {
      w.gr->feed(r.t, 1.0f, 1.0f);
      w.idle();
    }
    EXPECT_NEAR(w.gr->heldDb(0), c.held, 2e-3f);
    EXPECT_EQ(CMeterGR::barLength(w.gr->heldDb(1), false), c.length);
  }
}

TEST(GainReductionScale, BarLengthNormalAndZoomed) {
  struct Case {
    float held;
    bool zoom;
    int length;
  };
  const Case cases[] = {
      {0.0f, false, 0},     {-0.09f, false, 0},   {-0.1f, false, 2},    // -0.1 dB already shows
      {-6.0f, false, 37},   {-6.0f, true, 73},    {-12.0f, true, 145},  // zoomed: -12 dB fills the bar
      {-12.1f, true, 145},                                              // clamped (146)
      {-24.0f, false, 145}, {-30.0f, false, 145}, {3.0f, true, 0},     {kNaN, false, 0}, {-kInf, true, 145},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CMeterGR::barLength(c.held, c.zoom), c.length) << c.held << (c.zoom ? " zoomed" : "");
}

TEST(GainReductionScale, MinusTwelveDbFedFillsTheZoomedBar) {
  MeterWindow w;
  w.gr->setZoom(true);
  w.gr->feed(1000, fromDb(-12.0f), fromDb(-12.1f));
  w.idle();
  EXPECT_EQ(CMeterGR::barLength(w.gr->heldDb(0), true), 145);
  EXPECT_EQ(CMeterGR::barLength(w.gr->heldDb(1), true), 145);
}

}  // namespace
