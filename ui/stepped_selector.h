// The base of the editor's stepped selectors ("Bits", "NoiseShape", "Calibrate"): a 31-pixel
// tall picture with an upper arrow, a middle strip and a lower arrow.
//
// Mouse: a left press on the upper arrow (up to 16 pixels below the top) steps up and on the
// lower arrow (21 pixels below the top or further) steps down, stopping at the ends; a press
// on the middle strip starts a gesture: dragging moves the value 0.015 per pixel (up raises
// it, 67 pixels cover the range), and a release without having moved more than 2 pixels steps
// up, wrapping from the last step to the first. A wheel notch moves the value by
// 1 / (steps - 1) and snaps it to a multiple of that (0, 0.25, ... 1 for five steps), which
// the step rule maps onto each step in turn. The pointer over a part highlights it with rows
// of the strip below the pictures.
//
// Threads: setValue (CControl) and setIndex may be called from any thread; drawing and the
// mouse belong to the UI thread.
#pragma once

#include <cstdint>

#include "toolkit/ccontrol.h"
#include "ui/control_rules.h"

class CSteppedSelector : public CControl {
 public:
  // The parts under the pointer.
  enum HoverRegion { kHoverNone = 0, kHoverMiddle = 1, kHoverUpper = 2, kHoverLower = 3 };
  // Where the highlight of each part starts in the strip, and the first row (from the top of
  // the control) the lower arrow's highlight covers.
  struct Highlights {
    CCoord upperSourceY;
    CCoord middleSourceY;
    CCoord lowerSourceY;
    CCoord lowerTop;
  };
  // The last row of the upper arrow and the first of the lower, from the top of the control.
  static constexpr CCoord kUpperArrowEnd = 16;
  static constexpr CCoord kLowerArrowStart = 21;

  // [UI thread] steps: the number of steps of the parameter (2 or more).
  CSteppedSelector(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background,
                   int steps, const Highlights& highlights);

  int getSteps() const { return steps_; }
  // [any thread] Shows step index (clamped to the steps): the value becomes its step centre.
  void setIndex(int index);
  // [any thread] The step the value falls in.
  int getIndex() const;
  // [UI thread] The part under the pointer (kHoverNone when it is outside).
  int getHoverRegion() const { return hover_; }

  // [UI thread] The picture of the state, then the highlight of the part under the pointer.
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

 protected:
  // [UI thread] The strip row where the picture of the current state starts.
  virtual CCoord frameSourceY() const = 0;

 private:
  void setStepAndNotify(int index);

  const int steps_;
  const Highlights highlights_;
  stellix::ui::ClickDrag drag_;
  int hover_ = kHoverNone;
};
