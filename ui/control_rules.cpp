#include "ui/control_rules.h"

#include <cstdlib>

#include "toolkit/ccontrol.h"
#include "toolkit/cdrawcontext.h"

namespace stellix::ui {

int wheelNotch(float distance) noexcept {
  if (distance > 0.1f) return 1;
  if (distance < -0.1f) return -1;
  return 0;
}

float clampValue(float value, float lo, float hi) noexcept {
  if (!(value >= lo)) return lo;  // also NaN
  if (value > hi) return hi;
  return value;
}

void drawStripAt(CDrawContext* context, const SharedBitmap& strip, const CRect& rect, CCoord sourceY) {
  if (strip) context->drawBitmap(*strip, rect, CPoint(0, sourceY));
}

void drawStripRows(CDrawContext* context, const SharedBitmap& strip, const CRect& rect, CCoord rowTop, CCoord rowBottom,
                   CCoord sourceY) {
  if (!strip || rowBottom <= rowTop) return;
  context->drawBitmap(*strip, CRect(rect.left, rowTop, rect.right, rowBottom), CPoint(0, sourceY));
}

void HoverOverlay::draw(CDrawContext* context, const CRect& rect) const {
  if (hovered_) drawStripAt(context, bitmap_, rect, 0);
}

void toggleAsGesture(CControl& control) {
  control.setValue(control.getValue() >= 0.5f ? 0.0f : 1.0f);
  control.beginEdit();
  control.valueChanged();
  control.endEdit();
  control.setDirty();
}

void ClickDrag::press(CCoord y) noexcept {
  active_ = true;
  click_ = true;
  pressY_ = lastY_ = y;
}

CCoord ClickDrag::move(CCoord y) noexcept {
  const CCoord up = lastY_ - y;
  if (std::abs(up) > 2 || std::abs(y - pressY_) > 2) click_ = false;
  lastY_ = y;
  return up;
}

}  // namespace stellix::ui
