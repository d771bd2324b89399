// The preset bar's previous / next switch. A strip of five pictures: at rest, pointer over
// the left half, pointer over the right half, pressed left, pressed right.
//
// A left press sets -1 on the left half and +1 on the right half (split at the horizontal
// middle) and tells the listener; the release sets 0 without telling anyone. The half under
// the pointer lights while no button is held.
//
// Threads: everything belongs to the UI thread.
#pragma once

#include <cstdint>

#include "toolkit/controls/crockerswitch.h"

class CPSRockerSwitch : public CRockerSwitch {
 public:
  // [UI thread] heightOfOneImage: one picture of the strip (0: the control's height).
  CPSRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                  const SharedBitmap& background, const CPoint& offset = CPoint(0, 0), Style style = kHorizontal);

  // [UI thread] -1, 0 or +1: the half under the pointer.
  int getHoverSide() const { return hoverSide_; }

  // [UI thread] The pressed side wins over the hovered one.
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  void setHoverSide(int side);

  int hoverSide_ = 0;
};
