// The "Calibrate" selector (4 steps: "off", "left", "l+r uncor", "right"). The strip shows the
// states in the order off, left, right, l+r uncor (steps 2 and 3 exchanged), then the three
// active states lit 93 pixels further down, then the hover highlights. While calibration is
// on the picture blinks between unlit and lit with bit 8 of the editor's tick: 512 ms period.
//
// Threads: setValue (CControl), setIndex and setBlinkTick may be called from any thread; the
// rest belongs to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "ui/stepped_selector.h"

class CCalibButton : public CSteppedSelector {
 public:
  static constexpr int kSteps = 4;
  // Strip rows between a state and its lit picture.
  static constexpr CCoord kLitOffset = 93;

  // [UI thread]
  CCalibButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [any thread] The editor's tick in milliseconds; redraws while calibration is on.
  void setBlinkTick(std::uint32_t ticks);
  std::uint32_t getBlinkTick() const { return tick_.load(std::memory_order_relaxed); }

 protected:
  CCoord frameSourceY() const override;

 private:
  std::atomic<std::uint32_t> tick_{0};
};
