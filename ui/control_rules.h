// Rules the editor's own controls share: reading the wheel, keeping odd values (NaN, infinite,
// out of range) out of index arithmetic, copying frames and row bands out of a vertical strip,
// and the press-then-drag gesture of the stepped selectors and the meter mode button.
#pragma once

#include <cstdint>

#include "toolkit/cbitmap.h"
#include "toolkit/crect.h"

class CControl;
class CDrawContext;

namespace stellix::ui {

// Vertical pixels per unit of value while dragging: 67 pixels cover the whole range.
inline constexpr float kDragFactor = 0.015f;

// One wheel event is one notch: +1 above 0.1, -1 below -0.1, otherwise 0.
int wheelNotch(float distance) noexcept;

// value held inside lo .. hi, NaN becoming lo.
float clampValue(float value, float lo, float hi) noexcept;

// Copies the control-sized picture starting at source row sourceY of strip over rect.
void drawStripAt(CDrawContext* context, const SharedBitmap& strip, const CRect& rect, CCoord sourceY);
// Copies the rows rowTop .. rowBottom (half-open, in the same coordinates as rect) of rect
// from strip, the first of them from source row sourceY.
void drawStripRows(CDrawContext* context, const SharedBitmap& strip, const CRect& rect, CCoord rowTop, CCoord rowBottom,
                   CCoord sourceY);

// Toggles a two-state value between 0 and 1 (0 when it is at least 0.5) as one gesture: begin
// edit, the listener told, end edit. The control is marked for redraw.
void toggleAsGesture(CControl& control);

// The overlay some buttons show over themselves while the pointer is inside them.
class HoverOverlay {
 public:
  void setBitmap(const SharedBitmap& bitmap) { bitmap_ = bitmap; }
  const SharedBitmap& getBitmap() const { return bitmap_; }
  bool isHovered() const { return hovered_; }
  // Answers whether the state changed.
  bool setHovered(bool hovered) {
    const bool changed = hovered != hovered_;
    hovered_ = hovered;
    return changed;
  }
  // Draws the whole overlay over rect, from its top-left corner, while hovered.
  void draw(CDrawContext* context, const CRect& rect) const;

 private:
  SharedBitmap bitmap_;
  bool hovered_ = false;
};

// A press that becomes a vertical drag, or stays a click while the pointer keeps within
// 2 pixels of where it was (in one move or in all moves together).
class ClickDrag {
 public:
  void press(CCoord y) noexcept;
  // The pointer's new position: answers how far it went up since the previous one (positive
  // upwards), and ends the click when it went too far.
  CCoord move(CCoord y) noexcept;
  void release() noexcept { active_ = false; }
  bool active() const noexcept { return active_; }
  bool isClick() const noexcept { return active_ && click_; }

 private:
  bool active_ = false;
  bool click_ = false;
  CCoord pressY_ = 0;
  CCoord lastY_ = 0;
};

}  // namespace stellix::ui
