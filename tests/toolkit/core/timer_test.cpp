// Timers fire from the frame's idle on its tick: at most once per idle, never catching up.
#include <gtest/gtest.h>

#include <memory>

#include "toolkit/cvstguitimer.h"
#include "toolkit_doubles.h"

using namespace toolkit_test;

namespace {

TEST(Timer, FiresOnceTheFireTimeHasPassed) {
  const struct {
    const char* name;
    std::uint32_t start;
    std::uint32_t fireTime;
    std::vector<std::uint32_t> idleTicks;
    std::vector<std::uint32_t> fired;
  } cases[] = {
      {"every 100 ms", 0, 100, {50, 99, 100, 150, 199, 200, 260}, {100, 200}},
      {"a long pause fires once, then counts from there", 0, 100, {450, 500, 549, 550}, {450, 550}},
      {"across the wrap of the tick", 0xFFFFFFC0u, 100, {0xFFFFFFFFu, 0x10u, 0x24u, 0x30u}, {0x24u}},
      {"fire time 0: every idle", 0, 0, {0, 1, 1, 2}, {0, 1, 1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FrameFixture f;
    f.host.setTicks(c.start);
    std::vector<std::uint32_t> fired;
    CVSTGUITimer timer(
        &f.frame(), [&](CVSTGUITimer*) { fired.push_back(f.host.ticks()); }, c.fireTime);
    for (const std::uint32_t t : c.idleTicks) {
      f.host.setTicks(t);
      f.host.idle();
    }
    EXPECT_EQ(fired, c.fired);
  }
}

TEST(Timer, StopAndStartOverFromTheCurrentTick) {
  FrameFixture f;
  int fired = 0;
  CVSTGUITimer timer(
      &f.frame(), [&](CVSTGUITimer*) { ++fired; }, 100, false);
  f.host.setTicks(500);
  f.host.idle();
  EXPECT_EQ(fired, 0);  // never started
  timer.start();
  f.host.setTicks(599);
  f.host.idle();
  timer.stop();
  f.host.setTicks(700);
  f.host.idle();
  EXPECT_EQ(fired, 0);
  timer.start();
  f.host.setTicks(799);
  f.host.idle();
  f.host.setTicks(800);
  f.host.idle();
  EXPECT_EQ(fired, 1);
}

TEST(Timer, ACallbackMayDestroyAnotherTimerOrItsOwn) {
  FrameFixture f;
  std::vector<std::string> fired;
  auto second = std::make_unique<CVSTGUITimer>(
      &f.frame(), [&](CVSTGUITimer*) { fired.push_back("second"); }, 10);
  std::unique_ptr<CVSTGUITimer> self;
  CVSTGUITimer first(
      &f.frame(),
      [&](CVSTGUITimer*) {
        fired.push_back("first");
        second.reset();
        self.reset();
      },
      10);
  self = std::make_unique<CVSTGUITimer>(
      &f.frame(), [&](CVSTGUITimer*) { fired.push_back("self"); }, 10);
  f.host.setTicks(10);
  f.host.idle();
  f.host.setTicks(20);
  f.host.idle();
  EXPECT_EQ(fired, (std::vector<std::string>{"second", "first", "first"}));
}

TEST(Timer, ATimerOutlivingItsFrameNeverFires) {
  auto f = std::make_unique<FrameFixture>();
  CVSTGUITimer timer(
      &f->frame(), [](CVSTGUITimer*) { FAIL(); }, 10);
  f.reset();
  EXPECT_EQ(timer.getFrame(), nullptr);
  timer.start();
  timer.stop();
}

TEST(Timer, ThePlatformsTimerRunsTimersAndRedraws) {
  FrameFixture f;
  int fired = 0;
  CVSTGUITimer timer(
      &f.frame(), [&](CVSTGUITimer*) { ++fired; }, 10);
  auto* view = f.add(new ColourView(CRect(0, 0, 10, 10), CColor(1, 2, 3)));
  f.host.platform().clearInvalidatedRects();
  f.host.setTicks(10);
  view->invalid();
  f.frame().platformOnTimer();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(f.host.platform().invalidatedRects(), (std::vector<CRect>{CRect(0, 0, 10, 10)}));
}

}  // namespace
