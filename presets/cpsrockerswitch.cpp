#include "presets/cpsrockerswitch.h"

CPSRockerSwitch::CPSRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag,
                                 CCoord heightOfOneImage, const SharedBitmap& background, const CPoint& offset,
                                 Style style)
    : CRockerSwitch(size, listener, tag, heightOfOneImage, background, offset, style) {}

void CPSRockerSwitch::setHoverSide(int side) {
  if (side == hoverSide_) return;
  hoverSide_ = side;
  setDirty();
}

void CPSRockerSwitch::draw(CDrawContext* context) {
  const float v = getValue();
  int picture = 0;
  if (v == -1.0f)
    picture = 3;
  else if (v == 1.0f)
    picture = 4;
  else if (hoverSide_ < 0)
    picture = 1;
  else if (hoverSide_ > 0)
    picture = 2;
  drawStripFrame(context, picture, heightOfOneImage_);
}

CMouseEventResult CPSRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  setValue(sideAt(where));
  setDirty();
  valueChanged();
  return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
  setValue(0.0f);
  setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& buttons) {
  // A held button keeps the side pressed; only a free pointer moves the light.
  if (!buttons.isLeftButton()) setHoverSide(sideAt(where) < 0 ? -1 : 1);
  return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseEntered(CPoint& where, const CButtonState&) {
  setHoverSide(sideAt(where) < 0 ? -1 : 1);
  return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseExited(CPoint&, const CButtonState&) {
  setHoverSide(0);
  return kMouseEventHandled;
}
