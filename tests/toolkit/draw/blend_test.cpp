// Colour arithmetic: translucent fills and bitmaps over known pixels, exact to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/toolkit/draw/draw_test_support.h"

namespace {

struct BlendCase {
  const char* what;
  std::uint32_t destination;
  CColor colour;
  std::uint32_t expected;
};

// clang-format off
const BlendCase kBlendCases[] = {
  {"opaque colour replaces",              0xFF102030u, {200, 100, 50, 255}, 0xFFC86432u},
  {"transparent colour leaves",           0xFF102030u, {200, 100, 50, 0},   0xFF102030u},
  {"half white over black rounds down",   0xFF000000u, {255, 255, 255, 128}, 0xFF808080u},
  {"faint black over white",              0xFFFFFFFFu, {0, 0, 0, 1},        0xFFFEFEFEu},
  {"faint red over black rounds to one",  0xFF000000u, {255, 0, 0, 1},      0xFF010000u},
  {"onto a transparent pixel",            0x00000000u, {255, 0, 0, 128},    0x80800000u},
  {"onto a translucent pixel",            0x64FFFFFFu, {0, 0, 0, 100},      0xA09B9B9Bu},
  {"almost opaque keeps a trace",         0xFF804020u, {10, 20, 30, 254},   0xFF0A141Eu},
};
// clang-format on

TEST(Blend, FillRectAndPointFollowTheIntegerRule) {
  for (const BlendCase& c : kBlendCases) {
    PixelBuffer b(3, 1, c.destination);
    CDrawContext dc(b);
    dc.setFillColor(c.colour);
    dc.fillRect(CRect(0, 0, 2, 1));
    dc.drawPoint(CPoint(2, 0), c.colour);
    EXPECT_EQ(b.row(0)[0], c.expected) << c.what;
    EXPECT_EQ(b.row(0)[2], c.expected) << c.what << " (point)";
  }
}

TEST(Blend, BitmapPixelsBlendLikeColoursAndOpaqueOnesAreCopied) {
  for (const BlendCase& c : kBlendCases) {
    PixelBuffer px(1, 1, draw_test::argb(c.colour));
    const CBitmap bitmap(std::move(px));
    PixelBuffer b(1, 1, c.destination);
    CDrawContext dc(b);
    dc.drawBitmap(bitmap, CRect(0, 0, 1, 1));
    EXPECT_EQ(b.row(0)[0], c.expected) << c.what;
  }
}

TEST(Blend, BitmapAlphaParameterScalesThePixelsOwnAlpha) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float alpha;
    std::uint8_t pixelAlpha;
    std::uint32_t expected;  // white pixel over opaque black
  };
  // clang-format off
  const Case cases[] = {
      {1.0f,   255, 0xFFFFFFFFu},
      {2.0f,   255, 0xFFFFFFFFu},  // clamped to 1
      {0.5f,   255, 0xFF808080u},  // round(127.5) = 128
      {0.5f,   200, 0xFF646464u},  // 200 * 128 / 255 = 100
      {0.002f, 255, 0xFF010101u},  // round(0.51) = 1
      {0.001f, 255, 0xFF000000u},  // round(0.255) = 0: nothing drawn
      {0.0f,   255, 0xFF000000u},
      {-1.0f,  255, 0xFF000000u},
      {nan,    255, 0xFF000000u},
  };
  // clang-format on
  for (const Case& c : cases) {
    const CBitmap bitmap(PixelBuffer(1, 1, (std::uint32_t{c.pixelAlpha} << 24) | 0xFFFFFFu));
    PixelBuffer b(1, 1, 0xFF000000u);
    CDrawContext dc(b);
    dc.drawBitmap(bitmap, CRect(0, 0, 1, 1), CPoint(0, 0), c.alpha);
    EXPECT_EQ(b.row(0)[0], c.expected) << "alpha " << c.alpha << " pixel alpha " << int{c.pixelAlpha};
  }
}

}  // namespace
