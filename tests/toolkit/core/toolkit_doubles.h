// Recording doubles shared by the toolkit core tests: a view that logs the events it gets,
// an editor interface and a control listener that log what reaches them, and a view that
// fills its rectangle with one colour.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/ccontrol.h"
#include "toolkit/cdrawcontext.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "tests/support/editor_double.h"
#include "toolkit/vstguieditorinterface.h"

namespace toolkit_test {

using Log = std::vector<std::string>;

inline std::string at(const char* what, const std::string& name, const CPoint& p) {
  return std::string(what) + " " + name + " " + std::to_string(p.x) + "," + std::to_string(p.y);
}

// Logs "down A 5,7", "up A ...", "moved", "enter", "exit", "wheel", "key" into a shared log.
class RecordingView : public CView {
 public:
  RecordingView(const CRect& size, std::string name, Log& log) : CView(size), name_(std::move(name)), log_(log) {}

  CMouseEventResult downResult = kMouseEventHandled;
  bool wheelResult = true;
  bool keyResult = true;

  CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
    log_.push_back(at("down", name_, where));
    return downResult;
  }
  CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override {
    log_.push_back(at("up", name_, where));
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
    log_.push_back(at("moved", name_, where));
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseEntered(CPoint&, const CButtonState&) override {
    log_.push_back("enter " + name_);
    return kMouseEventHandled;
  }
  CMouseEventResult onMouseExited(CPoint&, const CButtonState&) override {
    log_.push_back("exit " + name_);
    return kMouseEventHandled;
  }
  bool onWheel(const CPoint& where, float, const CButtonState&) override {
    log_.push_back(at("wheel", name_, where));
    return wheelResult;
  }
  bool onKeyDown(const CKeyEvent&) override {
    log_.push_back("key " + name_);
    return keyResult;
  }

 private:
  std::string name_;
  Log& log_;
};

using EditorDouble = stellix::testing::EditorDouble;

// Logs "changed <tag> <value>" with the value to two decimals.
class ListenerDouble : public CControlListener {
 public:
  explicit ListenerDouble(Log& log) : log_(log) {}
  void valueChanged(CControl* control) override {
    char value[32];
    std::snprintf(value, sizeof value, "%.2f", static_cast<double>(control->getValue()));
    log_.push_back("changed " + std::to_string(control->getTag()) + " " + value);
  }

 private:
  Log& log_;
};

class ColourView : public CView {
 public:
  ColourView(const CRect& size, const CColor& colour) : CView(size), colour_(colour) {}
  void setColour(const CColor& colour) {
    colour_ = colour;
    setDirty();
  }
  void draw(CDrawContext* context) override {
    context->setFillColor(colour_);
    context->fillRect(size_);
  }

 private:
  CColor colour_;
};

inline std::uint32_t argb(const CColor& c) {
  return (std::uint32_t{c.alpha} << 24) | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

inline std::uint32_t pixel(const PixelBuffer& buffer, int x, int y) { return buffer.row(y)[x]; }

// A bitmap whose every pixel differs from its neighbours, so that a copy from the wrong
// offset shows.
inline SharedBitmap patternBitmap(int width, int height) {
  PixelBuffer pixels(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels.row(y)[x] = 0xFF000000u | static_cast<std::uint32_t>((x * 7 + y * 131) & 0xFFFFFF);
  return std::make_shared<CBitmap>(std::move(pixels));
}

// A headless frame of the given size with an editor double and a listener for its controls,
// ticks at 0. The doubles outlive the frame: destroying it may end gestures.
struct FrameFixture {
  Log log;
  EditorDouble editor{log};
  ListenerDouble listener{log};
  HeadlessFrame host;

  explicit FrameFixture(const CRect& size = CRect(0, 0, 200, 100)) : host(std::make_unique<CFrame>(size, &editor)) {}

  CFrame& frame() { return host.frame(); }
  const PixelBuffer& pixels() const { return host.pixels(); }
  // Adds view to the frame and answers it typed.
  template <typename V>
  V* add(V* view) {
    frame().addView(view);
    return view;
  }
  void clear() { log.clear(); }
};

}  // namespace toolkit_test
