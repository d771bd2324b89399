// Translation of X11 input into the toolkit's terms. Pure functions of the values an X
// event carries, so that they need no display connection.
#pragma once

#include <cstdint>

#include "toolkit/cbuttonstate.h"

namespace x11platform {

// kShift, kControl and kAlt (Mod1) from the modifier state of an X input event.
std::int32_t modifiersFromState(unsigned int state);
// kLButton, kMButton and kRButton for the buttons held in the state of an X input event.
std::int32_t buttonsFromState(unsigned int state);
// The toolkit's flag for X button 1, 2 or 3; 0 for the others (wheel, side buttons).
std::int32_t buttonFlag(unsigned int button);

// The key event for a keysym (as XLookupString answers it, so Shift, Lock and NumLock are
// already applied) with the state of the X key event. False for keys the views do not use:
// modifiers on their own, function keys, keysyms without a character.
bool translateKey(unsigned long keysym, unsigned int state, CKeyEvent& out);

// Tells a double click from two single ones: the second press of the same button within
// kIntervalMs of the first and at most kSlop pixels away on each axis. A double click
// starts afresh, so a third press is a single click again.
class DoubleClickDetector {
 public:
  static constexpr std::uint32_t kIntervalMs = 400;
  static constexpr int kSlop = 4;

  // A press of button at (x, y) at the event's server time in milliseconds; answers
  // whether it completes a double click.
  bool press(unsigned int button, int x, int y, std::uint32_t timeMs);
  void reset() { armed_ = false; }

 private:
  bool armed_ = false;
  unsigned int button_ = 0;
  int x_ = 0;
  int y_ = 0;
  std::uint32_t time_ = 0;
};

}  // namespace x11platform
