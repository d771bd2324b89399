// The gain-reduction meter: two bars (left, right) growing down from y = 42 over a scale of
// about 24 dB (6 pixels per dB), or 12 dB zoomed (12 pixels per dB), at most 145 pixels.
// The scale bitmap holds both scales, the normal one above the zoomed one.
//
// Ballistics, on the tick of the latest reading at each draw: the held reduction follows a
// deeper reading at once, holds it for 50 ms, then returns toward 0 dB at 30 dB per second.
//
// Threads: feed and draw on the UI thread; setZoom and reset from any thread. A reset is a
// request the UI thread carries out at the next feed or draw.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/cbitmap.h"
#include "toolkit/ccontrol.h"
#include "toolkit/crect.h"

class CMeterGR : public CControl {
 public:
  static constexpr std::int32_t kTag = 27;
  static constexpr CRect kRect{233, 39, 291, 192};
  static constexpr CCoord kLeftBarX = 234;
  static constexpr CCoord kRightBarX = 275;
  static constexpr CCoord kBarTop = 42;
  static constexpr CCoord kBarWidth = 15;
  static constexpr int kMaxBarLength = 145;
  static constexpr std::int32_t kHoldMs = 50;
  static constexpr std::int32_t kStartCounter = 10;
  static constexpr float kReturnDbPerSecond = 30.0f;
  static constexpr float kFloorDb = -30.0f;

  // [UI thread]
  explicit CMeterGR(CControlListener* listener = nullptr);

  // [UI thread] A new reading at tick t (ms): the gain factors, 1.0 = no reduction. A reading
  // in dB is limited to -30; NaN reads as no reduction, a factor of 0 or below as -30 dB.
  void feed(std::uint32_t t, float gainL, float gainR);
  // [any thread] The zoomed scale (12 dB).
  void setZoom(bool zoom);
  bool getZoom() const { return zoom_.load(std::memory_order_relaxed); }
  // [any thread] Held and current values back to 0 dB.
  void reset();

  // [UI thread] State, for tests.
  float currentDb(int channel) const { return channels_[channel & 1].currentDb; }
  float heldDb(int channel) const { return channels_[channel & 1].heldDb; }

  // Bar length in pixels of a held reduction of held dB: none above -0.1 dB, else
  // 1 - trunc(held * m - 0.5) with m = 12 zoomed or 6, in 0 .. 145.
  static int barLength(float held, bool zoom);

  // [UI thread]
  void draw(CDrawContext* context) override;
  // A left press tells the listener (the editor then resets every meter).
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

 private:
  struct Channel {
    float currentDb = 0.0f;
    float heldDb = 0.0f;
    std::int32_t holdCounter = kStartCounter;
  };

  void takeResetRequest();
  void runBallistics();

  SharedBitmap bar_;
  std::uint32_t lastTick_ = 0;
  std::uint32_t currentTick_ = 0;
  Channel channels_[2];

  std::atomic<bool> zoom_{false};
  std::atomic<bool> resetRequested_{false};
};
