#include "ui/cmeterlcd.h"

#include <cmath>
#include <cstdio>

#include "toolkit/cdrawcontext.h"
#include "ui/meterdb.h"

namespace {

constexpr int kWindowBackground = 128;
constexpr int kFont = 137;
constexpr int kHighlightFont = 138;

std::string format(const char* pattern, float value) {
  char text[48];
  std::snprintf(text, sizeof text, pattern, static_cast<double>(value));
  return text;
}

}  // namespace

// ---- CMeterReadout

CMeterReadout::CMeterReadout(const CRect& size, CControlListener* listener, const SharedBitmap& background,
                             float resetDb)
    : CControl(size, listener, kTag, background ? background : loadBitmap(kWindowBackground)),
      held_{resetDb, resetDb},
      resetDb_(resetDb) {}

void CMeterReadout::reset() {
  resetRequested_.store(true, std::memory_order_release);
  setDirty();
}

void CMeterReadout::takeResetRequest() {
  if (resetRequested_.exchange(false, std::memory_order_acq_rel)) held_[0] = held_[1] = resetDb_;
}

CMouseEventResult CMeterReadout::onMouseDown(CPoint&, const CButtonState& buttons) {
  if (!buttons.isLeftButton()) return kMouseEventNotHandled;
  reset();
  valueChanged();
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CMeterReadout::drawBackground(CDrawContext* context) {
  if (background_) context->drawBitmap(*background_, size_, getFrameRect().getTopLeft());
  context->setFillColor(kBoxColor);
}

void CMeterReadout::fillBox(CDrawContext* context, CCoord fieldStart, const CColor& colour) const {
  const CCoord s = size_.left + fieldStart;
  // The box spans s - 1 .. s + 30 and bottom - 10 .. bottom - 1, both ends included.
  context->setFillColor(colour);
  context->fillRect(CRect(s - 1, size_.bottom - 10, s + kFieldWidth + 1, size_.bottom));
}

CCoord CMeterReadout::textStart(CCoord fieldStart, std::size_t length) const {
  return size_.left + fieldStart + kFieldWidth / 2 - 3 * static_cast<CCoord>(length);
}

// ---- CMeterLCD

CMeterLCD::CMeterLCD(const CRect& size, CControlListener* listener, const SharedBitmap& background)
    : CMeterReadout(size, listener, background, kResetDb), printer_(loadBitmap(kFont), loadBitmap(kHighlightFont)) {}

void CMeterLCD::feed(float peakL, float peakR) {
  takeResetRequest();
  // A peak of 0 gives -inf and NaN (a negative or NaN peak) is passed over: neither raises
  // the held value.
  held_[0] = std::fmax(held_[0], stellix::meterDb(peakL));
  held_[1] = std::fmax(held_[1], stellix::meterDb(peakR));
  setDirty();
}

void CMeterLCD::setMode(int mode) {
  mode_.store(mode, std::memory_order_relaxed);
  setDirty();
}

float CMeterLCD::modeOffset(int mode) {
  switch (mode) {
    case 1: return 12.0f;
    case 2: return 14.0f;
    case 3: return 20.0f;
    default: return 0.0f;
  }
}

std::string CMeterLCD::valueText(float shownDb) {
  if (shownDb <= kSilenceDb) return "-oo";
  return format("%+2.1f", shownDb);
}

void CMeterLCD::draw(CDrawContext* context) {
  takeResetRequest();
  drawBackground(context);
  const int mode = getMode();
  const CCoord y = baseline();

  printer_.setBright(false);
  printer_.setHighlight(false);
  if (mode == 0) {
    printer_.print(context, "dBFS", CPoint(size_.left + 35, y));
  } else if (mode >= 1 && mode <= 3) {
    // Spaces first, over the longer unit of peak mode.
    printer_.print(context, "    ", CPoint(size_.left + 35, y));
    printer_.print(context, "dBr", CPoint(size_.left + 38, y));
  }

  const CCoord fields[2] = {kLeftField, kRightField};
  printer_.setBright(true);
  for (int i = 0; i < 2; ++i) {
    const bool over = isOver(i);
    fillBox(context, fields[i], over ? kOverColor : kBoxColor);
    const std::string text = valueText(held_[i] + modeOffset(mode));
    printer_.setHighlight(over);
    printer_.print(context, text, CPoint(textStart(fields[i], text.size()), y));
  }
}

// ---- CMeterLCDGR

CMeterLCDGR::CMeterLCDGR(CControlListener* listener, const SharedBitmap& background)
    : CMeterReadout(kRect, listener, background, kResetDb), printer_(loadBitmap(kFont)) {}

void CMeterLCDGR::feed(float gainL, float gainR) {
  takeResetRequest();
  // NaN (also from a negative factor) is passed over; a factor of 0 holds -inf.
  held_[0] = std::fmin(held_[0], stellix::meterDb(gainL));
  held_[1] = std::fmin(held_[1], stellix::meterDb(gainR));
  setDirty();
}

std::string CMeterLCDGR::valueText(float heldDb) { return format("%2.1f", heldDb); }

void CMeterLCDGR::draw(CDrawContext* context) {
  takeResetRequest();
  drawBackground(context);
  const CCoord y = baseline();
  // The values go into dark boxes, so they print with the bright glyph set (light on dark),
  // as the peak readouts do; the plain set's light cells would show as patches in the boxes.
  printer_.setBright(true);
  const CCoord fields[2] = {kLeftField, kRightField};
  for (int i = 0; i < 2; ++i) {
    fillBox(context, fields[i], kBoxColor);
    const std::string text = fieldText(i);
    printer_.print(context, text, CPoint(textStart(fields[i], text.size()), y));
  }
  printer_.setBright(false);
  printer_.print(context, "dB", CPoint(size_.left + 41, y));
}
