// The "NoiseShape" selector (7 steps, "off" and types A … F): the strip holds the seven
// states unlit, then types A … F lit ("off" has no lit picture), then the hover highlights;
// a type shows lit while "Quantize" is on.
//
// Threads: setValue (CControl), setIndex and setQuantize may be called from any thread; the
// rest belongs to the UI thread.
#pragma once

#include <atomic>

#include "ui/stepped_selector.h"

class CNoiseShape : public CSteppedSelector {
 public:
  static constexpr int kSteps = 7;

  // [UI thread]
  CNoiseShape(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [any thread] Whether "Quantize" is on.
  void setQuantize(bool on);
  bool getQuantize() const { return quantize_.load(std::memory_order_relaxed); }

 protected:
  CCoord frameSourceY() const override;

 private:
  std::atomic<bool> quantize_{false};
};
