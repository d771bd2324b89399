// The meter mode button: one control for "MeterType" (peak or k-system) and "Scale" (K-12,
// K-14, K-20). Its upper part (19 pixels) selects peak metering; below it an upper arrow, a
// middle strip and a lower arrow choose the K scale, which also selects k-system metering.
// A press on the middle strip starts a gesture: a drag moves the scale (0.015 per pixel over
// the three steps), a click without moving more than 2 pixels steps it on, wrapping (only
// when k-system metering is already shown). The wheel toggles the metering type over the top
// 29 pixels and moves the scale below. A right press saves the metering preferences.
//
// The button sets both parameters itself through the editor's actions, not through its
// listener; it keeps the state it shows (scale, k-system flag) in step with what it set, and
// the editor pushes every change of the parameters back into it.
//
// Strip: frames 0 … 2 peak with each scale, 3 … 5 k-system with each scale, 6 lit (the
// preference flash), then the hover highlights.
//
// Threads: setScaleIndex, setKSystem and setLit may be called from any thread; the set-up
// calls, drawing and the mouse belong to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/ccontrol.h"
#include "ui/control_rules.h"

class CEditorActions;

class CModeButton : public CControl {
 public:
  static constexpr int kScaleIndex = 9;       // "Scale", 3 steps
  static constexpr int kMeterTypeIndex = 18;  // "MeterType", 2 steps
  // The parts under the pointer.
  enum HoverRegion { kHoverNone = 0, kHoverMiddle = 1, kHoverUpper = 2, kHoverLower = 3, kHoverPeak = 4 };

  // [UI thread]
  CModeButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [UI thread] Where the two parameters are set and the preferences saved; null: nowhere.
  void setEditorActions(CEditorActions* actions) { actions_ = actions; }

  // [any thread] The "Scale" step (clamped to 0 … 2).
  void setScaleIndex(int index);
  int getScaleIndex() const { return scale_.load(std::memory_order_relaxed); }
  // [any thread] Whether "MeterType" is "k-system".
  void setKSystem(bool kSystem);
  bool isKSystem() const { return kSystem_.load(std::memory_order_relaxed); }
  // [any thread] The preference flash: shows the lit picture while set.
  void setLit(bool lit);
  bool isLit() const { return lit_.load(std::memory_order_relaxed); }
  // [UI thread] The part under the pointer (kHoverNone when it is outside).
  int getHoverRegion() const { return hover_; }

  // [UI thread]
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

 private:
  // Sets "Scale" to index (and shows it).
  void applyScale(int index);
  // Sets "MeterType" (and shows it).
  void applyKSystem(bool kSystem);

  CEditorActions* actions_ = nullptr;
  std::atomic<int> scale_{0};
  std::atomic<bool> kSystem_{false};
  std::atomic<bool> lit_{false};
  stellix::ui::ClickDrag drag_;
  float dragPosition_ = 0.0f;
  int hover_ = kHoverNone;
};
