// Checks of the toolkit's Win32 window layer, run under wine in a virtual X display: the frame
// window (class, geometry, painting, mouse, keys, focus, timer), the inline text edit, popup
// menus, the modal dialogs and the GUI objects left after many windows.
// A plain program (GoogleTest is not available for mingw-w64); exits non-zero on failure.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/platform/iplatformframe.h"
#include "toolkit/platform/win32/widetext.h"
#include "toolkit/platform/win32/win32frame.h"
#include "toolkit/platform/win32/win32optionmenu.h"

namespace {

int gFailures = 0;

void check(bool ok, const std::string& what) {
  if (ok) return;
  ++gFailures;
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
}

void passed(const char* what) { std::printf("checked: %s\n", what); }

// Handles the messages that arrive within ms milliseconds.
void pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

// The keys GetKeyState reports as held, for the modifier checks.
void holdKeys(std::initializer_list<int> keys) {
  BYTE state[256] = {};
  for (int key : keys) state[key] = 0x80;
  SetKeyboardState(state);
}

std::uint32_t patternA(int x, int y) {
  return 0xFF000000u | static_cast<std::uint32_t>((x * 4) & 0xFF) << 16 |
         static_cast<std::uint32_t>((y * 5) & 0xFF) << 8 | static_cast<std::uint32_t>((x ^ y) & 0xFF);
}
std::uint32_t patternB(int x, int y) { return 0xFF000000u | (patternA(y, x) ^ 0x00A5C3E1u); }

PixelBuffer filled(int width, int height, std::uint32_t (*pattern)(int, int)) {
  PixelBuffer buffer(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) buffer.row(y)[x] = pattern(x, y);
  }
  return buffer;
}

// What a window shows, read from its device context (colour only, alpha set).
PixelBuffer capture(HWND window, int width, int height) {
  PixelBuffer shot(width, height);
  const HDC source = GetDC(window);
  const HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = pixels[i] | 0xFF000000u;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return shot;
}

// The first pixel of area where the window differs from expected(x, y), or "" when none does.
std::string firstDifference(const PixelBuffer& shot, const RECT& area,
                            const std::function<std::uint32_t(int, int)>& expected) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const std::uint32_t want = expected(x, y) | 0xFF000000u;
      if (shot.row(y)[x] == want) continue;
      char text[96];
      std::snprintf(text, sizeof text, " (first at %d,%d: %08X, expected %08X)", x, y, shot.row(y)[x], want);
      return text;
    }
  }
  return "";
}

struct Event {
  char kind = 0;  // d(own) u(p) m(oved) x (exited) w(heel) k(ey)
  CPoint where;
  std::int32_t buttons = 0;
  float distance = 0;
  CKeyEvent key;
};

class Recorder : public IPlatformFrameCallback {
 public:
  PixelBuffer framebuffer;
  std::vector<Event> events;
  int timerCalls = 0;
  int focusLost = 0;

  const PixelBuffer& platformFramebuffer() override { return framebuffer; }
  void platformOnMouseDown(const CPoint& where, const CButtonState& buttons) override { add('d', where, buttons); }
  void platformOnMouseUp(const CPoint& where, const CButtonState& buttons) override { add('u', where, buttons); }
  void platformOnMouseMoved(const CPoint& where, const CButtonState& buttons) override { add('m', where, buttons); }
  void platformOnMouseExited(const CPoint& where, const CButtonState& buttons) override { add('x', where, buttons); }
  void platformOnWheel(const CPoint& where, float distance, const CButtonState& buttons) override {
    add('w', where, buttons);
    events.back().distance = distance;
  }
  bool platformOnKeyDown(const CKeyEvent& key) override {
    add('k', {}, 0);
    events.back().key = key;
    return true;
  }
  void platformOnFocusLost() override { ++focusLost; }
  void platformOnTimer() override { ++timerCalls; }

 private:
  void add(char kind, const CPoint& where, std::int32_t buttons) {
    Event event;
    event.kind = kind;
    event.where = where;
    event.buttons = buttons;
    events.push_back(event);
  }
};

class EditRecorder : public IPlatformTextEditCallback {
 public:
  std::vector<std::string> changes;
  std::vector<std::string> commits;
  int cancels = 0;
  // Destroyed from inside the commit or cancel, as the toolkit's text edit does.
  std::unique_ptr<IPlatformTextEdit>* owner = nullptr;

  void platformTextChanged(const std::string& text) override { changes.push_back(text); }
  void platformTextCommit(const std::string& text) override {
    commits.push_back(text);
    if (owner) owner->reset();
  }
  void platformTextCancel() override {
    ++cancels;
    if (owner) owner->reset();
  }
};

constexpr wchar_t kHostClass[] = L"StellixCheckHost";

HWND makeHostWindow(int width, int height) {
  return CreateWindowExW(0, kHostClass, L"Stellix check host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 40,
                         40, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND frameWindow(const IPlatformFrame& frame) { return static_cast<HWND>(frame.getNativeHandle()); }

bool classRegistered() {
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  return GetClassInfoExW(GetModuleHandleW(nullptr), Win32Frame::windowClassName().c_str(), &info) != FALSE;
}

RECT rectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void frameWindow(HWND host) {
  Recorder recorder;
  recorder.framebuffer = filled(300, 200, patternA);
  check(!createPlatformFrame(nullptr, CRect(0, 0, 300, 200), &recorder), "no frame without a parent");
  check(!createPlatformFrame(reinterpret_cast<void*>(0x7FF0), CRect(0, 0, 300, 200), &recorder),
        "no frame in a window that does not exist");
  check(!classRegistered(), "a failed frame leaves no window class");

  auto frame = createPlatformFrame(host, CRect(0, 0, 300, 200), &recorder);
  check(frame != nullptr, "a frame in a window");
  if (!frame) return;
  const HWND window = frameWindow(*frame);
  RECT client;
  GetClientRect(window, &client);
  const RECT placed = rectInParent(window);
  check(GetParent(window) == host, "the frame is a child of the host's window");
  check(client.right == 300 && client.bottom == 200, "the frame's window has the frame's size");
  check(placed.left == 0 && placed.top == 0, "the frame's window is at the parent's top-left");
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  check((style & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)) == (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN),
        "child, visible, clipping its children");

  wchar_t className[128] = {};
  GetClassNameW(window, className, 128);
  wchar_t expected[64];
  std::swprintf(expected, 64, L"KorvanStellixFrame%llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr))));
  check(std::wcscmp(className, expected) == 0, "the class name holds the module's handle: " + utf8FromWide(className));
  check((GetClassLongPtrW(window, GCL_STYLE) & CS_DBLCLKS) != 0, "the class reports double clicks");
  check(GetWindowLongPtrW(window, GWLP_HINSTANCE) == reinterpret_cast<LONG_PTR>(GetModuleHandleW(nullptr)),
        "the window belongs to the module");

  // Two frames share the class; it goes with the last of them.
  auto second = createPlatformFrame(host, CRect(0, 0, 50, 40), &recorder);
  check(second && frameWindow(*second) != window, "a second frame in the same window");
  frame.reset();
  check(!IsWindow(window), "the frame's window goes with the frame");
  check(classRegistered(), "the class stays while a frame is left");
  second.reset();
  check(!classRegistered(), "the class goes with the last frame");

  // A host that destroys its window before closing the editor.
  const HWND doomed = makeHostWindow(200, 200);
  auto orphan = createPlatformFrame(doomed, CRect(0, 0, 100, 100), &recorder);
  const HWND orphanWindow = orphan ? frameWindow(*orphan) : nullptr;
  DestroyWindow(doomed);
  check(orphan && !IsWindow(orphanWindow) && orphan->getNativeHandle() == nullptr,
        "the frame forgets a window destroyed with its parent");
  if (orphan) {
    orphan->invalidRect(CRect(0, 0, 10, 10));
    orphan->setMouseCapture(true);
    orphan->takeKeyboardFocus();
    int chosen = 0;
    check(!orphan->popupOptionMenu(OptionMenuRequest{}, chosen), "no menu without a window");
    check(!orphan->createTextEdit(TextEditParams{}, nullptr), "no text edit without a window");
  }
  orphan.reset();
  check(!classRegistered(), "the class goes after a frame whose window went first");
  passed("frame window: parent, size, position, style, per-module class name, class lifetime");
}

void painting(HWND host) {
  Recorder recorder;
  recorder.framebuffer = filled(64, 48, patternA);
  auto frame = createPlatformFrame(host, CRect(0, 0, 64, 48), &recorder);
  if (!frame) return check(false, "a frame to paint");
  const HWND window = frameWindow(*frame);
  UpdateWindow(window);
  pump(50);
  PixelBuffer shot = capture(window, 64, 48);
  std::string difference = firstDifference(shot, RECT{0, 0, 64, 48}, patternA);
  check(difference.empty(), "the window shows the framebuffer" + difference);

  // Only the invalidated part is painted again, from the same place in the framebuffer.
  recorder.framebuffer = filled(64, 48, patternB);
  frame->invalidRect(CRect(10, 5, 30, 25));
  UpdateWindow(window);
  shot = capture(window, 64, 48);
  difference = firstDifference(shot, RECT{0, 0, 64, 48}, [](int x, int y) {
    return x >= 10 && x < 30 && y >= 5 && y < 25 ? patternB(x, y) : patternA(x, y);
  });
  check(difference.empty(), "an invalid rectangle shows its own pixels and nothing else" + difference);

  // A framebuffer smaller than the window, and none at all: black beyond it.
  for (const auto& [width, height] : {std::pair{32, 16}, std::pair{0, 0}}) {
    recorder.framebuffer = filled(width, height, patternB);
    frame->invalidRect(CRect(0, 0, 64, 48));
    UpdateWindow(window);
    shot = capture(window, 64, 48);
    difference = firstDifference(shot, RECT{0, 0, 64, 48},
                                 [&](int x, int y) { return x < width && y < height ? patternB(x, y) : 0u; });
    check(difference.empty(), "the window beyond a " + std::to_string(width) + "x" + std::to_string(height) +
                                  " framebuffer is black" + difference);
  }
  passed("painting: whole window, an invalid rectangle, framebuffer smaller than the window or empty");
}

void mouse(HWND host) {
  Recorder recorder;
  recorder.framebuffer = filled(300, 200, patternA);
  auto frame = createPlatformFrame(host, CRect(0, 0, 300, 200), &recorder);
  if (!frame) return check(false, "a frame for the mouse");
  const HWND window = frameWindow(*frame);
  // The pointer over the frame, so that leave tracking holds until the synthetic leave.
  POINT centre{150, 100};
  ClientToScreen(window, &centre);
  SetCursorPos(centre.x, centre.y);
  pump(100);

  struct Case {
    const char* what;
    UINT message;
    WPARAM keys;
    int x, y;
    std::initializer_list<int> held;  // keys held for GetKeyState
    char kind;
    std::int32_t buttons;
    bool captured;  // the frame holds the pointer afterwards
  };
  // clang-format off
  const Case cases[] = {
      {"left press with Shift", WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 10, 20, {}, 'd', kLButton | kShift, true},
      {"move outside while held", WM_MOUSEMOVE, MK_LBUTTON, -5, 300, {}, 'm', kLButton, true},
      {"left release", WM_LBUTTONUP, 0, 12, 22, {}, 'u', kLButton, false},
      {"left double click with Control", WM_LBUTTONDBLCLK, MK_LBUTTON | MK_CONTROL, 3, 4, {}, 'd',
       kLButton | kControl | kDoubleClick, true},
      {"left release after it", WM_LBUTTONUP, 0, 3, 4, {}, 'u', kLButton, false},
      {"right press", WM_RBUTTONDOWN, MK_RBUTTON, 299, 199, {}, 'd', kRButton, true},
      {"middle press with right held", WM_MBUTTONDOWN, MK_MBUTTON | MK_RBUTTON, 7, 8, {}, 'd', kMButton | kRButton,
       true},
      {"middle release, right still held", WM_MBUTTONUP, MK_RBUTTON, 7, 8, {}, 'u', kMButton | kRButton, true},
      {"right release, the last button", WM_RBUTTONUP, 0, 7, 8, {}, 'u', kRButton, false},
      {"right double click", WM_RBUTTONDBLCLK, MK_RBUTTON, 1, 2, {}, 'd', kRButton | kDoubleClick, true},
      {"right release after it", WM_RBUTTONUP, 0, 1, 2, {}, 'u', kRButton, false},
      {"middle double click", WM_MBUTTONDBLCLK, MK_MBUTTON, 1, 2, {}, 'd', kMButton | kDoubleClick, true},
      {"middle release after it", WM_MBUTTONUP, 0, 1, 2, {}, 'u', kMButton, false},
      {"left press with Alt", WM_LBUTTONDOWN, MK_LBUTTON, 5, 6, {VK_MENU}, 'd', kLButton | kAlt, true},
      {"left release with Alt", WM_LBUTTONUP, 0, 5, 6, {VK_MENU}, 'u', kLButton | kAlt, false},
      {"move without buttons", WM_MOUSEMOVE, 0, 40, 50, {}, 'm', 0, false},
      {"move with Shift and Control", WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL, 41, 51, {}, 'm', kShift | kControl, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    holdKeys(c.held);
    recorder.events.clear();
    SendMessageW(window, c.message, c.keys, MAKELPARAM(c.x, c.y));
    const bool one = recorder.events.size() == 1;
    const Event event = one ? recorder.events[0] : Event{};
    check(one && event.kind == c.kind && event.where == CPoint(c.x, c.y) && event.buttons == c.buttons,
          std::string(c.what) + ": kind, point and buttons");
    check((GetCapture() == window) == c.captured, std::string(c.what) + ": pointer capture");
  }
  holdKeys({});

  TRACKMOUSEEVENT tracking{sizeof tracking, TME_QUERY, nullptr, 0};
  check(TrackMouseEvent(&tracking) && (tracking.dwFlags & TME_LEAVE) && tracking.hwndTrack == window,
        "a move arms leave tracking");
  recorder.events.clear();
  SendMessageW(window, WM_MOUSELEAVE, 0, 0);
  check(recorder.events.size() == 1 && recorder.events[0].kind == 'x' && recorder.events[0].where == CPoint(41, 51) &&
            recorder.events[0].buttons == 0,
        "leaving reports an exit at the last point");

  // While a drag holds the pointer the window is not left; the release tells whether it was.
  const HWND top = GetAncestor(window, GA_ROOT);
  for (const bool outside : {true, false}) {
    POINT at{outside ? 350 : 150, 100};
    ClientToScreen(outside ? top : window, &at);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(150, 100));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 100));
    recorder.events.clear();
    SetCursorPos(at.x, at.y);
    SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    const bool quiet = recorder.events.empty();
    POINT local = at;
    ScreenToClient(window, &local);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(local.x, local.y));
    pump(150);
    std::string kinds;
    for (const Event& e : recorder.events) kinds += e.kind;
    check(quiet, "no exit while a drag holds the pointer");
    const std::size_t up = kinds.find('u'), exit = kinds.find('x');
    check(up != std::string::npos && (outside ? exit != std::string::npos && exit > up : exit == std::string::npos),
          std::string("a release ") + (outside ? "outside reports the exit after it" : "inside reports no exit") +
              " (events " + kinds + ")");
  }

  struct Wheel {
    short delta;
    WORD keys;
    float distance;
    std::int32_t buttons;
  };
  for (const Wheel& w : {Wheel{120, 0, 1.0f, 0}, Wheel{-240, MK_CONTROL, -2.0f, kControl},
                         Wheel{60, MK_SHIFT | MK_LBUTTON, 0.5f, kShift | kLButton}}) {
    POINT at{30, 40};
    ClientToScreen(window, &at);
    recorder.events.clear();
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(w.keys, static_cast<WORD>(w.delta)), MAKELPARAM(at.x, at.y));
    check(recorder.events.size() == 1 && recorder.events[0].kind == 'w' && recorder.events[0].where == CPoint(30, 40) &&
              recorder.events[0].distance == w.distance && recorder.events[0].buttons == w.buttons,
          "wheel of " + std::to_string(w.delta) + ": frame point, notches and keys");
  }

  frame->setMouseCapture(true);
  check(GetCapture() == window, "setMouseCapture(true) captures");
  frame->setMouseCapture(false);
  check(GetCapture() == nullptr, "setMouseCapture(false) releases");
  passed("mouse: buttons, double clicks, modifiers, capture, leave tracking and exit, wheel");
}

void keys(HWND host) {
  Recorder recorder;
  auto frame = createPlatformFrame(host, CRect(0, 0, 100, 100), &recorder);
  if (!frame) return check(false, "a frame for the keys");
  const HWND window = frameWindow(*frame);
  check(SendMessageW(window, WM_GETDLGCODE, 0, 0) == DLGC_WANTALLKEYS, "the frame wants every key in a dialog");

  struct KeyCase {
    WPARAM key;
    VirtualKey virt;  // None: no event
  };
  // clang-format off
  const KeyCase keyCases[] = {
      {VK_BACK, VirtualKey::Back},     {VK_TAB, VirtualKey::Tab},     {VK_RETURN, VirtualKey::Return},
      {VK_ESCAPE, VirtualKey::Escape}, {VK_DELETE, VirtualKey::Delete}, {VK_LEFT, VirtualKey::Left},
      {VK_RIGHT, VirtualKey::Right},   {VK_UP, VirtualKey::Up},       {VK_DOWN, VirtualKey::Down},
      {VK_HOME, VirtualKey::Home},     {VK_END, VirtualKey::End},     {'A', VirtualKey::None},
      {VK_F1, VirtualKey::None},       {VK_SHIFT, VirtualKey::None},
  };
  // clang-format on
  holdKeys({VK_SHIFT, VK_CONTROL});
  for (const KeyCase& c : keyCases) {
    recorder.events.clear();
    SendMessageW(window, WM_KEYDOWN, c.key, 1);
    const std::string what = "key " + std::to_string(c.key);
    if (c.virt == VirtualKey::None) {
      check(recorder.events.empty(), what + " is not a key event");
      continue;
    }
    check(recorder.events.size() == 1 && recorder.events[0].key.virt == c.virt &&
              recorder.events[0].key.character == 0 && recorder.events[0].key.modifiers == (kShift | kControl),
          what + ": virtual key and modifiers");
  }
  holdKeys({});

  struct CharCase {
    const char* what;
    std::vector<wchar_t> units;
    std::vector<char32_t> characters;
  };
  // clang-format off
  const CharCase charCases[] = {
      {"a letter", {L'a'}, {U'a'}},
      {"a character of the basic plane", {0x20AC}, {0x20AC}},
      {"a surrogate pair", {0xD83D, 0xDE00}, {0x1F600}},
      {"a lone low surrogate", {0xDE00}, {}},
      {"a high surrogate followed by a letter", {0xD83D, L'b'}, {U'b'}},
      {"control characters of keys", {L'\r', L'\t', 0x1B, L'\b', 0x7F, 0x01}, {}},
  };
  // clang-format on
  for (const CharCase& c : charCases) {
    recorder.events.clear();
    for (wchar_t unit : c.units) SendMessageW(window, WM_CHAR, unit, 1);
    bool same = recorder.events.size() == c.characters.size();
    for (std::size_t i = 0; same && i < c.characters.size(); ++i) {
      same = recorder.events[i].key.character == c.characters[i] && recorder.events[i].key.virt == VirtualKey::None;
    }
    check(same, std::string("characters: ") + c.what);
  }
  passed("keys: virtual keys with modifiers, characters, surrogate pairs, control characters");
}

void focus(HWND host, HWND hostControl) {
  Recorder recorder;
  auto frame = createPlatformFrame(host, CRect(0, 0, 100, 100), &recorder);
  if (!frame) return check(false, "a frame for the focus");
  const HWND window = frameWindow(*frame);
  SetFocus(hostControl);
  frame->takeKeyboardFocus();
  check(GetFocus() == window, "the frame takes the focus");
  frame->releaseKeyboardFocus();
  check(GetFocus() == hostControl, "and gives it back to the window that had it");
  check(recorder.focusLost == 1, "giving it back is a loss of focus");

  frame->takeKeyboardFocus();
  SendMessageW(window, WM_KILLFOCUS, 0, 0);
  check(recorder.focusLost == 2, "focus gone to no window is lost");
  const HWND child = CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD, 0, 0, 10, 10, window, nullptr, nullptr, nullptr);
  SendMessageW(window, WM_KILLFOCUS, reinterpret_cast<WPARAM>(child), 0);
  check(recorder.focusLost == 2, "focus moving into a child window of the frame is not lost");
  DestroyWindow(child);

  SetFocus(hostControl);
  frame->releaseKeyboardFocus();
  check(GetFocus() == hostControl, "focus given elsewhere meanwhile stays there");
  passed("focus: take and give back, loss only to windows outside the frame");
}

void timer(HWND host) {
  Recorder recorder;
  auto frame = createPlatformFrame(host, CRect(0, 0, 10, 10), &recorder);
  if (!frame) return check(false, "a frame for the timer");
  pump(400);
  check(recorder.timerCalls >= 4, "the timer calls the frame every " + std::to_string(Win32Frame::kTimerMilliseconds) +
                                      " ms (" + std::to_string(recorder.timerCalls) + " calls in 400 ms)");
  frame.reset();
  const int calls = recorder.timerCalls;
  pump(100);
  check(recorder.timerCalls == calls, "no timer calls after the frame is gone");
  passed("timer: periodic calls while the frame lives, none after");
}

HWND editWindow(HWND frame) { return FindWindowExW(frame, nullptr, L"Edit", nullptr); }

std::uint32_t fieldPixel(int x, int y) {
  return 0xFF000000u | 0x10u << 16 | static_cast<std::uint32_t>(0x40 + y * 8) << 8 |
         static_cast<std::uint32_t>(0x40 + x);
}

TextEditParams fieldParams(const std::string& text) {
  TextEditParams params;
  params.rect = CRect(20, 30, 140, 46);
  params.text = text;
  params.font = CFontDesc("Arial", 12);
  params.fontColor = CColor(230, 20, 20);
  params.align = kLeftText;
  params.background = filled(120, 16, fieldPixel);
  return params;
}

void textEdit(HWND host, HWND hostControl) {
  Recorder recorder;
  recorder.framebuffer = filled(300, 200, patternA);
  auto frame = createPlatformFrame(host, CRect(0, 0, 300, 200), &recorder);
  if (!frame) return check(false, "a frame for the text edit");
  const HWND window = frameWindow(*frame);
  EditRecorder typed;
  std::unique_ptr<IPlatformTextEdit> edit = frame->createTextEdit(fieldParams("Loudness 2"), &typed);
  const HWND box = editWindow(window);
  check(edit && box, "the text edit is an EDIT child of the frame");
  if (!edit || !box) return;
  const RECT placed = rectInParent(box);
  check(placed.left == 20 && placed.top == 30 && placed.right == 140 && placed.bottom == 46,
        "the box covers the field's rectangle");
  check(GetFocus() == box, "the box has the keyboard focus");
  DWORD start = 1, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  check(start == 0 && end == 10, "the whole text is selected");
  check(SendMessageW(box, EM_GETLIMITTEXT, 0, 0) == 255, "at most 255 characters");
  check(SendMessageW(box, EM_GETMARGINS, 0, 0) == 0, "no inner margins");
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)), sizeof font, &font);
  check(font.lfHeight == -12 && font.lfWeight == FW_NORMAL && std::wcscmp(font.lfFaceName, L"Arial") == 0 &&
            font.lfPitchAndFamily == (VARIABLE_PITCH | FF_SWISS),
        "the font: Arial, 12 pixels, normal weight, variable pitch, sans-serif");
  check(edit->getText() == "Loudness 2" && typed.changes.empty(), "the text, set without a change notification");

  // Typing replaces the selection; every change is reported.
  SendMessageW(box, WM_CHAR, L'X', 1);
  SendMessageW(box, WM_CHAR, L'y', 1);
  check(typed.changes == std::vector<std::string>{"X", "Xy"}, "typing reports each change");

  // The field's pixels behind the text, the text in the font colour.
  UpdateWindow(box);
  const PixelBuffer shot = capture(box, 120, 16);
  const std::string difference = firstDifference(shot, RECT{40, 0, 120, 16}, fieldPixel);
  check(difference.empty(), "the box shows the field's pixels beyond the text" + difference);
  bool red = false;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 40; ++x) red = red || ((shot.row(y)[x] >> 16) & 0xFF) > 0x80;
  }
  check(red, "the text is drawn in the font colour");

  // Return commits; the owner destroys the edit from inside the callback.
  typed.owner = &edit;
  SendMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
  pump(20);
  check(typed.commits == std::vector<std::string>{"Xy"} && !edit, "Return commits the text");
  check(!IsWindow(box) && editWindow(window) == nullptr, "the box is gone after the commit");
  check(GetFocus() == window, "the focus is back in the frame");

  struct Ending {
    const char* what;
    WPARAM key;  // 0: the focus goes to another window
    int commits, cancels;
  };
  for (const Ending& e :
       {Ending{"Tab", VK_TAB, 1, 0}, Ending{"Escape", VK_ESCAPE, 0, 1}, Ending{"the focus leaving", 0, 1, 0}}) {
    EditRecorder ended;
    ended.owner = &edit;
    edit = frame->createTextEdit(fieldParams("abc"), &ended);
    const HWND other = editWindow(window);
    if (!edit || !other) return check(false, std::string("a text edit for ") + e.what);
    SendMessageW(other, WM_CHAR, L'Q', 1);
    if (e.key) {
      SendMessageW(other, WM_KEYDOWN, e.key, 1);
      SendMessageW(other, WM_CHAR, e.key == VK_TAB ? L'\t' : 0x1B, 1);
    } else {
      SetFocus(hostControl);
    }
    pump(20);
    check(
        static_cast<int>(ended.commits.size()) == e.commits && ended.cancels == e.cancels && !edit && !IsWindow(other),
        std::string(e.what) + " ends the edit once and the box goes");
    check(e.commits == 0 || (!ended.commits.empty() && ended.commits[0] == "Q"),
          std::string(e.what) + " commits the typed text");
  }

  // An owner that keeps the edit after the commit gets no second one when the focus leaves.
  EditRecorder kept;
  edit = frame->createTextEdit(fieldParams("abc"), &kept);
  const HWND keptBox = editWindow(window);
  SendMessageW(keptBox, WM_KEYDOWN, VK_RETURN, 1);
  SetFocus(hostControl);
  SendMessageW(keptBox, WM_CHAR, L'z', 1);
  check(kept.commits == std::vector<std::string>{"abc"} && kept.changes.empty(),
        "after the commit the box reports nothing more");
  edit.reset();
  check(!IsWindow(keptBox), "destroying the edit removes the box");

  // The box's limit, and UTF-8 both ways (a surrogate pair among them).
  TextEditParams limited = fieldParams("");
  limited.maxChars = 4;
  EditRecorder short4;
  edit = frame->createTextEdit(limited, &short4);
  for (wchar_t c : std::wstring(L"abcdef")) SendMessageW(editWindow(window), WM_CHAR, c, 1);
  check(edit && edit->getText() == "abcd", "typing stops at the character limit");
  const std::string utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x98\x80";
  edit = frame->createTextEdit(fieldParams(utf8), &short4);
  wchar_t wide[32] = {};
  GetWindowTextW(editWindow(window), wide, 32);
  check(std::wcscmp(wide, L"Gr\u00FC\u00DFe \u20AC \xD83D\xDE00") == 0 && edit && edit->getText() == utf8,
        "UTF-8 text in and out");
  edit.reset();

  struct Alignment {
    CHoriTxtAlign align;
    LONG_PTR style;
  };
  for (const Alignment& a :
       {Alignment{kLeftText, ES_LEFT}, Alignment{kCenterText, ES_CENTER}, Alignment{kRightText, ES_RIGHT}}) {
    TextEditParams params = fieldParams("x");
    params.align = a.align;
    edit = frame->createTextEdit(params, &short4);
    const LONG_PTR style = GetWindowLongPtrW(editWindow(window), GWL_STYLE);
    check((style & (ES_CENTER | ES_RIGHT)) == a.style && (style & ES_AUTOHSCROLL),
          "alignment " + std::to_string(a.align) + " and horizontal scrolling");
    edit.reset();
  }

  // The frame closed while its text edit is open: the box goes with it, quietly.
  EditRecorder orphaned;
  edit = frame->createTextEdit(fieldParams("abc"), &orphaned);
  const HWND orphanBox = editWindow(window);
  frame.reset();
  check(!IsWindow(orphanBox) && orphaned.commits.empty() && orphaned.cancels == 0,
        "closing the frame removes its box without a commit");
  edit.reset();
  passed(
      "text edit: placement, focus, selection, limit, margins, font, colours and background, changes, "
      "commit on Return/Tab/focus loss, cancel on Escape, destruction inside the callback, UTF-8");
}

void menus(HWND host) {
  OptionMenuRequest request;
  request.titles = {"Default",
                    "Loudness 2",
                    "-",
                    "Gr\xC3\xBC\xC3\x9F"
                    "e",
                    "d",
                    "e",
                    "f"};
  request.current = 3;
  request.entriesPerColumn = 3;
  struct Shape {
    int columns;
    int current;
    std::vector<int> breaks;  // entries that start a column
  };
  for (const Shape& shape : {Shape{3, 3, {3, 6}}, Shape{0, -1, {}}, Shape{2, 2, {2, 4, 6}}, Shape{7, 6, {}}}) {
    request.entriesPerColumn = shape.columns;
    request.current = shape.current;
    const HMENU menu = createWin32OptionMenu(request);
    const std::string what = "menu of " + std::to_string(shape.columns) + " per column: ";
    check(menu && GetMenuItemCount(menu) == 7, what + "one item per title");
    for (int i = 0; menu && i < 7; ++i) {
      wchar_t text[32] = {};
      MENUITEMINFOW item{};
      item.cbSize = sizeof item;
      item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
      item.dwTypeData = text;
      item.cch = 32;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
      const bool separator = i == 2;
      bool breaks = false;
      for (int b : shape.breaks) breaks = breaks || b == i;
      const std::string entry = what + "entry " + std::to_string(i);
      check(((item.fType & MFT_SEPARATOR) != 0) == separator, entry + ": separator for \"-\" only");
      check(((item.fType & MFT_MENUBREAK) != 0) == breaks, entry + ": column break");
      check(((item.fState & MFS_CHECKED) != 0) == (i == shape.current && !separator), entry + ": check mark");
      if (!separator) {
        check(item.wID == static_cast<UINT>(i + 1), entry + ": identifier");
        check(utf8FromWide(text) == request.titles[static_cast<std::size_t>(i)], entry + ": title");
      }
    }
    DestroyMenu(menu);
  }

  // The menu's own loop takes keys already queued for the thread.
  Recorder recorder;
  auto frame = createPlatformFrame(host, CRect(0, 0, 200, 200), &recorder);
  if (!frame) return check(false, "a frame for a menu");
  const HWND window = frameWindow(*frame);
  struct Choice {
    std::vector<WPARAM> keys;
    int chosen;
  };
  for (const Choice& c : {Choice{{VK_ESCAPE}, -1}, Choice{{VK_DOWN, VK_DOWN, VK_RETURN}, 1}}) {
    pump(20);
    for (WPARAM key : c.keys) PostMessageW(window, WM_KEYDOWN, key, 1);
    int chosen = 99;
    request.entriesPerColumn = 0;
    const bool shown = frame->popupOptionMenu(request, chosen);
    check(shown && chosen == c.chosen,
          "the menu answers entry " + std::to_string(c.chosen) + ", got " + std::to_string(chosen));
  }
  passed("menus: separators, column breaks, check mark, identifiers, titles; choice and dismissal");
}

BOOL CALLBACK cancelOwnWindow(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

// Runs act on the dialog titled title once it shows (from another thread, as a user would);
// a dialog that does not show within 10 s is a failure, and every dialog of the program is
// then cancelled so that the check does not hang.
std::thread answer(std::wstring title, std::function<void(HWND)> act, std::atomic<bool>& found) {
  return std::thread([title = std::move(title), act = std::move(act), &found] {
    for (int i = 0; i < 1000; ++i) {
      if (const HWND dialog = FindWindowW(L"#32770", title.c_str())) {
        found = true;
        Sleep(100);  // the dialog finishes its set-up
        act(dialog);
        return;
      }
      Sleep(10);
    }
    EnumWindows(cancelOwnWindow, 0);
  });
}

void press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// The file name box of a common file dialog (an edit, or a combo box in some layouts).
HWND fileNameBox(HWND dialog) {
  constexpr int kEdit = 0x480, kCombo = 0x47C;
  const HWND edit = GetDlgItem(dialog, kEdit);
  return edit ? edit : GetDlgItem(dialog, kCombo);
}

std::wstring textOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// Keeps the text of a window that holds "Grü" (the message box's text).
BOOL CALLBACK findMessage(HWND child, LPARAM found) {
  const std::wstring shown = textOf(child);
  if (shown.find(L"Gr\u00FC") != std::wstring::npos) *reinterpret_cast<std::wstring*>(found) = shown;
  return TRUE;
}

void dialogs(HWND host, HWND frameParent) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"stellix-dialog-\u00DC";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring existing = folder + L"\\a.kvp";
  CloseHandle(CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DeleteFileW((folder + L"\\Mein Pr\u00E4set.kvp").c_str());

  FileSelectorRequest request;
  request.save = true;
  request.title = "Save preset";
  request.initialDirectory = utf8FromWide(folder);
  request.defaultName = "Mein Pr\xC3\xA4set";
  request.typeDescription = "Korvan Preset";
  request.extension = "kvp";
  std::atomic<bool> found = false;
  std::wstring proposed, filter;
  HWND owner = nullptr;
  std::thread user = answer(
      L"Save preset",
      [&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        proposed = textOf(fileNameBox(dialog));
        const HWND types = GetDlgItem(dialog, 0x470);  // the file type list
        if (types && SendMessageW(types, CB_GETCOUNT, 0, 0) == 1) {
          wchar_t text[128] = {};
          SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
          filter = text;
        }
        press(dialog, IDOK);
      },
      found);
  std::string chosen;
  const bool saved = runFileSelector(request, frameParent, chosen);
  user.join();
  check(found, "the save dialog shows with its title");
  check(owner == host, "the dialog belongs to the host's top-level window");
  check(proposed == L"Mein Pr\u00E4set", "the default name is proposed: " + utf8FromWide(proposed));
  check(filter == L"Korvan Preset (*.kvp)", "the one file type is listed: " + utf8FromWide(filter));
  check(saved && chosen == utf8FromWide(folder + L"\\Mein Pr\u00E4set.kvp"),
        "saving answers the path in the initial folder with the extension added: " + chosen);

  request.save = false;
  request.title = "Load preset";
  request.defaultName.clear();
  found = false;
  user = answer(
      L"Load preset",
      [](HWND dialog) {
        SetWindowTextW(fileNameBox(dialog), L"a.kvp");
        press(dialog, IDOK);
      },
      found);
  chosen.clear();
  const bool loaded = runFileSelector(request, nullptr, chosen);
  user.join();
  check(found && loaded && chosen == utf8FromWide(existing), "opening answers the chosen file: " + chosen);

  found = false;
  user = answer(
      L"Load preset", [](HWND dialog) { press(dialog, IDCANCEL); }, found);
  chosen = "unchanged";
  const bool cancelled = runFileSelector(request, nullptr, chosen);
  user.join();
  check(found && !cancelled && chosen == "unchanged", "a cancelled dialog answers false");

  found = false;
  std::wstring message;
  user = answer(
      L"Stellix check \u2013 box",
      [&](HWND box) {
        EnumChildWindows(box, findMessage, reinterpret_cast<LPARAM>(&message));
        press(box, IDOK);
      },
      found);
  showMessageBox(frameParent, "Stellix check \xE2\x80\x93 box",
                 "Gr\xC3\xBC\xC3\x9F"
                 "e");
  user.join();
  check(found && message == L"Gr\u00FC\u00DFe", "the message box shows its title and text");

  check(!openDocument(utf8FromWide(folder + L"\\missing.pdf")) && !openDocument(""),
        "opening a missing document fails");
  DeleteFileW(existing.c_str());
  DeleteFileW((folder + L"\\Mein Pr\u00E4set.kvp").c_str());
  RemoveDirectoryW(folder.c_str());
  passed(
      "dialogs: save and open with title, folder, name, type and extension, cancel; message box; "
      "missing document");
}

// GUI objects of this process. Wine answers GetGuiResources with 0; there the GDI handle table
// that the system maps into every process is counted, and the thread's windows.
unsigned long gdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
  struct Entry {
    void* object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    void* user;
  };
  // The process environment block, from ntdll (GCC misreads the inline NtCurrentTeb).
  const FARPROC currentPeb = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb");
  if (!currentPeb) return 0;
  const auto* peb =
      static_cast<const unsigned char*>(reinterpret_cast<void*(WINAPI*)()>(reinterpret_cast<void*>(currentPeb))());
  const auto* table = *reinterpret_cast<const Entry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
  if (!table) return 0;
  unsigned long n = 0;
  for (int i = 0; i < 65536; ++i) n += table[i].type != 0;
  return n;
}

BOOL CALLBACK countWindow(HWND, LPARAM total) {
  ++*reinterpret_cast<unsigned long*>(total);
  return TRUE;
}

BOOL CALLBACK countWindowAndChildren(HWND window, LPARAM total) {
  ++*reinterpret_cast<unsigned long*>(total);
  EnumChildWindows(window, countWindow, total);
  return TRUE;
}

unsigned long userObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return n;
  unsigned long n = 0;
  EnumThreadWindows(GetCurrentThreadId(), countWindowAndChildren, reinterpret_cast<LPARAM>(&n));
  return n;
}

void cycle(HWND host) {
  Recorder recorder;
  recorder.framebuffer = filled(120, 60, patternA);
  auto frame = createPlatformFrame(host, CRect(0, 0, 120, 60), &recorder);
  if (!frame) return check(false, "a frame in a cycle");
  UpdateWindow(frameWindow(*frame));
  EditRecorder typed;
  typed.owner = nullptr;
  auto edit = frame->createTextEdit(fieldParams("abc"), &typed);
  const HWND box = editWindow(frameWindow(*frame));
  SendMessageW(box, WM_CHAR, L'd', 1);
  UpdateWindow(box);
  SendMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
  edit.reset();
  OptionMenuRequest request;
  request.titles = {"a", "-", "b"};
  DestroyMenu(createWin32OptionMenu(request));
  pump(0);
  frame.reset();
  pump(0);
}

void leaks(HWND host) {
  cycle(host);
  const unsigned long gdi = gdiObjects(), user = userObjects();
  for (int i = 0; i < 200; ++i) cycle(host);
  const unsigned long gdiAfter = gdiObjects(), userAfter = userObjects();
  check(gdi > 0 && gdiAfter == gdi,
        "GDI objects stay at " + std::to_string(gdi) + " over 200 frames (" + std::to_string(gdiAfter) + ")");
  check(user > 0 && userAfter == user,
        "USER objects stay at " + std::to_string(user) + " over 200 frames (" + std::to_string(userAfter) + ")");
  check(!classRegistered(), "no window class left");
  std::printf("checked: 200 frames with painting, a text edit and a menu leave %lu GDI and %lu USER objects\n",
              gdiAfter, userAfter);
}

}  // namespace

int main() {
  WNDCLASSEXW hostClass{};
  hostClass.cbSize = sizeof hostClass;
  hostClass.lpfnWndProc = DefWindowProcW;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.lpszClassName = kHostClass;
  RegisterClassExW(&hostClass);
  const HWND host = makeHostWindow(400, 300);
  // The host's own control, which has the focus before the editor takes it.
  const HWND hostControl =
      CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE, 320, 250, 60, 20, host, nullptr, nullptr, nullptr);
  // A window inside the host's, as the editor's parent usually is.
  const HWND container = CreateWindowExW(0, kHostClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 310,
                                         210, host, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!host || !hostControl || !container) {
    std::fprintf(stderr, "FAIL: no window could be made (is there a display?)\n");
    return 1;
  }
  SetForegroundWindow(host);
  pump(200);

  frameWindow(container);
  painting(container);
  mouse(container);
  keys(container);
  focus(container, hostControl);
  timer(container);
  textEdit(container, hostControl);
  menus(container);
  dialogs(host, container);
  leaks(container);
  DestroyWindow(host);

  if (gFailures) {
    std::fprintf(stderr, "%d toolkit window check(s) failed\n", gFailures);
    return 1;
  }
  std::printf("ok: the toolkit's Win32 window layer\n");
  return 0;
}
