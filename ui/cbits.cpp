#include "ui/cbits.h"

CBits::CBits(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background)
    : CSteppedSelector(size, listener, tag, background, kSteps,
                       {.upperSourceY = 310, .middleSourceY = 321, .lowerSourceY = 331, .lowerTop = 21}) {}

void CBits::setQuantize(bool on) {
  if (quantize_.exchange(on, std::memory_order_relaxed) != on) setDirty();
}

CCoord CBits::frameSourceY() const { return (getIndex() + (getQuantize() ? kSteps : 0)) * getHeight(); }
