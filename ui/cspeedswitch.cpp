#include "ui/cspeedswitch.h"

#include <cmath>

#include "host/parameters.h"
#include "toolkit/cdrawcontext.h"
#include "ui/control_rules.h"

using stellix::ui::clampValue;

CSpeedSwitch::CSpeedSwitch(const CRect& size, CControlListener* listener, std::int32_t tag,
                           const SharedBitmap& background)
    : CControl(size, listener, tag, background) {}

int CSpeedSwitch::getIndex() const { return stellix::stepIndex(getValue(), kPositions); }

int CSpeedSwitch::positionAt(const CPoint& where) {
  // The boxes drawn on the window's picture, in its coordinates.
  constexpr CCoord kBoxLeft[kPositions] = {39, 72, 105};
  constexpr CCoord kBoxWidth = 17, kBoxTop = 123, kBoxBottom = 140;
  if (where.y < kBoxTop || where.y > kBoxBottom) return -1;
  for (int i = 0; i < kPositions; ++i) {
    if (where.x >= kBoxLeft[i] && where.x <= kBoxLeft[i] + kBoxWidth) return i;
  }
  return -1;
}

void CSpeedSwitch::draw(CDrawContext* context) {
  stellix::ui::drawStripAt(context, background_, size_, kFrameDistance * getIndex());
}

CMouseEventResult CSpeedSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  const CPoint origin = getParentOriginInFrame();
  const int position = positionAt(CPoint(where.x + origin.x, where.y + origin.y));
  if (position >= 0) {
    setValue(stellix::stepCentre(position, kPositions));
    valueChanged();
    setDirty();
  }
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool CSpeedSwitch::onWheel(const CPoint&, float distance, const CButtonState&) {
  const int notch = stellix::ui::wheelNotch(distance);
  if (notch == 0) return false;
  const float old = getValue();
  const float moved = clampValue(old, 0.0f, 1.0f) + 0.5f * static_cast<float>(notch);
  const float v = clampValue(std::trunc(clampValue(moved * 2.0f + 0.5f, 0.0f, 3.0f)) * 0.5f, getMin(), getMax());
  if (v == old) return true;
  setValue(v);
  beginEdit();
  valueChanged();
  endEdit();
  setDirty();
  return true;
}
