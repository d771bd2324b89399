#include "toolkit/controls/crockerswitch.h"

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                             const SharedBitmap& background, const CPoint& offset, Style style)
    : CControl(size, listener, tag, background),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()),
      style_(style) {
  backOffset_ = offset;
  min_ = -1.0f;
  max_ = 1.0f;
  defaultValue_ = 0.0f;
}

float CRockerSwitch::sideAt(const CPoint& where) const {
  if (style_ == kHorizontal) return where.x < size_.left + size_.getWidth() / 2 ? -1.0f : 1.0f;
  return where.y < size_.top + size_.getHeight() / 2 ? 1.0f : -1.0f;
}

void CRockerSwitch::draw(CDrawContext* context) {
  const float v = getValue();
  drawStripFrame(context, v <= getMin() ? 0 : v >= getMax() ? 2 : 1, heightOfOneImage_);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  beginEdit();
  setValue(sideAt(where));
  valueChanged();
  return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&) {
  if (!isEditing()) return kMouseEventNotHandled;
  setValue(0.0f);
  valueChanged();
  endEdit();
  return kMouseEventHandled;
}
