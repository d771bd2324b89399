// A knob drawn from a vertical strip of pictures, one per position: value fraction v shows
// picture trunc((pictures - 1) * v). Behaves as CKnob otherwise.
#pragma once

#include "toolkit/controls/cknob.h"

class CAnimKnob : public CKnob {
 public:
  // subPixmaps of 0 counts the pictures from the bitmap's height.
  CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps, CCoord heightOfOneImage,
            const SharedBitmap& background, const CPoint& offset = CPoint(0, 0));

  void draw(CDrawContext* context) override;

  int getNumSubPixmaps() const { return subPixmaps_; }
  CCoord getHeightOfOneImage() const { return heightOfOneImage_; }
  // The picture shown for the current value.
  int currentPicture() const;

 protected:
  int subPixmaps_;
  CCoord heightOfOneImage_;
};
