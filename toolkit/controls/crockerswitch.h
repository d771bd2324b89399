// A three-position switch that springs back: a left press on one half sets -1 or +1 and
// tells the listener, the release returns to 0 and tells it again. The strip holds three
// pictures: -1, 0, +1.
#pragma once

#include "toolkit/ccontrol.h"

class CRockerSwitch : public CControl {
 public:
  enum Style {
    kHorizontal,  // left half -1, right half +1
    kVertical,    // upper half +1, lower half -1
  };

  CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, CCoord heightOfOneImage,
                const SharedBitmap& background, const CPoint& offset = CPoint(0, 0), Style style = kHorizontal);

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

  Style getStyle() const { return style_; }
  CCoord getHeightOfOneImage() const { return heightOfOneImage_; }

 protected:
  // -1 or +1 for a point (parent coordinates) by the style's halves.
  float sideAt(const CPoint& where) const;

  CCoord heightOfOneImage_;
  Style style_;
};
