#include "ui/cautoblack.h"

#include <algorithm>

#include "host/parameters.h"
#include "toolkit/cdrawcontext.h"

CAutoBlack::CAutoBlack(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background)
    : CControl(size, listener, tag, background) {}

void CAutoBlack::setIndex(int index) { setValue(stellix::stepCentre(std::clamp(index, 0, 1), 2)); }

int CAutoBlack::getIndex() const { return stellix::stepIndex(getValue(), 2); }

void CAutoBlack::setQuantize(bool on) {
  if (quantize_.exchange(on, std::memory_order_relaxed) != on) setDirty();
}

void CAutoBlack::draw(CDrawContext* context) {
  const CCoord h = getHeight();
  const CCoord sourceY = getIndex() == 0 ? 0 : getQuantize() ? h : 2 * h;
  stellix::ui::drawStripAt(context, background_, size_, sourceY);
  overlay_.draw(context, size_);
}

CMouseEventResult CAutoBlack::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  setIndex(1 - getIndex());
  valueChanged();
  setDirty();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool CAutoBlack::onWheel(const CPoint&, float distance, const CButtonState&) {
  if (stellix::ui::wheelNotch(distance) == 0) return false;
  stellix::ui::toggleAsGesture(*this);
  return true;
}

CMouseEventResult CAutoBlack::onMouseEntered(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(true)) setDirty();
  return kMouseEventHandled;
}

CMouseEventResult CAutoBlack::onMouseExited(CPoint&, const CButtonState&) {
  if (overlay_.setHovered(false)) setDirty();
  return kMouseEventHandled;
}
