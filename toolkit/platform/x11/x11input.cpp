#include "toolkit/platform/x11/x11input.h"

#include <cstdlib>

#include "toolkit/platform/x11/xlib.h"

namespace x11platform {

std::int32_t modifiersFromState(unsigned int state) {
  std::int32_t m = 0;
  if (state & ShiftMask) m |= kShift;
  if (state & ControlMask) m |= kControl;
  if (state & Mod1Mask) m |= kAlt;
  return m;
}

std::int32_t buttonsFromState(unsigned int state) {
  std::int32_t b = 0;
  if (state & Button1Mask) b |= kLButton;
  if (state & Button2Mask) b |= kMButton;
  if (state & Button3Mask) b |= kRButton;
  return b;
}

std::int32_t buttonFlag(unsigned int button) {
  switch (button) {
    case Button1: return kLButton;
    case Button2: return kMButton;
    case Button3: return kRButton;
    default: return 0;
  }
}

namespace {

VirtualKey virtualKeyOf(unsigned long keysym) {
  switch (keysym) {
    case XK_BackSpace: return VirtualKey::Back;
    case XK_Tab:
    case XK_ISO_Left_Tab:  // Shift+Tab on most layouts
      return VirtualKey::Tab;
    case XK_Return:
    case XK_KP_Enter: return VirtualKey::Return;
    case XK_Escape: return VirtualKey::Escape;
    case XK_Delete:
    case XK_KP_Delete: return VirtualKey::Delete;
    case XK_Left:
    case XK_KP_Left: return VirtualKey::Left;
    case XK_Right:
    case XK_KP_Right: return VirtualKey::Right;
    case XK_Up:
    case XK_KP_Up: return VirtualKey::Up;
    case XK_Down:
    case XK_KP_Down: return VirtualKey::Down;
    case XK_Home:
    case XK_KP_Home: return VirtualKey::Home;
    case XK_End:
    case XK_KP_End: return VirtualKey::End;
    default: return VirtualKey{};
  }
}

bool isPrintable(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return false;  // C0 and C1 controls, DEL
  if (c >= 0xD800 && c < 0xE000) return false;            // surrogates are no characters
  return c <= 0x10FFFF;
}

// The character a keysym types, 0 for none. Latin-1 keysyms equal their code points,
// keysyms 0x01000000 + U name any Unicode character, and the keypad has its own keysyms.
char32_t characterOf(unsigned long keysym) {
  char32_t c = 0;
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
    c = static_cast<char32_t>(keysym);
  } else if (keysym >= 0x01000000 && keysym <= 0x0110FFFF) {
    c = static_cast<char32_t>(keysym - 0x01000000);
  } else if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
    c = U'0' + static_cast<char32_t>(keysym - XK_KP_0);
  } else {
    switch (keysym) {
      case XK_KP_Space: c = U' '; break;
      case XK_KP_Equal: c = U'='; break;
      case XK_KP_Multiply: c = U'*'; break;
      case XK_KP_Add: c = U'+'; break;
      case XK_KP_Separator: c = U','; break;
      case XK_KP_Subtract: c = U'-'; break;
      case XK_KP_Decimal: c = U'.'; break;
      case XK_KP_Divide: c = U'/'; break;
      case XK_EuroSign: c = U'\u20AC'; break;
      default: break;
    }
  }
  return isPrintable(c) ? c : 0;
}

}  // namespace

bool translateKey(unsigned long keysym, unsigned int state, CKeyEvent& out) {
  CKeyEvent key;
  key.modifiers = modifiersFromState(state);
  key.virt = virtualKeyOf(keysym);
  if (key.virt == VirtualKey{}) {
    key.character = characterOf(keysym);
    if (key.character == 0) return false;
  }
  out = key;
  return true;
}

bool DoubleClickDetector::press(unsigned int button, int x, int y, std::uint32_t timeMs) {
  // Server time wraps after 49 days: the unsigned difference stays right across the wrap.
  const bool isDouble = armed_ && button == button_ && timeMs - time_ <= kIntervalMs && std::abs(x - x_) <= kSlop &&
                        std::abs(y - y_) <= kSlop;
  armed_ = !isDouble;
  button_ = button;
  x_ = x;
  y_ = y;
  time_ = timeMs;
  return isDouble;
}

}  // namespace x11platform
