// The two-state buttons' presses and wheel: which value each sets from where, the preference
// right click that saves without toggling, and the hover overlay.
#include <gtest/gtest.h>

#include <functional>

#include "controls_fixture.h"

using namespace ui_controls_test;

namespace {

using Make = std::function<CControl*(Window&)>;

const Make kOnOff = [](Window& w) -> CControl* {
  return w.add(new CKorvanOnOffButton(kPowerRect, &w.listener, 8, loadBitmap(149)));
};
const Make kPower = [](Window& w) -> CControl* { return w.power(); };
const Make kPostMeter = [](Window& w) -> CControl* { return w.postMeter(); };
const Make kAttZoom = [](Window& w) -> CControl* { return w.attZoom(); };
const Make kDetectorOrder = [](Window& w) -> CControl* { return w.detectorOrder(); };
const Make kOversample = [](Window& w) -> CControl* { return w.oversample(); };
const Make kAutoblack = [](Window& w) -> CControl* { return w.autoblack(); };

CPoint centre(const CControl* c) { return inside(c->getViewSize(), c->getHeight() / 2); }

}  // namespace

TEST(TwoStateButtons, PressAndWheel) {
  enum Act { kLeft, kRight, kWheelUp, kWheelDown, kWheelTiny };
  const struct {
    const char* name;
    Make make;
    float start;
    Act act;
    Log expected;
    float end;
  } cases[] = {
      // The base: 0 and 1, by rounding.
      {"on/off from 0", kOnOff, 0.0f, kLeft, {"changed 8 1.0000"}, 1.0f},
      {"on/off from 1", kOnOff, 1.0f, kLeft, {"changed 8 0.0000"}, 0.0f},
      {"on/off from 0.49", kOnOff, 0.49f, kLeft, {"changed 8 1.0000"}, 1.0f},
      {"on/off from 0.5", kOnOff, 0.5f, kLeft, {"changed 8 0.0000"}, 0.0f},
      {"on/off from 1.5 (rounds to 2)", kOnOff, 1.5f, kLeft, {"changed 8 1.0000"}, 1.0f},
      {"on/off wheel up", kOnOff, 0.0f, kWheelUp, {"begin 8", "changed 8 1.0000", "end 8"}, 1.0f},
      {"on/off wheel down toggles too", kOnOff, 0.0f, kWheelDown, {"begin 8", "changed 8 1.0000", "end 8"}, 1.0f},
      {"on/off wheel of 0.1", kOnOff, 0.0f, kWheelTiny, {}, 0.0f},
      {"on/off right press", kOnOff, 1.0f, kRight, {}, 1.0f},
      // Step centres on a press, 0 and 1 on the wheel.
      {"Power off to on", kPower, 0.25f, kLeft, {"changed 8 0.7500"}, 0.75f},
      {"Power on to off", kPower, 0.75f, kLeft, {"changed 8 0.2500"}, 0.25f},
      {"Power at 0.5 is on", kPower, 0.5f, kLeft, {"changed 8 0.2500"}, 0.25f},
      {"Power at 0 is off", kPower, 0.0f, kLeft, {"changed 8 0.7500"}, 0.75f},
      {"Power wheel", kPower, 0.75f, kWheelDown, {"begin 8", "changed 8 0.0000", "end 8"}, 0.0f},
      {"Power right press", kPower, 0.75f, kRight, {}, 0.75f},
      {"PostMeter right press saves, keeps the value", kPostMeter, 0.75f, kRight, {"save"}, 0.75f},
      {"PostMeter left press", kPostMeter, 0.75f, kLeft, {"changed 21 0.2500"}, 0.25f},
      {"AttZoom right press saves", kAttZoom, 0.25f, kRight, {"save"}, 0.25f},
      {"DetectorOrder right press", kDetectorOrder, 0.25f, kRight, {}, 0.25f},
      {"DetectorOrder left press", kDetectorOrder, 0.25f, kLeft, {"changed 7 0.7500"}, 0.75f},
      // Oversample: 0 only from a whole 1.
      {"Oversample from 0", kOversample, 0.0f, kLeft, {"changed 6 1.0000"}, 1.0f},
      {"Oversample from 1", kOversample, 1.0f, kLeft, {"changed 6 0.0000"}, 0.0f},
      {"Oversample from 0.75 stays on", kOversample, 0.75f, kLeft, {"changed 6 1.0000"}, 1.0f},
      {"Oversample wheel", kOversample, 0.75f, kWheelUp, {"begin 6", "changed 6 0.0000", "end 6"}, 0.0f},
      {"Oversample right press", kOversample, 0.0f, kRight, {}, 0.0f},
      // Autoblack: step centres on a press, 0 and 1 on the wheel.
      {"Autoblack off to on", kAutoblack, 0.0f, kLeft, {"changed 17 0.7500"}, 0.75f},
      {"Autoblack on to off", kAutoblack, 0.75f, kLeft, {"changed 17 0.2500"}, 0.25f},
      {"Autoblack wheel", kAutoblack, 0.25f, kWheelUp, {"begin 17", "changed 17 1.0000", "end 17"}, 1.0f},
      {"Autoblack right press", kAutoblack, 0.25f, kRight, {}, 0.25f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    CControl* button = c.make(w);
    button->setValue(c.start);
    const CPoint at = centre(button);
    switch (c.act) {
      case kLeft: w.host.click(at); break;
      case kRight: w.host.click(at, kRButton); break;
      case kWheelUp: w.host.wheel(at, 1.0f); break;
      case kWheelDown: w.host.wheel(at, -1.0f); break;
      case kWheelTiny: w.host.wheel(at, 0.1f); break;
    }
    EXPECT_EQ(w.log, c.expected);
    EXPECT_EQ(button->getValue(), c.end);
  }
}

TEST(TwoStateButtons, OverlayOnlyWhileThePointerIsInside) {
  for (const Make& make : {kDetectorOrder, kOversample, kAutoblack}) {
    Window w;
    CControl* button = make(w);
    const PixelBuffer plain = w.render(button);
    w.host.mouseMove(centre(button));
    EXPECT_NE(w.render(button).pixels, plain.pixels) << button->getTag();
    w.host.mouseMove(CPoint(5, 5));
    EXPECT_EQ(w.render(button).pixels, plain.pixels) << button->getTag();
  }
}
