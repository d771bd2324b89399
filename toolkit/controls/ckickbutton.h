// A push button drawn from a strip of two pictures (up, then down): a left press sets the
// value to the maximum and tells the listener, the release sets it back to the minimum and
// tells it again. The press and the release are one edit gesture.
#pragma once

#include "toolkit/ccontrol.h"

class CKickButton : public CControl {
 public:
  // heightOfOneImage of 0 takes the control's height; offset is where the strip starts in
  // the bitmap.
  CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
              const SharedBitmap& background, const CPoint& offset = CPoint(0, 0));

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

  void setHeightOfOneImage(CCoord height) { heightOfOneImage_ = height; }
  CCoord getHeightOfOneImage() const { return heightOfOneImage_; }

 protected:
  CCoord heightOfOneImage_;
};
