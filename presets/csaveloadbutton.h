// The preset bar's load and save buttons. A strip of three pictures: normal, under the
// pointer, pressed.
//
// A left or right press tells the listener with the value 0.5 when it is exactly the right
// button without modifier keys (the endian-reversed load), else 1.0, then sets the value back
// to 0. The press needs no moves and no release: the listener runs a modal file dialog.
// Without a listener the button takes no presses.
//
// Threads: everything belongs to the UI thread.
#pragma once

#include <cstdint>

#include "toolkit/controls/ckickbutton.h"

class CSaveLoadButton : public CKickButton {
 public:
  // [UI thread] heightOfOneImage: one picture of the strip (0: the control's height).
  CSaveLoadButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                  const SharedBitmap& background, const CPoint& offset = CPoint(0, 0));

  // [UI thread]
  bool isHovered() const { return hovered_; }

  // [UI thread] Picture 2 while the value is not 0, 1 under the pointer, else 0.
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  bool hovered_ = false;
};
