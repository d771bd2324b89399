#include "toolkit/controls/ctextlabel.h"

#include <utility>

CTextLabel::CTextLabel(const CRect& size, std::string text, const SharedBitmap& background, std::int32_t style)
    : CParamDisplay(size, background, style), text_(std::move(text)) {}

void CTextLabel::setText(std::string text) {
  textFromValue_.store(false, std::memory_order_relaxed);
  if (text == text_) return;
  text_ = std::move(text);
  setDirty();
}

const std::string& CTextLabel::getText() const {
  if (textFromValue_.exchange(false, std::memory_order_acq_rel) && valueToString_) {
    std::string text;
    if (valueToString_(getValue(), text)) text_ = std::move(text);
  }
  return text_;
}

void CTextLabel::requestTextFromValue() {
  if (!valueToString_) return;
  textFromValue_.store(true, std::memory_order_release);
  setDirty();
}

void CTextLabel::setValue(float value) {
  CParamDisplay::setValue(value);
  // Even an unchanged value replaces the text: the label's first text may not be the
  // value's.
  requestTextFromValue();
}

void CTextLabel::draw(CDrawContext* context) {
  if (style_ & kNoDrawStyle) return;
  drawBack(context);
  if (!(style_ & kNoTextStyle)) drawText(context, getText());
}
