// The six meter displays at their places in a headless 524 x 462 window on the real
// background (bitmap 128), with a listener that logs what reaches it.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/cbitmap.h"
#include "toolkit/ccontrol.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "ui/cmetergr.h"
#include "ui/cmeterlcd.h"
#include "ui/cmeterlevel.h"

namespace meters_test {

using Log = std::vector<std::string>;

// Logs "changed <tag>".
class ListenerDouble : public CControlListener {
 public:
  explicit ListenerDouble(Log& log) : log_(log) {}
  void valueChanged(CControl* control) override { log_.push_back("changed " + std::to_string(control->getTag())); }
  void controlBeginEdit(CControl* control) override { log_.push_back("begin " + std::to_string(control->getTag())); }
  void controlEndEdit(CControl* control) override { log_.push_back("end " + std::to_string(control->getTag())); }

 private:
  Log& log_;
};

// Linear value of a dB figure.
inline float fromDb(float db) { return std::pow(10.0f, db / 20.0f); }

// The listener outlives the frame (declared first).
struct MeterWindow {
  Log log;
  ListenerDouble listener{log};
  HeadlessFrame host;
  CMeterIn* in;
  CMeterOut* out;
  CMeterGR* gr;
  CMeterLCD* lcdIn;
  CMeterLCD* lcdOut;
  CMeterLCDGR* lcdGr;

  MeterWindow() : host(makeFrame()) {
    const SharedBitmap background = host.frame().getBackground();
    in = add(new CMeterIn(&listener, background));
    out = add(new CMeterOut(&listener, background));
    gr = add(new CMeterGR(&listener));
    lcdIn = add(new CMeterLCD(CMeterLCD::kInputRect, &listener, background));
    lcdOut = add(new CMeterLCD(CMeterLCD::kOutputRect, &listener, background));
    lcdGr = add(new CMeterLCDGR(&listener, background));
    host.idle();
  }

  template <typename V>
  V* add(V* view) {
    host.frame().addView(view);
    return view;
  }

  // Draws what is dirty, as the editor's idle ends.
  void idle() { host.idle(); }

  // Every display fed as the editor's idle does, then drawn.
  void feedAll(std::uint32_t t, float inPeak, float inRms, float outPeak, float outRms, float gain) {
    in->feed(t, inPeak, inPeak, inRms, inRms);
    out->feed(t, outPeak, outPeak, outRms, outRms);
    gr->feed(t, gain, gain);
    lcdIn->feed(inPeak, inPeak);
    lcdOut->feed(outPeak, outPeak);
    lcdGr->feed(gain, gain);
    idle();
  }

  std::vector<CControl*> all() const { return {in, out, gr, lcdIn, lcdOut, lcdGr}; }

 private:
  static std::unique_ptr<CFrame> makeFrame() {
    auto frame = std::make_unique<CFrame>(CRect(0, 0, 524, 462), nullptr);
    frame->setBackground(loadBitmap(128));
    return frame;
  }
};

}  // namespace meters_test
