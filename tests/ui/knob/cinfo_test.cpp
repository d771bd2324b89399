#include "ui/cinfo.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/golden.h"
#include "ui/ctextprinter.h"
#include "window_fixture.h"

using namespace ui_test;
using stellix::testing::cropPixels;

namespace {

constexpr CRect kLogo(224, 370, 301, 401);

// The window's knobs and the information screen added after them, as the editor adds it
// before the value fields and the meters; a colour view added last stands for those.
struct InfoFixture : WindowFixture {
  std::vector<CMyKnob*> knobs;
  CInfo* info;

  explicit InfoFixture(int latency = 159) {
    for (const KnobSetup& k : kKnobs) {
      knobs.push_back(add(makeKnob(k, &listener)));
      knobs.back()->setValue(0.5f);
    }
    info = add(new CInfo(kLogo, loadBitmap(157), loadBitmap(137)));
    info->setLatency(latency);
    host.idle();
    log.clear();
  }
  CMyKnob* knob(const char* name) {
    for (std::size_t i = 0; i < std::size(kKnobs); ++i)
      if (std::string(kKnobs[i].name) == name) return knobs[i];
    return nullptr;
  }
};

// Whether text stands in the framebuffer as glyph cells of font 137 from start on baseline.
::testing::AssertionResult printedAt(const PixelBuffer& pixels, const std::string& text, CPoint start, bool bright) {
  const SharedBitmap font = loadBitmap(137);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const CRect cell(CPoint(start.x + 6 * static_cast<CCoord>(i), start.y - 7), 5, 8);
    const CRect source(CPoint(0, CTextPrinter::cellTop(static_cast<unsigned char>(text[i]), bright)), 5, 8);
    if (cropPixels(pixels, cell).pixels != cropPixels(font->pixels(), source).pixels)
      return ::testing::AssertionFailure() << "'" << text[i] << "' (character " << i << ") is not at " << cell.left;
  }
  return ::testing::AssertionSuccess();
}

TEST(InfoRender, OpenOverTheWholeWindowWithTheLatency) {
  InfoFixture f;
  f.host.click(CPoint(260, 385));
  f.host.idle();
  ASSERT_TRUE(f.info->isOpen());
  stellix::testing::expectGolden(f.pixels(), STELLIX_GOLDEN_DIR, "info-open-159");
}

TEST(InfoDraw, ClosedDrawsNothingAndClosingLeavesTheWindowAsItWas) {
  InfoFixture f;
  const PixelBuffer before = f.pixels();
  // Closed, the logo is the window's own background.
  EXPECT_EQ(cropPixels(f.pixels(), kLogo).pixels, cropPixels(loadBitmap(128)->pixels(), kLogo).pixels);
  f.host.click(CPoint(230, 375));
  f.host.idle();
  ASSERT_NE(f.pixels().pixels, before.pixels);
  f.host.click(CPoint(500, 10));
  f.host.idle();
  EXPECT_FALSE(f.info->isOpen());
  EXPECT_EQ(f.info->getViewSize(), kLogo);
  EXPECT_EQ(f.pixels().pixels, before.pixels);
}

TEST(InfoDraw, ControlsRedrawnBeneathTheOpenPanelStayBeneathIt) {
  InfoFixture f;
  // A view added after the screen, as the value fields and the meters are.
  CView* later = f.add(new CView(CRect(147, 38, 207, 408)));
  later->setBackground(loadBitmap(150));
  f.host.click(CPoint(260, 385));
  f.host.idle();
  const PixelBuffer open = f.pixels();
  // Where the later view and the panel overlap, the panel shows: its light inside, its band.
  EXPECT_EQ(open.row(400)[150], 0xFFD5ECF6u);
  EXPECT_EQ(open.row(305)[150], 0xFF4F4F4Fu);
  // Values arriving from the host mark the knobs wholly under the panel dirty, and the later view
  // is drawn again.
  f.knob("Drive")->setValue(1.0f);
  f.knob("Output")->setValue(0.0f);
  later->setDirty();
  f.host.idle();
  EXPECT_EQ(f.pixels().pixels, open.pixels);
  // Once closed, they show as they are now: Drive at its last picture.
  f.host.click(CPoint(260, 385));
  f.host.idle();
  const KnobSetup& drive = knobSetup("Drive");
  const CRect last(CPoint(0, 100 * drive.imageHeight), drive.rect.getWidth(), drive.rect.getHeight());
  EXPECT_EQ(cropPixels(f.pixels(), drive.rect).pixels, cropPixels(loadBitmap(drive.bitmap)->pixels(), last).pixels);
}

TEST(InfoMouse, OnlyALeftPressOnTheLogoOpensIt) {
  const struct {
    CPoint where;
    std::int32_t buttons;
    bool opens;
  } cases[] = {
      {{224, 370}, kLButton, true},          {{300, 400}, kLButton, true},  {{260, 385}, kLButton | kDoubleClick, true},
      {{260, 385}, kLButton | kShift, true}, {{223, 385}, kLButton, false}, {{301, 385}, kLButton, false},
      {{260, 369}, kLButton, false},         {{260, 401}, kLButton, false}, {{260, 385}, kRButton, false},
      {{260, 385}, kMButton, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.where.x << "," << c.where.y << " buttons " << c.buttons);
    InfoFixture f;
    f.host.click(c.where, c.buttons);
    EXPECT_EQ(f.info->isOpen(), c.opens);
    EXPECT_EQ(f.frame().getModalView(), c.opens ? f.info : nullptr);
    EXPECT_EQ(f.info->getViewSize(), c.opens ? CInfo::kPanelRect : kLogo);
  }
}

TEST(InfoMouse, WhileOpenEveryEventGoesToTheScreenNotTheControlsBelow) {
  const struct {
    const char* name;
    void (*act)(InfoFixture&);
    bool staysOpen;
  } cases[] = {
      {"left press on a knob under the panel closes", [](InfoFixture& f) { f.host.click(CPoint(80, 376)); }, false},
      {"left press on a knob outside the panel closes", [](InfoFixture& f) { f.host.click(CPoint(80, 193)); }, false},
      {"left press on the bare window closes", [](InfoFixture& f) { f.host.click(CPoint(5, 5)); }, false},
      {"left press on the logo again closes", [](InfoFixture& f) { f.host.click(CPoint(260, 385)); }, false},
      {"double click on a knob closes, no default set",
       [](InfoFixture& f) { f.host.click(CPoint(445, 377), kLButton | kDoubleClick); }, false},
      {"drag from a knob closes, no drag", [](InfoFixture& f) { f.host.drag(CPoint(80, 193), CPoint(80, 93)); }, false},
      {"right press stays open", [](InfoFixture& f) { f.host.click(CPoint(80, 376), kRButton); }, true},
      {"Control-click on a knob closes, no default set",
       [](InfoFixture& f) { f.host.click(CPoint(80, 376), kLButton | kControl); }, false},
      {"wheel over a knob stays open", [](InfoFixture& f) { f.host.wheel(CPoint(80, 193), 1.0f); }, true},
      {"moves over a knob stay open",
       [](InfoFixture& f) {
         f.host.mouseMove(CPoint(80, 193));
         f.host.mouseMove(CPoint(445, 377));
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InfoFixture f;
    f.host.click(CPoint(260, 385));
    ASSERT_TRUE(f.info->isOpen());
    c.act(f);
    EXPECT_EQ(f.info->isOpen(), c.staysOpen);
    EXPECT_TRUE(f.log.empty()) << f.log.front();
    for (CMyKnob* knob : f.knobs) EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    if (!c.staysOpen) {
      // Closed, the knobs take the mouse again.
      f.host.wheel(CPoint(80, 193), 1.0f);
      EXPECT_EQ(f.log, (Log{"begin 2", "changed 2 0.5500", "end 2"}));
    }
  }
}

TEST(InfoDraw, LatencyEndsAtTheSameColumnWhateverItsLength) {
  const struct {
    int latency;
    const char* text;
  } cases[] = {{159, "159"}, {287, "287"}, {543, "543"}, {0, "0"}, {7, "7"}, {-31, "-31"}, {2147483647, "2147483647"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.latency);
    InfoFixture f(0);
    f.host.click(CPoint(260, 385));
    f.info->setLatency(c.latency);  // while open: drawn at the next idle
    f.host.idle();
    const std::string text = c.text;
    const CCoord start = CInfo::kLatencyEnd - 6 * static_cast<CCoord>(text.size());
    EXPECT_TRUE(printedAt(f.pixels(), text, CPoint(start, 337), false));
    // Nothing left of it but the panel up to the heading.
    const CRect before(55 + 6 * 34, 330, start, 338);
    for (std::uint32_t p : cropPixels(f.pixels(), before).pixels) ASSERT_EQ(p, 0xFFD5ECF6u);
  }
}

TEST(InfoDraw, TitleLineInTheBandAndTheOtherLinesFourteenPixelsApart) {
  InfoFixture f;
  f.host.click(CPoint(260, 385));
  f.host.idle();
  EXPECT_TRUE(printedAt(f.pixels(), "Korvan Stellix", CPoint(55, 309), true));
  EXPECT_TRUE(printedAt(f.pixels(), "Brickwall Limiting, Metering and Requantizing", CPoint(200, 309), true));
  EXPECT_TRUE(printedAt(f.pixels(), "Version:", CPoint(55, 323), false));
  EXPECT_TRUE(printedAt(f.pixels(), "1.5.1", CPoint(440, 323), false));
  EXPECT_TRUE(printedAt(f.pixels(), "Current process latency (samples):", CPoint(55, 337), false));
  EXPECT_TRUE(printedAt(f.pixels(), "159", CPoint(452, 337), false));
  EXPECT_TRUE(printedAt(f.pixels(), "Design:", CPoint(55, 351), false));
  EXPECT_TRUE(printedAt(f.pixels(), "Signal processing:", CPoint(55, 365), false));
  EXPECT_TRUE(printedAt(f.pixels(), "Artwork:", CPoint(55, 379), false));
  for (CCoord y : {351, 365, 379}) EXPECT_TRUE(printedAt(f.pixels(), "Korvan Audio", CPoint(200, y), false));
  EXPECT_TRUE(printedAt(f.pixels(), "VST plugin technology by Steinberg", CPoint(165, 393), false));
  // Outline three pixels wide, band across the whole panel.
  const auto at = [&](CCoord x, CCoord y) { return f.pixels().row(y)[x]; };
  for (const auto& [x, y] : std::vector<std::pair<CCoord, CCoord>>{
           {43, 294}, {45, 296}, {480, 429}, {478, 427}, {43, 360}, {478, 360}, {250, 294}, {250, 427}})
    EXPECT_EQ(at(x, y), 0xFF4F4F4Fu) << x << "," << y;
  for (const auto& [x, y] : std::vector<std::pair<CCoord, CCoord>>{{46, 297}, {477, 426}, {46, 360}, {250, 426}})
    EXPECT_EQ(at(x, y), 0xFFD5ECF6u) << x << "," << y;
  EXPECT_EQ(at(50, 301), 0xFF4F4F4Fu);
  EXPECT_EQ(at(50, 309), 0xFF4F4F4Fu);
  EXPECT_EQ(at(50, 310), 0xFFD5ECF6u);
  EXPECT_EQ(at(50, 300), 0xFFD5ECF6u);
  // Just outside the panel: the window as before.
  EXPECT_EQ(at(42, 360), loadBitmap(128)->pixels().row(360)[42]);
  EXPECT_EQ(at(481, 360), loadBitmap(128)->pixels().row(360)[481]);
}

}  // namespace
