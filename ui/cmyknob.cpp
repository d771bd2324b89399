#include "ui/cmyknob.h"

#include <algorithm>
#include <cmath>

#include "toolkit/cdrawcontext.h"

CMyKnob::CMyKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                 CCoord heightOfOneImage, const SharedBitmap& background, const CPoint& offset)
    : CAnimKnob(size, listener, tag, subPixmaps, heightOfOneImage, background, offset) {
  dragRange_ = kBaseDragRange * dragRangeFactor_;
  zoomFactor_ = kShiftFactor;
  wheelFineFactor_ = 0.1f;
  wheelInc_ = 0.01f;
}

void CMyKnob::setDragRangeFactor(float s) {
  if (!(s > 0.0f) || !std::isfinite(s)) return;
  dragRangeFactor_ = s;
  dragRange_ = kBaseDragRange * s;
}

float CMyKnob::bounded(float v) const {
  if (std::isnan(v)) return min_;
  return std::clamp(v, min_, max_);
}

CCoord CMyKnob::sourceOffsetFor(float v) const {
  // Held in float first: NaN and infinities never reach an integer conversion.
  if (std::isnan(v) || v < 0.0f) return 0;
  v = std::min(v, 1.0f);
  const CCoord height = heightOfOneImage_;
  if (height <= 0) return 0;
  const float span = std::trunc(static_cast<float>(subPixmaps_ - 1) * static_cast<float>(height));
  const auto position = static_cast<CCoord>(std::trunc(span * v));
  return position / height * height;
}

void CMyKnob::draw(CDrawContext* context) {
  if (!background_) return;
  const CPoint source(backOffset_.x, backOffset_.y + sourceOffsetFor(getValueNormalized()));
  context->drawBitmap(*background_, size_, source);
}

CMouseEventResult CMyKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (!dragging_) return kMouseEventNotHandled;
  const bool fine = (buttons & kShift) != 0;
  if (fine != fineDrag_) {
    // The range changes under the pointer: the drag starts again from here, so the value
    // goes on from where it is.
    fineDrag_ = fine;
    anchorPoint_ = where;
    anchorValue_ = getValue();
  }
  const float range = dragRange_ * (fine ? zoomFactor_ : 1.0f);
  const float distance = static_cast<float>((anchorPoint_.y - where.y) + (where.x - anchorPoint_.x));
  setValue(bounded(bounded(anchorValue_) + distance * (max_ - min_) / range));
  valueChanged();
  return kMouseEventHandled;
}

bool CMyKnob::onWheel(const CPoint&, float distance, const CButtonState& buttons) {
  // One step per notch, whatever the size of the notch; NaN is no notch.
  float direction = 0.0f;
  if (distance > 0.1f)
    direction = 1.0f;
  else if (distance < -0.1f)
    direction = -1.0f;
  else
    return false;
  const float step = wheelInc_ * ((buttons & kShift) ? wheelFineFactor_ : 1.0f);
  const float old = getValue();
  const float value = bounded(bounded(old) + direction * step);
  if (value != old) setValueAsGesture(value);
  return true;
}
