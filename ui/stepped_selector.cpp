#include "ui/stepped_selector.h"

#include <algorithm>
#include <cmath>

#include "host/parameters.h"
#include "toolkit/cdrawcontext.h"

using stellix::ui::clampValue;

CSteppedSelector::CSteppedSelector(const CRect& size, CControlListener* listener, std::int32_t tag,
                                   const SharedBitmap& background, int steps, const Highlights& highlights)
    : CControl(size, listener, tag, background), steps_(std::max(steps, 2)), highlights_(highlights) {}

void CSteppedSelector::setIndex(int index) { setValue(stellix::stepCentre(std::clamp(index, 0, steps_ - 1), steps_)); }

int CSteppedSelector::getIndex() const { return stellix::stepIndex(getValue(), steps_); }

void CSteppedSelector::draw(CDrawContext* context) {
  stellix::ui::drawStripAt(context, background_, size_, frameSourceY());
  const CCoord top = size_.top;
  switch (hover_) {
    case kHoverUpper:
      stellix::ui::drawStripRows(context, background_, size_, top, top + 11, highlights_.upperSourceY);
      break;
    case kHoverMiddle:
      stellix::ui::drawStripRows(context, background_, size_, top + 11, size_.bottom - 11, highlights_.middleSourceY);
      break;
    case kHoverLower:
      stellix::ui::drawStripRows(context, background_, size_, top + highlights_.lowerTop, size_.bottom,
                                 highlights_.lowerSourceY);
      break;
    default: break;
  }
}

void CSteppedSelector::setStepAndNotify(int index) {
  setIndex(index);
  valueChanged();
  setDirty();
}

CMouseEventResult CSteppedSelector::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  const int index = getIndex();
  if (where.y <= size_.top + kUpperArrowEnd) {
    setStepAndNotify(std::min(index + 1, steps_ - 1));
  } else if (where.y >= size_.top + kLowerArrowStart) {
    setStepAndNotify(std::max(index - 1, 0));
  } else {
    beginEdit();
    drag_.press(where.y);
    return kMouseEventHandled;
  }
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CSteppedSelector::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (drag_.active()) {
    if (!buttons.isLeftButton()) return kMouseEventHandled;
    const CCoord up = drag_.move(where.y);
    const float v = clampValue(getValue(), 0.0f, 1.0f);
    setValue(clampValue(v + static_cast<float>(up) * stellix::ui::kDragFactor, 0.0f, 1.0f));
    valueChanged();
    setDirty();
    return kMouseEventHandled;
  }
  if (buttons.getButtonState() != 0) return kMouseEventNotHandled;
  const CCoord y = where.y;
  const int region = y <= size_.top + kUpperArrowEnd     ? kHoverUpper
                     : y >= size_.top + kLowerArrowStart ? kHoverLower
                                                         : kHoverMiddle;
  if (region != hover_) {
    hover_ = region;
    setDirty();
  }
  return kMouseEventHandled;
}

CMouseEventResult CSteppedSelector::onMouseUp(CPoint&, const CButtonState&) {
  if (!drag_.active()) return kMouseEventNotHandled;
  const bool click = drag_.isClick();
  drag_.release();
  if (click) setStepAndNotify((getIndex() + 1) % steps_);
  endEdit();
  return kMouseEventHandled;
}

CMouseEventResult CSteppedSelector::onMouseExited(CPoint&, const CButtonState&) {
  if (hover_ != kHoverNone) {
    hover_ = kHoverNone;
    setDirty();
  }
  return kMouseEventHandled;
}

bool CSteppedSelector::onWheel(const CPoint&, float distance, const CButtonState&) {
  const int notch = stellix::ui::wheelNotch(distance);
  if (notch == 0) return false;
  const float old = getValue();
  const float last = static_cast<float>(steps_ - 1);
  // Held inside 0 .. 1 first, so that the step arithmetic never sees NaN or infinities.
  const float moved = clampValue(old, 0.0f, 1.0f) + static_cast<float>(notch) / last;
  const float snapped = std::trunc(clampValue(moved * last + 0.5f, 0.0f, last + 1.0f)) / last;
  const float v = clampValue(snapped, getMin(), getMax());
  if (v == old) return true;
  setValue(v);
  beginEdit();
  valueChanged();
  endEdit();
  setDirty();
  return true;
}
