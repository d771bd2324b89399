// The editor's rotary knobs: a vertical strip of pictures (101 for every knob of the window),
// one per position of the value.
//
// Mouse: a Control-click or a double click sets the default value; a drag moves the value
// linearly, up and right both raising it, over 400 * s pixels for the whole range (five times
// that with Shift held, also when Shift is pressed or released mid-drag, without a jump); the
// drag is one edit gesture and every move tells the listener. The wheel moves by the wheel
// step per notch, a tenth of it (the fine factor) with Shift, held inside the range.
#pragma once

#include "toolkit/controls/canimknob.h"

class CMyKnob : public CAnimKnob {
 public:
  // Pixels of drag over the whole range for a drag range factor of 1, and the Shift factor.
  static constexpr float kBaseDragRange = 400.0f;
  static constexpr float kShiftFactor = 5.0f;

  // subPixmaps of 0 counts the pictures from the bitmap's height. Drag range factor 1.0,
  // wheel step 0.01 and fine wheel factor 0.1 until set otherwise. [UI thread]
  CMyKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps, CCoord heightOfOneImage,
          const SharedBitmap& background, const CPoint& offset = CPoint(0, 0));

  // Set-up when the window is built. [UI thread]
  // Factor s of the drag range (400 * s pixels); ignored unless positive and finite.
  void setDragRangeFactor(float s);
  float getDragRangeFactor() const { return dragRangeFactor_; }
  // The wheel step is the control's wheel increment (setWheelInc), its Shift factor the
  // knob's wheel fine factor (setWheelFineFactor), the default value the control's.

  // The picture's source offset for value fraction v: the largest multiple of the picture
  // height not above trunc(trunc((pictures - 1) * height) * v), with v held to 0 .. 1 (NaN
  // as 0). [any thread]
  CCoord sourceOffsetFor(float v) const;

  // [UI thread]
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

 private:
  // v held inside min .. max, NaN taken as the minimum.
  float bounded(float v) const;

  float dragRangeFactor_ = 1.0f;
};
