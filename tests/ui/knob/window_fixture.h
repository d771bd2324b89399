// The window as the controls see it: a headless 524 x 462 frame on the real background
// (bitmap 128), an editor double and a control listener that log what reaches them, and the
// window's six knobs with their set-up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/cbitmap.h"
#include "toolkit/ccontrol.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "tests/support/editor_double.h"
#include "toolkit/vstguieditorinterface.h"
#include "ui/cmyknob.h"

namespace ui_test {

using Log = std::vector<std::string>;

// Logs "begin <tag>" and "end <tag>".
using EditorDouble = stellix::testing::EditorDouble;

// Logs "changed <tag> <value>" with the value to four decimals.
class ListenerDouble : public CControlListener {
 public:
  explicit ListenerDouble(Log& log) : log_(log) {}
  void valueChanged(CControl* control) override {
    char text[64];
    std::snprintf(text, sizeof text, "changed %d %.4f", static_cast<int>(control->getTag()),
                  static_cast<double>(control->getValue()));
    log_.push_back(text);
  }

 private:
  Log& log_;
};

inline constexpr CRect kWindow(0, 0, 524, 462);

// The whole window, drawn once on construction. The doubles outlive the frame: destroying
// it may end gestures.
struct WindowFixture {
  Log log;
  EditorDouble editor{log};
  ListenerDouble listener{log};
  HeadlessFrame host;

  WindowFixture() : host(makeFrame(&editor)) {}

  CFrame& frame() { return host.frame(); }
  const PixelBuffer& pixels() const { return host.pixels(); }
  template <typename V>
  V* add(V* view) {
    frame().addView(view);
    return view;
  }

 private:
  static std::unique_ptr<CFrame> makeFrame(VSTGUIEditorInterface* editor) {
    auto frame = std::make_unique<CFrame>(kWindow, editor);
    frame->setBackground(loadBitmap(128));
    return frame;
  }
};

// A knob of the window: where it sits, its parameter, strip and set-up.
struct KnobSetup {
  const char* name;
  CRect rect;
  std::int32_t tag;
  int bitmap;
  CCoord imageHeight;
  float dragRangeFactor;
  float wheelStep;
  float defaultValue;
};

inline const KnobSetup kKnobs[] = {
    {"Transient", CRect(55, 169, 105, 217), 2, 152, 48, 0.7f, 0.05f, 0.2f},
    {"Release", CRect(56, 267, 105, 314), 3, 153, 47, 0.7f, 0.05f, 0.7237f},
    {"Leveller", CRect(421, 169, 469, 216), 13, 147, 47, 0.7f, 1.0f / 24.0f, 1.0f},
    {"LRLink", CRect(421, 267, 469, 314), 5, 148, 47, 0.7f, 0.05f, 1.0f},
    {"Drive", CRect(52, 349, 108, 404), 1, 150, 55, 1.0f, 1.0f / 96.0f, 0.5f},
    {"Output", CRect(417, 349, 475, 405), 0, 151, 56, 1.0f, 1.0f / 24.0f, 1.0f},
};

inline const KnobSetup& knobSetup(const std::string& name) {
  for (const KnobSetup& k : kKnobs)
    if (name == k.name) return k;
  return kKnobs[0];
}

inline CMyKnob* makeKnob(const KnobSetup& k, CControlListener* listener) {
  auto* knob = new CMyKnob(k.rect, listener, k.tag, 101, k.imageHeight, loadBitmap(k.bitmap));
  knob->setDragRangeFactor(k.dragRangeFactor);
  knob->setWheelInc(k.wheelStep);
  knob->setWheelFineFactor(0.1f);
  knob->setDefaultValue(k.defaultValue);
  return knob;
}

inline CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

}  // namespace ui_test
