#include "toolkit/controls/canimknob.h"

#include <algorithm>

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                     CCoord heightOfOneImage, const SharedBitmap& background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.getHeight()) {
  if (subPixmaps <= 0 && background && heightOfOneImage_ > 0) subPixmaps = background->getHeight() / heightOfOneImage_;
  subPixmaps_ = std::max(1, subPixmaps);
}

int CAnimKnob::currentPicture() const {
  const float v = std::clamp(getValueNormalized(), 0.0f, 1.0f);
  return std::min(subPixmaps_ - 1, static_cast<int>(static_cast<float>(subPixmaps_ - 1) * v));
}

void CAnimKnob::draw(CDrawContext* context) { drawStripFrame(context, currentPicture(), heightOfOneImage_); }
