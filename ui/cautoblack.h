// The "Autoblack" switch: pictures off, on, and on but inactive (the word length is not
// requantized while "Quantize" is off), one control height apart, and an overlay while the
// pointer is inside it. A left press toggles between the step centres 0.25 and 0.75; a wheel
// notch toggles between 0 and 1.
//
// Threads: setValue (CControl), setIndex and setQuantize may be called from any thread; the
// set-up calls, drawing and the mouse belong to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/ccontrol.h"
#include "ui/control_rules.h"

class CAutoBlack : public CControl {
 public:
  // [UI thread]
  CAutoBlack(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [any thread] Shows step index (0 off, 1 on; clamped): the value becomes its step centre.
  void setIndex(int index);
  // [any thread] The step the value falls in.
  int getIndex() const;
  // [any thread] Whether "Quantize" is on.
  void setQuantize(bool on);
  bool getQuantize() const { return quantize_.load(std::memory_order_relaxed); }

  // [UI thread] The overlay drawn over the whole control while the pointer is inside it.
  void setBacklight(const SharedBitmap& bitmap) { overlay_.setBitmap(bitmap); }
  const SharedBitmap& getBacklight() const { return overlay_.getBitmap(); }
  bool isHovered() const { return overlay_.isHovered(); }

  // [UI thread]
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  std::atomic<bool> quantize_{false};
  stellix::ui::HoverOverlay overlay_;
};
