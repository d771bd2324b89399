// The frame's redraw of dirty views and invalidated areas must leave exactly the pixels a
// full redraw gives.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "toolkit/controls/canimknob.h"
#include "toolkit/controls/ctextlabel.h"
#include "toolkit/cviewcontainer.h"
#include "toolkit_doubles.h"

using namespace toolkit_test;

namespace {

// Draws well past its own rectangle; the frame holds it to the rectangle.
class SloppyView : public ColourView {
 public:
  using ColourView::ColourView;
  void draw(CDrawContext* context) override {
    context->setFillColor(CColor(200, 0, 200));
    context->fillRect(CRect(size_).inset(-15, -15));
    ColourView::draw(context);
  }
};

struct Scene : FrameFixture {
  ColourView* lower;
  ColourView* upper;
  CViewContainer* box;
  ColourView* inBox;
  CTextLabel* label;
  SloppyView* sloppy;
  CAnimKnob* knob;

  Scene() : FrameFixture(CRect(0, 0, 160, 100)) {
    frame().setBackground(patternBitmap(160, 100));
    lower = add(new ColourView(CRect(10, 10, 50, 50), CColor(220, 40, 40)));
    upper = add(new ColourView(CRect(30, 30, 80, 70), CColor(40, 200, 40, 160)));
    box = add(new CViewContainer(CRect(90, 5, 150, 55)));
    box->setBackgroundColor(CColor(30, 30, 90));
    inBox = new ColourView(CRect(5, 5, 30, 30), CColor(250, 220, 0));
    box->addView(inBox);
    label = add(new CTextLabel(CRect(0, 75, 70, 95), "Label"));
    label->setBackColor(CColor(10, 60, 10));
    label->setFrameColor(CColor(255, 255, 255));
    sloppy = add(new SloppyView(CRect(110, 70, 120, 80), CColor(0, 0, 0)));
    knob = add(new CAnimKnob(CRect(130, 70, 150, 90), nullptr, 1, 5, 20, patternBitmap(20, 100)));
    host.idle();
    host.platform().clearInvalidatedRects();
  }
};

bool coversWholeFrame(const std::vector<CRect>& rects, const CRect& whole) {
  CRect all;
  for (const CRect& r : rects) all.unite(r);
  return all == whole;
}

TEST(FrameRedraw, ADirtyRedrawEqualsAFullRedraw) {
  const struct {
    const char* name;
    std::function<void(Scene&)> change;
  } cases[] = {
      {"lower of two overlapping views", [](Scene& s) { s.lower->setColour(CColor(0, 90, 255)); }},
      {"translucent upper view", [](Scene& s) { s.upper->setColour(CColor(255, 255, 255, 90)); }},
      {"view moved", [](Scene& s) { s.upper->setViewSize(CRect(40, 20, 70, 45)); }},
      {"view hidden", [](Scene& s) { s.upper->setVisible(false); }},
      {"view hidden and shown",
       [](Scene& s) {
         s.upper->setVisible(false);
         s.host.idle();
         s.upper->setVisible(true);
       }},
      {"view removed", [](Scene& s) { s.frame().removeView(s.lower); }},
      {"view added", [](Scene& s) { s.add(new ColourView(CRect(60, 60, 100, 90), CColor(1, 2, 3))); }},
      {"child in a container", [](Scene& s) { s.inBox->setColour(CColor(255, 128, 0)); }},
      {"child moved partly out of its container", [](Scene& s) { s.inBox->setViewSize(CRect(45, 30, 75, 60)); }},
      {"container moved", [](Scene& s) { s.box->setViewSize(CRect(80, 20, 140, 70)); }},
      {"label text", [](Scene& s) { s.label->setText("Longer label text"); }},
      {"view drawing past its rectangle", [](Scene& s) { s.sloppy->setColour(CColor(255, 255, 0)); }},
      {"knob value", [](Scene& s) { s.knob->setValue(0.8f); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scene s;
    c.change(s);
    s.host.idle();
    const PixelBuffer partial = s.pixels();
    EXPECT_FALSE(s.host.platform().invalidatedRects().empty());
    EXPECT_FALSE(coversWholeFrame(s.host.platform().invalidatedRects(), s.frame().getViewSize()));
    s.frame().redrawAll();
    EXPECT_TRUE(partial.pixels == s.pixels().pixels);
  }
}

TEST(FrameRedraw, OnlyWhatChangedIsShown) {
  Scene s;
  s.host.idle();
  EXPECT_TRUE(s.host.platform().invalidatedRects().empty());
  s.inBox->invalid();
  s.knob->setValue(0.0f);  // unchanged value: nothing to draw
  s.host.idle();
  EXPECT_EQ(s.host.platform().invalidatedRects(), (std::vector<CRect>{CRect(95, 10, 120, 35)}));
  s.host.platform().clearInvalidatedRects();
  // A dirty container holds its dirty child: one area.
  s.box->invalid();
  s.inBox->invalid();
  s.host.idle();
  EXPECT_EQ(s.host.platform().invalidatedRects(), (std::vector<CRect>{CRect(90, 5, 150, 55)}));
}

TEST(FrameRedraw, AViewOutsideTheFrameIsClippedToIt) {
  Scene s;
  auto* outside = s.add(new ColourView(CRect(150, 90, 400, 300), CColor(9, 9, 9)));
  s.host.idle();
  EXPECT_EQ(s.host.platform().invalidatedRects().back(), CRect(150, 90, 160, 100));
  EXPECT_EQ(pixel(s.pixels(), 159, 99), argb(CColor(9, 9, 9)));
  s.frame().removeView(outside);
  s.host.idle();
}

TEST(FrameRedraw, ValuesStoredFromAnotherThreadAreDrawnOnTheNextIdle) {
  // The host's automation thread sets values while the UI thread draws: the last value must
  // be the one shown once the writer stops.
  Scene s;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) s.knob->setValue(static_cast<float>(i % 5) / 4.0f);
    s.knob->setValue(0.5f);
    done = true;
  });
  while (!done) s.host.idle();
  writer.join();
  s.host.idle();
  const PixelBuffer shown = s.pixels();
  s.frame().redrawAll();
  EXPECT_TRUE(shown.pixels == s.pixels().pixels);
  EXPECT_EQ(s.knob->currentPicture(), 2);
}

}  // namespace
