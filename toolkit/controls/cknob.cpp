#include "toolkit/controls/cknob.h"

#include <algorithm>
#include <cmath>

#include "toolkit/cdrawcontext.h"

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background,
             const SharedBitmap& handle, const CPoint& offset)
    : CControl(size, listener, tag, background), handle_(handle) {
  backOffset_ = offset;
}

void CKnob::draw(CDrawContext* context) {
  if (background_) context->drawBitmap(*background_, size_, backOffset_);
  drawHandle(context, std::clamp(getValueNormalized(), 0.0f, 1.0f));
}

void CKnob::drawHandle(CDrawContext* context, float normalized) {
  // From 225 degrees (lower left) clockwise through the top to -45 degrees (lower right).
  constexpr double kPi = 3.14159265358979323846;
  const double angle = 1.25 * kPi - 1.5 * kPi * normalized;
  const CPoint centre(size_.left + size_.getWidth() / 2, size_.top + size_.getHeight() / 2);
  const double radius = std::max(0, std::min(size_.getWidth(), size_.getHeight()) / 2 - inset_);
  const CPoint tip(centre.x + static_cast<CCoord>(std::lround(radius * std::cos(angle))),
                   centre.y - static_cast<CCoord>(std::lround(radius * std::sin(angle))));
  if (handle_ && handle_->isLoaded()) {
    const CCoord w = handle_->getWidth(), h = handle_->getHeight();
    context->drawBitmap(*handle_, CRect(CPoint(tip.x - w / 2, tip.y - h / 2), w, h));
    return;
  }
  context->setFrameColor(handleColor_);
  context->drawLine(centre, tip);
}

void CKnob::setValueAsGesture(float value) {
  beginEdit();
  setValue(value);
  valueChanged();
  endEdit();
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  if (checkDefaultValue(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  if (buttons.isDoubleClick()) {
    setValueAsGesture(getDefaultValue());
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  dragging_ = true;
  fineDrag_ = (buttons & kShift) != 0;
  anchorPoint_ = where;
  anchorValue_ = getValue();
  beginEdit();
  return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (!dragging_) return kMouseEventNotHandled;
  const bool fine = (buttons & kShift) != 0;
  if (fine != fineDrag_) {
    // The scale changes under the pointer: start again from here so the value does not jump.
    fineDrag_ = fine;
    anchorPoint_ = where;
    anchorValue_ = getValue();
  }
  const float range = dragRange_ * (fine ? zoomFactor_ : 1.0f);
  const float distance = static_cast<float>((anchorPoint_.y - where.y) + (where.x - anchorPoint_.x));
  const float value = std::clamp(anchorValue_ + distance * (getMax() - getMin()) / range, getMin(), getMax());
  if (value != getValue()) {
    setValue(value);
    valueChanged();
  }
  return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&) {
  if (!dragging_) return kMouseEventNotHandled;
  dragging_ = false;
  endEdit();
  return kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
  const float step = getWheelInc() * ((buttons & kShift) ? wheelFineFactor_ : 1.0f);
  const float value = std::clamp(getValue() + distance * step, getMin(), getMax());
  if (value != getValue()) setValueAsGesture(value);
  return true;
}
