#include "ui/ccalibbutton.h"

CCalibButton::CCalibButton(const CRect& size, CControlListener* listener, std::int32_t tag,
                           const SharedBitmap& background)
    : CSteppedSelector(size, listener, tag, background, kSteps,
                       {.upperSourceY = 217, .middleSourceY = 228, .lowerSourceY = 237, .lowerTop = 20}) {}

void CCalibButton::setBlinkTick(std::uint32_t ticks) {
  tick_.store(ticks, std::memory_order_relaxed);
  if (getIndex() != 0) setDirty();
}

CCoord CCalibButton::frameSourceY() const {
  constexpr int kStripFrame[kSteps] = {0, 1, 3, 2};  // strip order: off, left, right, l+r uncor
  constexpr CCoord kFrameHeight = 31;
  const int index = getIndex();
  const bool lit = index != 0 && (getBlinkTick() & 0x100u) == 0;
  return kFrameHeight * kStripFrame[index] + (lit ? kLitOffset : 0);
}
