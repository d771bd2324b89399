#include "toolkit/controls/cparamdisplay.h"

#include <cstdio>
#include <utility>

#include "toolkit/cdrawcontext.h"

CParamDisplay::CParamDisplay(const CRect& size, const SharedBitmap& background, std::int32_t style)
    : CControl(size, nullptr, 0, background), font_(kNormalFont), style_(style) {}

void CParamDisplay::draw(CDrawContext* context) {
  if (style_ & kNoDrawStyle) return;
  drawBack(context);
  if (!(style_ & kNoTextStyle)) drawText(context, formatValue(getValue()));
}

void CParamDisplay::drawBack(CDrawContext* context) {
  if (background_) {
    context->drawBitmap(*background_, size_, backOffset_);
    return;
  }
  if (style_ & kTransparentStyle) return;
  context->setFillColor(backColor_);
  context->fillRect(size_);
  if (!(style_ & kNoFrame)) {
    context->setFrameColor(frameColor_);
    context->setLineWidth(1);
    context->frameRect(size_);
  }
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& text) {
  if (text.empty()) return;
  context->setFont(font_);
  context->setFontColor(fontColor_);
  CRect area = size_;
  area.inset(textInset_.x, textInset_.y);
  context->drawString(text, area, horiAlign_);
}

std::string CParamDisplay::formatValue(float value) const {
  std::string text;
  if (valueToString_ && valueToString_(value, text)) return text;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(value));
  return buffer;
}

void CParamDisplay::setFont(const CFontRef& font) {
  if (font) font_ = font;
  setDirty();
}

void CParamDisplay::setFontColor(const CColor& color) {
  fontColor_ = color;
  setDirty();
}

void CParamDisplay::setBackColor(const CColor& color) {
  backColor_ = color;
  setDirty();
}

void CParamDisplay::setFrameColor(const CColor& color) {
  frameColor_ = color;
  setDirty();
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align) {
  horiAlign_ = align;
  setDirty();
}

void CParamDisplay::setStyle(std::int32_t style) {
  style_ = style;
  setDirty();
}

void CParamDisplay::setTextInset(const CPoint& inset) {
  textInset_ = inset;
  setDirty();
}

void CParamDisplay::setValueToStringFunction(ValueToStringFunction function) {
  valueToString_ = std::move(function);
  setDirty();
}
