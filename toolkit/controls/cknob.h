// A rotary knob. Dragging moves the value linearly: up and right raise it, the full range
// over dragRange pixels (zoomFactor times that with Shift held, for fine changes); the drag
// is one edit gesture. A double click or a Control-click sets the default value; the wheel
// moves by the wheel step (a tenth of it with Shift).
//
// Drawn as the background bitmap with a handle: the handle bitmap centred on a point of a
// 270-degree arc, or a line from the centre toward that point.
#pragma once

#include "toolkit/ccolor.h"
#include "toolkit/ccontrol.h"

class CKnob : public CControl {
 public:
  CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background,
        const SharedBitmap& handle = nullptr, const CPoint& offset = CPoint(0, 0));

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

  // Pixels of drag for the whole range, and the Shift factor that stretches it.
  void setDragRange(float pixels) { dragRange_ = pixels > 0.0f ? pixels : dragRange_; }
  float getDragRange() const { return dragRange_; }
  void setZoomFactor(float factor) { zoomFactor_ = factor > 0.0f ? factor : zoomFactor_; }
  float getZoomFactor() const { return zoomFactor_; }
  // The wheel step's factor with Shift held.
  void setWheelFineFactor(float factor) { wheelFineFactor_ = factor; }
  float getWheelFineFactor() const { return wheelFineFactor_; }
  void setHandleColor(const CColor& color) { handleColor_ = color; }
  // Distance of the handle from the knob's edge.
  void setInsetValue(CCoord inset) { inset_ = inset; }

  bool isDragging() const { return dragging_; }

 protected:
  // The drawn handle (bitmap or line) for value fraction v.
  virtual void drawHandle(CDrawContext* context, float normalized);
  // Sets the value as one gesture and tells the listener.
  void setValueAsGesture(float value);

  SharedBitmap handle_;
  CColor handleColor_ = kWhiteCColor;
  CCoord inset_ = 3;
  float dragRange_ = 200.0f;
  float zoomFactor_ = 10.0f;
  float wheelFineFactor_ = 0.1f;

  // Drag state, between a press and its release.
  bool dragging_ = false;
  bool fineDrag_ = false;
  CPoint anchorPoint_;
  float anchorValue_ = 0.0f;
};
