#include "ui/cmeterlevel.h"

#include <algorithm>
#include <cmath>

#include "toolkit/cdrawcontext.h"
#include "ui/meterdb.h"

namespace {

constexpr int kUnlitPeakBar = 155;
constexpr int kLitPeakBar = 130;
constexpr int kUnlitKBar = 129;
constexpr int kLitKBar = 154;
constexpr int kWindowBackground = 128;

// The peak bar's source rows sit 6 rows below the window rows they are drawn at.
constexpr CCoord kPeakBarOrigin = 408;
constexpr float kPeakScaleOffset = 48.0f;  // dB from the bottom of the peak scale to 0 dBFS
constexpr float kKScaleOffset = 60.0f;     // the K scales span 60 dB
constexpr CCoord kMarkerHeight = 3;

}  // namespace

const CMeterLevel::Layout CMeterIn::kLayout = {
    CRect(147, 38, 207, 408), 150, 191, CRect(164, 38, 191, 405), 133, 132, 131, -122.0f};

const CMeterLevel::Layout CMeterOut::kLayout = {
    CRect(319, 38, 379, 406), 320, 363, CRect(335, 38, 362, 405), 136, 135, 134, -121.0f};

CMeterLevel::CMeterLevel(const Layout& layout, CControlListener* listener, const SharedBitmap& background)
    : CControl(layout.rect, listener, kTag, background ? background : loadBitmap(kWindowBackground)),
      layout_(layout),
      window_(getBackground()),
      unlitPeak_(loadBitmap(kUnlitPeakBar)),
      litPeak_(loadBitmap(kLitPeakBar)),
      legendPeakK12_(loadBitmap(layout.legendPeakK12)),
      legendK14_(loadBitmap(layout.legendK14)),
      legendK20_(loadBitmap(layout.legendK20)),
      unlitK_(loadBitmap(kUnlitKBar)),
      litK_(loadBitmap(kLitKBar)) {
  for (Channel& c : channels_) c = Channel{layout.startDb, layout.startDb, layout.startDb, kHoldMs};
}

void CMeterLevel::feed(std::uint32_t t, float peakL, float peakR, float rmsL, float rmsR) {
  takeResetRequest();
  currentTick_ = t;
  const float peaks[2] = {peakL, peakR};
  const float rms[2] = {rmsL, rmsR};
  for (int i = 0; i < 2; ++i) {
    channels_[i].peakDb = std::fmin(stellix::levelDb(peaks[i]), kPeakCeilingDb);
    channels_[i].rmsDb = stellix::levelDb(rms[i]);
  }
  setDirty();
}

void CMeterLevel::setMode(int mode) {
  mode_.store(mode, std::memory_order_relaxed);
  setDirty();
}

void CMeterLevel::reset() {
  resetRequested_.store(true, std::memory_order_release);
  setDirty();
}

void CMeterLevel::takeResetRequest() {
  if (!resetRequested_.exchange(false, std::memory_order_acq_rel)) return;
  for (Channel& c : channels_) c.peakDb = c.rmsDb = c.displayedDb = kFloorDb;
}

void CMeterLevel::runBallistics() {
  const std::int64_t elapsed = stellix::elapsedMs(lastTick_, currentTick_);
  lastTick_ = currentTick_;
  for (Channel& c : channels_) {
    const std::int64_t counter = c.holdCounter - elapsed;
    c.holdCounter = static_cast<std::int32_t>(std::max<std::int64_t>(counter, 0));
    // After the hold the counter runs below zero by the time the peak has been falling.
    if (counter < 1) c.displayedDb += static_cast<float>(counter) * kFallDbPerSecond / 1000.0f;
    c.displayedDb = std::fmax(c.displayedDb, kFloorDb);
    if (c.peakDb > c.displayedDb) {
      c.displayedDb = c.peakDb;
      c.holdCounter = kHoldMs;
    }
  }
}

int CMeterLevel::barHeight(float v, float offset) {
  return stellix::truncClamped((v + offset) * 6.0f + 0.5f, 0.0f, static_cast<float>(kScaleHeight));
}

CCoord CMeterLevel::kBarOrigin(int mode) {
  switch (mode) {
    case 1: return 432;
    case 2: return 420;
    default: return 384;
  }
}

void CMeterLevel::drawPeakBar(CDrawContext* context, CCoord x, const Channel& channel) const {
  const int h = barHeight(channel.displayedDb, kPeakScaleOffset);
  const CCoord dy = size_.top - layout_.rect.top;
  const CCoord level = kScaleBottom + dy - h;
  context->drawBitmap(*litPeak_, CRect(x, level, x + kBarWidth, kScaleBottom + dy), CPoint(0, kPeakBarOrigin - h));
  context->drawBitmap(*unlitPeak_, CRect(x, kScaleTop + dy, x + kBarWidth, level),
                      CPoint(0, kPeakBarOrigin - kScaleHeight));
}

void CMeterLevel::drawKBar(CDrawContext* context, CCoord x, const Channel& channel, CCoord origin) const {
  const int h = barHeight(channel.rmsDb, kKScaleOffset);
  const CCoord dy = size_.top - layout_.rect.top;
  const CCoord level = kScaleBottom + dy - h;
  context->drawBitmap(*litK_, CRect(x, level, x + kBarWidth, kScaleBottom + dy), CPoint(0, origin - h));
  context->drawBitmap(*unlitK_, CRect(x, kScaleTop + dy, x + kBarWidth, level), CPoint(0, origin - kScaleHeight));
  const int p = barHeight(channel.displayedDb, kKScaleOffset);
  if (p <= 2) return;
  const CCoord marker = kScaleBottom + dy - p;
  context->drawBitmap(*litK_, CRect(x, marker, x + kBarWidth, marker + kMarkerHeight), CPoint(0, origin - p));
}

void CMeterLevel::draw(CDrawContext* context) {
  takeResetRequest();
  runBallistics();
  const int mode = getMode();
  if (mode < 0 || mode > 3) return;

  const CCoord dx = size_.left - layout_.rect.left;
  const CCoord dy = size_.top - layout_.rect.top;
  const CRect frameRect = getFrameRect();
  context->drawBitmap(*window_, size_, frameRect.getTopLeft());
  const SharedBitmap& legend = mode == 3 ? legendK20_ : mode == 2 ? legendK14_ : legendPeakK12_;
  context->drawBitmap(*legend, CRect(layout_.legend).offset(dx, dy));

  const CCoord bars[2] = {layout_.leftBarX + dx, layout_.rightBarX + dx};
  for (int i = 0; i < 2; ++i) {
    if (mode == 0)
      drawPeakBar(context, bars[i], channels_[i]);
    else
      drawKBar(context, bars[i], channels_[i], kBarOrigin(mode));
  }
}

CMouseEventResult CMeterLevel::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  valueChanged();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
