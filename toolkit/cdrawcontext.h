// Drawing into a PixelBuffer, in our own code, so that every platform and every test shows
// the same pixels. Coordinates are those of the buffer moved by the current offset; every
// operation is limited to the clip rectangle (itself in buffer coordinates) and to the
// buffer, and never reads outside a bitmap whatever the rectangle and offset asked for.
//
// Blending: a source pixel with alpha a over the destination d gives
//   (s * a + d * (255 - a) + 127) / 255 per channel, alpha becoming a + d_a * (255 - a) / 255.
// Text is rasterised by stb_truetype at the font's pixel size on integer pen positions,
// coverage blended in the font colour the same way. Lines and frames are not anti-aliased.
//
// Pen positions: the advances of a text's glyphs and the kerning between neighbours are
// summed in font units, and each glyph is placed at the start plus that running sum converted
// to pixels and rounded (halves up), so rounding errors do not add up along the text. A
// text's width is its whole sum rounded the same way.
#pragma once

#include <string_view>

#include "toolkit/cbitmap.h"
#include "toolkit/ccolor.h"
#include "toolkit/cfont.h"
#include "toolkit/crect.h"
#include "toolkit/pixelbuffer.h"

class CDrawContext {
 public:
  explicit CDrawContext(PixelBuffer& target);

  PixelBuffer& target() { return target_; }

  // Offset added to every coordinate given to the drawing operations (containers move their
  // children's drawing by it).
  void setOffset(const CPoint& offset) { offset_ = offset; }
  const CPoint& getOffset() const { return offset_; }
  // Clip rectangle in buffer coordinates (not moved by the offset); starts as the buffer.
  void setClipRect(const CRect& clip);
  const CRect& getClipRect() const { return clip_; }
  void resetClipRect();

  void setFillColor(const CColor& c) { fillColor_ = c; }
  void setFrameColor(const CColor& c) { frameColor_ = c; }
  void setFontColor(const CColor& c) { fontColor_ = c; }
  const CColor& getFillColor() const { return fillColor_; }
  const CColor& getFrameColor() const { return frameColor_; }
  const CColor& getFontColor() const { return fontColor_; }
  void setLineWidth(int width) { lineWidth_ = width < 1 ? 1 : width; }
  int getLineWidth() const { return lineWidth_; }
  void setFont(const CFontRef& font) { if (font) font_ = font; }
  const CFontRef& getFont() const { return font_; }

  // Copies bitmap pixels into dest, starting at source position srcOffset (so the pixel at
  // dest.left + i, dest.top + j comes from srcOffset.x + i, srcOffset.y + j). Only the part
  // that lies inside the bitmap is drawn. alpha scales the bitmap's own alpha (0..1): each
  // pixel's alpha becomes (a * A + 127) / 255 with A = round(alpha * 255), alpha clamped to
  // 0..1 and NaN taken as 0.
  void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& srcOffset = CPoint(0, 0),
                  float alpha = 1.0f);

  // Fills rect with the fill colour.
  void fillRect(const CRect& rect);
  // Outlines rect with the frame colour: a border of the line width, inside rect.
  void frameRect(const CRect& rect);
  // A line from a to b in the frame colour, lineWidth pixels thick; both ends included.
  // Horizontal and vertical lines cover the rows (columns) from the coordinate on, down
  // (right) by the width. Slanted lines follow Bresenham's pixels (the minor coordinate
  // rounded to nearest, halves towards the end with the larger major coordinate) with a
  // square pen of the line width whose top-left corner runs along them; each pixel is
  // coloured once.
  void drawLine(const CPoint& a, const CPoint& b);
  void drawPoint(const CPoint& p, const CColor& c);

  // Text in the font colour. The string is UTF-8; invalid bytes draw as U+FFFD.
  // Baseline form: the pen starts at (x, baseline y).
  void drawString(std::string_view utf8, const CPoint& baselineStart);
  // Placed in rect: vertically centred on the font's ascent and descent (baseline at
  // top + (height + ascent - descent) / 2, rounded down), horizontally by align (centred:
  // left + (width - text width) / 2, rounded down); clipped to rect.
  void drawString(std::string_view utf8, const CRect& rect, CHoriTxtAlign align = kCenterText);
  // Advance width of the text in pixels (rounded to whole pixels, as drawn).
  CCoord getStringWidth(std::string_view utf8) const;
  // Ascent and descent of the current font in whole pixels (ascent above the baseline,
  // descent below it, both positive).
  CCoord getFontAscent() const;
  CCoord getFontDescent() const;

 private:
  PixelBuffer& target_;
  CPoint offset_;
  CRect clip_;
  CColor fillColor_ = kWhiteCColor;
  CColor frameColor_ = kBlackCColor;
  CColor fontColor_ = kBlackCColor;
  int lineWidth_ = 1;
  CFontRef font_;
};
