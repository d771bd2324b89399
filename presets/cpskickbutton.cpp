#include "presets/cpskickbutton.h"

namespace {

constexpr CMouseEventResult kSwallowed = kMouseDownEventHandledButDontNeedMovedOrUpEvents;

}  // namespace

CPSKickButton::CPSKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                             const SharedBitmap& background, const CPoint& offset, bool doubleClickKind)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset), doubleClickKind_(doubleClickKind) {}

void CPSKickButton::releasePress() {
  pressed_ = false;
  setDirty();
}

void CPSKickButton::draw(CDrawContext* context) {
  drawStripFrame(context, pressed_ ? 2 : hovered_ ? 1 : 0, heightOfOneImage_);
}

CMouseEventResult CPSKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kSwallowed;
  if (doubleClickKind_ && !buttons.isDoubleClick()) return kSwallowed;
  pressed_ = true;
  setValue(doubleClickKind_ && (buttons & kControl) ? 0.5f : 1.0f);
  valueChanged();
  setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseUp(CPoint&, const CButtonState&) {
  setValue(0.0f);
  pressed_ = false;
  setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseEntered(CPoint&, const CButtonState&) {
  hovered_ = true;
  setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseExited(CPoint&, const CButtonState&) {
  hovered_ = false;
  setDirty();
  return kMouseEventHandled;
}
