// The editor's two-state buttons.
//
// CKorvanOnOffButton: a strip of two pictures, off above on; a left press or a wheel notch
// toggles the value between 0 and 1.
// CStellixButton: pictures off, on and lit (the preference flash) one control height apart;
// a left press toggles between the two step centres 0.25 and 0.75. A preference button
// (metering settings) saves the metering preferences on a right press.
// CStellixBcklitButton: a CStellixButton that shows a back-light overlay while the pointer is
// inside it.
// COversamplingButton: two pictures 19 pixels apart and the same hover overlay; a left press
// sets 1, or 0 when the value is 1 (a value of 0.75 thus becomes 1 first).
//
// Threads: setValue (CControl) and setLit may be called from any thread; the set-up calls,
// drawing and the mouse belong to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "toolkit/ccontrol.h"
#include "ui/control_rules.h"

class CEditorActions;

class CKorvanOnOffButton : public CControl {
 public:
  // [UI thread]
  CKorvanOnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [UI thread] The lower half of the bitmap when the value is 0.5 or more, else the upper.
  void draw(CDrawContext* context) override;
  // [UI thread] Left press: 0 when the value rounds to 1, else 1; the listener is told.
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  // [UI thread] A notch either way toggles between 0 and 1 as one gesture.
  bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
};

class CStellixButton : public CKorvanOnOffButton {
 public:
  // [UI thread]
  CStellixButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [UI thread] Whether a right press saves the metering preferences (set-up).
  void setPreferenceFlag(bool preference) { preference_ = preference; }
  bool getPreferenceFlag() const { return preference_; }
  // [UI thread] Where the metering preferences are saved (the editor); null: nowhere.
  void setEditorActions(CEditorActions* actions) { actions_ = actions; }

  // [any thread] The preference flash: shows the lit picture while set.
  void setLit(bool lit);
  bool isLit() const { return lit_.load(std::memory_order_relaxed); }

  // [UI thread]
  void draw(CDrawContext* context) override;
  // [UI thread] Left press toggles the step; right press on a preference button saves the
  // metering preferences and leaves the value alone.
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

 protected:
  CEditorActions* actions_ = nullptr;

 private:
  bool preference_ = false;
  std::atomic<bool> lit_{false};
};

class CStellixBcklitButton : public CStellixButton {
 public:
  // [UI thread]
  CStellixBcklitButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [UI thread] The overlay drawn over the whole button while the pointer is inside it.
  void setBacklight(const SharedBitmap& bitmap) { overlay_.setBitmap(bitmap); }
  const SharedBitmap& getBacklight() const { return overlay_.getBitmap(); }
  bool isHovered() const { return overlay_.isHovered(); }

  // [UI thread]
  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  stellix::ui::HoverOverlay overlay_;
};

class COversamplingButton : public CKorvanOnOffButton {
 public:
  // Distance between the off and the on picture in the strip.
  static constexpr CCoord kFrameDistance = 19;

  // [UI thread]
  COversamplingButton(const CRect& size, CControlListener* listener, std::int32_t tag, const SharedBitmap& background);

  // [UI thread] The overlay drawn over the whole button while the pointer is inside it.
  void setBacklight(const SharedBitmap& bitmap) { overlay_.setBitmap(bitmap); }
  const SharedBitmap& getBacklight() const { return overlay_.getBitmap(); }
  bool isHovered() const { return overlay_.isHovered(); }

  // [UI thread]
  void draw(CDrawContext* context) override;
  // [UI thread] Left press: 0 when the value is 1 (its whole part), else 1.
  CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons) override;
  CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;

 private:
  stellix::ui::HoverOverlay overlay_;
};
