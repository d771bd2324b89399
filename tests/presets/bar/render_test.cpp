// The preset bar as drawn on the window's background, compared with committed pictures: at
// rest, the buttons under the pointer and pressed, the rocker's four lit states, and the
// name field while its box is open.
#include <gtest/gtest.h>

#include <functional>

#include "tests/presets/bar/bar_fixture.h"
#include "tests/support/golden.h"

namespace presetbar_test {
namespace {

// The bottom rows of the window, where the bar lies.
const CRect kBarArea(0, 444, 524, 462);

CPoint leftHalf(const CRect& r) { return CPoint(r.left + 3, (r.top + r.bottom) / 2); }
CPoint rightHalf(const CRect& r) { return CPoint(r.right - 3, (r.top + r.bottom) / 2); }

TEST(PresetBarRender, States) {
  using Setup = std::function<void(BarFixture&)>;
  const struct {
    const char* name;
    Setup setup;
  } cases[] = {
      {"bar-rest", [](BarFixture&) {}},
      {"kick-hover", [](BarFixture& f) { f.host->mouseMove(f.at(1017)); }},
      {"kick-pressed", [](BarFixture& f) { f.host->mouseDown(f.at(1016)); }},
      {"default-pressed", [](BarFixture& f) { f.host->mouseDown(f.at(1013), kLButton | kDoubleClick); }},
      {"default-hover", [](BarFixture& f) { f.host->mouseMove(f.at(1014)); }},
      {"saveload-hover", [](BarFixture& f) { f.host->mouseMove(f.at(1004)); }},
      {"manual-hover", [](BarFixture& f) { f.host->mouseMove(f.at(1019)); }},
      {"rocker-hover-left", [](BarFixture& f) { f.host->mouseMove(leftHalf(f.control(1001)->getViewSize())); }},
      {"rocker-hover-right", [](BarFixture& f) { f.host->mouseMove(rightHalf(f.control(1001)->getViewSize())); }},
      // Held down: the neighbouring program is chosen already.
      {"rocker-pressed-left", [](BarFixture& f) { f.host->mouseDown(leftHalf(f.control(1001)->getViewSize())); }},
      {"rocker-pressed-right", [](BarFixture& f) { f.host->mouseDown(rightHalf(f.control(1001)->getViewSize())); }},
      {"name-editing", [](BarFixture& f) { f.click(1000); }},
      {"name-typed",
       [](BarFixture& f) {
         f.click(1000);
         f.host->type("Club Mix");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BarFixture f(6);
    c.setup(f);
    f.host->idle();
    stellix::testing::expectGolden(stellix::testing::cropPixels(f.host->pixels(), kBarArea), STELLIX_GOLDEN_DIR,
                                   c.name);
  }
}

TEST(PresetBarRender, SaveLoadButtonPressedWhileItsDialogIsOpen) {
  BarFixture f(6);
  PixelBuffer seen(1, 1);
  f.dialog.whileOpen = [&] {
    f.host->idle();
    seen = stellix::testing::cropPixels(f.host->pixels(), kBarArea);
  };
  f.click(1005);
  ASSERT_EQ(f.dialog.requests.size(), 1u);
  stellix::testing::expectGolden(seen, STELLIX_GOLDEN_DIR, "saveload-pressed");
  // Back at rest once the dialog is gone.
  f.host->mouseMove(CPoint(300, 200));
  f.host->idle();
  stellix::testing::expectGolden(stellix::testing::cropPixels(f.host->pixels(), kBarArea), STELLIX_GOLDEN_DIR,
                                 "bar-rest");
}

}  // namespace
}  // namespace presetbar_test
