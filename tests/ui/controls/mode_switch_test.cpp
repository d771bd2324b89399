// The meter mode button's parts, drag, click and wheel (both parameters set through the
// editor's actions, never through the listener), and the TransShape switch's position boxes.
#include <gtest/gtest.h>

#include <functional>

#include "controls_fixture.h"

using namespace ui_controls_test;

TEST(ModeButton, PartsDragWheelAndRightClick) {
  const auto clickAt = [](CCoord dy) { return [dy](Window& w) { w.host.click(inside(kModeRect, dy)); }; };
  const auto wheelAt = [](CCoord dy, float distance) {
    return [dy, distance](Window& w) { w.host.wheel(inside(kModeRect, dy), distance); };
  };
  const struct {
    const char* name;
    int scale;
    bool kSystem;
    std::function<void(Window&)> act;
    Log expected;
    int endScale;
    bool endKSystem;
  } cases[] = {
      // Peak part (rows 0 .. 18) and the dead band (19 .. 29).
      {"peak part", 1, true, clickAt(18), {"set 18 0.2500"}, 1, false},
      {"row 19 does nothing", 1, true, clickAt(19), {}, 1, true},
      {"row 29 does nothing", 1, false, clickAt(29), {}, 1, false},
      // Upper arrow (30 .. 46) and lower arrow (50 ..): the scale, and k-system metering.
      {"row 30 steps up", 0, false, clickAt(30), {"set 9 0.5000", "set 18 0.7500"}, 1, true},
      {"row 46 steps up", 1, true, clickAt(46), {"set 9 0.8333", "set 18 0.7500"}, 2, true},
      {"up at K-20 stays", 2, true, clickAt(35), {"set 9 0.8333", "set 18 0.7500"}, 2, true},
      {"row 50 steps down", 2, true, clickAt(50), {"set 9 0.5000", "set 18 0.7500"}, 1, true},
      {"down at K-12 stays", 0, false, clickAt(61), {"set 9 0.1667", "set 18 0.7500"}, 0, true},
      // Middle strip (47 .. 49): a click steps on, wrapping, only where k-system is shown.
      {"middle click at K-20 wraps",
       2,
       true,
       clickAt(48),
       {"begin 9", "set 9 0.1667", "set 18 0.7500", "end 9"},
       0,
       true},
      {"middle click in peak only switches to k-system",
       1,
       false,
       clickAt(47),
       {"begin 9", "set 18 0.7500", "end 9"},
       1,
       true},
      {"row 49 is the middle strip",
       0,
       true,
       clickAt(49),
       {"begin 9", "set 9 0.5000", "set 18 0.7500", "end 9"},
       1,
       true},
      {"67 pixels up go from K-12 to K-20",
       0,
       false,
       [](Window& w) { w.host.drag(inside(kModeRect, 48), inside(kModeRect, 48 - 67)); },
       {"begin 9", "set 9 0.1667", "set 18 0.7500", "set 9 0.5000", "set 18 0.7500", "set 9 0.8333", "set 18 0.7500",
        "set 9 0.8333", "set 18 0.7500", "end 9"},
       2,
       true},
      // Wheel: metering type over the top 29 rows, the scale below.
      {"wheel up over the top", 1, false, wheelAt(10, 1.0f), {"set 18 0.7500"}, 1, true},
      {"wheel up over the top wraps", 1, true, wheelAt(0, 1.0f), {"set 18 0.2500"}, 1, false},
      {"wheel down at row 28", 1, true, wheelAt(28, -1.0f), {"set 18 0.2500"}, 1, false},
      {"wheel at row 29 moves the scale only", 1, false, wheelAt(29, 1.0f), {"set 9 0.8333"}, 2, false},
      {"wheel up at K-20", 2, true, wheelAt(48, 1.0f), {"set 9 0.8333"}, 2, true},
      {"wheel down at K-12", 0, true, wheelAt(55, -1.0f), {"set 9 0.1667"}, 0, true},
      {"wheel of 0.1 is no notch", 1, true, wheelAt(48, 0.1f), {}, 1, true},
      // Right press: the preferences, nothing else.
      {"right click saves",
       1,
       true,
       [](Window& w) { w.host.click(inside(kModeRect, 40), kRButton); },
       {"save"},
       1,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    CModeButton* mode = w.mode();
    mode->setScaleIndex(c.scale);
    mode->setKSystem(c.kSystem);
    c.act(w);
    EXPECT_EQ(w.log, c.expected);
    EXPECT_EQ(mode->getScaleIndex(), c.endScale);
    EXPECT_EQ(mode->isKSystem(), c.endKSystem);
  }
}

TEST(ModeButton, HoverRegions) {
  const struct {
    CCoord dy;
    int region;
  } cases[] = {
      {0, CModeButton::kHoverPeak},    {18, CModeButton::kHoverPeak},   {19, CModeButton::kHoverMiddle},
      {28, CModeButton::kHoverMiddle}, {29, CModeButton::kHoverUpper},  {46, CModeButton::kHoverUpper},
      {47, CModeButton::kHoverMiddle}, {49, CModeButton::kHoverMiddle}, {50, CModeButton::kHoverLower},
      {61, CModeButton::kHoverLower},
  };
  Window w;
  CModeButton* mode = w.mode();
  for (const auto& c : cases) {
    w.host.mouseMove(inside(kModeRect, c.dy));
    EXPECT_EQ(mode->getHoverRegion(), c.region) << "row " << c.dy;
  }
  w.host.mouseExit();
  EXPECT_EQ(mode->getHoverRegion(), CModeButton::kHoverNone);
}

TEST(SpeedSwitch, PositionBoxesInWindowCoordinates) {
  const struct {
    CPoint where;
    Log expected;
  } cases[] = {
      {{60, 130}, {}},  // between the first two boxes
      {{38, 130}, {}},
      {{57, 130}, {}},
      {{71, 130}, {}},
      {{90, 130}, {}},
      {{104, 130}, {}},
      {{123, 130}, {}},
      {{48, 122}, {}},
      {{48, 141}, {}},
      {{39, 123}, {"changed 4 0.1667"}},
      {{56, 140}, {"changed 4 0.1667"}},
      {{72, 123}, {"changed 4 0.5000"}},
      {{89, 140}, {"changed 4 0.5000"}},
      {{105, 123}, {"changed 4 0.8333"}},
      {{122, 140}, {"changed 4 0.8333"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.where.x << "," << c.where.y);
    Window w;
    CSpeedSwitch* speed = w.speed();
    speed->setValue(0.4f);  // a value no press sets
    w.host.click(c.where);
    EXPECT_EQ(w.log, c.expected);
    if (c.expected.empty()) {
      EXPECT_EQ(speed->getValue(), 0.4f);
    }
  }
}

TEST(SpeedSwitch, WheelMovesOnePositionSnapped) {
  const struct {
    float start;
    float distance;
    Log expected;
  } cases[] = {
      {0.5f, 1.0f, {"begin 4", "changed 4 1.0000", "end 4"}},
      {0.5f, -1.0f, {"begin 4", "changed 4 0.0000", "end 4"}},
      {1.0f, 1.0f, {}},
      {0.0f, -1.0f, {}},
      {0.1667f, 1.0f, {"begin 4", "changed 4 0.5000", "end 4"}},  // snapped to the half
      {0.5f, 0.1f, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " by " << c.distance);
    Window w;
    CSpeedSwitch* speed = w.speed();
    speed->setValue(c.start);
    w.host.wheel(CPoint(60, 130), c.distance);
    EXPECT_EQ(w.log, c.expected);
  }
}
