// The bitmap-font printers: which cell each byte draws, where the glyphs land, and the cell
// background colour each flag combination selects.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "toolkit/cbitmap.h"
#include "toolkit/cdrawcontext.h"
#include "toolkit/pixelbuffer.h"
#include "ui/ctextprinter.h"

namespace {

constexpr std::uint32_t kCanvas = 0xFF123456u;

std::uint32_t argb(const CColor& c) {
  return 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

// True when the 5 x 8 block of canvas with its top-left at (x, y) equals cell `cell` of font.
bool blockIsCell(const PixelBuffer& canvas, int x, int y, const CBitmap& font, int cell) {
  for (int j = 0; j < CTextPrinter::kGlyphHeight; ++j)
    for (int i = 0; i < CTextPrinter::kGlyphWidth; ++i)
      if (canvas.row(y + j)[x + i] != font.pixels().row(cell * CTextPrinter::kGlyphHeight + j)[i]) return false;
  return true;
}

TEST(TextPrinterCells, IndexOfEveryKindOfByte) {
  struct Case {
    unsigned char ch;
    bool second;
    int cell;
  };
  const Case cases[] = {
      {' ', false, 0},
      {'!', false, 1},
      {'0', false, 16},
      {'~', false, 94},
      {0x7F, false, 95},  // DEL is the last cell of a set
      {'\n', false, 0},   // control characters fall below the set: the space
      {0x00, false, 0},
      {0x80, false, 0},   // the top bit is dropped: 0x80 is a control character
      {0xC1, false, 33},  // and 0xC1 draws 'A'
      {0xFF, false, 95},
      {' ', true, 96},
      {'A', true, 129},
      {0x7F, true, 191},
      // In the second set a control character lands inside the strip, in the first set's
      // upper half: only indices outside 0..191 fall back to the space.
      {'\n', true, 74},
      {0x00, true, 64},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CTextPrinter::cellIndex(c.ch, c.second), c.cell) << int(c.ch) << (c.second ? " bright" : "");
    EXPECT_EQ(CTextPrinter::cellTop(c.ch, c.second), c.cell * 8) << int(c.ch);
  }
}

TEST(TextPrinterDraw, GlyphsSitOnTheBaselineAndAdvanceSixPixels) {
  const SharedBitmap font = loadBitmap(137);
  ASSERT_EQ(font->getHeight(), 1536);
  PixelBuffer canvas(40, 30, kCanvas);
  CDrawContext context(canvas);
  CTextPrinter printer(font);
  const CPoint end = printer.print(&context, "A1", CPoint(3, 20));
  EXPECT_EQ(end, CPoint(15, 20));
  // Rows 13..20: the bottom row of a cell is the baseline row.
  EXPECT_TRUE(blockIsCell(canvas, 3, 13, *font, 33));
  EXPECT_TRUE(blockIsCell(canvas, 9, 13, *font, 17));
  // Nothing above, below, or in the gap column between the glyphs.
  for (int x = 0; x < canvas.width; ++x) {
    EXPECT_EQ(canvas.row(12)[x], kCanvas) << x;
    EXPECT_EQ(canvas.row(21)[x], kCanvas) << x;
  }
  for (int y = 13; y <= 20; ++y) EXPECT_EQ(canvas.row(y)[8], kCanvas) << y;
}

TEST(TextPrinterDraw, VerticalFormStepsEightPixelsDown) {
  const SharedBitmap font = loadBitmap(137);
  PixelBuffer canvas(10, 40, kCanvas);
  CDrawContext context(canvas);
  CTextPrinter printer(font);
  printer.setBright(true);
  EXPECT_EQ(printer.printVertical(&context, "dB", CPoint(2, 7)), CPoint(2, 23));
  EXPECT_TRUE(blockIsCell(canvas, 2, 0, *font, 96 + 'd' - 32));
  EXPECT_TRUE(blockIsCell(canvas, 2, 8, *font, 96 + 'B' - 32));
  EXPECT_EQ(canvas.row(16)[2], kCanvas);
}

TEST(TextPrinterDraw, OnlyThePartInsideTheCanvasIsDrawn) {
  const SharedBitmap font = loadBitmap(137);
  PixelBuffer canvas(8, 8, kCanvas);
  CDrawContext context(canvas);
  CTextPrinter printer(font);
  // Starts left of and above the canvas, ends beyond it; a missing font draws nothing.
  printer.print(&context, "WWWW", CPoint(-4, 3));
  CTextPrinter(loadBitmap(4242)).print(&context, "WWWW", CPoint(0, 7));
  EXPECT_EQ(canvas.row(7)[0], kCanvas);
}

TEST(TextPrinterColour, CellBackgroundOfEachFlagCombination) {
  const CColor light(213, 236, 246), dark(79, 79, 79), red(229, 53, 5);
  struct Case {
    bool twoColor;
    bool bright;
    bool highlight;
    CColor colour;
    int font;  // strip the glyphs come from
  };
  const Case cases[] = {
      {false, false, false, light, 137}, {false, true, false, dark, 137}, {true, false, false, light, 137},
      {true, true, false, dark, 137},    {true, false, true, light, 138}, {true, true, true, red, 138},
  };
  const SharedBitmap normal = loadBitmap(137), highlight = loadBitmap(138);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.twoColor ? "2color" : "plain") + (c.bright ? " bright" : "") +
                 (c.highlight ? " highlight" : ""));
    CTextPrinter plain(normal);
    CTextPrinter2Color twoColor(normal, highlight);
    twoColor.setHighlight(c.highlight);
    CTextPrinter& printer = c.twoColor ? static_cast<CTextPrinter&>(twoColor) : plain;
    printer.setBright(c.bright);
    EXPECT_EQ(printer.getColor(), c.colour);

    PixelBuffer canvas(5, 8, kCanvas);
    CDrawContext context(canvas);
    printer.print(&context, " ", CPoint(0, 7));
    EXPECT_EQ(context.getFillColor(), c.colour);
    // The space cell is all background, in the colour the printer reports.
    EXPECT_EQ(canvas.row(0)[0], argb(c.colour));
    EXPECT_TRUE(blockIsCell(canvas, 0, 0, *(c.font == 137 ? normal : highlight), c.bright ? 96 : 0));
  }
}

}  // namespace
