// Where the displays take their pixels from: every window row of a bar, the legend, the boxes
// and glyphs of the readouts compared with the bitmap rows the scales prescribe, so that the
// pictures are checked against the rules and not only against earlier renders.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "meter_window.h"

namespace {

using meters_test::fromDb;
using meters_test::MeterWindow;

// Window rows top .. bottom (exclusive) of the 15-pixel column block at x must equal rows
// from srcTop on of bitmap id.
struct Rows {
  CCoord top;
  CCoord bottom;
  int bitmap;
  CCoord srcTop;
};

void expectRows(const PixelBuffer& window, CCoord x, CCoord width, const Rows& r, CCoord srcLeft = 0) {
  const SharedBitmap bitmap = loadBitmap(r.bitmap);
  int wrong = 0;
  for (CCoord y = r.top; y < r.bottom; ++y)
    for (CCoord i = 0; i < width; ++i)
      wrong += window.row(y)[x + i] != bitmap->pixels().row(r.srcTop + y - r.top)[srcLeft + i];
  EXPECT_EQ(wrong, 0) << "rows " << r.top << ".." << r.bottom << " of bitmap " << r.bitmap << " from row " << r.srcTop;
}

TEST(LevelMeterGeometry, BarRowsComeFromTheScaleOffsets) {
  struct Case {
    const char* name;
    int mode;
    float peakDb;
    std::optional<float> rmsDb;  // nullopt: silence
    std::vector<Rows> rows;
    int legend;
  };
  const Case cases[] = {
      {"0 dBFS in peak mode lights up to y = 114", 0, 0.0f, -30.0f, {{114, 402, 130, 120}, {42, 114, 155, 48}}, 133},
      {"K-20: RMS -20 dBFS at the reference y = 162, peak -6 dBFS marker at y = 78",
       3,
       -6.0f,
       -20.0f,
       {{162, 402, 154, 144}, {42, 78, 129, 24}, {78, 81, 154, 60}, {81, 162, 129, 63}},
       131},
      {"K-12 silence: all unlit, no marker", 1, -120.0f, std::nullopt, {{42, 402, 129, 72}}, 133},
      {"K-14 full scale: all lit", 2, 0.0f, 0.0f, {{42, 402, 154, 60}}, 132},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeterWindow w;
    w.in->setMode(c.mode);
    const float peak = fromDb(c.peakDb), rms = c.rmsDb ? fromDb(*c.rmsDb) : 0.0f;
    w.in->feed(1000, peak, peak, rms, rms);
    w.idle();
    for (const CCoord x : {150, 191})
      for (const Rows& r : c.rows) expectRows(w.host.pixels(), x, 15, r);
    // The legend between the bars (its first column lies under the left bar).
    expectRows(w.host.pixels(), 165, 26, {38, 405, c.legend, 0}, 1);
  }
}

TEST(LevelMeterGeometry, OutputMeterBarsAndLegend) {
  MeterWindow w;
  w.out->setMode(3);
  w.out->feed(1000, 1.0f, 1.0f, 1.0f, 1.0f);
  w.idle();
  for (const CCoord x : {320, 363}) expectRows(w.host.pixels(), x, 15, {42, 402, 154, 24});
  expectRows(w.host.pixels(), 336, 26, {38, 405, 134, 0}, 1);
}

TEST(GainReductionGeometry, BarsGrowDownOverTheScaleHalf) {
  for (const bool zoom : {false, true}) {
    SCOPED_TRACE(zoom ? "zoomed" : "normal");
    MeterWindow w;
    w.gr->setZoom(zoom);
    w.gr->feed(1000, fromDb(-6.0f), fromDb(-6.0f));
    w.idle();
    const CCoord length = zoom ? 73 : 37;
    const CCoord half = zoom ? 153 : 0;
    for (const CCoord x : {234, 275}) {
      expectRows(w.host.pixels(), x, 15, {42, 42 + length, 156, 0});
      expectRows(w.host.pixels(), x, 15, {42 + length, 192, 167, half + 3 + length}, x - 233);
    }
    expectRows(w.host.pixels(), 233, 58, {39, 42, 167, half});
  }
}

TEST(ReadoutGeometry, BoxesAndGlyphsSitWhereTheFieldsSay) {
  const std::uint32_t dark = 0xFF4F4F4Fu, red = 0xFFE53505u;
  MeterWindow w;
  w.lcdIn->feed(0.0f, 1.5f);  // "-oo" on dark, "+3.5" on red
  w.idle();
  const PixelBuffer& px = w.host.pixels();
  // Fields start at s = 133 and 193; boxes cover s - 1 .. s + 30 and rows 416 .. 425.
  for (const auto& [s, colour] : {std::pair{133, dark}, std::pair{193, red}}) {
    EXPECT_EQ(px.row(416)[s - 1], colour) << s;
    EXPECT_EQ(px.row(425)[s + 30], colour) << s;
    EXPECT_NE(px.row(420)[s - 2], colour) << s;
    EXPECT_NE(px.row(420)[s + 31], colour) << s;
    EXPECT_NE(px.row(415)[s + 10], colour) << s;
  }
  // "-oo" is centred from 133 + 15 - 9 = 139, "+3.5" from 193 + 15 - 12 = 196, glyph rows
  // 417 .. 424 (baseline 424); the unit "dBFS" from 166 in the plain set.
  expectRows(px, 139, 5, {417, 425, 137, (96 + '-' - 32) * 8});
  expectRows(px, 145, 5, {417, 425, 137, (96 + 'o' - 32) * 8});
  expectRows(px, 196, 5, {417, 425, 138, (96 + '+' - 32) * 8});
  expectRows(px, 214, 5, {417, 425, 138, (96 + '5' - 32) * 8});
  expectRows(px, 166, 5, {417, 425, 137, ('d' - 32) * 8});
  expectRows(px, 184, 5, {417, 425, 137, ('S' - 32) * 8});

  // K mode: four spaces from 166, then "dBr" from 169.
  w.lcdIn->setMode(2);
  w.idle();
  expectRows(px, 166, 3, {417, 425, 137, 0});
  expectRows(px, 169, 5, {417, 425, 137, ('d' - 32) * 8});
  expectRows(px, 181, 5, {417, 425, 137, ('r' - 32) * 8});
  expectRows(px, 186, 4, {417, 425, 137, 0});

  // The gain-reduction readout: "0.0" from 219 + 15 - 9 = 225 in the bright set (light on its
  // dark box), "dB" from 258 in the plain set.
  expectRows(px, 225, 5, {201, 209, 137, (96 + '0' - 32) * 8});
  expectRows(px, 258, 5, {201, 209, 137, ('d' - 32) * 8});
  EXPECT_EQ(px.row(200)[218], dark);
}

}  // namespace
