// The editor's window for the control tests: a headless frame of the window's size on its
// background picture, doubles that log what reaches the editor (gestures, values, the
// editor's actions) into one log, and every control of this folder at its place in the
// window with its own picture.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "toolkit/ccontrol.h"
#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "tests/support/editor_double.h"
#include "toolkit/vstguieditorinterface.h"
#include "ui/cautoblack.h"
#include "ui/cbits.h"
#include "ui/ccalibbutton.h"
#include "ui/ckorvanonoffbutton.h"
#include "ui/cmodebutton.h"
#include "ui/cnoiseshape.h"
#include "ui/cspeedswitch.h"
#include "ui/editor_actions.h"

namespace ui_controls_test {

using Log = std::vector<std::string>;

inline std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", static_cast<double>(v));
  return text;
}

// "begin <tag>", "end <tag>" from the frame's editor.
using EditorDouble = stellix::testing::EditorDouble;

// "changed <tag> <value>".
class ListenerDouble : public CControlListener {
 public:
  explicit ListenerDouble(Log& log) : log_(log) {}
  void valueChanged(CControl* control) override {
    log_.push_back("changed " + std::to_string(control->getTag()) + " " + number(control->getValue()));
  }

 private:
  Log& log_;
};

// "set <index> <value>", "save".
class ActionsDouble : public CEditorActions {
 public:
  explicit ActionsDouble(Log& log) : log_(log) {}
  void setParameterAutomated(int index, float value) override {
    log_.push_back("set " + std::to_string(index) + " " + number(value));
  }
  void saveMeteringPreferences() override { log_.push_back("save"); }

 private:
  Log& log_;
};

// The controls' places and pictures in the window.
inline const CRect kDetectorOrderRect(44, 40, 77, 59);
inline const CRect kOversampleRect(81, 40, 114, 59);
inline const CRect kModeRect(223, 305, 258, 367);
inline const CRect kQuantizeRect(412, 40, 445, 59);
inline const CRect kAutoblackRect(449, 40, 482, 59);
inline const CRect kBitsRect(412, 72, 445, 103);
inline const CRect kNoiseShapeRect(449, 72, 482, 103);
inline const CRect kCalibrateRect(269, 335, 302, 366);
inline const CRect kAttZoomRect(269, 265, 302, 284);
inline const CRect kAttShow1Rect(224, 265, 257, 284);
inline const CRect kAttShow2Rect(224, 230, 257, 249);
inline const CRect kAttShowLRect(269, 230, 302, 249);
inline const CRect kSpeedRect(38, 121, 128, 146);
inline const CRect kPowerRect(245, 400, 280, 435);
inline const CRect kAutoOutRect(394, 368, 412, 392);
inline const CRect kPostMeterRect(116, 368, 134, 392);
inline const CRect kMeterOvsRect(269, 307, 302, 326);
inline constexpr int kBacklightBitmap = 170;

// A point inside r, dy rows below its top.
inline CPoint inside(const CRect& r, CCoord dy) { return CPoint((r.left + r.right) / 2, r.top + dy); }

// The window with its doubles. The doubles outlive the frame: destroying it may end a gesture.
struct Window {
  Log log;
  EditorDouble editor{log};
  ListenerDouble listener{log};
  ActionsDouble actions{log};
  HeadlessFrame host;

  Window() : host(std::make_unique<CFrame>(CRect(0, 0, 524, 462), &editor)) {
    host.frame().setBackground(loadBitmap(128));
    host.idle();
  }

  template <typename V>
  V* add(V* view) {
    host.frame().addView(view);
    return view;
  }

  // The window's pixels of the control's rectangle after drawing what is dirty.
  PixelBuffer render(const CView* view) {
    host.idle();
    return stellix::testing::cropPixels(host.pixels(), view->getViewSize());
  }

  // Every control of the window, set up as the editor does.
  CStellixBcklitButton* backlit(const CRect& r, std::int32_t tag, int bitmap, bool preference) {
    auto* b = add(new CStellixBcklitButton(r, &listener, tag, loadBitmap(bitmap)));
    b->setBacklight(loadBitmap(kBacklightBitmap));
    b->setPreferenceFlag(preference);
    b->setEditorActions(&actions);
    return b;
  }
  CStellixBcklitButton* detectorOrder() { return backlit(kDetectorOrderRect, 7, 139, false); }
  CStellixBcklitButton* quantize() { return backlit(kQuantizeRect, 16, 162, false); }
  CStellixBcklitButton* attZoom() { return backlit(kAttZoomRect, 19, 144, true); }
  CStellixBcklitButton* meterOvs() { return backlit(kMeterOvsRect, 14, 160, true); }
  CStellixBcklitButton* attShow1() { return backlit(kAttShow1Rect, 28, 164, true); }
  CStellixBcklitButton* attShow2() { return backlit(kAttShow2Rect, 29, 165, true); }
  CStellixBcklitButton* attShowL() { return backlit(kAttShowLRect, 30, 166, true); }
  CStellixButton* plain(const CRect& r, std::int32_t tag, int bitmap, bool preference) {
    auto* b = add(new CStellixButton(r, &listener, tag, loadBitmap(bitmap)));
    b->setPreferenceFlag(preference);
    b->setEditorActions(&actions);
    return b;
  }
  CStellixButton* power() { return plain(kPowerRect, 8, 149, false); }
  CStellixButton* autoOut() { return plain(kAutoOutRect, 15, 161, false); }
  CStellixButton* postMeter() { return plain(kPostMeterRect, 21, 161, true); }
  COversamplingButton* oversample() {
    auto* b = add(new COversamplingButton(kOversampleRect, &listener, 6, loadBitmap(140)));
    b->setBacklight(loadBitmap(kBacklightBitmap));
    return b;
  }
  CAutoBlack* autoblack() {
    auto* b = add(new CAutoBlack(kAutoblackRect, &listener, 17, loadBitmap(163)));
    b->setBacklight(loadBitmap(kBacklightBitmap));
    return b;
  }
  CBits* bits() { return add(new CBits(kBitsRect, &listener, 10, loadBitmap(142))); }
  CNoiseShape* noiseShape() { return add(new CNoiseShape(kNoiseShapeRect, &listener, 11, loadBitmap(143))); }
  CCalibButton* calibrate() { return add(new CCalibButton(kCalibrateRect, &listener, 12, loadBitmap(145))); }
  CModeButton* mode() {
    auto* m = add(new CModeButton(kModeRect, &listener, 9, loadBitmap(141)));
    m->setEditorActions(&actions);
    return m;
  }
  CSpeedSwitch* speed() { return add(new CSpeedSwitch(kSpeedRect, &listener, 4, loadBitmap(146))); }
};

// What a control should show: the window's background under rect with the picture of the
// strip from source row sourceY copied over it, drawn independently of the controls.
inline PixelBuffer expectedPicture(const CRect& rect, int bitmap, CCoord sourceY) {
  PixelBuffer out(rect.getWidth(), rect.getHeight());
  CDrawContext context(out);
  context.drawBitmap(*loadBitmap(128), CRect(0, 0, out.width, out.height), rect.getTopLeft());
  context.drawBitmap(*loadBitmap(bitmap), CRect(0, 0, out.width, out.height), CPoint(0, sourceY));
  return out;
}

}  // namespace ui_controls_test
