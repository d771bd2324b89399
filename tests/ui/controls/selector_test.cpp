// The stepped selectors' mouse and wheel: arrows that stop at the ends, the middle strip's
// drag and click-to-wrap, wheel notches snapped to the steps, and which part of the strip
// each state shows.
#include <gtest/gtest.h>

#include <functional>

#include "controls_fixture.h"

using namespace ui_controls_test;

namespace {

enum class Kind { Bits, NoiseShape, Calibrate };

CSteppedSelector* make(Window& w, Kind kind) {
  switch (kind) {
    case Kind::Bits: return w.bits();
    case Kind::NoiseShape: return w.noiseShape();
    case Kind::Calibrate: return w.calibrate();
  }
  return nullptr;
}

// Rows from the control's top: the last of the upper arrow, the middle strip, the first of
// the lower arrow.
constexpr CCoord kUpper = 16, kMiddle = 18, kLower = 21;

void clickAt(Window& w, CView* c, CCoord dy) { w.host.click(inside(c->getViewSize(), dy)); }
void wheelAt(Window& w, CView* c, float distance) { w.host.wheel(inside(c->getViewSize(), kMiddle), distance); }
// A middle-strip press, moves to the given rows (from the top), and the release there.
void pressMoves(Window& w, CView* c, const std::vector<CCoord>& rows, CCoord dx = 0) {
  const CRect& r = c->getViewSize();
  CPoint p = inside(r, kMiddle);
  w.host.mouseDown(p);
  for (CCoord dy : rows) {
    p = CPoint(inside(r, dy).x + dx, r.top + dy);
    w.host.mouseMove(p, kLButton);
  }
  w.host.mouseUp(p);
}

}  // namespace

TEST(SteppedSelector, MouseAndWheel) {
  const struct {
    const char* name;
    Kind kind;
    float start;
    std::function<void(Window&, CView*)> act;
    Log expected;
    int index;
  } cases[] = {
      // Arrows, and where they end.
      {"upper arrow at 24 stays at 24",
       Kind::Bits,
       1.0f,
       [](Window& w, CView* c) { clickAt(w, c, kUpper); },
       {"changed 10 0.9000"},
       4},
      {"upper arrow from 16",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { clickAt(w, c, 0); },
       {"changed 10 0.7000"},
       3},
      {"row 17 is the middle strip",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { clickAt(w, c, kUpper + 1); },
       {"begin 10", "changed 10 0.7000", "end 10"},
       3},
      {"row 20 is the middle strip",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { clickAt(w, c, kLower - 1); },
       {"begin 10", "changed 10 0.7000", "end 10"},
       3},
      {"lower arrow from 16",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { clickAt(w, c, kLower); },
       {"changed 10 0.3000"},
       1},
      {"lower arrow at 8 stays at 8",
       Kind::Bits,
       0.0f,
       [](Window& w, CView* c) { clickAt(w, c, 30); },
       {"changed 10 0.1000"},
       0},
      {"upper arrow from left gives l+r uncor",
       Kind::Calibrate,
       0.375f,
       [](Window& w, CView* c) { clickAt(w, c, kUpper); },
       {"changed 12 0.6250"},
       2},
      {"right press does nothing",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { w.host.click(inside(c->getViewSize(), kUpper), kRButton); },
       {},
       2},

      // Click on the middle strip: one step up, wrapping.
      {"middle click at 24 wraps to 8",
       Kind::Bits,
       1.0f,
       [](Window& w, CView* c) { clickAt(w, c, kMiddle); },
       {"begin 10", "changed 10 0.1000", "end 10"},
       0},
      {"middle click at type F wraps to off",
       Kind::NoiseShape,
       1.0f,
       [](Window& w, CView* c) { clickAt(w, c, kMiddle); },
       {"begin 11", "changed 11 0.0714", "end 11"},
       0},
      {"middle click at right wraps to off",
       Kind::Calibrate,
       1.0f,
       [](Window& w, CView* c) { clickAt(w, c, kMiddle); },
       {"begin 12", "changed 12 0.1250", "end 12"},
       0},
      {"moves within 2 pixels keep the click",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) {
         pressMoves(w, c, {kMiddle - 2, kMiddle});
       },
       {"begin 10", "changed 10 0.5300", "changed 10 0.5000", "changed 10 0.7000", "end 10"},
       3},
      {"a sideways move keeps the click",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { pressMoves(w, c, {kMiddle}, 10); },
       {"begin 10", "changed 10 0.5000", "changed 10 0.7000", "end 10"},
       3},
      {"a move of 3 pixels ends the click",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) {
         pressMoves(w, c, {kMiddle - 3, kMiddle});
       },
       {"begin 10", "changed 10 0.5450", "changed 10 0.5000", "end 10"},
       2},
      {"1-pixel moves end the click 3 pixels away",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) {
         pressMoves(w, c, {kMiddle - 1, kMiddle - 2, kMiddle - 3});
       },
       {"begin 10", "changed 10 0.5150", "changed 10 0.5300", "changed 10 0.5450", "end 10"},
       2},

      // Drag: 0.015 per pixel, up raises, held inside 0 .. 1.
      {"67 pixels up cover the range",
       Kind::Bits,
       0.0f,
       [](Window& w, CView* c) {
         pressMoves(w, c, {kMiddle - 16, kMiddle - 33, kMiddle - 50, kMiddle - 67});
       },
       {"begin 10", "changed 10 0.2400", "changed 10 0.4950", "changed 10 0.7500", "changed 10 1.0000", "end 10"},
       4},
      {"dragging down stops at 0",
       Kind::Calibrate,
       0.2f,
       [](Window& w, CView* c) {
         pressMoves(w, c, {kMiddle + 10, kMiddle + 40});
       },
       {"begin 12", "changed 12 0.0500", "changed 12 0.0000", "end 12"},
       0},

      // Wheel: one step of 1 / (n - 1) per notch, snapped, held inside the range.
      {"wheel up at 1.0 stays", Kind::Bits, 1.0f, [](Window& w, CView* c) { wheelAt(w, c, 1.0f); }, {}, 4},
      {"wheel down at 0 stays", Kind::Bits, 0.0f, [](Window& w, CView* c) { wheelAt(w, c, -1.0f); }, {}, 0},
      {"wheel up from 16",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { wheelAt(w, c, 1.0f); },
       {"begin 10", "changed 10 0.7500", "end 10"},
       3},
      {"wheel snaps to quarters, not to the step shown",
       Kind::Bits,
       0.6f,
       [](Window& w, CView* c) { wheelAt(w, c, -1.0f); },
       {"begin 10", "changed 10 0.2500", "end 10"},
       1},
      {"wheel of 0.1 is no notch", Kind::Bits, 0.5f, [](Window& w, CView* c) { wheelAt(w, c, 0.1f); }, {}, 2},
      {"wheel of -0.11 is a notch",
       Kind::Bits,
       0.5f,
       [](Window& w, CView* c) { wheelAt(w, c, -0.11f); },
       {"begin 10", "changed 10 0.2500", "end 10"},
       1},
      {"wheel sixths on NoiseShape",
       Kind::NoiseShape,
       0.5f,
       [](Window& w, CView* c) { wheelAt(w, c, 1.0f); },
       {"begin 11", "changed 11 0.6667", "end 11"},
       4},
      {"wheel thirds on Calibrate",
       Kind::Calibrate,
       0.0f,
       [](Window& w, CView* c) { wheelAt(w, c, 2.0f); },
       {"begin 12", "changed 12 0.3333", "end 12"},
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Window w;
    CSteppedSelector* selector = make(w, c.kind);
    selector->setValue(c.start);
    c.act(w, selector);
    EXPECT_EQ(w.log, c.expected);
    EXPECT_EQ(selector->getIndex(), c.index);
    EXPECT_FALSE(selector->isEditing());
  }
}

TEST(SteppedSelector, HoverRegionsFollowThePointerAndEndOnExit) {
  const struct {
    CCoord dy;
    int region;
  } cases[] = {
      {0, CSteppedSelector::kHoverUpper},   {16, CSteppedSelector::kHoverUpper}, {17, CSteppedSelector::kHoverMiddle},
      {20, CSteppedSelector::kHoverMiddle}, {21, CSteppedSelector::kHoverLower}, {30, CSteppedSelector::kHoverLower},
  };
  Window w;
  CBits* bits = w.bits();
  for (const auto& c : cases) {
    w.host.mouseMove(inside(kBitsRect, c.dy));
    EXPECT_EQ(bits->getHoverRegion(), c.region) << "row " << c.dy;
  }
  w.host.mouseMove(CPoint(5, 5));
  EXPECT_EQ(bits->getHoverRegion(), CSteppedSelector::kHoverNone);
}

TEST(SteppedSelector, CalibrateRedrawsOnTheBlinkTickOnlyWhileOn) {
  Window w;
  CCalibButton* calib = w.calibrate();
  w.host.idle();
  calib->setBlinkTick(0x100);
  EXPECT_FALSE(calib->isDirty()) << "off";
  calib->setIndex(3);
  w.host.idle();
  calib->setBlinkTick(0x200);
  EXPECT_TRUE(calib->isDirty()) << "right";
}

// Which picture of the strip each state shows, against the strip itself.
TEST(ControlPictures, EachStateShowsItsPartOfTheStrip) {
  const struct {
    const char* name;
    std::function<CView*(Window&)> setUp;
    int bitmap;
    CCoord sourceY;
  } cases[] = {
      {"type C, Quantize off: frame 3",
       [](Window& w) -> CView* {
         auto* s = w.noiseShape();
         s->setIndex(3);
         return s;
       },
       143, 3 * 31},
      {"type C, Quantize on: frame 9",
       [](Window& w) -> CView* {
         auto* s = w.noiseShape();
         s->setIndex(3);
         s->setQuantize(true);
         return s;
       },
       143, 9 * 31},
      {"NoiseShape off, Quantize on: frame 0",
       [](Window& w) -> CView* {
         auto* s = w.noiseShape();
         s->setQuantize(true);
         return s;
       },
       143, 0},
      {"Bits 24, Quantize on: frame 9",
       [](Window& w) -> CView* {
         auto* b = w.bits();
         b->setValue(1.0f);
         b->setQuantize(true);
         return b;
       },
       142, 9 * 31},
      {"Calibrate off on a lit tick", [](Window& w) -> CView* { return w.calibrate(); }, 145, 0},
      {"right, bit 8 clear: lit",
       [](Window& w) -> CView* {
         auto* c = w.calibrate();
         c->setIndex(3);
         c->setBlinkTick(0xFF);
         return c;
       },
       145, 155},
      {"right, bit 8 set",
       [](Window& w) -> CView* {
         auto* c = w.calibrate();
         c->setIndex(3);
         c->setBlinkTick(0x100);
         return c;
       },
       145, 62},
      {"l+r uncor, tick 511",
       [](Window& w) -> CView* {
         auto* c = w.calibrate();
         c->setIndex(2);
         c->setBlinkTick(511);
         return c;
       },
       145, 93},
      {"l+r uncor, tick 512: lit",
       [](Window& w) -> CView* {
         auto* c = w.calibrate();
         c->setIndex(2);
         c->setBlinkTick(512);
         return c;
       },
       145, 186},
      {"left, lit",
       [](Window& w) -> CView* {
         auto* c = w.calibrate();
         c->setIndex(1);
         return c;
       },
       145, 124},
      {"meter mode peak with K-14",
       [](Window& w) -> CView* {
         auto* m = w.mode();
         m->setScaleIndex(1);
         return m;
       },
       141, 62},
      {"meter mode K-20",
       [](Window& w) -> CView* {
         auto* m = w.mode();
         m->setScaleIndex(2);
         m->setKSystem(true);
         return m;
       },
       141, 5 * 62},
      {"meter mode lit",
       [](Window& w) -> CView* {
         auto* m = w.mode();
         m->setKSystem(true);
         m->setLit(true);
         return m;
       },
       141, 6 * 62},
      {"Autoblack on, Quantize off: inactive",
       [](Window& w) -> CView* {
         auto* a = w.autoblack();
         a->setIndex(1);
         return a;
       },
       163, 38},
      {"Autoblack on, Quantize on",
       [](Window& w) -> CView* {
         auto* a = w.autoblack();
         a->setIndex(1);
         a->setQuantize(true);
         return a;
       },
       163, 19},
      {"Oversample on",
       [](Window& w) -> CView* {
         auto* o = w.oversample();
         o->setValue(0.75f);
         return o;
       },
       140, 19},
      {"PostMeter lit",
       [](Window& w) -> CView* {
         auto* b = w.postMeter();
         b->setLit(true);
         return b;
       },
       161, 48},
      {"Power on",
       [](Window& w) -> CView* {
         auto* b = w.power();
         b->setValue(0.5f);
         return b;
       },
       149, 35},
      {"TransShape C-soft",
       [](Window& w) -> CView* {
         auto* s = w.speed();
         s->setValue(1.0f);
         return s;
       },
       146, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(loadBitmap(c.bitmap)->isLoaded());
    Window w;
    CView* view = c.setUp(w);
    const PixelBuffer got = w.render(view);
    const PixelBuffer want = expectedPicture(view->getViewSize(), c.bitmap, c.sourceY);
    EXPECT_TRUE(got.pixels == want.pixels);
  }
}
