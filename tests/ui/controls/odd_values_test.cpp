// Values no parameter should carry (NaN, infinities, out of range) pushed into every control:
// each draws as the nearest end of its range, and any gesture afterwards leaves a value
// inside 0 .. 1. The sanitizer builds catch a float-to-int conversion of such a value.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "controls_fixture.h"

using namespace ui_controls_test;

namespace {

using Make = std::function<CControl*(Window&)>;

struct Control {
  const char* name;
  Make make;
};

const Control kControls[] = {
    {"on/off",
     [](Window& w) -> CControl* { return w.add(new CKorvanOnOffButton(kPowerRect, &w.listener, 8, loadBitmap(149))); }},
    {"Power", [](Window& w) -> CControl* { return w.power(); }},
    {"AttZoom", [](Window& w) -> CControl* { return w.attZoom(); }},
    {"Oversample", [](Window& w) -> CControl* { return w.oversample(); }},
    {"Autoblack",
     [](Window& w) -> CControl* {
       auto* a = w.autoblack();
       a->setQuantize(true);
       return a;
     }},
    {"Bits",
     [](Window& w) -> CControl* {
       auto* b = w.bits();
       b->setQuantize(true);
       return b;
     }},
    {"NoiseShape",
     [](Window& w) -> CControl* {
       auto* s = w.noiseShape();
       s->setQuantize(true);
       return s;
     }},
    {"Calibrate", [](Window& w) -> CControl* { return w.calibrate(); }},
    {"TransShape", [](Window& w) -> CControl* { return w.speed(); }},
};

constexpr float kInf = std::numeric_limits<float>::infinity();

const struct {
  float value;
  float nearest;  // the end of the range it draws as
} kOddValues[] = {
    {std::numeric_limits<float>::quiet_NaN(), 0.0f},
    {kInf, 1.0f},
    {-kInf, 0.0f},
    {-1.0f, 0.0f},
    {2.0f, 1.0f},
    {1e30f, 1.0f},
};

}  // namespace

TEST(OddValues, EveryControlDrawsTheNearestEnd) {
  for (const Control& c : kControls) {
    Window w;
    CControl* control = c.make(w);
    for (const auto& odd : kOddValues) {
      SCOPED_TRACE(testing::Message() << c.name << " at " << odd.value);
      control->setValue(odd.nearest);
      const PixelBuffer want = w.render(control);
      control->setValue(odd.value);
      EXPECT_TRUE(w.render(control).pixels == want.pixels);
    }
  }
}

TEST(OddValues, GesturesLeaveAValueInRange) {
  const struct {
    const char* name;
    std::function<void(Window&, const CRect&)> act;
  } gestures[] = {
      {"press", [](Window& w, const CRect& r) { w.host.click(inside(r, r.getHeight() / 2)); }},
      {"middle press", [](Window& w, const CRect& r) { w.host.click(inside(r, 18)); }},
      {"drag", [](Window& w, const CRect& r) { w.host.drag(inside(r, 18), inside(r, 8)); }},
      {"wheel up", [](Window& w, const CRect& r) { w.host.wheel(inside(r, 18), 1.0f); }},
      {"wheel down", [](Window& w, const CRect& r) { w.host.wheel(inside(r, 18), -1.0f); }},
  };
  for (const Control& c : kControls) {
    Window w;
    CControl* control = c.make(w);
    for (const auto& odd : kOddValues) {
      for (const auto& g : gestures) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << odd.value << ", " << g.name);
        control->setValue(odd.value);
        g.act(w, control->getViewSize());
        w.host.idle();
        const float v = control->getValue();
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
      }
    }
  }
}

TEST(OddValues, IndicesOutsideTheStepsAreHeldToTheEnds) {
  Window w;
  CBits* bits = w.bits();
  CModeButton* mode = w.mode();
  CAutoBlack* autoblack = w.autoblack();
  const struct {
    int index;
    int bits, scale, autoblack;
  } cases[] = {
      {INT_MIN, 0, 0, 0},
      {-1, 0, 0, 0},
      {5, 4, 2, 1},
      {INT_MAX, 4, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    bits->setIndex(c.index);
    mode->setScaleIndex(c.index);
    autoblack->setIndex(c.index);
    EXPECT_EQ(bits->getIndex(), c.bits);
    EXPECT_EQ(mode->getScaleIndex(), c.scale);
    EXPECT_EQ(autoblack->getIndex(), c.autoblack);
    w.host.wheel(inside(kModeRect, 40), 1.0f);
    w.host.drag(inside(kModeRect, 48), inside(kModeRect, 0));
    EXPECT_GE(mode->getScaleIndex(), 0);
    EXPECT_LE(mode->getScaleIndex(), 2);
  }
  auto* calib = w.calibrate();
  calib->setIndex(3);
  calib->setBlinkTick(UINT32_MAX);
  w.host.idle();
}
