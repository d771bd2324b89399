#include "toolkit/platform/win32/win32frame.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "toolkit/platform/win32/win32optionmenu.h"
#include "toolkit/platform/win32/win32textedit.h"

namespace {

constexpr UINT_PTR kTimerId = 1;

// The module (DLL or program) this code is linked into, found from the address of one of
// its own variables.
HMODULE thisModule() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

// Frames alive in this module; the window class exists while there is one.
int gFramesAlive = 0;

bool acquireWindowClass(WNDPROC proc) {
  if (gFramesAlive == 0) {
    const std::wstring name = Win32Frame::windowClassName();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = name.c_str();
    // A class left behind (its unregistration failed while a window of it still existed)
    // has the same procedure and serves as well.
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  ++gFramesAlive;
  return true;
}

void releaseWindowClass() {
  if (--gFramesAlive == 0) UnregisterClassW(Win32Frame::windowClassName().c_str(), thisModule());
}

std::int32_t modifierKeys() {
  std::int32_t state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= kShift;
  if (GetKeyState(VK_CONTROL) < 0) state |= kControl;
  if (GetKeyState(VK_MENU) < 0) state |= kAlt;
  return state;
}

// Buttons and modifiers from a mouse message's key flags; Alt is not among them.
std::int32_t buttonsFromKeyFlags(WPARAM flags) {
  std::int32_t state = 0;
  if (flags & MK_LBUTTON) state |= kLButton;
  if (flags & MK_MBUTTON) state |= kMButton;
  if (flags & MK_RBUTTON) state |= kRButton;
  if (flags & MK_SHIFT) state |= kShift;
  if (flags & MK_CONTROL) state |= kControl;
  if (GetKeyState(VK_MENU) < 0) state |= kAlt;
  return state;
}

CPoint pointFromLParam(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool isWithin(HWND window, HWND other) { return other && (other == window || IsChild(window, other)); }

}  // namespace

std::wstring Win32Frame::windowClassName() {
  char name[64];
  std::snprintf(name, sizeof name, "KorvanStellixFrame%llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(thisModule())));
  return std::wstring(name, name + std::char_traits<char>::length(name));
}

std::unique_ptr<Win32Frame> Win32Frame::create(HWND parent, const CRect& size, IPlatformFrameCallback* callback) {
  if (!parent || !callback) return nullptr;
  if (!acquireWindowClass(windowProc)) return nullptr;
  // From here the object holds the class: its destructor releases it, whether the window
  // was made or not.
  std::unique_ptr<Win32Frame> frame(new Win32Frame(callback));
  const HWND window = CreateWindowExW(
      0, windowClassName().c_str(), nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
      std::max(0, size.getWidth()), std::max(0, size.getHeight()), parent, nullptr, thisModule(), frame.get());
  if (!window) return nullptr;
  SetTimer(window, kTimerId, kTimerMilliseconds, nullptr);
  return frame;
}

Win32Frame::~Win32Frame() {
  closing_ = true;
  // Open text edits lose their windows first, without a commit; the objects, owned by their
  // views, stay behind inert.
  const std::vector<Win32TextEdit*> edits = textEdits_;
  for (Win32TextEdit* edit : edits) edit->detach();
  textEdits_.clear();
  if (hwnd_) {
    if (GetCapture() == hwnd_) ReleaseCapture();
    releaseKeyboardFocus();
    DestroyWindow(hwnd_);
  }
  releaseWindowClass();
}

LRESULT CALLBACK Win32Frame::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Win32Frame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Win32Frame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window can go before the object (the host destroyed its own window first).
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

// Every case that calls the frame's callback returns right after it: the callback may
// destroy this object.
LRESULT Win32Frame::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = hwnd_;
  if (message == WM_DESTROY) KillTimer(window, kTimerId);
  if (closing_) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: paint(); return 0;
    case WM_TIMER:
      if (wParam != kTimerId) break;
      callback_->platformOnTimer();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: mouseButton(message, wParam, lParam); return 0;
    case WM_MOUSEMOVE:
      if (!trackingLeave_) trackLeave();
      lastPointer_ = pointFromLParam(lParam);
      callback_->platformOnMouseMoved(lastPointer_, buttonsFromKeyFlags(wParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      // A drag holding the pointer keeps it in the window; its release looks again.
      if (GetCapture() == hwnd_) return 0;
      callback_->platformOnMouseExited(lastPointer_, modifierKeys());
      return 0;
    case WM_MOUSEWHEEL: {
      // The wheel's point is on the screen; the distance comes in 120ths of a notch.
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd_, &at);
      const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
      callback_->platformOnWheel({at.x, at.y}, notches, buttonsFromKeyFlags(GET_KEYSTATE_WPARAM(wParam)));
      return 0;
    }
    case WM_KEYDOWN: {
      VirtualKey key = VirtualKey::None;
      switch (wParam) {
        case VK_BACK: key = VirtualKey::Back; break;
        case VK_TAB: key = VirtualKey::Tab; break;
        case VK_RETURN: key = VirtualKey::Return; break;
        case VK_ESCAPE: key = VirtualKey::Escape; break;
        case VK_DELETE: key = VirtualKey::Delete; break;
        case VK_LEFT: key = VirtualKey::Left; break;
        case VK_RIGHT: key = VirtualKey::Right; break;
        case VK_UP: key = VirtualKey::Up; break;
        case VK_DOWN: key = VirtualKey::Down; break;
        case VK_HOME: key = VirtualKey::Home; break;
        case VK_END: key = VirtualKey::End; break;
        default: break;
      }
      if (key == VirtualKey::None) break;
      CKeyEvent event;
      event.virt = key;
      event.modifiers = modifierKeys();
      if (callback_->platformOnKeyDown(event)) return 0;
      break;
    }
    case WM_CHAR: character(static_cast<wchar_t>(wParam)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_KILLFOCUS:
      // The focus moving into the frame's own text edit is not a loss.
      if (isWithin(hwnd_, reinterpret_cast<HWND>(wParam))) return 0;
      callback_->platformOnFocusLost();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) != EN_CHANGE) break;
      for (Win32TextEdit* edit : textEdits_) {
        if (edit->window() != reinterpret_cast<HWND>(lParam)) continue;
        edit->changed();
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
      for (Win32TextEdit* edit : textEdits_) {
        if (edit->window() == reinterpret_cast<HWND>(lParam)) return edit->colours(reinterpret_cast<HDC>(wParam));
      }
      break;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Frame::paint() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd_, &ps);
  if (!dc) return;
  const PixelBuffer& pixels = callback_->platformFramebuffer();
  const bool whole = pixels.width > 0 && pixels.height > 0 &&
                     pixels.pixels.size() >= static_cast<std::size_t>(pixels.width) * pixels.height;
  const RECT shown{0, 0, whole ? pixels.width : 0, whole ? pixels.height : 0};
  RECT part;
  if (IntersectRect(&part, &ps.rcPaint, &shown)) {
    // The painted rows only, as a top-down DIB of their own: its first row is the band's
    // first row, so no source row offset is involved.
    const int rows = part.bottom - part.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, part.left, part.top, static_cast<DWORD>(part.right - part.left), static_cast<DWORD>(rows),
                      part.left, 0, 0, static_cast<UINT>(rows), pixels.row(part.top), &info, DIB_RGB_COLORS);
  }
  // The window's area beyond the framebuffer (before the first drawing, or when the window
  // is larger) is black.
  ExcludeClipRect(dc, shown.left, shown.top, shown.right, shown.bottom);
  FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EndPaint(hwnd_, &ps);
}

void Win32Frame::mouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
  std::int32_t button = kLButton;
  bool down = true;
  bool doubleClick = false;
  switch (message) {
    case WM_LBUTTONDBLCLK: doubleClick = true; break;
    case WM_MBUTTONDBLCLK: doubleClick = true; [[fallthrough]];
    case WM_MBUTTONDOWN: button = kMButton; break;
    case WM_RBUTTONDBLCLK: doubleClick = true; [[fallthrough]];
    case WM_RBUTTONDOWN: button = kRButton; break;
    case WM_LBUTTONUP: down = false; break;
    case WM_MBUTTONUP: down = false, button = kMButton; break;
    case WM_RBUTTONUP: down = false, button = kRButton; break;
    default: break;
  }
  const CPoint where = pointFromLParam(lParam);
  lastPointer_ = where;
  const std::int32_t state = buttonsFromKeyFlags(wParam) | button;
  if (down) {
    SetCapture(hwnd_);
    callback_->platformOnMouseDown(where, state | (doubleClick ? kDoubleClick : 0));
    return;
  }
  // The release of the last held button ends the capture taken by the first press. Tracking
  // armed again reports at once (after this release) a pointer that is outside by now.
  if (!(wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) && GetCapture() == hwnd_) {
    ReleaseCapture();
    trackLeave();
  }
  callback_->platformOnMouseUp(where, state);
}

void Win32Frame::trackLeave() {
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
  trackingLeave_ = TrackMouseEvent(&track) != FALSE;
}

void Win32Frame::character(wchar_t unit) {
  // A character outside the basic plane comes as two messages, high then low surrogate.
  if (IS_HIGH_SURROGATE(unit)) {
    pendingHighSurrogate_ = unit;
    return;
  }
  const wchar_t high = pendingHighSurrogate_;
  pendingHighSurrogate_ = 0;
  char32_t code = unit;
  if (IS_LOW_SURROGATE(unit)) {
    if (!high) return;
    code = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (static_cast<char32_t>(unit) - 0xDC00);
  }
  // Control characters (Return, Tab, Escape, Backspace and Control with a letter) are keys,
  // reported by WM_KEYDOWN when at all.
  if (code < 0x20 || code == 0x7F) return;
  CKeyEvent event;
  event.character = code;
  event.modifiers = modifierKeys();
  callback_->platformOnKeyDown(event);
}

void Win32Frame::invalidRect(const CRect& rect) {
  if (!hwnd_ || rect.isEmpty()) return;
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  InvalidateRect(hwnd_, &area, FALSE);
}

void Win32Frame::setMouseCapture(bool capture) {
  if (!hwnd_) return;
  if (capture) {
    SetCapture(hwnd_);
  } else if (GetCapture() == hwnd_) {
    ReleaseCapture();
  }
}

void Win32Frame::takeKeyboardFocus() {
  if (!hwnd_) return;
  const HWND current = GetFocus();
  if (!isWithin(hwnd_, current)) focusBefore_ = current;
  SetFocus(hwnd_);
}

void Win32Frame::releaseKeyboardFocus() {
  const HWND before = focusBefore_;
  focusBefore_ = nullptr;
  // The focus given elsewhere in the meantime stays there.
  if (!hwnd_ || !isWithin(hwnd_, GetFocus())) return;
  SetFocus(before && IsWindow(before) ? before : GetParent(hwnd_));
}

std::unique_ptr<IPlatformTextEdit> Win32Frame::createTextEdit(const TextEditParams& params,
                                                              IPlatformTextEditCallback* callback) {
  if (!hwnd_) return nullptr;
  std::unique_ptr<Win32TextEdit> edit = Win32TextEdit::create(*this, params, callback);
  if (edit) textEdits_.push_back(edit.get());
  return edit;
}

void Win32Frame::forgetTextEdit(Win32TextEdit* edit) {
  textEdits_.erase(std::remove(textEdits_.begin(), textEdits_.end(), edit), textEdits_.end());
}

bool Win32Frame::popupOptionMenu(const OptionMenuRequest& request, int& chosen) {
  if (!hwnd_) return false;
  chosen = runWin32OptionMenu(hwnd_, request);
  return true;
}

std::unique_ptr<IPlatformFrame> createPlatformFrame(void* parent, const CRect& size, IPlatformFrameCallback* callback) {
  return Win32Frame::create(static_cast<HWND>(parent), size, callback);
}
