// Text in the small bitmap fonts of the readouts and the information screen.
//
// A font bitmap is one vertical strip of 192 glyph cells, 5 x 8 pixels each: cells 0..95 are
// the plain set (ASCII 32..127), cells 96..191 the bright set (the same characters drawn for
// a dark or red box). The cell of a character ch is ((ch & 0x7F) - 32), plus 96 in the bright
// set; a cell outside 0..191 draws cell 0, the space. A glyph covers the rows baseline - 7 ..
// baseline (its bottom row lies one pixel below the baseline row the letters stand on), and
// the pen then moves 6 pixels to the right, or 8 pixels down in the vertical form.
//
// The glyph cells carry their own background, so text is a plain copy of cells. Each set has
// one background colour: the printer's colour is that of the set it prints with, and printing
// makes it the context's fill, frame and font colour, so that a caller filling a box behind
// the text with it matches the cells.
//
// Threads: UI thread only (the controls own their printers and print while they draw).
#pragma once

#include <string_view>

#include "toolkit/cbitmap.h"
#include "toolkit/ccolor.h"
#include "toolkit/cdrawcontext.h"
#include "toolkit/crect.h"

class CTextPrinter {
 public:
  static constexpr CCoord kGlyphWidth = 5;
  static constexpr CCoord kGlyphHeight = 8;
  static constexpr CCoord kAdvance = 6;          // horizontal pen step
  static constexpr CCoord kVerticalAdvance = 8;  // pen step of the vertical form
  static constexpr int kCellsPerSet = 96;
  static constexpr int kCellCount = 2 * kCellsPerSet;

  // Cell backgrounds: the plain set's light paper, the bright set's dark paper, and the red
  // paper of the highlight font's bright set.
  static constexpr CColor kPlainColor{213, 236, 246};
  static constexpr CColor kBrightColor{79, 79, 79};
  static constexpr CColor kHighlightColor{229, 53, 5};

  // font: the strip of glyph cells (resource 137 or 138). A missing font prints nothing.
  explicit CTextPrinter(SharedBitmap font);
  virtual ~CTextPrinter() = default;

  // The bright flag selects the second glyph set.
  void setBright(bool bright);
  bool isBright() const { return bright_; }

  // The background colour of the cells the printer uses now.
  const CColor& getColor() const { return color_; }

  // Prints text (bytes, one cell each) with the first glyph's left edge at start.x and its
  // baseline on start.y. Answers the pen position after the last glyph.
  CPoint print(CDrawContext* context, std::string_view text, const CPoint& start);
  // The vertical form: one glyph under the other, 8 pixels apart.
  CPoint printVertical(CDrawContext* context, std::string_view text, const CPoint& start);

  // The cell character ch is drawn from (0..191).
  static int cellIndex(unsigned char ch, bool secondSet);
  // Source y of that cell in the strip.
  static CCoord cellTop(unsigned char ch, bool secondSet) { return cellIndex(ch, secondSet) * kGlyphHeight; }

 protected:
  // The strip the glyphs come from now.
  virtual const SharedBitmap& currentFont() const { return font_; }
  // Recomputes color_ after a flag changed.
  virtual void updateColor();

  SharedBitmap font_;
  bool bright_ = false;
  CColor color_ = kPlainColor;

 private:
  CPoint printAdvancing(CDrawContext* context, std::string_view text, const CPoint& start, const CPoint& step);
};

// A printer with a second font for highlighted text (resource 138, whose bright set stands on
// red). Colours: plain set (213, 236, 246); bright set (79, 79, 79), or (229, 53, 5) when
// also highlighted. A highlighted plain set prints from the highlight font on light paper.
class CTextPrinter2Color : public CTextPrinter {
 public:
  CTextPrinter2Color(SharedBitmap font, SharedBitmap highlightFont);

  void setHighlight(bool highlight);
  bool isHighlight() const { return highlight_; }

 protected:
  const SharedBitmap& currentFont() const override { return highlight_ ? highlightFont_ : font_; }
  void updateColor() override;

 private:
  SharedBitmap highlightFont_;
  bool highlight_ = false;
};
