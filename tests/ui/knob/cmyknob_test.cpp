#include "ui/cmyknob.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/parameters.h"
#include "tests/support/golden.h"
#include "window_fixture.h"

using namespace ui_test;

namespace {

// One knob of the window in the window's frame, value start, log cleared.
struct KnobFixture : WindowFixture {
  const KnobSetup& setup;
  CMyKnob* knob;
  CPoint at;

  KnobFixture(const std::string& name, float start)
      : setup(knobSetup(name)), knob(add(makeKnob(setup, &listener))), at(centre(setup.rect)) {
    knob->setValue(start);
    host.idle();
    log.clear();
  }
};

// Pointer offsets from the press point, each with the buttons held at that move.
using Moves = std::vector<std::pair<CPoint, std::int32_t>>;

TEST(MyKnobDrag, RangeIsFourHundredPixelsTimesTheFactorAndFiveTimesThatWithShift) {
  const struct {
    const char* name;
    const char* knob;
    float start;
    std::int32_t pressButtons;
    Moves moves;
    float expected;
  } cases[] = {
      {"Drive 200 up: half the range", "Drive", 0.25f, kLButton, {{{0, -200}, kLButton}}, 0.75f},
      {"Drive 200 right: the same", "Drive", 0.25f, kLButton, {{{200, 0}, kLButton}}, 0.75f},
      {"Drive 200 up with Shift: a tenth", "Drive", 0.25f, kLButton | kShift, {{{0, -200}, kLButton | kShift}}, 0.35f},
      {"Output 400 down: the whole range", "Output", 1.0f, kLButton, {{{0, 400}, kLButton}}, 0.0f},
      {"Release 280 up: the whole range", "Release", 0.0f, kLButton, {{{0, -280}, kLButton}}, 1.0f},
      {"Release 140 down", "Release", 1.0f, kLButton, {{{0, 140}, kLButton}}, 0.5f},
      {"LRLink 1400 up with Shift: the whole range",
       "LRLink",
       0.0f,
       kLButton | kShift,
       {{{0, -1400}, kLButton | kShift}},
       1.0f},
      {"up and left cancel", "Transient", 0.4f, kLButton, {{{-70, -70}, kLButton}}, 0.4f},
      {"past the top stops at the maximum", "Drive", 0.9f, kLButton, {{{0, -300}, kLButton}}, 1.0f},
      {"past the bottom stops at the minimum", "Leveller", 0.1f, kLButton, {{{0, 300}, kLButton}}, 0.0f},
      {"back from beyond the end to the press point: the start value",
       "Drive",
       0.9f,
       kLButton,
       {{{0, -300}, kLButton}, {{0, 0}, kLButton}},
       0.9f},
      {"Shift pressed mid-drag: no jump, fine from there",
       "Drive",
       0.25f,
       kLButton,
       {{{0, -100}, kLButton}, {{0, -100}, kLButton | kShift}, {{0, -300}, kLButton | kShift}},
       0.6f},
      {"Shift released mid-drag: no jump, coarse from there",
       "Drive",
       0.25f,
       kLButton | kShift,
       {{{0, -200}, kLButton | kShift}, {{0, -200}, kLButton}, {{0, -300}, kLButton}},
       0.6f},
      {"Shift pressed on a move elsewhere: re-anchored there",
       "Release",
       0.5f,
       kLButton,
       {{{0, -28}, kLButton}, {{0, -42}, kLButton | kShift}},
       0.6f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KnobFixture f(c.knob, c.start);
    f.host.mouseDown(f.at, c.pressButtons);
    for (const auto& [offset, buttons] : c.moves)
      f.host.mouseMove(CPoint(f.at.x + offset.x, f.at.y + offset.y), buttons);
    const CPoint& last = c.moves.back().first;
    f.host.mouseUp(CPoint(f.at.x + last.x, f.at.y + last.y));
    EXPECT_NEAR(f.knob->getValue(), c.expected, 1e-5f);
  }
}

TEST(MyKnobDrag, IsOneGestureThatTellsTheListenerOnEveryMove) {
  KnobFixture f("Drive", 0.5f);
  f.host.mouseDown(f.at);
  f.host.mouseMove(CPoint(f.at.x, f.at.y - 40));
  f.host.mouseMove(CPoint(f.at.x, f.at.y - 40));  // no change: still told
  f.host.mouseMove(CPoint(f.at.x, f.at.y - 800));
  EXPECT_TRUE(f.knob->isDirty());
  f.host.mouseUp(CPoint(f.at.x, f.at.y - 800));
  EXPECT_EQ(f.log, (Log{"begin 1", "changed 1 0.6000", "changed 1 0.6000", "changed 1 1.0000", "end 1"}));
}

TEST(MyKnobDrag, StartsFromAnUnusableValueAtTheMinimum) {
  for (float start : {std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(), -3.0f}) {
    SCOPED_TRACE(start);
    KnobFixture f("Drive", start);
    f.host.drag(f.at, CPoint(f.at.x, f.at.y - 40), kLButton, 1);
    EXPECT_NEAR(f.knob->getValue(), 0.1f, 1e-6f);
  }
  KnobFixture f("Drive", std::numeric_limits<float>::infinity());
  f.host.drag(f.at, CPoint(f.at.x, f.at.y + 40), kLButton, 1);
  EXPECT_NEAR(f.knob->getValue(), 0.9f, 1e-6f);
}

TEST(MyKnobPress, DoubleClickAndControlClickSetTheDefaultAsOneGesture) {
  const struct {
    const char* name;
    const char* knob;
    float start;
    std::int32_t buttons;
    Log expected;
    float value;
  } cases[] = {
      {"double click on Drive", "Drive", 0.9f, kLButton | kDoubleClick, {"begin 1", "changed 1 0.5000", "end 1"}, 0.5f},
      {"Control-click on Release",
       "Release",
       0.1f,
       kLButton | kControl,
       {"begin 3", "changed 3 0.7237", "end 3"},
       0.7237f},
      {"Control-click at the default still tells",
       "Output",
       1.0f,
       kLButton | kControl,
       {"begin 0", "changed 0 1.0000", "end 0"},
       1.0f},
      {"Control-Shift-click is a drag, not the default",
       "Transient",
       0.5f,
       kLButton | kControl | kShift,
       {"begin 2", "end 2"},
       0.5f},
      {"right click: nothing", "Leveller", 0.3f, kRButton, {}, 0.3f},
      {"right double click: nothing", "Leveller", 0.3f, kRButton | kDoubleClick, {}, 0.3f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KnobFixture f(c.knob, c.start);
    f.host.mouseDown(f.at, c.buttons);
    f.host.mouseUp(f.at, c.buttons);
    EXPECT_EQ(f.log, c.expected);
    EXPECT_FLOAT_EQ(f.knob->getValue(), c.value);
  }
}

TEST(MyKnobWheel, OneStepPerNotchATenthWithShiftHeldInsideTheRange) {
  const struct {
    const char* name;
    const char* knob;
    float start;
    float distance;
    std::int32_t buttons;
    const char* text;  // the value field's text afterwards ("" when the knob has none to check)
    float expected;
    bool told;
  } cases[] = {
      {"Output down: 0.5 dB", "Output", 1.0f, -1.0f, 0, "-0.50dB", 1.0f - 1.0f / 24.0f, true},
      {"Output down with Shift: 0.05 dB", "Output", 1.0f, -1.0f, kShift, "-0.05dB", 1.0f - 1.0f / 240.0f, true},
      {"Output up at the top: stays, nobody told", "Output", 1.0f, 1.0f, 0, "+0.00dB", 1.0f, false},
      {"Drive up: 0.5 dB", "Drive", 0.5f, 1.0f, 0, "+0.50dB", 0.5f + 1.0f / 96.0f, true},
      {"Drive down with Shift: 0.05 dB", "Drive", 0.5f, -1.0f, kShift, "-0.05dB", 0.5f - 1.0f / 960.0f, true},
      {"Leveller down from off", "Leveller", 1.0f, -1.0f, 0, "-0.50dB", 1.0f - 1.0f / 24.0f, true},
      {"Transient up near the top stops at 1", "Transient", 0.98f, 1.0f, 0, "100.0%", 1.0f, true},
      {"LRLink down at the bottom: stays", "LRLink", 0.0f, -1.0f, 0, "0.0%", 0.0f, false},
      {"a big delta is one notch", "Release", 0.5f, 3.0f, 0, "", 0.55f, true},
      {"a delta of 0.1 is no notch", "Release", 0.5f, 0.1f, 0, "", 0.5f, false},
      {"a delta of -0.1 is no notch", "Release", 0.5f, -0.1f, 0, "", 0.5f, false},
      {"NaN is no notch", "Release", 0.5f, std::numeric_limits<float>::quiet_NaN(), 0, "", 0.5f, false},
      {"from above the range: back inside", "Drive", 7.0f, 1.0f, 0, "", 1.0f, true},
      {"from NaN: the minimum plus a step", "Drive", std::numeric_limits<float>::quiet_NaN(), 1.0f, 0, "", 1.0f / 96.0f,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KnobFixture f(c.knob, c.start);
    f.host.wheel(f.at, c.distance, c.buttons);
    EXPECT_NEAR(f.knob->getValue(), c.expected, 1e-6f);
    if (*c.text) {
      EXPECT_EQ(stellix::editorText(f.setup.tag, f.knob->getValue()), c.text);
    }
    const std::string tag = std::to_string(f.setup.tag);
    if (c.told) {
      ASSERT_EQ(f.log.size(), 3u);
      EXPECT_EQ(f.log.front(), "begin " + tag);
      EXPECT_EQ(f.log.back(), "end " + tag);
    } else {
      EXPECT_TRUE(f.log.empty());
    }
  }
}

TEST(MyKnobDraw, PicksTheLargestWholePictureBelowTheScaledValueForAnyValue) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const struct {
    const char* knob;
    float value;
    int picture;
  } cases[] = {
      {"Drive", 0.0f, 0},
      {"Drive", 0.5f, 50},
      {"Drive", 1.0f, 100},
      {"Drive", 0.999f, 99},
      {"Drive", 0.0099f, 0},
      // The scaled value of the strip's pixels is truncated before the picture is chosen, so
      // these differ from trunc(100 * v) (9, 22 and 21) by rounding.
      {"Drive", 0.0899999961f, 8},
      {"Drive", 0.229999989f, 23},
      {"Leveller", 0.209999993f, 20},
      {"Output", 0.505f, 50},
      {"Transient", 0.2f, 20},
      {"Release", 0.7237f, 72},
      {"Drive", -0.0f, 0},
      {"Drive", -1e-30f, 0},
      {"Drive", -0.5f, 0},
      {"Drive", -kInf, 0},
      {"Drive", std::numeric_limits<float>::quiet_NaN(), 0},
      {"Drive", -std::numeric_limits<float>::quiet_NaN(), 0},
      {"Drive", 1.5f, 100},
      {"Drive", 1e30f, 100},
      {"Drive", kInf, 100},
      {"Drive", std::numeric_limits<float>::denorm_min(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.knob << " " << c.value);
    KnobFixture f(c.knob, c.value);
    EXPECT_EQ(f.knob->sourceOffsetFor(c.value), c.picture * f.setup.imageHeight);
    // The drawn picture is that part of the strip, pixel for pixel.
    const SharedBitmap strip = loadBitmap(f.setup.bitmap);
    const CRect& r = f.setup.rect;
    const PixelBuffer want = stellix::testing::cropPixels(
        strip->pixels(), CRect(CPoint(0, c.picture * f.setup.imageHeight), r.getWidth(), r.getHeight()));
    EXPECT_EQ(stellix::testing::cropPixels(f.pixels(), r).pixels, want.pixels);
  }
}

TEST(MyKnobSetUp, KeepsItsClassDefaultsUntilSetAndRefusesUnusableRangeFactors) {
  CMyKnob knob(CRect(0, 0, 10, 10), nullptr, 0, 101, 10, nullptr);
  EXPECT_FLOAT_EQ(knob.getDragRangeFactor(), 1.0f);
  EXPECT_FLOAT_EQ(knob.getDragRange(), 400.0f);
  EXPECT_FLOAT_EQ(knob.getWheelInc(), 0.01f);
  EXPECT_FLOAT_EQ(knob.getWheelFineFactor(), 0.1f);
  EXPECT_FLOAT_EQ(knob.getDefaultValue(), 0.5f);
  for (float s : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    knob.setDragRangeFactor(s);
    EXPECT_FLOAT_EQ(knob.getDragRangeFactor(), 1.0f) << s;
  }
  knob.setDragRangeFactor(0.7f);
  EXPECT_NEAR(knob.getDragRange(), 280.0f, 1e-4f);
}

// Each knob at its place on the window's background, at the ends and the middle.
TEST(MyKnobRender, EveryKnobAtZeroHalfAndOne) {
  for (const auto& [value, suffix] : {std::pair{0.0f, "0"}, {0.5f, "50"}, {1.0f, "100"}}) {
    WindowFixture f;
    std::vector<CMyKnob*> knobs;
    for (const KnobSetup& k : kKnobs) knobs.push_back(f.add(makeKnob(k, &f.listener)));
    for (CMyKnob* knob : knobs) knob->setValue(value);
    f.host.idle();
    for (const KnobSetup& k : kKnobs) {
      SCOPED_TRACE(k.name);
      stellix::testing::expectGolden(stellix::testing::cropPixels(f.pixels(), k.rect), STELLIX_GOLDEN_DIR,
                                     std::string("knob-") + k.name + "-" + suffix);
    }
  }
}

}  // namespace
