// A platform frame without a window, for tests and off-screen rendering: it records what the
// frame asks of the window system (shown areas, pointer capture, keyboard focus) and has no
// native menu or text box unless a test supplies one. HeadlessFrame drives a CFrame through
// it the way a window system would: pointer, wheel and key events, the tick, idle calls, and
// the framebuffer written as PNG.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/cframe.h"
#include "toolkit/platform/iplatformframe.h"

class HeadlessPlatformFrame : public IPlatformFrame {
 public:
  using MenuHandler = std::function<int(const OptionMenuRequest& request)>;
  using TextEditFactory = std::function<std::unique_ptr<IPlatformTextEdit>(const TextEditParams& params,
                                                                           IPlatformTextEditCallback* callback)>;

  HeadlessPlatformFrame() = default;

  void invalidRect(const CRect& rect) override { invalidated_.push_back(rect); }
  void pumpEvents() override {}
  void setMouseCapture(bool capture) override { captured_ = capture; }
  void takeKeyboardFocus() override { keyboardFocus_ = true; }
  void releaseKeyboardFocus() override { keyboardFocus_ = false; }
  void* getNativeHandle() const override { return nullptr; }
  std::unique_ptr<IPlatformTextEdit> createTextEdit(const TextEditParams& params,
                                                    IPlatformTextEditCallback* callback) override;
  bool popupOptionMenu(const OptionMenuRequest& request, int& chosen) override;

  // The areas shown since the last clear, in order.
  const std::vector<CRect>& invalidatedRects() const { return invalidated_; }
  void clearInvalidatedRects() { invalidated_.clear(); }
  bool hasMouseCapture() const { return captured_; }
  bool hasKeyboardFocus() const { return keyboardFocus_; }

  // Native facilities for tests: a menu that answers the handler's choice (-1: dismissed),
  // a text box made by the factory. Without them the toolkit draws its own.
  void setNativeMenu(MenuHandler handler) { menu_ = std::move(handler); }
  void setNativeTextEdit(TextEditFactory factory) { textEdit_ = std::move(factory); }

 private:
  std::vector<CRect> invalidated_;
  bool captured_ = false;
  bool keyboardFocus_ = false;
  MenuHandler menu_;
  TextEditFactory textEdit_;
};

class HeadlessFrame {
 public:
  // Drives frame, owned elsewhere (an editor's): binds it to a headless platform frame unless
  // it already has one. The frame must outlive this object's use. Either way the frame's
  // tick becomes this object's (0 until set).
  explicit HeadlessFrame(CFrame& frame);
  // Drives and owns frame.
  explicit HeadlessFrame(std::unique_ptr<CFrame> frame);
  HeadlessFrame(const HeadlessFrame&) = delete;
  HeadlessFrame& operator=(const HeadlessFrame&) = delete;

  CFrame& frame() { return *frame_; }
  HeadlessPlatformFrame& platform() { return *platform_; }
  const PixelBuffer& pixels() const { return frame_->getFramebuffer(); }

  // Pointer events in frame coordinates. buttons holds the buttons and modifiers: pressed
  // ones for a press and a move, the released one for a release.
  void mouseDown(const CPoint& where, const CButtonState& buttons = kLButton);
  void mouseUp(const CPoint& where, const CButtonState& buttons = kLButton);
  void mouseMove(const CPoint& where, const CButtonState& buttons = 0);
  void mouseExit(const CPoint& where = CPoint(-1, -1));
  void wheel(const CPoint& where, float distance, const CButtonState& buttons = 0);
  // A press and a release at the same place.
  void click(const CPoint& where, const CButtonState& buttons = kLButton);
  // A press at from, moves in steps to to with the buttons held, the release at to.
  void drag(const CPoint& from, const CPoint& to, const CButtonState& buttons = kLButton, int steps = 4);

  // Keys; answers whether a view used them.
  bool key(const CKeyEvent& event);
  bool key(VirtualKey key, std::int32_t modifiers = 0);
  // One key event per code point of the UTF-8 text.
  void type(std::string_view utf8);
  void focusLost();

  // The frame's tick (milliseconds).
  void setTicks(std::uint32_t ticks);
  void advance(std::uint32_t ms);
  std::uint32_t ticks() const { return ticks_; }
  // The frame's idle: timers, then the redraw of what is dirty.
  void idle();
  bool writePng(const std::string& path) const;

 private:
  void bind();

  std::unique_ptr<CFrame> owned_;
  CFrame* frame_;
  HeadlessPlatformFrame* platform_ = nullptr;
  std::uint32_t ticks_ = 0;
};

// While it exists, CFrame::open makes headless platform frames (so an editor opens in a
// test without a window system); last() is the newest one.
class HeadlessPlatformScope {
 public:
  HeadlessPlatformScope();
  ~HeadlessPlatformScope();
  HeadlessPlatformScope(const HeadlessPlatformScope&) = delete;
  HeadlessPlatformScope& operator=(const HeadlessPlatformScope&) = delete;

  HeadlessPlatformFrame* last() const { return last_; }
  int opened() const { return opened_; }

 private:
  HeadlessPlatformFrame* last_ = nullptr;
  int opened_ = 0;
};
