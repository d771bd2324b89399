#include "ui/ckorvanonoffbutton.h"

#include "host/parameters.h"
#include "toolkit/cdrawcontext.h"
#include "ui/editor_actions.h"

using stellix::ui::drawStripAt;

namespace {

constexpr CMouseEventResult kPressOnly = kMouseDownEventHandledButDontNeedMovedOrUpEvents;

// The step a two-state value shows.
bool isOn(float value) { return stellix::stepIndex(value, 2) == 1; }

}  // namespace

// ---- CKorvanOnOffButton

CKorvanOnOffButton::CKorvanOnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                       const SharedBitmap& background)
    : CControl(size, listener, tag, background) {}

void CKorvanOnOffButton::draw(CDrawContext* context) {
  const CCoord half = background_ ? background_->getHeight() / 2 : 0;
  drawStripAt(context, background_, size_, getValue() >= 0.5f ? half : 0);
}

CMouseEventResult CKorvanOnOffButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  const float v = getValue();
  setValue(v >= 0.5f && v < 1.5f ? 0.0f : 1.0f);  // rounds to 1
  valueChanged();
  setDirty();
  return kPressOnly;
}

bool CKorvanOnOffButton::onWheel(const CPoint&, float distance, const CButtonState&) {
  if (stellix::ui::wheelNotch(distance) == 0) return false;
  stellix::ui::toggleAsGesture(*this);
  return true;
}

// ---- CStellixButton

CStellixButton::CStellixButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                               const SharedBitmap& background)
    : CKorvanOnOffButton(size, listener, tag, background) {}

void CStellixButton::setLit(bool lit) {
  if (lit_.exchange(lit, std::memory_order_relaxed) != lit) setDirty();
}

void CStellixButton::draw(CDrawContext* context) {
  const CCoord h = getHeight();
  drawStripAt(context, background_, size_, isLit() ? 2 * h : isOn(getValue()) ? h : 0);
}

CMouseEventResult CStellixButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (buttons.isLeftButton()) {
    setValue(stellix::stepCentre(isOn(getValue()) ? 0 : 1, 2));
    valueChanged();
    setDirty();
    return kPressOnly;
  }
  if (buttons.isRightButton() && preference_) {
    if (actions_) actions_->saveMeteringPreferences();
    setDirty();
    return kPressOnly;
  }
  return kMouseEventNotHandled;
}

// ---- CStellixBcklitButton

CStellixBcklitButton::CStellixBcklitButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                           const SharedBitmap& background)
    : CStellixButton(size, listener, tag, background) {}

void CStellixBcklitButton::draw(CDrawContext* context) {
  CStellixButton::draw(context);
  overlay_.draw(context, size_);
}

CMouseEventResult CStellixBcklitButton::onMouseEntered(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(true)) setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CStellixBcklitButton::onMouseExited(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(false)) setDirty();
  return kMouseEventHandled;
}

// ---- COversamplingButton

COversamplingButton::COversamplingButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                         const SharedBitmap& background)
    : CKorvanOnOffButton(size, listener, tag, background) {}

void COversamplingButton::draw(CDrawContext* context) {
  drawStripAt(context, background_, size_, isOn(getValue()) ? kFrameDistance : 0);
  overlay_.draw(context, size_);
}

CMouseEventResult COversamplingButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  const float v = getValue();
  setValue(v >= 1.0f && v < 2.0f ? 0.0f : 1.0f);  // whole part 1
  valueChanged();
  setDirty();
  return kPressOnly;
}

CMouseEventResult COversamplingButton::onMouseEntered(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(true)) setDirty();
  return kMouseEventHandled;
}

CMouseEventResult COversamplingButton::onMouseExited(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(false)) setDirty();
  return kMouseEventHandled;
}
