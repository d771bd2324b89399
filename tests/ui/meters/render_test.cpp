// The displays as they appear in the window: crops of their rectangles on the real background
// compared with committed pictures (STELLIX_UPDATE_GOLDEN=1 writes them).
#include <gtest/gtest.h>

#include <string>

#include "meter_window.h"
#include "tests/support/golden.h"

namespace {

using meters_test::fromDb;
using meters_test::MeterWindow;
using stellix::testing::cropPixels;
using stellix::testing::expectGolden;

void expectRender(const MeterWindow& w, const CControl* control, const std::string& name) {
  expectGolden(cropPixels(w.host.pixels(), control->getViewSize()), STELLIX_GOLDEN_DIR, name);
}

// Left: peak -6 dBFS, RMS -18 dBFS; right: peak -1 dBFS, RMS -9 dBFS.
TEST(LevelMeterRender, EachModeWithAKnownReading) {
  const struct {
    int mode;
    const char* name;
  } modes[] = {{0, "peak"}, {1, "k12"}, {2, "k14"}, {3, "k20"}};
  for (const auto& m : modes) {
    SCOPED_TRACE(m.name);
    MeterWindow w;
    w.in->setMode(m.mode);
    w.out->setMode(m.mode);
    w.in->feed(1000, fromDb(-6.0f), fromDb(-1.0f), fromDb(-18.0f), fromDb(-9.0f));
    w.out->feed(1000, fromDb(-6.0f), fromDb(-1.0f), fromDb(-18.0f), fromDb(-9.0f));
    w.idle();
    expectRender(w, w.in, std::string("level_in_") + m.name);
    expectRender(w, w.out, std::string("level_out_") + m.name);
  }
}

// Silence empties the bars; in the K modes no peak marker shows at the bottom.
TEST(LevelMeterRender, SilenceInPeakAndK20) {
  for (const int mode : {0, 3}) {
    MeterWindow w;
    w.in->setMode(mode);
    w.out->setMode(mode);
    w.feedAll(1000, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    expectRender(w, w.in, mode ? "level_in_k20_silence" : "level_in_peak_silence");
    expectRender(w, w.out, mode ? "level_out_k20_silence" : "level_out_peak_silence");
  }
}

// A full-scale sine in K-20: the RMS bar fills the scale, the marker sits at the top.
TEST(LevelMeterRender, FullScaleInK20) {
  MeterWindow w;
  w.out->setMode(3);
  w.out->feed(1000, 1.0f, 1.0f, 1.0f, 1.0f);
  w.idle();
  expectRender(w, w.out, "level_out_k20_full_scale");
}

// Left -6 dB, right -12 dB of gain reduction.
TEST(GainReductionRender, NormalAndZoomed) {
  for (const bool zoom : {false, true}) {
    MeterWindow w;
    w.gr->setZoom(zoom);
    w.gr->feed(1000, fromDb(-6.0f), fromDb(-12.0f));
    w.idle();
    expectRender(w, w.gr, zoom ? "gr_zoomed" : "gr_normal");
  }
}

TEST(ReadoutRender, PeakReadouts) {
  const struct {
    const char* name;
    int mode;
    float left;
    float right;
  } cases[] = {
      {"lcd_peak_silence_unity", 0, 0.0f, 1.0f},  // "-oo" and "+0.0" (0 dBFS is not over)
      {"lcd_peak_over", 0, 1.001f, 0.5f},         // "+0.0" on red, "-6.0"
      {"lcd_k20_unity_silence", 3, 1.0f, 0.0f},   // "+20.0" dBr, "-oo"
      {"lcd_k12_over", 1, 1.5f, fromDb(-30.0f)},  // "+15.5" on red, "-18.0"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MeterWindow w;
    w.lcdIn->setMode(c.mode);
    w.lcdIn->feed(c.left, c.right);
    w.idle();
    expectRender(w, w.lcdIn, c.name);
  }
}

TEST(ReadoutRender, GainReductionReadout) {
  MeterWindow w;
  expectRender(w, w.lcdGr, "lcdgr_none");
  w.lcdGr->feed(fromDb(-7.2f), 1.0f);
  w.idle();
  expectRender(w, w.lcdGr, "lcdgr_reduction");
}

}  // namespace
