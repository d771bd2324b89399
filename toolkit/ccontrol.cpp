#include "toolkit/ccontrol.h"

#include <algorithm>

#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/vstguieditorinterface.h"

CControl::CControl(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background)
    : CView(size), listener_(listener), tag_(tag) {
  background_ = background;
}

CControl::~CControl() = default;

void CControl::setValue(float value) {
  const float old = value_.exchange(value, std::memory_order_relaxed);
  if (old != value) setDirty();
}

void CControl::setValueNormalized(float normalized) {
  setValue(min_ + std::clamp(normalized, 0.0f, 1.0f) * (max_ - min_));
}

float CControl::getValueNormalized() const {
  const float range = max_ - min_;
  if (range == 0.0f) return 0.0f;
  return (getValue() - min_) / range;
}

void CControl::bounceValue() {
  const float v = getValue();
  if (v > max_)
    setValue(max_);
  else if (v < min_)
    setValue(min_);
}

void CControl::setBackOffset(const CPoint& offset) {
  backOffset_ = offset;
  setDirty();
}

void CControl::valueChanged() {
  if (listener_) listener_->valueChanged(this);
}

void CControl::beginEdit() {
  if (editCount_++ > 0) return;
  if (listener_) listener_->controlBeginEdit(this);
  if (CFrame* frame = getFrame()) {
    if (VSTGUIEditorInterface* editor = frame->getEditor()) editor->beginEdit(tag_);
  }
}

void CControl::endEdit() {
  if (editCount_ == 0 || --editCount_ > 0) return;
  if (CFrame* frame = getFrame()) {
    if (VSTGUIEditorInterface* editor = frame->getEditor()) editor->endEdit(tag_);
  }
  if (listener_) listener_->controlEndEdit(this);
}

bool CControl::checkDefaultValue(const CButtonState& buttons) {
  if (!buttons.isLeftButton() || buttons.getModifierState() != kControl) return false;
  beginEdit();
  setValue(getDefaultValue());
  valueChanged();
  endEdit();
  return true;
}

bool CControl::removed(CView* parent) {
  if (editCount_ > 0) {
    editCount_ = 1;
    endEdit();
  }
  return CView::removed(parent);
}

void CControl::drawStripFrame(CDrawContext* context, int frame, CCoord frameHeight) {
  if (!background_) return;
  const CPoint source(backOffset_.x, backOffset_.y + std::max(0, frame) * frameHeight);
  context->drawBitmap(*background_, size_, source);
}
