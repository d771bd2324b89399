#include "ui/cnoiseshape.h"

CNoiseShape::CNoiseShape(const CRect& size, CControlListener* listener, std::int32_t tag,
                         const SharedBitmap& background)
    : CSteppedSelector(size, listener, tag, background, kSteps,
                       {.upperSourceY = 403, .middleSourceY = 414, .lowerSourceY = 424, .lowerTop = 21}) {}

void CNoiseShape::setQuantize(bool on) {
  if (quantize_.exchange(on, std::memory_order_relaxed) != on) setDirty();
}

CCoord CNoiseShape::frameSourceY() const {
  const int index = getIndex();
  return (index + (getQuantize() && index != 0 ? kSteps - 1 : 0)) * getHeight();
}
