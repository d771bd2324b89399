// The option menu: the toolkit's own pop-up (choice, dismissal, placement, keyboard) and the
// native one through the platform frame.
#include <gtest/gtest.h>

#include <optional>

#include "toolkit/controls/coptionmenu.h"
#include "toolkit/platform/common/generic_option_menu.h"
#include "toolkit_doubles.h"

using namespace toolkit_test;

namespace {

CPoint centre(const CRect& r) { return CPoint(r.left + r.getWidth() / 2, r.top + r.getHeight() / 2); }

struct MenuFixture : FrameFixture {
  COptionMenu* menu;

  explicit MenuFixture(const CRect& where = CRect(20, 20, 80, 34), int entries = 27)
      : FrameFixture(CRect(0, 0, 400, 260)) {
    frame().setBackground(patternBitmap(400, 260));
    menu = add(new COptionMenu(where, &listener, 12));
    for (int i = 0; i < entries; ++i) menu->addEntry("Program " + std::to_string(i));
    menu->setNbEntriesPerColumn(12);
    menu->setCurrent(std::min(3, entries - 1));
    host.idle();
  }
  GenericOptionMenu* open() {
    host.click(centre(menu->getViewSize()));
    return menu->getGenericMenu();
  }
  bool closed() {
    return menu->getGenericMenu() == nullptr && frame().getModalView() == nullptr &&
           frame().getFocusView() == nullptr && !host.platform().hasKeyboardFocus();
  }
};

TEST(OptionMenu, AClickOnAnEntryOfTheToolkitsMenuChoosesIt) {
  MenuFixture f;
  GenericOptionMenu* popup = f.open();
  ASSERT_NE(popup, nullptr);
  // The release of the opening press chose nothing; the menu holds the events and keys.
  EXPECT_TRUE(f.log.empty());
  EXPECT_EQ(f.frame().getModalView(), popup);
  EXPECT_TRUE(f.host.platform().hasKeyboardFocus());
  // Columns of 12: entry 13 is the second row of the second column.
  EXPECT_EQ(popup->entryRect(13).top, popup->entryRect(1).top);
  EXPECT_GT(popup->entryRect(13).left, popup->entryRect(1).right - 1);
  f.host.click(centre(popup->entryRect(13)));
  EXPECT_EQ(f.log, (Log{"changed 12 13.00"}));
  EXPECT_EQ(f.menu->getCurrent(), 13);
  EXPECT_TRUE(f.closed());
  // The menu's area is drawn again without it.
  f.host.idle();
  const PixelBuffer shown = f.pixels();
  f.frame().redrawAll();
  EXPECT_TRUE(shown.pixels == f.pixels().pixels);
}

TEST(OptionMenu, TheToolkitsMenuIsDismissedWithoutAChoice) {
  const struct {
    const char* name;
    std::function<void(MenuFixture&, GenericOptionMenu*)> act;
    bool staysOpen;
  } cases[] = {
      {"press outside", [](MenuFixture& f, GenericOptionMenu*) { f.host.click(CPoint(395, 255)); }, false},
      {"press on the menu control again", [](MenuFixture& f, GenericOptionMenu*) { f.host.click(CPoint(25, 25)); },
       false},
      {"Escape", [](MenuFixture& f, GenericOptionMenu*) { f.host.key(VirtualKey::Escape); }, false},
      {"window loses the focus", [](MenuFixture& f, GenericOptionMenu*) { f.host.focusLost(); }, false},
      {"a second release without a press",
       [](MenuFixture& f, GenericOptionMenu* m) { f.host.mouseUp(centre(m->entryRect(5))); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuFixture f;
    GenericOptionMenu* popup = f.open();
    ASSERT_NE(popup, nullptr);
    c.act(f, popup);
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.menu->getCurrent(), 3);
    EXPECT_EQ(f.closed(), !c.staysOpen);
  }
}

TEST(OptionMenu, OtherWaysOfChoosing) {
  const struct {
    const char* name;
    std::function<void(MenuFixture&)> act;
    int chosen;
  } cases[] = {
      {"press, drag onto an entry, release",
       [](MenuFixture& f) {
         f.host.mouseDown(CPoint(25, 25));
         const CRect target = f.menu->getGenericMenu()->entryRect(5);
         f.host.mouseMove(centre(target), kLButton);
         f.host.mouseUp(centre(target));
       },
       5},
      {"Down from the current entry, Down, Enter",
       [](MenuFixture& f) {
         f.open();
         f.host.key(VirtualKey::Down);
         f.host.key(VirtualKey::Down);
         f.host.key(VirtualKey::Return);
       },
       4},
      {"Up at the first entry stays on it",
       [](MenuFixture& f) {
         f.menu->setCurrent(0);
         f.open();
         f.host.key(VirtualKey::Up);
         f.host.key(VirtualKey::Up);
         f.host.key(VirtualKey::Return);
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuFixture f;
    c.act(f);
    EXPECT_EQ(f.menu->getCurrent(), c.chosen);
    EXPECT_EQ(f.log.size(), 1u);
    EXPECT_TRUE(f.closed());
  }
}

TEST(OptionMenu, SeparatorsAndDisabledEntriesAreNotChosen) {
  MenuFixture f(CRect(20, 20, 80, 34), 3);
  f.menu->addSeparator();
  f.menu->addEntry("Off")->setEnabled(false);
  GenericOptionMenu* popup = f.open();
  f.host.click(centre(popup->entryRect(3)));
  EXPECT_EQ(f.menu->getGenericMenu(), popup);
  f.host.click(centre(popup->entryRect(4)));
  EXPECT_TRUE(f.log.empty());
  EXPECT_TRUE(f.closed());
}

TEST(OptionMenu, TheToolkitsMenuOpensBelowOrAboveAndStaysInTheFrame) {
  const struct {
    const char* name;
    CRect anchor;
    bool below;
  } cases[] = {
      {"room below", CRect(20, 20, 80, 34), true},
      {"at the bottom edge", CRect(20, 240, 80, 254), false},
      {"at the right edge", CRect(360, 20, 399, 34), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuFixture f(c.anchor, 5);
    GenericOptionMenu* popup = f.open();
    ASSERT_NE(popup, nullptr);
    const CRect r = popup->getViewSize();
    CRect inside = r;
    EXPECT_EQ(inside.bound(f.frame().getViewSize()), r);
    EXPECT_EQ(c.below ? r.top : r.bottom, c.below ? c.anchor.bottom : c.anchor.top);
  }
  // Taller than the room above and below: held inside the frame.
  MenuFixture f(CRect(20, 120, 80, 134), 60);
  f.menu->setNbEntriesPerColumn(0);
  const CRect r = f.open()->getViewSize();
  EXPECT_EQ(r.top, 0);
}

TEST(OptionMenu, TheEntryUnderThePointerIsHighlighted) {
  MenuFixture f;
  GenericOptionMenu* popup = f.open();
  const CRect entry = popup->entryRect(7);
  f.host.mouseMove(centre(entry));
  EXPECT_EQ(popup->getHighlighted(), 7);
  f.host.idle();
  EXPECT_EQ(pixel(f.pixels(), entry.right - 2, entry.top + 1), argb(CColor(132, 206, 242)));
  f.host.mouseMove(CPoint(395, 255));
  EXPECT_EQ(popup->getHighlighted(), -1);
}

TEST(OptionMenu, ANativeMenuAnswersAtOnce) {
  for (const int answer : {5, -1, 99}) {
    SCOPED_TRACE(answer);
    MenuFixture f;
    std::optional<OptionMenuRequest> asked;
    f.host.platform().setNativeMenu([&](const OptionMenuRequest& request) {
      asked = request;
      return answer;
    });
    f.host.click(CPoint(25, 25));
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->titles.size(), 27u);
    EXPECT_EQ(asked->titles[26], "Program 26");
    EXPECT_EQ(asked->current, 3);
    EXPECT_EQ(asked->entriesPerColumn, 12);
    EXPECT_EQ(asked->where, CPoint(20, 34));
    EXPECT_EQ(f.menu->getGenericMenu(), nullptr);
    EXPECT_EQ(f.menu->getCurrent(), answer == 5 ? 5 : 3);
    EXPECT_EQ(f.log.size(), answer == 5 ? 1u : 0u);
  }
}

TEST(OptionMenu, TheNoDrawStyleLeavesWhatIsBelow) {
  MenuFixture f;
  f.menu->setStyle(kNoDrawStyle);
  f.host.idle();
  const CRect r = f.menu->getViewSize();
  const PixelBuffer& background = f.frame().getBackground()->pixels();
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) ASSERT_EQ(pixel(f.pixels(), x, y), pixel(background, x, y));
}

TEST(OptionMenu, TheValueFollowsTheEntries) {
  COptionMenu menu(CRect(0, 0, 10, 10), nullptr, 0);
  EXPECT_EQ(menu.getCurrent(), -1);
  EXPECT_FALSE(menu.setCurrent(0));
  for (const char* title : {"a", "b", "c"}) menu.addEntry(title);
  EXPECT_EQ(menu.getMax(), 2.0f);
  EXPECT_TRUE(menu.setCurrent(2));
  EXPECT_FALSE(menu.setCurrent(3));
  menu.getEntry(2)->setTitle("renamed");
  EXPECT_EQ(menu.getEntry(2)->getTitle(), "renamed");
  menu.addEntry("first", 0);
  EXPECT_EQ(menu.getEntry(0)->getTitle(), "first");
  EXPECT_EQ(menu.getMax(), 3.0f);
  // A value between entries rounds to the nearer one.
  menu.setValue(1.4f);
  EXPECT_EQ(menu.getCurrent(), 1);
  menu.setValue(1.6f);
  EXPECT_EQ(menu.getCurrent(), 2);
}

TEST(OptionMenu, TheMenuGoesWhenItsControlOrTheFrameGoes) {
  {
    MenuFixture f;
    ASSERT_NE(f.open(), nullptr);
    f.frame().removeView(f.menu);
    EXPECT_EQ(f.frame().getModalView(), nullptr);
    EXPECT_EQ(f.frame().getNbViews(), 0);
    f.host.click(CPoint(25, 25));
    EXPECT_TRUE(f.log.empty());
  }
  {
    MenuFixture f;
    ASSERT_NE(f.open(), nullptr);
  }  // the frame is destroyed with the menu open
}

}  // namespace
