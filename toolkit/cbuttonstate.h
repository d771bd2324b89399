// Mouse buttons, modifier keys and key events as the views receive them.
#pragma once

#include <cstdint>

enum CButton : std::int32_t {
  kLButton = 1 << 1,
  kMButton = 1 << 2,
  kRButton = 1 << 3,
  kShift = 1 << 4,
  kControl = 1 << 5,
  kAlt = 1 << 6,
  kDoubleClick = 1 << 7,
};

class CButtonState {
 public:
  constexpr CButtonState(std::int32_t state = 0) : state_(state) {}
  constexpr std::int32_t getButtonState() const { return state_ & (kLButton | kMButton | kRButton); }
  constexpr std::int32_t getModifierState() const { return state_ & (kShift | kControl | kAlt); }
  constexpr bool isLeftButton() const { return (state_ & kLButton) != 0; }
  constexpr bool isRightButton() const { return (state_ & kRButton) != 0; }
  constexpr bool isDoubleClick() const { return (state_ & kDoubleClick) != 0; }
  constexpr operator std::int32_t() const { return state_; }
  constexpr std::int32_t operator&(std::int32_t mask) const { return state_ & mask; }
  constexpr bool operator==(const CButtonState& o) const { return state_ == o.state_; }

 private:
  std::int32_t state_;
};

enum CMouseEventResult {
  kMouseEventNotImplemented = 0,
  kMouseEventHandled,
  kMouseEventNotHandled,
  // The press was consumed, but the view wants neither the moves nor the release.
  kMouseDownEventHandledButDontNeedMovedOrUpEvents,
};

// Keys other than text. A key event carries either a character (Unicode code point) or one
// of these.
enum class VirtualKey : std::int32_t {
  None = 0,
  Back,
  Tab,
  Return,
  Escape,
  Delete,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
};

struct CKeyEvent {
  char32_t character = 0;                  // 0 when the key is a virtual key
  VirtualKey virt = VirtualKey::None;
  std::int32_t modifiers = 0;              // kShift, kControl, kAlt
};
