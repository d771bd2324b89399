// The preset bar's push buttons (default bank and preset, the memories, the manual). A strip
// of three pictures: normal, under the pointer, pressed.
//
// A left press presses the button, sets the value 1.0 and tells the listener; the release
// sets it back to 0 without telling anyone. A double-click-kind button reacts to a left double
// click only, and with Control held it sets 0.5 instead of 1.0 (the listener clears rather than
// stores). Every other press is swallowed.
//
// Threads: everything belongs to the UI thread (the preset bar is driven by the user only).
#pragma once

#include <cstdint>

#include "toolkit/controls/ckickbutton.h"

class CPSKickButton : public CKickButton {
 public:
  // [UI thread] heightOfOneImage: one picture of the strip (0: the control's height).
  CPSKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                const SharedBitmap& background, const CPoint& offset = CPoint(0, 0), bool doubleClickKind = false);

  // [UI thread]
  bool isDoubleClickKind() const { return doubleClickKind_; }
  bool isHovered() const { return hovered_; }
  bool isPressed() const { return pressed_; }
  // [UI thread] Ends the pressed look when the release will not come (a modal message box
  // opened by the press takes it away).
  void releasePress();

  // [UI thread] Picture 2 while pressed, 1 under the pointer, else 0.
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  bool doubleClickKind_;
  bool hovered_ = false;
  bool pressed_ = false;
};
