#include "ui/cmetergr.h"

#include <algorithm>
#include <cmath>

#include "toolkit/cdrawcontext.h"
#include "ui/meterdb.h"

namespace {

constexpr int kScaleBitmap = 167;
constexpr int kBarBitmap = 156;

float reductionDb(float gain) {
  if (std::isnan(gain)) return 0.0f;
  return std::fmax(stellix::meterDb(std::fmax(gain, 0.0f)), CMeterGR::kFloorDb);
}

}  // namespace

CMeterGR::CMeterGR(CControlListener* listener)
    : CControl(kRect, listener, kTag, loadBitmap(kScaleBitmap)), bar_(loadBitmap(kBarBitmap)) {}

void CMeterGR::feed(std::uint32_t t, float gainL, float gainR) {
  takeResetRequest();
  currentTick_ = t;
  channels_[0].currentDb = reductionDb(gainL);
  channels_[1].currentDb = reductionDb(gainR);
  setDirty();
}

void CMeterGR::setZoom(bool zoom) {
  zoom_.store(zoom, std::memory_order_relaxed);
  setDirty();
}

void CMeterGR::reset() {
  resetRequested_.store(true, std::memory_order_release);
  setDirty();
}

void CMeterGR::takeResetRequest() {
  if (!resetRequested_.exchange(false, std::memory_order_acq_rel)) return;
  for (Channel& c : channels_) c.currentDb = c.heldDb = 0.0f;
}

void CMeterGR::runBallistics() {
  const std::int64_t elapsed = stellix::elapsedMs(lastTick_, currentTick_);
  lastTick_ = currentTick_;
  for (Channel& c : channels_) {
    const std::int64_t counter = c.holdCounter - elapsed;
    c.holdCounter = static_cast<std::int32_t>(std::max<std::int64_t>(counter, 0));
    // After the hold the counter runs below zero by the time the reduction has been returning.
    if (counter < 1) c.heldDb -= static_cast<float>(counter) * kReturnDbPerSecond / 1000.0f;
    if (c.currentDb < c.heldDb) {
      c.heldDb = c.currentDb;
      c.holdCounter = kHoldMs;
    }
  }
}

int CMeterGR::barLength(float held, bool zoom) {
  if (!(held <= -0.1f)) return 0;
  const float perDb = zoom ? 12.0f : 6.0f;
  const int length = 1 - stellix::truncClamped(held * perDb - 0.5f, -1000.0f, 0.0f);
  return std::clamp(length, 0, kMaxBarLength);
}

void CMeterGR::draw(CDrawContext* context) {
  takeResetRequest();
  const bool zoom = getZoom();
  if (background_) context->drawBitmap(*background_, size_, CPoint(0, zoom ? getHeight() : 0));
  runBallistics();
  const CCoord dx = size_.left - kRect.left;
  const CCoord top = kBarTop + size_.top - kRect.top;
  const CCoord bars[2] = {kLeftBarX + dx, kRightBarX + dx};
  for (int i = 0; i < 2; ++i) {
    const int length = barLength(channels_[i].heldDb, zoom);
    context->drawBitmap(*bar_, CRect(bars[i], top, bars[i] + kBarWidth, top + length));
  }
}

CMouseEventResult CMeterGR::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  valueChanged();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
