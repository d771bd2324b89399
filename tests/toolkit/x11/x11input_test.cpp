// Key, modifier and double-click translation, without a display.
#include "toolkit/platform/x11/x11input.h"

#include <gtest/gtest.h>

#include <vector>

// After the toolkit's headers: X.h defines None.
// clang-format off
#include <X11/X.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using x11platform::DoubleClickDetector;
using x11platform::translateKey;

TEST(X11KeyTranslation, KeysymsBecomeCharactersOrVirtualKeys) {
  struct Case {
    const char* name;
    unsigned long keysym;
    unsigned int state;
    char32_t character;
    VirtualKey virt;
    std::int32_t modifiers;
  } cases[] = {
      {"ASCII letter", XK_a, 0, U'a', VirtualKey{}, 0},
      {"shifted letter", XK_A, ShiftMask, U'A', VirtualKey{}, kShift},
      {"space, first printable", XK_space, 0, U' ', VirtualKey{}, 0},
      {"tilde, last ASCII", XK_asciitilde, 0, U'~', VirtualKey{}, 0},
      {"no-break space, first Latin-1", XK_nobreakspace, 0, U'\u00A0', VirtualKey{}, 0},
      {"y diaeresis, last Latin-1", XK_ydiaeresis, 0, U'\u00FF', VirtualKey{}, 0},
      {"Unicode keysym", 0x1000436, 0, U'\u0436', VirtualKey{}, 0},
      {"Unicode keysym beyond the BMP", 0x101F600, 0, U'\U0001F600', VirtualKey{}, 0},
      {"euro sign", XK_EuroSign, 0, U'\u20AC', VirtualKey{}, 0},
      {"keypad digit", XK_KP_7, Mod2Mask, U'7', VirtualKey{}, 0},
      {"keypad decimal", XK_KP_Decimal, Mod2Mask, U'.', VirtualKey{}, 0},
      {"keypad space", XK_KP_Space, 0, U' ', VirtualKey{}, 0},
      {"control letter keeps the letter", XK_c, ControlMask, U'c', VirtualKey{}, kControl},
      {"all three modifiers", XK_Z, ShiftMask | ControlMask | Mod1Mask, U'Z', VirtualKey{}, kShift | kControl | kAlt},
      {"lock, num lock and super are no modifiers", XK_b, LockMask | Mod2Mask | Mod4Mask, U'b', VirtualKey{}, 0},
      {"backspace", XK_BackSpace, 0, 0, VirtualKey::Back, 0},
      {"shift tab", XK_ISO_Left_Tab, ShiftMask, 0, VirtualKey::Tab, kShift},
      {"keypad enter", XK_KP_Enter, 0, 0, VirtualKey::Return, 0},
      {"keypad delete", XK_KP_Delete, 0, 0, VirtualKey::Delete, 0},
      {"keypad home without num lock", XK_KP_Home, 0, 0, VirtualKey::Home, 0},
      {"control end", XK_End, ControlMask, 0, VirtualKey::End, kControl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CKeyEvent key;
    ASSERT_TRUE(translateKey(c.keysym, c.state, key));
    EXPECT_EQ(key.character, c.character);
    EXPECT_EQ(key.virt, c.virt);
    EXPECT_EQ(key.modifiers, c.modifiers);
  }
}

TEST(X11KeyTranslation, KeysWithoutCharacterOrRoleGiveNoEvent) {
  struct Case {
    const char* name;
    unsigned long keysym;
  } cases[] = {
      {"no symbol", NoSymbol},
      {"shift alone", XK_Shift_L},
      {"function key", XK_F1},
      {"void symbol", XK_VoidSymbol},
      // Legacy non-Latin-1 keysyms are not code points: 0x6D6 is no Arabic mark.
      {"legacy Cyrillic keysym", XK_Cyrillic_zhe},
      {"Unicode control character", 0x1000009},
      {"Unicode C1 control", 0x1000085},
      {"Unicode surrogate", 0x100D800},
      {"beyond Unicode", 0x1110000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CKeyEvent key;
    key.character = U'?';
    EXPECT_FALSE(translateKey(c.keysym, 0, key));
    EXPECT_EQ(key.character, U'?');  // untouched
  }
}

TEST(X11DoubleClick, SecondPressOfTheSameButtonSoonAndNearby) {
  struct Press {
    unsigned int button;
    int x, y;
    std::uint32_t time;
    bool doubleClick;
  };
  struct Case {
    const char* name;
    std::vector<Press> presses;
  } cases[] = {
      {"within the interval", {{1, 10, 10, 1000, false}, {1, 10, 10, 1400, true}}},
      {"one millisecond too late", {{1, 10, 10, 1000, false}, {1, 10, 10, 1401, false}}},
      {"at the slop on both axes", {{1, 10, 10, 1000, false}, {1, 14, 6, 1100, true}}},
      {"one pixel beyond the slop", {{1, 10, 10, 1000, false}, {1, 15, 10, 1100, false}}},
      {"another button", {{1, 10, 10, 1000, false}, {3, 10, 10, 1100, false}}},
      {"third press is single again, fourth double",
       {{1, 0, 0, 0, false}, {1, 0, 0, 100, true}, {1, 0, 0, 200, false}, {1, 0, 0, 300, true}}},
      {"a late press starts a new pair", {{1, 0, 0, 0, false}, {1, 0, 0, 900, false}, {1, 0, 0, 1000, true}}},
      {"server clock wraps", {{2, 5, 5, 0xFFFFFF00u, false}, {2, 5, 5, 0x10, true}}},
      {"time going back", {{1, 5, 5, 5000, false}, {1, 5, 5, 4900, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DoubleClickDetector detector;
    for (std::size_t i = 0; i < c.presses.size(); ++i) {
      const Press& p = c.presses[i];
      EXPECT_EQ(detector.press(p.button, p.x, p.y, p.time), p.doubleClick) << "press " << i;
    }
  }
}

}  // namespace
