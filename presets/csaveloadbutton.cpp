#include "presets/csaveloadbutton.h"

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                                 CCoord heightOfOneImage, const SharedBitmap& background, const CPoint& offset)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset) {}

void CSaveLoadButton::draw(CDrawContext* context) {
  drawStripFrame(context, getValue() != 0.0f ? 2 : hovered_ ? 1 : 0, heightOfOneImage_);
}

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!(buttons.isLeftButton() || buttons.isRightButton()) || !listener_) return kMouseEventNotHandled;
  const bool rightOnly = buttons.getButtonState() == kRButton && buttons.getModifierState() == 0;
  setValue(rightOnly ? 0.5f : 1.0f);
  valueChanged();
  setValue(0.0f);
  setDirty();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

// A release that reaches the button anyway (the press asked for none) changes nothing.
CMouseEventResult CSaveLoadButton::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotHandled; }

CMouseEventResult CSaveLoadButton::onMouseEntered(CPoint&, const CButtonState&) {
  hovered_ = true;
  setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CSaveLoadButton::onMouseExited(CPoint&, const CButtonState&) {
  hovered_ = false;
  setDirty();
  return kMouseEventHandled;
}
