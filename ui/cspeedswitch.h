// The three-position "TransShape" switch ("A-hard", "B-med", "C-soft"): one picture per
// position, 25 pixels apart in the strip. A left press inside one of the three position boxes
// selects that position; a press between them is taken and changes nothing. A wheel notch
// moves one position.
//
// Threads: setValue (CControl) may be called from any thread; the rest belongs to the UI
// thread.
#pragma once

#include <cstdint>

#include "toolkit/ccontrol.h"

class CSpeedSwitch : public CControl {
 public:
  static constexpr int kPositions = 3;
  static constexpr CCoord kFrameDistance = 25;

  // [UI thread]
  CSpeedSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [any thread] The position the value falls in.
  int getIndex() const;
  // [UI thread] The position whose box holds where (frame coordinates, bounds included), or
  // -1.
  static int positionAt(const CPoint& where);

  // [UI thread]
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
};
