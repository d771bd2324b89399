#include "ui/ctextprinter.h"

#include <utility>

CTextPrinter::CTextPrinter(SharedBitmap font) : font_(std::move(font)) {}

void CTextPrinter::setBright(bool bright) {
  bright_ = bright;
  updateColor();
}

void CTextPrinter::updateColor() { color_ = bright_ ? kBrightColor : kPlainColor; }

int CTextPrinter::cellIndex(unsigned char ch, bool secondSet) {
  const int index = (ch & 0x7F) - 32 + (secondSet ? kCellsPerSet : 0);
  return index < 0 || index >= kCellCount ? 0 : index;
}

CPoint CTextPrinter::print(CDrawContext* context, std::string_view text, const CPoint& start) {
  return printAdvancing(context, text, start, CPoint(kAdvance, 0));
}

CPoint CTextPrinter::printVertical(CDrawContext* context, std::string_view text, const CPoint& start) {
  return printAdvancing(context, text, start, CPoint(0, kVerticalAdvance));
}

CPoint CTextPrinter::printAdvancing(CDrawContext* context, std::string_view text, const CPoint& start,
                                    const CPoint& step) {
  context->setFillColor(color_);
  context->setFrameColor(color_);
  context->setFontColor(color_);
  CPoint pen = start;
  const SharedBitmap& font = currentFont();
  for (const char c : text) {
    if (font) {
      const CRect cell(pen.x, pen.y - (kGlyphHeight - 1), pen.x + kGlyphWidth, pen.y + 1);
      context->drawBitmap(*font, cell, CPoint(0, cellTop(static_cast<unsigned char>(c), bright_)));
    }
    pen.offset(step.x, step.y);
  }
  return pen;
}

CTextPrinter2Color::CTextPrinter2Color(SharedBitmap font, SharedBitmap highlightFont)
    : CTextPrinter(std::move(font)), highlightFont_(std::move(highlightFont)) {}

void CTextPrinter2Color::setHighlight(bool highlight) {
  highlight_ = highlight;
  updateColor();
}

void CTextPrinter2Color::updateColor() {
  if (!bright_)
    color_ = kPlainColor;
  else
    color_ = highlight_ ? kHighlightColor : kBrightColor;
}
