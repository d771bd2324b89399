// The "Bits" selector (5 steps, "8" … "24"): the strip holds the five word lengths unlit, then
// lit, then the hover highlights; the lit pictures show while "Quantize" is on, when the word
// length takes effect.
//
// Threads: setValue (CControl), setIndex and setQuantize may be called from any thread; the
// rest belongs to the UI thread.
#pragma once

#include <atomic>

#include "ui/stepped_selector.h"

class CBits : public CSteppedSelector {
 public:
  static constexpr int kSteps = 5;

  // [UI thread]
  CBits(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [any thread] Whether "Quantize" is on.
  void setQuantize(bool on);
  bool getQuantize() const { return quantize_.load(std::memory_order_relaxed); }

 protected:
  CCoord frameSourceY() const override;

 private:
  std::atomic<bool> quantize_{false};
};
