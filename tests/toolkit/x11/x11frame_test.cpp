// The X11 frame against a private Xvfb: the test plays the host, with a window of its own on
// its own connection, and drives the pointer and keyboard with xdotool (XTest).
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/platform/iplatformframe.h"
#include "xvfb_server.h"

// After the toolkit's headers: X.h defines None.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

namespace {

enum class Kind { Down, Up, Moved, Exited, Wheel, Key, FocusLost };

struct Recorded {
  Kind kind = Kind::Down;
  CPoint where;
  std::int32_t buttons = 0;
  float distance = 0;
  CKeyEvent key;
};

Recorded pointer(Kind kind, const CPoint& where, std::int32_t buttons) {
  Recorded r;
  r.kind = kind;
  r.where = where;
  r.buttons = buttons;
  return r;
}

class Recorder : public IPlatformFrameCallback {
 public:
  PixelBuffer buffer;
  std::vector<Recorded> events;
  std::function<void()> onMouseDown;

  const PixelBuffer& platformFramebuffer() override { return buffer; }
  void platformOnMouseDown(const CPoint& where, const CButtonState& buttons) override {
    events.push_back(pointer(Kind::Down, where, buttons));
    if (onMouseDown) onMouseDown();
  }
  void platformOnMouseUp(const CPoint& where, const CButtonState& buttons) override {
    events.push_back(pointer(Kind::Up, where, buttons));
  }
  void platformOnMouseMoved(const CPoint& where, const CButtonState& buttons) override {
    events.push_back(pointer(Kind::Moved, where, buttons));
  }
  void platformOnMouseExited(const CPoint& where, const CButtonState& buttons) override {
    events.push_back(pointer(Kind::Exited, where, buttons));
  }
  void platformOnWheel(const CPoint& where, float distance, const CButtonState& buttons) override {
    Recorded r = pointer(Kind::Wheel, where, buttons);
    r.distance = distance;
    events.push_back(r);
  }
  bool platformOnKeyDown(const CKeyEvent& key) override {
    Recorded r = pointer(Kind::Key, {}, 0);
    r.key = key;
    events.push_back(r);
    return true;
  }
  void platformOnFocusLost() override { events.push_back(pointer(Kind::FocusLost, {}, 0)); }
  void platformOnTimer() override {}

  std::vector<Recorded> only(std::initializer_list<Kind> kinds) const {
    std::vector<Recorded> out;
    for (const Recorded& r : events)
      for (Kind k : kinds)
        if (r.kind == k) out.push_back(r);
    return out;
  }
  int count(Kind kind) const { return static_cast<int>(only({kind}).size()); }
};

// A recognisable picture: every pixel differs from its neighbours. The alpha byte varies
// too; the window must ignore it.
PixelBuffer pattern(int w, int h, std::uint32_t seed) {
  PixelBuffer b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.row(y)[x] = (static_cast<std::uint32_t>(x * 7 + y) << 24) |
                    ((static_cast<std::uint32_t>(x * 5 + seed) & 0xFF) << 16) |
                    ((static_cast<std::uint32_t>(y * 3 + seed) & 0xFF) << 8) | ((x + y + seed) & 0xFF);
  return b;
}

template <class Pred>
bool eventually(Pred pred, int timeoutMs = 3000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

int openDescriptors() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d)) ++n;
    ::closedir(d);
  }
  return n;
}

constexpr int kParentX = 50;
constexpr int kParentY = 40;
constexpr int kWidth = 320;
constexpr int kHeight = 200;

Window windowOf(const IPlatformFrame& frame) {
  return static_cast<Window>(reinterpret_cast<std::uintptr_t>(frame.getNativeHandle()));
}

// Pixel values of window as the server holds them, cut to the depth's bits.
std::vector<unsigned long> grab(Display* d, Window w, int width, int height) {
  std::vector<unsigned long> out;
  XImage* img = XGetImage(d, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!img) return out;
  const unsigned long mask = img->depth >= 32 ? 0xFFFFFFFFul : (1ul << img->depth) - 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.push_back(XGetPixel(img, x, y) & mask);
  XDestroyImage(img);
  return out;
}

std::vector<unsigned long> rgbOf(const PixelBuffer& b) {
  std::vector<unsigned long> out;
  for (std::uint32_t p : b.pixels) out.push_back(p & 0xFFFFFF);
  return out;
}

class X11Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new XvfbServer;
    if (!server_->start(24)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (!server_) GTEST_SKIP() << "Xvfb is not available";
    ::setenv("DISPLAY", server_->displayName().c_str(), 1);
    host_ = XOpenDisplay(nullptr);
    ASSERT_NE(host_, nullptr);
    parent_ = XCreateSimpleWindow(host_, DefaultRootWindow(host_), kParentX, kParentY, 400, 300, 0,
                                  BlackPixel(host_, 0), WhitePixel(host_, 0));
    XMapWindow(host_, parent_);
    XSync(host_, False);
    recorder_.buffer = pattern(kWidth, kHeight, 0);
    xdo("mousemove 1000 700");  // the pointer starts away from the window
  }

  void TearDown() override {
    frame_.reset();
    if (host_) {
      if (parent_) XDestroyWindow(host_, parent_);
      XCloseDisplay(host_);
    }
  }

  void openFrame() {
    frame_ = createPlatformFrame(parentHandle(), CRect(0, 0, kWidth, kHeight), &recorder_);
    ASSERT_NE(frame_, nullptr);
    child_ = windowOf(*frame_);
  }
  void* parentHandle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent_)); }

  static void xdo(const std::string& args) {
    const std::string command = "xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Pumps the frame until pred holds or a few seconds have passed.
  template <class Pred>
  bool pumpUntil(Pred pred, int timeoutMs = 3000) {
    return eventually(
        [&] {
          if (frame_) frame_->pumpEvents();
          return pred();
        },
        timeoutMs);
  }
  // Pumps for a moment, for events that must not come.
  void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
  }
  // Screen coordinates of a point of the frame.
  static std::string at(int x, int y) { return std::to_string(kParentX + x) + " " + std::to_string(kParentY + y); }

  static XvfbServer* server_;
  Display* host_ = nullptr;
  Window parent_ = 0;
  Window child_ = 0;
  Recorder recorder_;
  std::unique_ptr<IPlatformFrame> frame_;
};

XvfbServer* X11Test::server_ = nullptr;

// ---- creation and destruction

TEST_F(X11Test, FrameIsAMappedChildOfTheHostWindowWithItsSizeAndInputMasks) {
  openFrame();
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  ASSERT_TRUE(XQueryTree(host_, child_, &root, &parent, &children, &count));
  if (children) XFree(children);
  EXPECT_EQ(parent, parent_);
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(host_, child_, &a));
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.width, kWidth);
  EXPECT_EQ(a.height, kHeight);
  EXPECT_EQ(a.map_state, IsViewable);
  const long wanted = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask |
                      KeyPressMask | KeyReleaseMask | FocusChangeMask | ExposureMask | StructureNotifyMask;
  EXPECT_EQ(a.all_event_masks & wanted, wanted);
}

TEST_F(X11Test, NoFrameForUnusableArguments) {
  Window inputOnly = XCreateWindow(host_, parent_, 0, 0, 10, 10, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
  XSync(host_, False);
  auto handle = [](Window w) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(w)); };
  struct Case {
    const char* name;
    void* parent;
    CRect size;
    bool withCallback;
  } cases[] = {
      {"null parent", nullptr, CRect(0, 0, 100, 100), true},
      {"no such window", handle(0x1FFFFFE), CRect(0, 0, 100, 100), true},
      {"input-only parent", handle(inputOnly), CRect(0, 0, 100, 100), true},
      {"zero width", parentHandle(), CRect(0, 0, 0, 100), true},
      {"negative height", parentHandle(), CRect(0, 10, 100, 0), true},
      {"wider than X allows", parentHandle(), CRect(0, 0, 40000, 100), true},
      {"no callback", parentHandle(), CRect(0, 0, 100, 100), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A failure must come back as null, not as Xlib's default error handler ending the process.
    EXPECT_EQ(createPlatformFrame(c.parent, c.size, c.withCallback ? &recorder_ : nullptr), nullptr);
  }
  XDestroyWindow(host_, inputOnly);
}

TEST_F(X11Test, NoFrameWithoutADisplay) {
  ::unsetenv("DISPLAY");
  EXPECT_EQ(createPlatformFrame(parentHandle(), CRect(0, 0, 100, 100), &recorder_), nullptr);
}

TEST_F(X11Test, RepeatedOpenAndCloseLeavesNoConnectionsDescriptorsOrWindows) {
  // A connection's index among the server's clients: the server gives a new client the
  // lowest free one, so a fresh probe lands on the same index only if every frame's
  // connection is gone.
  auto probeClientIndex = [] {
    Display* probe = XOpenDisplay(nullptr);
    const unsigned long index = probe ? XAllocID(probe) >> 21 : 0;
    if (probe) XCloseDisplay(probe);
    return index;
  };
  const unsigned long clientBefore = probeClientIndex();
  const int descriptorsBefore = openDescriptors();
  for (int i = 0; i < 200; ++i) {
    auto frame = createPlatformFrame(parentHandle(), CRect(0, 0, kWidth, kHeight), &recorder_);
    ASSERT_NE(frame, nullptr) << "cycle " << i;
    frame->invalidRect(CRect(0, 0, kWidth, kHeight));
    frame->pumpEvents();
  }
  EXPECT_EQ(openDescriptors(), descriptorsBefore);
  EXPECT_TRUE(eventually([&] { return probeClientIndex() == clientBefore; }));
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XSync(host_, False);
  ASSERT_TRUE(XQueryTree(host_, parent_, &root, &parent, &children, &count));
  if (children) XFree(children);
  EXPECT_EQ(count, 0u);
}

TEST_F(X11Test, HostDestroyingItsWindowFirstIsSurvived) {
  openFrame();
  XDestroyWindow(host_, parent_);
  XSync(host_, False);
  parent_ = 0;
  // Every call now meets a window that is gone; none may end the process.
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  frame_->pumpEvents();
  frame_->invalidRect(CRect(0, 0, 10, 10));
  frame_->takeKeyboardFocus();
  frame_->releaseKeyboardFocus();
  frame_->pumpEvents();
  frame_.reset();
  SUCCEED();
}

TEST_F(X11Test, CallbackMayDestroyTheFrameWhileEventsArePumped) {
  openFrame();
  recorder_.onMouseDown = [this] { frame_.reset(); };
  xdo("mousemove " + at(30, 30) + " click 1 click 1");
  EXPECT_TRUE(pumpUntil([&] { return frame_ == nullptr; }));
  EXPECT_EQ(recorder_.count(Kind::Down), 1);
}

// ---- pixels

TEST_F(X11Test, InvalidRectShowsTheFramebufferPixelForPixel) {
  openFrame();
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  const auto expected = rgbOf(recorder_.buffer);
  EXPECT_TRUE(pumpUntil([&] { return grab(host_, child_, kWidth, kHeight) == expected; }));
}

TEST_F(X11Test, InvalidRectSendsOnlyItsPartCutToTheWindow) {
  openFrame();
  const PixelBuffer first = recorder_.buffer;
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  ASSERT_TRUE(pumpUntil([&] { return grab(host_, child_, kWidth, kHeight) == rgbOf(first); }));

  const PixelBuffer second = pattern(kWidth, kHeight, 99);
  struct Case {
    const char* name;
    CRect rect;
    CRect shown;  // the part that must show the second picture
  } cases[] = {
      {"inside", CRect(10, 20, 50, 60), CRect(10, 20, 50, 60)},
      {"over the right and bottom edges", CRect(300, 190, 400, 260), CRect(300, 190, kWidth, kHeight)},
      {"over the left and top edges", CRect(-30, -40, 5, 6), CRect(0, 0, 5, 6)},
      {"entirely outside", CRect(kWidth, 0, kWidth + 50, 50), CRect()},
      {"empty", CRect(40, 40, 40, 80), CRect()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.buffer = first;
    frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
    recorder_.buffer = second;
    frame_->invalidRect(c.rect);
    std::vector<unsigned long> expected = rgbOf(first);
    for (int y = c.shown.top; y < c.shown.bottom; ++y)
      for (int x = c.shown.left; x < c.shown.right; ++x)
        expected[static_cast<std::size_t>(y * kWidth + x)] = second.row(y)[x] & 0xFFFFFF;
    EXPECT_TRUE(pumpUntil([&] { return grab(host_, child_, kWidth, kHeight) == expected; }));
  }
}

TEST_F(X11Test, FramebufferSmallerThanTheWindowIsShownWhereItReaches) {
  openFrame();
  recorder_.buffer = PixelBuffer(kWidth, kHeight, 0xFF000000);
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  recorder_.buffer = pattern(100, 50, 7);
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  EXPECT_TRUE(pumpUntil([&] {
    const auto got = grab(host_, child_, kWidth, kHeight);
    if (got.size() != static_cast<std::size_t>(kWidth * kHeight)) return false;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const unsigned long want = (x < 100 && y < 50) ? (recorder_.buffer.row(y)[x] & 0xFFFFFF) : 0;
        if (got[static_cast<std::size_t>(y * kWidth + x)] != want) return false;
      }
    return true;
  }));
}

TEST_F(X11Test, ExposeRepaintsFromTheFramebuffer) {
  openFrame();
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  const auto expected = rgbOf(recorder_.buffer);
  ASSERT_TRUE(pumpUntil([&] { return grab(host_, child_, kWidth, kHeight) == expected; }));
  // Someone paints over the window, then the server asks for the contents again.
  GC gc = XCreateGC(host_, child_, 0, nullptr);
  XSetForeground(host_, gc, 0x00FF00);
  XFillRectangle(host_, child_, gc, 0, 0, kWidth, kHeight);
  XFreeGC(host_, gc);
  XClearArea(host_, child_, 0, 0, 0, 0, True);
  XSync(host_, False);
  EXPECT_TRUE(pumpUntil([&] { return grab(host_, child_, kWidth, kHeight) == expected; }));
}

TEST_F(X11Test, ParentOfAnotherVisualStillGetsAnOpaqueCorrectChild) {
  XVisualInfo info{};
  if (!XMatchVisualInfo(host_, DefaultScreen(host_), 32, TrueColor, &info)) GTEST_SKIP() << "no 32-bit visual";
  XSetWindowAttributes a{};
  a.colormap = XCreateColormap(host_, DefaultRootWindow(host_), info.visual, AllocNone);
  a.border_pixel = 0;
  a.background_pixel = 0;
  Window argbParent = XCreateWindow(host_, DefaultRootWindow(host_), 0, 0, 400, 300, 0, 32, InputOutput, info.visual,
                                    CWColormap | CWBorderPixel | CWBackPixel, &a);
  XMapWindow(host_, argbParent);
  XSync(host_, False);
  frame_ = createPlatformFrame(reinterpret_cast<void*>(static_cast<std::uintptr_t>(argbParent)),
                               CRect(0, 0, kWidth, kHeight), &recorder_);
  ASSERT_NE(frame_, nullptr);
  frame_->invalidRect(CRect(0, 0, kWidth, kHeight));
  const auto expected = rgbOf(recorder_.buffer);
  EXPECT_TRUE(pumpUntil([&] {
    const auto got = grab(host_, windowOf(*frame_), kWidth, kHeight);
    if (got.size() != expected.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i)
      if ((got[i] & 0xFFFFFF) != expected[i]) return false;
    return true;
  }));
  frame_.reset();
  XDestroyWindow(host_, argbParent);
  XFreeColormap(host_, a.colormap);
}

// ---- pointer

TEST_F(X11Test, ClicksReportButtonModifiersAndFrameCoordinates) {
  openFrame();
  struct Case {
    const char* name;
    std::string actions;
    std::int32_t buttons;
  } cases[] = {
      {"left", "click 1", kLButton},
      {"middle", "click 2", kMButton},
      {"right", "click 3", kRButton},
      {"shift left", "keydown shift click 1 keyup shift", kLButton | kShift},
      {"control right", "keydown ctrl click 3 keyup ctrl", kRButton | kControl},
      {"alt left", "keydown alt click 1 keyup alt", kLButton | kAlt},
  };
  int x = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.events.clear();
    x += 40;  // far enough apart that no two clicks make a double click
    xdo("mousemove " + at(x, 70) + " " + c.actions);
    ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Up) == 1; }));
    const auto presses = recorder_.only({Kind::Down, Kind::Up});
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].kind, Kind::Down);
    EXPECT_EQ(presses[0].where, CPoint(x, 70));
    EXPECT_EQ(presses[0].buttons, c.buttons);
    EXPECT_EQ(presses[1].where, CPoint(x, 70));
    EXPECT_EQ(presses[1].buttons, c.buttons);
  }
}

TEST_F(X11Test, ChordedButtonsCarryTheOnesStillHeld) {
  openFrame();
  xdo("mousemove " + at(90, 90) + " mousedown 1 click 3 mouseup 1");
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Up) == 2; }));
  const auto presses = recorder_.only({Kind::Down, Kind::Up});
  ASSERT_EQ(presses.size(), 4u);
  const std::pair<Kind, std::int32_t> expected[] = {
      {Kind::Down, kLButton}, {Kind::Down, kLButton | kRButton}, {Kind::Up, kLButton | kRButton}, {Kind::Up, kLButton}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(presses[i].kind, expected[i].first) << i;
    EXPECT_EQ(presses[i].buttons, expected[i].second) << i;
  }
}

TEST_F(X11Test, SecondQuickPressIsADoubleClickButASlowOneIsNot) {
  openFrame();
  struct Case {
    const char* name;
    std::string actions;
    bool doubleClick;
  } cases[] = {
      {"quick", "click --repeat 2 --delay 10 1", true},
      {"slow", "click 1 sleep 0.6 click 1", false},
      {"moved away", "click 1 mousemove_relative 20 0 click 1", false},
  };
  int y = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.events.clear();
    y += 40;
    xdo("mousemove " + at(100, y) + " " + c.actions);
    ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Up) == 2; }));
    const auto downs = recorder_.only({Kind::Down});
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_FALSE(downs[0].buttons & kDoubleClick);
    EXPECT_EQ((downs[1].buttons & kDoubleClick) != 0, c.doubleClick);
  }
}

TEST_F(X11Test, DragReportsHeldButtonAndFollowsThePointerOutsideTheWindow) {
  openFrame();
  // 20,20 on the screen is left of and above the host's window: only the implicit grab of
  // the press brings those moves and the release to the frame.
  xdo("mousemove " + at(150, 120) + " mousedown 1 mousemove " + at(200, 160) + " mousemove 20 20 mouseup 1");
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Up) == 1; }));
  const auto events = recorder_.only({Kind::Down, Kind::Moved, Kind::Up});
  ASSERT_GE(events.size(), 3u);
  const Recorded& lastMove = events[events.size() - 2];
  EXPECT_EQ(lastMove.kind, Kind::Moved);
  EXPECT_EQ(lastMove.where, CPoint(20 - kParentX, 20 - kParentY));
  EXPECT_EQ(lastMove.buttons, kLButton);
  EXPECT_EQ(events.back().where, CPoint(20 - kParentX, 20 - kParentY));
  for (const Recorded& r : events)
    if (r.kind == Kind::Moved && r.where == CPoint(200, 160)) {
      EXPECT_EQ(r.buttons, kLButton);
    }
  // The pointer is still the frame's while the button is held; it leaves with the release.
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Exited) == 1; }));
  EXPECT_EQ(recorder_.events.back().kind, Kind::Exited);
  EXPECT_EQ(recorder_.events.back().buttons, 0);
}

TEST_F(X11Test, WheelNotchesAndIgnoredButtons) {
  openFrame();
  struct Case {
    const char* name;
    const char* actions;
    int wheels;
    float distance;
  } cases[] = {
      {"up", "click 4", 1, 1.0f},
      {"down", "click 5", 1, -1.0f},
      {"horizontal and side buttons", "click 6 click 7 click 8 click 9", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    recorder_.events.clear();
    xdo("mousemove " + at(40, 50) + " " + c.actions + " click 1");  // the left click marks the end
    ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Up) == 1; }));
    const auto wheels = recorder_.only({Kind::Wheel});
    ASSERT_EQ(static_cast<int>(wheels.size()), c.wheels);
    if (c.wheels) {
      EXPECT_EQ(wheels[0].distance, c.distance);
      EXPECT_EQ(wheels[0].where, CPoint(40, 50));
    }
    EXPECT_EQ(recorder_.count(Kind::Down), 1);  // the marker click only
  }
}

TEST_F(X11Test, PointerEnteringMovesAndLeavingExits) {
  openFrame();
  xdo("mousemove " + at(60, 60));
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Moved) >= 1; }));
  EXPECT_EQ(recorder_.only({Kind::Moved}).back().where, CPoint(60, 60));
  EXPECT_EQ(recorder_.count(Kind::Exited), 0);
  // Out of the frame but still over the host's window.
  xdo("mousemove " + at(kWidth + 30, 60));
  EXPECT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Exited) == 1; }));
}

// ---- keyboard

// Binds keysyms to keycodes that have none, as a layout switch would.
void bindSpareKeycodes(Display* d, std::initializer_list<KeySym> keysyms) {
  int low = 0, high = 0, perCode = 0;
  XDisplayKeycodes(d, &low, &high);
  KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &perCode);
  auto next = keysyms.begin();
  for (int code = high; code >= low && next != keysyms.end(); --code) {
    bool unused = true;
    for (int i = 0; i < perCode; ++i) unused = unused && map[(code - low) * perCode + i] == NoSymbol;
    if (!unused) continue;
    KeySym sym[2] = {*next, *next};
    XChangeKeyboardMapping(d, code, 2, sym, 1);
    ++next;
  }
  XFree(map);
  XSync(d, False);
}

TEST_F(X11Test, KeysReachTheFocusedFrameAsCharactersOrVirtualKeys) {
  openFrame();
  frame_->takeKeyboardFocus();
  // One key first, so that the frame holds the old layout when the host changes it: it must
  // follow the change. (Keysyms that are in no layout, xdotool maps only for the moment of
  // its key press, too briefly for a test to catch.)
  xdo("key a");
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Key) == 1; }));
  bindSpareKeycodes(host_, {XK_eacute, XK_EuroSign, 0x1000436});
  struct Case {
    const char* keys;
    char32_t character;
    VirtualKey virt;
    std::int32_t modifiers;
  } cases[] = {
      {"a", U'a', VirtualKey{}, 0},
      {"shift+a", U'A', VirtualKey{}, kShift},
      {"ctrl+c", U'c', VirtualKey{}, kControl},
      {"alt+x", U'x', VirtualKey{}, kAlt},
      {"eacute", U'\u00E9', VirtualKey{}, 0},
      {"EuroSign", U'\u20AC', VirtualKey{}, 0},
      {"U0436", U'\u0436', VirtualKey{}, 0},
      {"KP_Add", U'+', VirtualKey{}, 0},
      {"BackSpace", 0, VirtualKey::Back, 0},
      {"Tab", 0, VirtualKey::Tab, 0},
      {"shift+Tab", 0, VirtualKey::Tab, kShift},
      {"Return", 0, VirtualKey::Return, 0},
      {"KP_Enter", 0, VirtualKey::Return, 0},
      {"Escape", 0, VirtualKey::Escape, 0},
      {"Delete", 0, VirtualKey::Delete, 0},
      {"Left", 0, VirtualKey::Left, 0},
      {"Right", 0, VirtualKey::Right, 0},
      {"Up", 0, VirtualKey::Up, 0},
      {"Down", 0, VirtualKey::Down, 0},
      {"Home", 0, VirtualKey::Home, 0},
      {"End", 0, VirtualKey::End, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    recorder_.events.clear();
    xdo(std::string("key ") + c.keys);
    ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Key) == 1; }));
    const CKeyEvent key = recorder_.only({Kind::Key})[0].key;
    EXPECT_EQ(key.character, c.character);
    EXPECT_EQ(key.virt, c.virt);
    EXPECT_EQ(key.modifiers, c.modifiers);
  }
  // Modifiers alone and function keys are no key events; the letter after them marks the end.
  recorder_.events.clear();
  xdo("key Shift_L Control_L F1 Caps_Lock Caps_Lock z");
  ASSERT_TRUE(pumpUntil([&] { return recorder_.count(Kind::Key) >= 1; }));
  pumpFor(100);
  ASSERT_EQ(recorder_.count(Kind::Key), 1);
  EXPECT_EQ(recorder_.only({Kind::Key})[0].key.character, U'z');
}

TEST_F(X11Test, FocusLossIsReportedAndReleaseHandsFocusBackOnlyWhenHeld) {
  openFrame();
  Window focus = 0;
  int revert = 0;

  frame_->takeKeyboardFocus();
  ASSERT_TRUE(eventually([&] {
    XGetInputFocus(host_, &focus, &revert);
    return focus == child_;
  }));
  // The host takes the focus: the frame hears of it (an open text edit commits).
  XSetInputFocus(host_, parent_, RevertToParent, CurrentTime);
  XSync(host_, False);
  EXPECT_TRUE(pumpUntil([&] { return recorder_.count(Kind::FocusLost) == 1; }));

  // Held: released to the host's window.
  frame_->takeKeyboardFocus();
  ASSERT_TRUE(eventually([&] {
    XGetInputFocus(host_, &focus, &revert);
    return focus == child_;
  }));
  frame_->releaseKeyboardFocus();
  XGetInputFocus(host_, &focus, &revert);
  EXPECT_EQ(focus, parent_);

  // Not held: the focus stays where the user put it.
  Window other = XCreateSimpleWindow(host_, DefaultRootWindow(host_), 600, 400, 50, 50, 0, 0, 0);
  XMapWindow(host_, other);
  XSync(host_, False);
  XSetInputFocus(host_, other, RevertToParent, CurrentTime);
  XSync(host_, False);
  frame_->releaseKeyboardFocus();
  XGetInputFocus(host_, &focus, &revert);
  EXPECT_EQ(focus, other);
  XDestroyWindow(host_, other);
}

TEST_F(X11Test, NoNativeTextEditOrMenu) {
  openFrame();
  TextEditParams params;
  EXPECT_EQ(frame_->createTextEdit(params, nullptr), nullptr);
  OptionMenuRequest menu;
  menu.titles = {"a", "b"};
  int chosen = 5;
  EXPECT_FALSE(frame_->popupOptionMenu(menu, chosen));
  EXPECT_EQ(chosen, -1);
}

// ---- other screen depths

struct DepthCase {
  int depth;
  // Expected pixel values of white, black, red, green, blue, grey 0x808080 and 0x123456;
  // 0 for "from the visual's masks" where the layout is the server's choice.
  unsigned long values[7];
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << "depth " << c.depth; }

class X11DepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(X11DepthTest, ColoursArriveInTheVisualsLayout) {
  const DepthCase& c = GetParam();
  XvfbServer server;
  if (!server.start(c.depth)) GTEST_SKIP() << "Xvfb with depth " << c.depth << " is not available";
  ::setenv("DISPLAY", server.displayName().c_str(), 1);
  Display* host = XOpenDisplay(nullptr);
  ASSERT_NE(host, nullptr);
  Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 100, 20, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);

  const std::uint32_t colours[7] = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080, 0xFF123456};
  Recorder recorder;
  recorder.buffer = PixelBuffer(70, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 70; ++x) recorder.buffer.row(y)[x] = colours[x / 10];
  auto frame =
      createPlatformFrame(reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)), CRect(0, 0, 70, 10), &recorder);
  ASSERT_NE(frame, nullptr);
  frame->invalidRect(CRect(0, 0, 70, 10));

  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(host, windowOf(*frame), &a));
  ASSERT_EQ(a.visual->c_class, TrueColor);
  const unsigned long r = a.visual->red_mask, g = a.visual->green_mask, b = a.visual->blue_mask;
  const unsigned long fromMasks[7] = {r | g | b, 0, r, g, b, 0, 0};
  // Columns whose value is the server's choice (the grey shades at depth 8) are not compared.
  constexpr unsigned long kAny = ~0ul;
  unsigned long want[7];
  for (int i = 0; i < 7; ++i) want[i] = c.values[i] ? c.values[i] : (i < 5 ? fromMasks[i] : kAny);
  std::vector<unsigned long> got;
  auto matches = [&] {
    if (got.size() != 700u) return false;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 70; ++x) {
        const unsigned long w = want[x / 10];
        if (w != kAny && got[static_cast<std::size_t>(y * 70 + x)] != w) return false;
      }
    return true;
  };
  EXPECT_TRUE(eventually([&] {
    frame->pumpEvents();
    got = grab(host, windowOf(*frame), 70, 10);
    return matches();
  }));
  for (int i = 0; i < 7 && got.size() == 700u; ++i)
    if (want[i] != kAny) {
      EXPECT_EQ(got[static_cast<std::size_t>(i * 10)], want[i]) << "colour " << i;
    }
  frame.reset();
  XCloseDisplay(host);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, X11DepthTest,
    ::testing::Values(DepthCase{16, {0xFFFF, 0, 0xF800, 0x07E0, 0x001F, 0x8410, 0x11AA}},
                      DepthCase{15, {0x7FFF, 0, 0x7C00, 0x03E0, 0x001F, 0x4210, 0x08CA}},
                      DepthCase{30, {0x3FFFFFFF, 0, 0x3FF00000, 0x000FFC00, 0x3FF, 0x20280A02, 0x04834159}},
                      // A PseudoColor screen: the frame picks the server's 8-bit TrueColor visual.
                      DepthCase{8, {0, 0, 0, 0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<DepthCase>& info) { return "Depth" + std::to_string(info.param.depth); });

}  // namespace
