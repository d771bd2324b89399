// Rectangles and lines: their exact pixels, line widths, translucent colours applied once
// per pixel, and coordinates far outside the canvas.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <set>
#include <vector>

#include "tests/toolkit/draw/draw_test_support.h"

namespace {

using draw_test::kBackground;
using draw_test::picture;
using draw_test::rows;

TEST(Shapes, FillRectCoversTheHalfOpenRectangleMovedByTheOffset) {
  PixelBuffer b(6, 4, kBackground);
  CDrawContext dc(b);
  dc.setOffset(CPoint(1, 1));
  dc.fillRect(CRect(0, 0, 3, 2));
  dc.fillRect(CRect(4, 2, 100, 100));  // cut at the canvas
  dc.fillRect(CRect(3, 0, 2, 2));      // inverted: nothing
  EXPECT_EQ(picture(b), rows({"......", ".###..", ".###..", ".....#"}));
}

struct FrameCase {
  const char* what;
  int lineWidth;
  CRect rect;
  std::string expected;
};

TEST(Shapes, FrameRectIsABorderOfTheLineWidthInsideTheRect) {
  const FrameCase cases[] = {
      {"width 1", 1, CRect(1, 1, 7, 6),
       rows({"........", ".######.", ".#....#.", ".#....#.", ".#....#.", ".######.", "........"})},
      {"width 3", 3, CRect(0, 0, 8, 7),
       rows({"########", "########", "########", "###..###", "########", "########", "########"})},
      {"border meets itself", 3, CRect(1, 1, 6, 6),
       rows({"........", ".#####..", ".#####..", ".#####..", ".#####..", ".#####..", "........"})},
      {"one pixel high", 2, CRect(2, 3, 6, 4),
       rows({"........", "........", "........", "..####..", "........", "........", "........"})},
      {"empty rect", 1, CRect(3, 3, 3, 6),
       rows({"........", "........", "........", "........", "........", "........", "........"})},
  };
  for (const FrameCase& c : cases) {
    PixelBuffer b(8, 7, kBackground);
    CDrawContext dc(b);
    dc.setFrameColor(kWhiteCColor);
    dc.setLineWidth(c.lineWidth);
    dc.frameRect(c.rect);
    EXPECT_EQ(picture(b), c.expected) << c.what;
  }
}

TEST(Shapes, TranslucentFrameAndThickLineTouchEachPixelOnce) {
  // Overlapping bands or pen squares would blend twice and leave darker pixels.
  PixelBuffer b(24, 24, 0xFFFFFFFFu);
  CDrawContext dc(b);
  dc.setFrameColor(CColor(0, 0, 0, 100));
  dc.setLineWidth(3);
  dc.frameRect(CRect(0, 0, 5, 5));  // bands overlap in the middle
  dc.frameRect(CRect(6, 0, 14, 8));
  dc.drawLine(CPoint(10, 9), CPoint(20, 14));
  dc.drawLine(CPoint(1, 23), CPoint(5, 12));
  std::set<std::uint32_t> values(b.pixels.begin(), b.pixels.end());
  EXPECT_EQ(values, (std::set<std::uint32_t>{0xFFFFFFFFu, 0xFF9B9B9Bu}));
}

struct LineCase {
  const char* what;
  CPoint a, b;
  int lineWidth;
  std::string expected;
};

TEST(Shapes, LinesIncludeBothEndsAndGrowRightAndDown) {
  // clang-format off
  const LineCase cases[] = {
    {"horizontal", {1, 1}, {5, 1}, 1, rows({"........", ".#####..", "........", "........", "........", "........"})},
    {"horizontal, width 3 grows down", {1, 1}, {5, 1}, 3,
        rows({"........", ".#####..", ".#####..", ".#####..", "........", "........"})},
    {"vertical, width 2 grows right", {2, 4}, {2, 1}, 2,
        rows({"........", "..##....", "..##....", "..##....", "..##....", "........"})},
    {"single point", {3, 2}, {3, 2}, 1, rows({"........", "........", "...#....", "........", "........", "........"})},
    {"diagonal", {0, 0}, {4, 4}, 1, rows({"#.......", ".#......", "..#.....", "...#....", "....#...", "........"})},
    {"shallow", {0, 1}, {7, 3}, 1, rows({"........", "##......", "..####..", "......##", "........", "........"})},
    {"steep, rising", {1, 5}, {3, 0}, 1, rows({"...#....", "...#....", "..#.....", "..#.....", ".#......", ".#......"})},
    {"diagonal, width 2 pen", {1, 1}, {4, 3}, 2,
        rows({"........", ".##.....", ".####...", "..####..", "....##..", "........"})},
    {"reaching out of the canvas", {-4, -2}, {12, 6}, 1,
        rows({"#.......", ".##.....", "...##...", ".....##.", ".......#", "........"})},
  };
  // clang-format on
  for (const LineCase& c : cases) {
    for (bool reversed : {false, true}) {
      PixelBuffer b(8, 6, kBackground);
      CDrawContext dc(b);
      dc.setFrameColor(kWhiteCColor);
      dc.setLineWidth(c.lineWidth);
      if (reversed)
        dc.drawLine(c.b, c.a);
      else
        dc.drawLine(c.a, c.b);
      EXPECT_EQ(picture(b), c.expected) << c.what << (reversed ? " (drawn backwards)" : "");
    }
  }
}

TEST(Shapes, LinesWithFarEndsAreCutQuickly) {
  PixelBuffer b(16, 16, kBackground);
  CDrawContext dc(b);
  dc.setFrameColor(kWhiteCColor);
  const auto start = std::chrono::steady_clock::now();
  dc.setOffset(CPoint(1, 0));
  dc.drawLine(CPoint(INT_MIN, INT_MIN), CPoint(INT_MAX, INT_MAX));
  dc.setOffset(CPoint(0, 0));
  dc.drawLine(CPoint(-1000000000, 9), CPoint(1000000000, 9));
  // The slope from INT_MIN to INT_MAX is exactly 1: the line runs through (x, x - 1).
  for (int x = 1; x < 16; ++x) EXPECT_NE(b.row(x - 1)[x], kBackground) << x;
  EXPECT_NE(b.row(9)[0], kBackground);
  EXPECT_NE(b.row(9)[15], kBackground);
  EXPECT_EQ(b.row(0)[0], kBackground);
  // Pens as wide as an int: one far off the canvas, one reaching in from far left.
  dc.setLineWidth(INT_MAX);
  const std::vector<std::uint32_t> before = b.pixels;
  dc.drawLine(CPoint(INT_MAX, INT_MAX), CPoint(INT_MAX - 5, INT_MAX - 3));
  EXPECT_EQ(b.pixels, before);
  dc.drawLine(CPoint(INT_MIN, 0), CPoint(INT_MIN + 7, 3));
  EXPECT_NE(b.row(15)[0], kBackground);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
