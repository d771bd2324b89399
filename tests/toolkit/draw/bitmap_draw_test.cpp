// Copying bitmaps: frames of a strip, partial copies, the context's offset and clip, and
// requests that reach outside the bitmap or the canvas.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "tests/toolkit/draw/draw_test_support.h"

namespace {

using draw_test::kBackground;

// Every pixel different and opaque: 0xFF, then row and column.
CBitmap numberedBitmap(int w, int h) {
  PixelBuffer px(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.row(y)[x] = 0xFF000000u | (static_cast<std::uint32_t>(y + 1) << 8) | (x + 1);
  return CBitmap(std::move(px));
}

std::uint32_t numbered(int x, int y) { return 0xFF000000u | (static_cast<std::uint32_t>(y + 1) << 8) | (x + 1); }

TEST(DrawBitmap, SourceOffsetPicksOneFrameOfAStrip) {
  // Three 2 x 2 frames stacked; the third is drawn at (1, 1).
  const CBitmap strip = numberedBitmap(2, 6);
  PixelBuffer b(4, 4, kBackground);
  CDrawContext dc(b);
  dc.drawBitmap(strip, CRect(1, 1, 3, 3), CPoint(0, 4));
  EXPECT_EQ(b.row(1)[1], numbered(0, 4));
  EXPECT_EQ(b.row(1)[2], numbered(1, 4));
  EXPECT_EQ(b.row(2)[1], numbered(0, 5));
  EXPECT_EQ(b.row(2)[2], numbered(1, 5));
  EXPECT_EQ(draw_test::picture(b), draw_test::rows({"....", ".##.", ".##.", "...."}));
}

TEST(DrawBitmap, OnlyThePartInsideTheBitmapIsDrawn) {
  const CBitmap bitmap = numberedBitmap(3, 2);
  PixelBuffer b(6, 4, kBackground);
  CDrawContext dc(b);
  dc.drawBitmap(bitmap, CRect(0, 0, 6, 4), CPoint(1, 1));
  EXPECT_EQ(draw_test::picture(b), draw_test::rows({"##....", "......", "......", "......"}));
  EXPECT_EQ(b.row(0)[0], numbered(1, 1));
  EXPECT_EQ(b.row(0)[1], numbered(2, 1));
}

TEST(DrawBitmap, ContextOffsetMovesAndClipLimits) {
  const CBitmap bitmap = numberedBitmap(4, 4);
  PixelBuffer b(8, 6, kBackground);
  CDrawContext dc(b);
  dc.setOffset(CPoint(3, 1));
  dc.setClipRect(CRect(0, 0, 5, 4));  // buffer coordinates, not moved by the offset
  dc.drawBitmap(bitmap, CRect(0, 0, 4, 4));
  EXPECT_EQ(draw_test::picture(b),
            draw_test::rows({"........", "...##...", "...##...", "...##...", "........", "........"}));
  EXPECT_EQ(b.row(1)[3], numbered(0, 0));
  EXPECT_EQ(b.row(3)[4], numbered(1, 2));
  dc.resetClipRect();
  EXPECT_EQ(dc.getClipRect(), CRect(0, 0, 8, 6));
}

TEST(DrawBitmap, ClipIsLimitedToTheBuffer) {
  PixelBuffer b(5, 4, kBackground);
  CDrawContext dc(b);
  dc.setClipRect(CRect(-10, 2, 100, 100));
  EXPECT_EQ(dc.getClipRect(), CRect(0, 2, 5, 4));
}

// Requests at the edges of every range. Whatever is asked, a pixel changes only when it lies
// inside the clip and the destination and its source pixel lies inside the bitmap, and then it
// holds exactly that source pixel. Run under AddressSanitizer, reads outside either buffer
// would fail it.
struct OddCase {
  const char* what;
  CRect dest;
  CPoint src;
  CPoint offset;
  std::optional<CRect> clip;
};

constexpr int kBig = INT_MAX;
constexpr int kSmall = INT_MIN;

// clang-format off
const OddCase kOddCases[] = {
  {"plain copy",                    {0, 0, 4, 3},        {0, 0},        {0, 0}, {}},
  {"negative source offset",        {0, 0, 8, 6},        {-2, -1},      {0, 0}, {}},
  {"source offset past the end",    {0, 0, 8, 6},        {4, 3},        {0, 0}, {}},
  {"source offset far past",        {0, 0, 8, 6},        {1000, 0},     {0, 0}, {}},
  {"source offset at INT_MAX",      {0, 0, 8, 6},        {kBig, kBig},  {0, 0}, {}},
  {"source offset at INT_MIN",      {0, 0, 8, 6},        {kSmall, kSmall}, {0, 0}, {}},
  {"destination left of canvas",    {-3, -2, 2, 2},      {0, 0},        {0, 0}, {}},
  {"destination right of canvas",   {6, 4, 12, 9},       {0, 0},        {0, 0}, {}},
  {"destination entirely outside",  {20, 20, 30, 30},    {0, 0},        {0, 0}, {}},
  {"huge destination",              {kSmall, kSmall, kBig, kBig}, {0, 0}, {0, 0}, {}},
  {"huge destination, huge source", {kSmall, kSmall, kBig, kBig}, {kSmall, kSmall}, {0, 0}, {}},
  {"inverted destination",          {4, 4, 0, 0},        {0, 0},        {0, 0}, {}},
  {"empty destination",             {2, 2, 2, 5},        {0, 0},        {0, 0}, {}},
  {"offset moves it partly out",    {0, 0, 4, 3},        {0, 0},        {6, 4}, {}},
  {"offset at INT_MAX",             {0, 0, 4, 3},        {0, 0},        {kBig, kBig}, {}},
  {"offset and rect at INT_MIN",    {kSmall, kSmall, 0, 0}, {0, 0},     {kSmall, kSmall}, {}},
  {"offset cancels huge rect",      {kBig - 2, kBig - 2, kBig, kBig}, {0, 0}, {-(kBig - 3), -(kBig - 3)}, {}},
  {"clip inside",                   {0, 0, 8, 6},        {0, 0},        {0, 0}, CRect(1, 1, 3, 2)},
  {"clip outside the canvas",       {0, 0, 8, 6},        {0, 0},        {0, 0}, CRect(-5, -5, -1, -1)},
  {"inverted clip",                 {0, 0, 8, 6},        {0, 0},        {0, 0}, CRect(5, 5, 1, 1)},
};
// clang-format on

TEST(DrawBitmap, OddRequestsStayInsideBitmapCanvasAndClip) {
  constexpr int kW = 8, kH = 6, kBw = 4, kBh = 3;
  const CBitmap bitmap = numberedBitmap(kBw, kBh);
  for (const OddCase& c : kOddCases) {
    for (float alpha : {1.0f, 0.5f}) {
      PixelBuffer b(kW, kH, kBackground);
      CDrawContext dc(b);
      dc.setOffset(c.offset);
      if (c.clip) dc.setClipRect(*c.clip);
      const CRect clip = dc.getClipRect();
      dc.drawBitmap(bitmap, c.dest, c.src, alpha);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const std::int64_t ux = std::int64_t{x} - c.offset.x, uy = std::int64_t{y} - c.offset.y;
          const std::int64_t sx = c.src.x + (ux - c.dest.left), sy = c.src.y + (uy - c.dest.top);
          const bool drawn = clip.pointInside(CPoint(x, y)) && ux >= c.dest.left && ux < c.dest.right &&
                             uy >= c.dest.top && uy < c.dest.bottom && sx >= 0 && sx < kBw && sy >= 0 && sy < kBh;
          std::uint32_t expected = kBackground;
          if (drawn) {
            const std::uint32_t s = numbered(static_cast<int>(sx), static_cast<int>(sy));
            // Half of the source over black: each channel (v * 128 + 127) / 255.
            expected = alpha == 1.0f ? s
                                     : 0xFF000000u | (((((s >> 8) & 0xFFu) * 128 + 127) / 255) << 8) |
                                           (((s & 0xFFu) * 128 + 127) / 255);
          }
          ASSERT_EQ(b.row(y)[x], expected) << c.what << " alpha " << alpha << " at " << x << "," << y;
        }
    }
  }
}

TEST(DrawBitmap, EmptyBitmapsDrawNothing) {
  const CBitmap missing(12345);
  const CBitmap undecodable(reinterpret_cast<const std::uint8_t*>("not a png"), 9);
  const CBitmap none(PixelBuffer{});
  PixelBuffer broken(2, 2);
  broken.pixels.resize(3);
  const CBitmap mismatched(std::move(broken));
  PixelBuffer b(4, 4, kBackground);
  CDrawContext dc(b);
  for (const CBitmap* bitmap : {&missing, &undecodable, &none, &mismatched}) {
    EXPECT_FALSE(bitmap->isLoaded());
    dc.drawBitmap(*bitmap, CRect(0, 0, 4, 4));
  }
  EXPECT_EQ(draw_test::picture(b), draw_test::rows({"....", "....", "....", "...."}));
}

TEST(DrawBitmap, CanvasWhoseStorageDoesNotMatchItsSizeIsLeftAlone) {
  const CBitmap bitmap = numberedBitmap(4, 4);
  PixelBuffer b(4, 4, kBackground);
  b.pixels.resize(3);  // a caller broke the invariant
  CDrawContext dc(b);
  dc.drawBitmap(bitmap, CRect(0, 0, 4, 4));
  dc.fillRect(CRect(0, 0, 4, 4));
  dc.drawLine(CPoint(0, 0), CPoint(3, 3));
  dc.drawString("Hello", CRect(0, 0, 4, 4));
  EXPECT_EQ(b.pixels, std::vector<std::uint32_t>(3, kBackground));
}

}  // namespace
