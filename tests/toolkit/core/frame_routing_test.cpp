// How the frame routes pointer, wheel and key events to its views.
#include <gtest/gtest.h>

#include "toolkit/cviewcontainer.h"
#include "toolkit_doubles.h"

using namespace toolkit_test;

namespace {

// Two views side by side and one overlapping the right half of the second:
//   A (10,10)-(60,60), B (100,10)-(160,60), C (130,10)-(190,60) on top of B.
struct RoutingFixture : FrameFixture {
  RecordingView* a = add(new RecordingView(CRect(10, 10, 60, 60), "A", log));
  RecordingView* b = add(new RecordingView(CRect(100, 10, 160, 60), "B", log));
  RecordingView* c = add(new RecordingView(CRect(130, 10, 190, 60), "C", log));
};

TEST(FrameRouting, APressHandledCapturesThePointerUntilTheRelease) {
  RoutingFixture f;
  f.host.mouseDown(CPoint(20, 20));
  EXPECT_TRUE(f.host.platform().hasMouseCapture());
  EXPECT_EQ(f.frame().getMouseCaptureView(), f.a);
  f.clear();
  // Over B, then outside the window altogether: still A's.
  f.host.mouseMove(CPoint(110, 20), kLButton);
  f.host.mouseMove(CPoint(-30, 250), kLButton);
  f.host.mouseExit(CPoint(-30, 250));
  f.host.mouseUp(CPoint(-30, 250));
  EXPECT_EQ(f.log, (Log{"moved A 110,20", "moved A -30,250", "up A -30,250", "exit A"}));
  EXPECT_FALSE(f.host.platform().hasMouseCapture());
  EXPECT_EQ(f.frame().getMouseCaptureView(), nullptr);
}

TEST(FrameRouting, ThePressResultDecidesWhetherTheViewKeepsThePointer) {
  const struct {
    CMouseEventResult result;
    bool captured;
  } cases[] = {
      {kMouseEventHandled, true},
      {kMouseDownEventHandledButDontNeedMovedOrUpEvents, false},
      {kMouseEventNotHandled, false},
      {kMouseEventNotImplemented, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    RoutingFixture f;
    f.a->downResult = c.result;
    f.host.mouseDown(CPoint(20, 20));
    f.clear();
    f.host.mouseMove(CPoint(110, 20), kLButton);
    f.host.mouseUp(CPoint(110, 20));
    EXPECT_EQ(f.host.platform().hasMouseCapture(), false);
    if (c.captured) {
      EXPECT_EQ(f.log, (Log{"moved A 110,20", "up A 110,20", "exit A", "enter B"}));
    } else {
      // The pointer is free: B gets the move; no view asked for the release.
      EXPECT_EQ(f.log, (Log{"exit A", "enter B", "moved B 110,20"}));
    }
  }
}

TEST(FrameRouting, EnterAndExitFollowThePointerTopmostFirst) {
  const struct {
    const char* name;
    std::vector<CPoint> path;
    Log expected;
  } cases[] = {
      {"into A", {{20, 20}}, {"enter A", "moved A 20,20"}},
      {"within A", {{20, 20}, {30, 30}}, {"enter A", "moved A 20,20", "moved A 30,30"}},
      {"A to B: exit before enter",
       {{20, 20}, {110, 20}},
       {"enter A", "moved A 20,20", "exit A", "enter B", "moved B 110,20"}},
      {"overlap goes to the top view", {{140, 20}}, {"enter C", "moved C 140,20"}},
      {"B to the bare frame", {{110, 20}, {80, 80}}, {"enter B", "moved B 110,20", "exit B"}},
      {"right edge is outside (half-open)", {{59, 20}, {60, 20}}, {"enter A", "moved A 59,20", "exit A"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RoutingFixture f;
    for (const CPoint& p : c.path) f.host.mouseMove(p);
    EXPECT_EQ(f.log, c.expected);
  }
}

TEST(FrameRouting, LeavingTheWindowExitsTheViewUnderThePointer) {
  RoutingFixture f;
  f.host.mouseMove(CPoint(110, 20));
  f.clear();
  f.host.mouseExit();
  f.host.mouseMove(CPoint(110, 20));
  EXPECT_EQ(f.log, (Log{"exit B", "enter B", "moved B 110,20"}));
}

TEST(FrameRouting, HiddenAndMouseDisabledViewsLetThePointerThrough) {
  RoutingFixture f;
  f.c->setMouseEnabled(false);
  f.host.mouseDown(CPoint(140, 20));
  f.host.mouseUp(CPoint(140, 20));
  f.c->setMouseEnabled(true);
  f.c->setVisible(false);
  f.host.mouseDown(CPoint(145, 20));
  EXPECT_EQ(f.log, (Log{"enter B", "down B 140,20", "up B 140,20", "down B 145,20"}));
}

TEST(FrameRouting, ViewsInAContainerGetPointsInTheContainersCoordinates) {
  FrameFixture f;
  auto* outer = f.add(new CViewContainer(CRect(50, 20, 150, 90)));
  auto* inner = new CViewContainer(CRect(10, 10, 90, 60));
  outer->addView(inner);
  auto* v = new RecordingView(CRect(5, 5, 25, 25), "V", f.log);
  inner->addView(v);
  EXPECT_EQ(v->getFrameRect(), CRect(65, 35, 85, 55));
  f.host.click(CPoint(70, 40));
  f.host.wheel(CPoint(70, 40), 1.0f);
  EXPECT_EQ(f.log, (Log{"enter V", "down V 10,10", "up V 10,10", "wheel V 10,10"}));
  EXPECT_EQ(f.frame().findMouseTarget(CPoint(52, 22)), outer);
}

TEST(FrameRouting, TheModalViewTakesEveryMouseAndWheelEvent) {
  RoutingFixture f;
  f.host.mouseMove(CPoint(110, 20));  // B is under the pointer
  f.clear();
  f.frame().setModalView(f.a);
  f.host.mouseMove(CPoint(150, 30));
  f.host.mouseDown(CPoint(150, 30));
  f.host.mouseUp(CPoint(150, 30));
  f.host.wheel(CPoint(150, 30), -1.0f);
  f.host.mouseDown(CPoint(20, 20), kRButton);
  EXPECT_EQ(f.log, (Log{"exit B", "moved A 150,30", "down A 150,30", "up A 150,30", "wheel A 150,30", "down A 20,20"}));
  f.frame().setModalView(nullptr);
  f.host.mouseUp(CPoint(20, 20), kRButton);
  f.clear();
  f.host.click(CPoint(150, 30));
  EXPECT_EQ(f.log, (Log{"exit A", "enter C", "down C 150,30", "up C 150,30"}));
}

TEST(FrameRouting, TheWheelGoesToTheViewUnderThePointerThenItsContainers) {
  FrameFixture f;
  auto* box = new CViewContainer(CRect(0, 0, 100, 100));
  f.add(box);
  // A container that takes the wheel itself.
  struct WheelBox : CViewContainer {
    using CViewContainer::CViewContainer;
    Log* log = nullptr;
    bool onWheel(const CPoint&, float, const CButtonState&) override {
      log->push_back("wheel box");
      return true;
    }
  };
  auto* wheelBox = new WheelBox(CRect(100, 0, 200, 100));
  wheelBox->log = &f.log;
  f.add(wheelBox);
  auto* taker = new RecordingView(CRect(10, 10, 40, 40), "T", f.log);
  auto* refuser = new RecordingView(CRect(10, 10, 40, 40), "R", f.log);
  refuser->wheelResult = false;
  box->addView(taker);
  wheelBox->addView(refuser);
  f.host.wheel(CPoint(20, 20), 1.0f);
  f.host.wheel(CPoint(120, 20), 1.0f);
  f.host.wheel(CPoint(180, 80), 1.0f);  // the container itself
  f.host.wheel(CPoint(50, 50), 1.0f);   // a container without a taker: nobody
  EXPECT_EQ(f.log, (Log{"wheel T 20,20", "wheel R 20,20", "wheel box", "wheel box"}));
}

TEST(FrameRouting, KeysGoToTheFocusViewOnly) {
  RoutingFixture f;
  EXPECT_FALSE(f.host.key(VirtualKey::Left));
  f.frame().setFocusView(f.b);
  f.host.mouseMove(CPoint(20, 20));
  f.clear();
  EXPECT_TRUE(f.host.key(VirtualKey::Left));
  f.b->keyResult = false;
  EXPECT_FALSE(f.host.key(VirtualKey::Right));
  EXPECT_EQ(f.log, (Log{"key B", "key B"}));
}

TEST(FrameRouting, APressElsewhereTakesTheFocusAwayButAPressOnTheFocusViewKeepsIt) {
  struct FocusView : RecordingView {
    using RecordingView::RecordingView;
    int lost = 0;
    void looseFocus() override { ++lost; }
  };
  FrameFixture f;
  auto* focus = f.add(new FocusView(CRect(0, 0, 50, 50), "F", f.log));
  f.add(new RecordingView(CRect(100, 0, 150, 50), "O", f.log));
  f.frame().setFocusView(focus);
  f.host.click(CPoint(10, 10));
  EXPECT_EQ(f.frame().getFocusView(), focus);
  f.host.click(CPoint(110, 10));
  EXPECT_EQ(f.frame().getFocusView(), nullptr);
  EXPECT_EQ(focus->lost, 1);
}

TEST(FrameRouting, AViewWhoseReleaseWasLostGetsItBeforeTheNextPress) {
  // A press that opened a modal dialog never sees its release: the next press delivers it.
  RoutingFixture f;
  f.host.mouseDown(CPoint(20, 20));
  f.clear();
  f.host.mouseDown(CPoint(110, 20));
  EXPECT_EQ(f.log, (Log{"up A 110,20", "exit A", "enter B", "down B 110,20"}));
  EXPECT_EQ(f.frame().getMouseCaptureView(), f.b);
}

TEST(FrameRouting, AViewRemovedByItsOwnHandlerLivesUntilTheEventIsOver) {
  struct SelfRemover : CView {
    bool* destroyed;
    bool* aliveAfterRemoval;
    SelfRemover(const CRect& r, bool* d, bool* a) : CView(r), destroyed(d), aliveAfterRemoval(a) {}
    ~SelfRemover() override { *destroyed = true; }
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override {
      getFrame()->removeView(this);
      *aliveAfterRemoval = !*destroyed;
      return kMouseEventHandled;
    }
  };
  FrameFixture f;
  bool destroyed = false, alive = false;
  f.add(new SelfRemover(CRect(0, 0, 50, 50), &destroyed, &alive));
  f.host.mouseDown(CPoint(10, 10));
  EXPECT_TRUE(alive);
  EXPECT_TRUE(destroyed);
  // Removed views are forgotten: neither capture nor pointer-over keeps them.
  EXPECT_EQ(f.frame().getMouseCaptureView(), nullptr);
  EXPECT_EQ(f.frame().getMouseOverView(), nullptr);
  EXPECT_FALSE(f.host.platform().hasMouseCapture());
  f.host.mouseUp(CPoint(10, 10));
}

TEST(FrameRouting, RemovingAContainerForgetsTheViewsInsideIt) {
  FrameFixture f;
  auto* box = f.add(new CViewContainer(CRect(0, 0, 100, 100)));
  auto* v = new RecordingView(CRect(10, 10, 40, 40), "V", f.log);
  box->addView(v);
  f.host.mouseDown(CPoint(20, 20));
  f.frame().setFocusView(v);
  f.frame().setModalView(v);
  f.frame().removeView(box);
  EXPECT_EQ(f.frame().getMouseCaptureView(), nullptr);
  EXPECT_EQ(f.frame().getMouseOverView(), nullptr);
  EXPECT_EQ(f.frame().getFocusView(), nullptr);
  EXPECT_EQ(f.frame().getModalView(), nullptr);
  f.host.mouseUp(CPoint(20, 20));
  f.host.mouseMove(CPoint(20, 20));
}

}  // namespace
