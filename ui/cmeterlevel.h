// The input and output level meters: two bars (left, right) with a legend between them.
//
// Scale: the bars run from y = 402 (empty) up to y = 42 (full, 360 pixels), 6 pixels per dB.
// In peak mode the bar follows the displayed peak over -48 .. +12 dBFS (0 dBFS at y = 114).
// In the K modes (1 = K-12, 2 = K-14, 3 = K-20) the bar shows the RMS reading over 60 dB
// with the K reference at y = 114, 126 or 162, and a 3-pixel marker shows the displayed peak.
// Another mode value draws nothing.
//
// Ballistics run each time the meter draws, on the tick of the latest reading: the displayed
// peak holds a new maximum for 50 ms, then falls at 8.66 dB per second down to -122 dB. So
// the picture depends only on the readings and their ticks, not on how often it is drawn.
//
// Threads: feed and draw on the UI thread; setMode and reset from any thread (the editor's
// parameter notifications arrive on the host's threads). A reset is a request the UI thread
// carries out at the next feed or draw.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/cbitmap.h"
#include "toolkit/ccontrol.h"
#include "toolkit/crect.h"

class CMeterLevel : public CControl {
 public:
  static constexpr std::int32_t kTag = 27;
  static constexpr CCoord kScaleTop = 42;      // y of a full bar
  static constexpr CCoord kScaleBottom = 402;  // y of an empty bar
  static constexpr CCoord kScaleHeight = kScaleBottom - kScaleTop;
  static constexpr CCoord kBarWidth = 15;
  static constexpr std::int32_t kHoldMs = 50;
  static constexpr float kFallDbPerSecond = 8.66f;
  static constexpr float kFloorDb = -122.0f;  // lowest displayed peak, and the reset value
  static constexpr float kPeakCeilingDb = 20.0f;

  // Where the parts of a meter lie, in window coordinates for the meter at rect (the meter
  // draws them moved along with its own rectangle).
  struct Layout {
    CRect rect;
    CCoord leftBarX;
    CCoord rightBarX;
    CRect legend;
    int legendPeakK12;  // legend bitmaps
    int legendK14;
    int legendK20;
    float startDb;  // every reading at construction
  };

  // [UI thread] background: the window's background (128), loaded when null.
  CMeterLevel(const Layout& layout, CControlListener* listener, const SharedBitmap& background);

  // [UI thread] A new reading at tick t (ms): linear peaks and RMS values, 1.0 = 0 dBFS.
  // The peak in dB is capped at +20; levels below 1e-6 (and NaN) read as -120 dB.
  void feed(std::uint32_t t, float peakL, float peakR, float rmsL, float rmsR);
  // [any thread] 0 peak, 1 K-12, 2 K-14, 3 K-20.
  void setMode(int mode);
  int getMode() const { return mode_.load(std::memory_order_relaxed); }
  // [any thread] Current, RMS and displayed values back to -122 dB.
  void reset();

  // [UI thread] State, for the editor's tests and this meter's.
  float currentPeakDb(int channel) const { return channels_[channel & 1].peakDb; }
  float currentRmsDb(int channel) const { return channels_[channel & 1].rmsDb; }
  float displayedPeakDb(int channel) const { return channels_[channel & 1].displayedDb; }
  std::int32_t holdCounter(int channel) const { return channels_[channel & 1].holdCounter; }

  // Bar height in pixels of v dB with scale offset o: trunc((v + o) * 6 + 0.5) in 0 .. 360.
  static int barHeight(float v, float offset);
  // Source row of a K bar's 0-pixel line, lining its colour zones up with the K reference.
  static CCoord kBarOrigin(int mode);

  // [UI thread]
  void draw(CDrawContext* context) override;
  // A left press tells the listener (the editor then resets every meter).
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

 private:
  struct Channel {
    float peakDb;
    float rmsDb;
    float displayedDb;
    std::int32_t holdCounter = kHoldMs;
  };

  void takeResetRequest();
  void runBallistics();
  void drawPeakBar(CDrawContext* context, CCoord x, const Channel& channel) const;
  void drawKBar(CDrawContext* context, CCoord x, const Channel& channel, CCoord origin) const;

  Layout layout_;
  SharedBitmap window_;
  SharedBitmap unlitPeak_;
  SharedBitmap litPeak_;
  SharedBitmap legendPeakK12_;
  SharedBitmap legendK14_;
  SharedBitmap legendK20_;
  SharedBitmap unlitK_;
  SharedBitmap litK_;

  std::uint32_t lastTick_ = 0;
  std::uint32_t currentTick_ = 0;
  Channel channels_[2];

  std::atomic<int> mode_{0};
  std::atomic<bool> resetRequested_{false};
};

// The input meter, left of the gain-reduction meter.
class CMeterIn : public CMeterLevel {
 public:
  static const Layout kLayout;
  explicit CMeterIn(CControlListener* listener = nullptr, const SharedBitmap& background = nullptr)
      : CMeterLevel(kLayout, listener, background) {}
};

// The output meter, right of the gain-reduction meter.
class CMeterOut : public CMeterLevel {
 public:
  static const Layout kLayout;
  explicit CMeterOut(CControlListener* listener = nullptr, const SharedBitmap& background = nullptr)
      : CMeterLevel(kLayout, listener, background) {}
};
