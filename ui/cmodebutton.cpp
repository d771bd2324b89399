#include "ui/cmodebutton.h"

#include <algorithm>

#include "host/parameters.h"
#include "toolkit/cdrawcontext.h"
#include "ui/editor_actions.h"

namespace {

// Rows from the top of the control.
constexpr CCoord kPeakEnd = 19;          // the peak part: above this row
constexpr CCoord kTypeWheelEnd = 29;     // the wheel toggles the metering type above this row
constexpr CCoord kUpperArrowEnd = 46;    // the upper arrow: rows 30 … 46 (hover from 29)
constexpr CCoord kLowerArrowStart = 50;  // the lower arrow: row 50 and below

constexpr int kLitFrame = 6;
constexpr int kScaleSteps = 3;

}  // namespace

CModeButton::CModeButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                         const SharedBitmap& background)
    : CControl(size, listener, tag, background) {}

void CModeButton::setScaleIndex(int index) {
  index = std::clamp(index, 0, kScaleSteps - 1);
  if (scale_.exchange(index, std::memory_order_relaxed) != index) setDirty();
}

void CModeButton::setKSystem(bool kSystem) {
  if (kSystem_.exchange(kSystem, std::memory_order_relaxed) != kSystem) setDirty();
}

void CModeButton::setLit(bool lit) {
  if (lit_.exchange(lit, std::memory_order_relaxed) != lit) setDirty();
}

void CModeButton::applyScale(int index) {
  setScaleIndex(index);
  if (actions_) actions_->setParameterAutomated(kScaleIndex, stellix::stepCentre(getScaleIndex(), kScaleSteps));
}

void CModeButton::applyKSystem(bool kSystem) {
  setKSystem(kSystem);
  if (actions_) actions_->setParameterAutomated(kMeterTypeIndex, stellix::stepCentre(kSystem ? 1 : 0, 2));
}

void CModeButton::draw(CDrawContext* context) {
  const int scale = getScaleIndex();
  const int frame = isLit() ? kLitFrame : isKSystem() ? scale + kScaleSteps : scale;
  const CCoord h = getHeight();
  stellix::ui::drawStripAt(context, background_, size_, frame * h);
  const CCoord top = size_.top;
  switch (hover_) {
    case kHoverPeak: stellix::ui::drawStripRows(context, background_, size_, top, top + 19, 434); break;
    case kHoverUpper: stellix::ui::drawStripRows(context, background_, size_, top + 20, top + 40, 454); break;
    case kHoverMiddle: stellix::ui::drawStripRows(context, background_, size_, top + 40, size_.bottom - 12, 474); break;
    case kHoverLower: stellix::ui::drawStripRows(context, background_, size_, top + 50, size_.bottom, 484); break;
    default: break;
  }
}

CMouseEventResult CModeButton::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (buttons.isRightButton() && !buttons.isLeftButton()) {
    if (actions_) actions_->saveMeteringPreferences();
    setDirty();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  const CCoord y = where.y - size_.top;
  if (y < kPeakEnd) {
    applyKSystem(false);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  }
  if (y <= kTypeWheelEnd) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
  if (y > kUpperArrowEnd && y < kLowerArrowStart) {
    beginEdit();
    drag_.press(where.y);
    dragPosition_ = static_cast<float>(getScaleIndex()) * 0.5f;
    return kMouseEventHandled;
  }
  const int scale = getScaleIndex();
  applyScale(y <= kUpperArrowEnd ? std::min(scale + 1, kScaleSteps - 1) : std::max(scale - 1, 0));
  applyKSystem(true);
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CModeButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  if (drag_.active()) {
    if (!buttons.isLeftButton()) return kMouseEventHandled;
    const CCoord up = drag_.move(where.y);
    dragPosition_ =
        stellix::ui::clampValue(dragPosition_ + static_cast<float>(up) * stellix::ui::kDragFactor, 0.0f, 1.0f);
    applyScale(static_cast<int>(2.0f * dragPosition_ + 0.5f));
    applyKSystem(true);
    return kMouseEventHandled;
  }
  if (buttons.getButtonState() != 0) return kMouseEventNotHandled;
  const CCoord y = where.y - size_.top;
  const int region = y < kPeakEnd                                ? kHoverPeak
                     : y >= kTypeWheelEnd && y <= kUpperArrowEnd ? kHoverUpper
                     : y >= kLowerArrowStart                     ? kHoverLower
                                                                 : kHoverMiddle;
  if (region != hover_) {
    hover_ = region;
    setDirty();
  }
  return kMouseEventHandled;
}

CMouseEventResult CModeButton::onMouseUp(CPoint&, const CButtonState&) {
  if (!drag_.active()) return kMouseEventNotHandled;
  const bool click = drag_.isClick();
  drag_.release();
  if (click) {
    if (isKSystem()) applyScale((getScaleIndex() + 1) % kScaleSteps);
    applyKSystem(true);
    setDirty();
  }
  endEdit();
  return kMouseEventHandled;
}

CMouseEventResult CModeButton::onMouseExited(CPoint&, const CButtonState&) {
  if (hover_ != kHoverNone) {
    hover_ = kHoverNone;
    setDirty();
  }
  return kMouseEventHandled;
}

bool CModeButton::onWheel(const CPoint& where, float distance, const CButtonState&) {
  const int notch = stellix::ui::wheelNotch(distance);
  if (notch == 0) return false;
  if (where.y - size_.top < kTypeWheelEnd) {
    applyKSystem(!isKSystem());  // one step either way within two states
  } else {
    applyScale(std::clamp(getScaleIndex() + notch, 0, kScaleSteps - 1));
  }
  return true;
}
