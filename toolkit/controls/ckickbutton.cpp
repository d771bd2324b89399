#include "toolkit/controls/ckickbutton.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                         const SharedBitmap& background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()) {
  backOffset_ = offset;
}

void CKickButton::draw(CDrawContext* context) {
  drawStripFrame(context, getValue() == getMax() ? 1 : 0, heightOfOneImage_);
}

CMouseEventResult CKickButton::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  beginEdit();
  setValue(getMax());
  valueChanged();
  return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
  if (!isEditing()) return kMouseEventNotHandled;
  setValue(getMin());
  valueChanged();
  endEdit();
  return kMouseEventHandled;
}
