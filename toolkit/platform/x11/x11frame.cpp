// The X11 frame: a child window of the host's window, on a display connection of its own,
// that shows the toolkit's framebuffer with XPutImage and turns X events into callbacks.
//
// The plug-in never waits on the host: no grabs, no blocking event reads, and a round trip
// only where an answer is needed (creation, focus hand-back). The host's own connection is
// never touched.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "toolkit/platform/iplatformframe.h"
#include "toolkit/platform/x11/x11input.h"
#include "toolkit/platform/x11/x11pixels.h"
#include "toolkit/platform/x11/xlib.h"

namespace {

using x11platform::DoubleClickDetector;
using x11platform::PixelConverter;
using x11platform::PixelFormat;

class X11Frame;

// Xlib reports errors through one process-wide handler, and the default one ends the
// process. The host may destroy its window, and ours with it, before it closes the editor,
// so our requests can fail at any time. Errors on our connection are only read inside our
// own calls, so each call puts this handler in front for its duration: it hands our
// display's errors to the frame and passes every other display's on to the handler it
// replaced.
class ErrorTrap {
 public:
  ErrorTrap(Display* display, X11Frame* frame)
      : display_(display), frame_(frame), outer_(innermost_), previous_(XSetErrorHandler(&ErrorTrap::handle)) {
    innermost_ = this;
  }
  ~ErrorTrap() {
    XSetErrorHandler(previous_);
    innermost_ = outer_;
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

 private:
  static int handle(Display* display, XErrorEvent* error);

  Display* display_;
  X11Frame* frame_;
  ErrorTrap* outer_;
  XErrorHandler previous_;
  static ErrorTrap* innermost_;
};

ErrorTrap* ErrorTrap::innermost_ = nullptr;

constexpr long kEventMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask | ExposureMask |
                            StructureNotifyMask;

class X11Frame final : public IPlatformFrame {
 public:
  X11Frame(Display* display, Window parent, int width, int height, IPlatformFrameCallback* callback)
      : display_(display), parent_(parent), width_(width), height_(height), callback_(callback) {}

  ~X11Frame() override {
    *alive_ = false;
    ErrorTrap trap(display_, this);
    if (image_) XDestroyImage(image_);  // frees the pixel memory too
    if (gc_) XFreeGC(display_, gc_);
    if (window_ && !windowGone_) XDestroyWindow(display_, window_);
    if (ownColormap_) XFreeColormap(display_, ownColormap_);
    // Closing syncs: errors of the requests above (a window the host already destroyed)
    // still reach the trap.
    XCloseDisplay(display_);
  }

  bool open();
  void onError(const XErrorEvent& error);

  void invalidRect(const CRect& rect) override {
    if (windowGone_) return;
    ErrorTrap trap(display_, this);
    put(rect);
    XFlush(display_);
  }

  void pumpEvents() override;

  // While a button is held X grabs the pointer for the window that got the press until all
  // buttons are up (the implicit grab): moves and the release outside arrive by themselves.
  void setMouseCapture(bool) override {}

  // A child window of a host gets keys only while it has the input focus.
  void takeKeyboardFocus() override {
    if (windowGone_) return;
    ErrorTrap trap(display_, this);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XFlush(display_);
  }

  // Gives the focus back to the host's window, unless it has gone elsewhere meanwhile.
  void releaseKeyboardFocus() override {
    if (windowGone_) return;
    ErrorTrap trap(display_, this);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (focus == window_) XSetInputFocus(display_, parent_, RevertToParent, CurrentTime);
    XFlush(display_);
  }

  void* getNativeHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

  // The toolkit draws its own text edit and menus inside the window on X11.
  std::unique_ptr<IPlatformTextEdit> createTextEdit(const TextEditParams&, IPlatformTextEditCallback*) override {
    return nullptr;
  }
  bool popupOptionMenu(const OptionMenuRequest&, int& chosen) override {
    chosen = -1;
    return false;
  }

 private:
  bool chooseVisual(int screen);
  void put(CRect rect);
  void dispatch(XEvent& event);

  Display* display_;
  Window parent_;
  int width_;
  int height_;
  IPlatformFrameCallback* callback_;

  Window window_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  Colormap colormap_ = 0;
  Colormap ownColormap_ = 0;  // made for a visual other than the screen's default
  GC gc_ = nullptr;
  XImage* image_ = nullptr;  // the whole window's pixels, converted from the framebuffer
  PixelConverter converter_{PixelFormat{}};

  int errors_ = 0;
  bool windowGone_ = false;  // destroyed with the host's window: no more requests on it
  DoubleClickDetector clicks_;
  // Cleared by the destructor, so that an event loop learns when a callback destroyed the
  // frame under it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

int ErrorTrap::handle(Display* display, XErrorEvent* error) {
  ErrorTrap* outermost = nullptr;
  for (ErrorTrap* t = innermost_; t; t = t->outer_) {
    if (t->display_ == display) {
      if (t->frame_) t->frame_->onError(*error);
      return 0;
    }
    outermost = t;
  }
  return outermost && outermost->previous_ ? outermost->previous_(display, error) : 0;
}

void X11Frame::onError(const XErrorEvent& error) {
  ++errors_;
  if ((error.error_code == BadWindow || error.error_code == BadDrawable) && error.resourceid == window_)
    windowGone_ = true;
}

// The screen's default visual when it is TrueColor (every current server), else any
// TrueColor visual of the screen with a colormap of its own; false when there is none.
bool X11Frame::chooseVisual(int screen) {
  Visual* visual = DefaultVisual(display_, screen);
  const int depth = DefaultDepth(display_, screen);
  if (visual->c_class == TrueColor && depth >= 15) {
    visual_ = visual;
    depth_ = depth;
    colormap_ = DefaultColormap(display_, screen);
    return true;
  }
  for (int d : {24, 32, 30, 16, 15, 8}) {
    XVisualInfo info{};
    if (XMatchVisualInfo(display_, screen, d, TrueColor, &info)) {
      visual_ = info.visual;
      depth_ = d;
      colormap_ = ownColormap_ = XCreateColormap(display_, RootWindow(display_, screen), visual_, AllocNone);
      return true;
    }
  }
  return false;
}

bool X11Frame::open() {
  ErrorTrap trap(display_, this);
  XWindowAttributes parentAttributes{};
  if (!XGetWindowAttributes(display_, parent_, &parentAttributes)) return false;
  const int screen = XScreenNumberOfScreen(parentAttributes.screen);
  if (!chooseVisual(screen)) return false;

  // An explicit visual, colormap and border pixel, so that the window can differ from a
  // parent of another visual (a 32-bit one, say). No background: the framebuffer covers
  // every pixel, and clearing first would flicker.
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap_;
  attributes.event_mask = kEventMask;
  attributes.bit_gravity = NorthWestGravity;
  window_ = XCreateWindow(display_, parent_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_), 0,
                          depth_, InputOutput, visual_,
                          CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &attributes);
  if (!window_) return false;
  gc_ = XCreateGC(display_, window_, 0, nullptr);

  image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                        static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32, 0);
  if (!image_) return false;
  image_->data = static_cast<char*>(
      std::calloc(static_cast<std::size_t>(image_->bytes_per_line), static_cast<std::size_t>(height_)));
  if (!image_->data) return false;
  PixelFormat format;
  format.depth = depth_;
  format.bitsPerPixel = image_->bits_per_pixel;
  format.msbFirst = image_->byte_order == MSBFirst;
  format.redMask = static_cast<std::uint32_t>(visual_->red_mask);
  format.greenMask = static_cast<std::uint32_t>(visual_->green_mask);
  format.blueMask = static_cast<std::uint32_t>(visual_->blue_mask);
  converter_ = PixelConverter(format);
  if (!converter_.isValid()) return false;

  XMapWindow(display_, window_);
  // One round trip, so that a failure (a parent destroyed meanwhile, a parent that cannot
  // hold an output window) is known before the frame is handed out.
  XSync(display_, False);
  return errors_ == 0 && !windowGone_;
}

// Converts rect of the framebuffer and sends it to the window.
void X11Frame::put(CRect rect) {
  const PixelBuffer& buffer = callback_->platformFramebuffer();
  rect.bound(CRect(0, 0, std::min(width_, buffer.width), std::min(height_, buffer.height)));
  if (rect.isEmpty()) return;
  converter_.convert(buffer, rect, width_, height_, reinterpret_cast<unsigned char*>(image_->data),
                     image_->bytes_per_line);
  XPutImage(display_, window_, gc_, image_, rect.left, rect.top, rect.left, rect.top,
            static_cast<unsigned>(rect.width()), static_cast<unsigned>(rect.height()));
}

void X11Frame::pumpEvents() {
  if (windowGone_) return;
  const std::shared_ptr<bool> alive = alive_;
  ErrorTrap trap(display_, this);
  // XPending reads what has arrived without waiting, and flushes what we sent.
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    dispatch(event);
    if (!*alive || windowGone_) return;
  }
}

void X11Frame::dispatch(XEvent& event) {
  using namespace x11platform;
  if (event.type == MappingNotify) {
    // The keyboard layout changed: XLookupString must not use the old one.
    if (event.xmapping.request != MappingPointer) XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  if (event.xany.window != window_) return;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      put(CRect(e.x, e.y, e.x + e.width, e.y + e.height));
      break;
    }
    case ButtonPress: {
      const XButtonEvent& b = event.xbutton;
      const CPoint where(b.x, b.y);
      const std::int32_t modifiers = modifiersFromState(b.state);
      if (b.button == Button4 || b.button == Button5) {
        callback_->platformOnWheel(where, b.button == Button4 ? 1.0f : -1.0f, buttonsFromState(b.state) | modifiers);
        break;
      }
      const std::int32_t flag = buttonFlag(b.button);
      if (!flag) break;  // horizontal wheel, side buttons
      // The state holds the buttons down before this press.
      std::int32_t state = buttonsFromState(b.state) | flag | modifiers;
      if (clicks_.press(b.button, b.x, b.y, static_cast<std::uint32_t>(b.time))) state |= kDoubleClick;
      callback_->platformOnMouseDown(where, state);
      break;
    }
    case ButtonRelease: {
      // The released button, any others still held, and the modifiers (as on Windows).
      const XButtonEvent& b = event.xbutton;
      const std::int32_t flag = buttonFlag(b.button);
      if (flag)
        callback_->platformOnMouseUp(CPoint(b.x, b.y), buttonsFromState(b.state) | flag | modifiersFromState(b.state));
      break;
    }
    case MotionNotify: {
      // Only the last of a run of moves matters; a run stops at any other event.
      while (XEventsQueued(display_, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(display_, &next);
        if (next.type != MotionNotify || next.xany.window != window_) break;
        XNextEvent(display_, &event);
      }
      const XMotionEvent& m = event.xmotion;
      callback_->platformOnMouseMoved(CPoint(m.x, m.y), buttonsFromState(m.state) | modifiersFromState(m.state));
      break;
    }
    case EnterNotify: {
      // Reported as a move, so that the view under the pointer knows at once.
      const XCrossingEvent& c = event.xcrossing;
      callback_->platformOnMouseMoved(CPoint(c.x, c.y), buttonsFromState(c.state) | modifiersFromState(c.state));
      break;
    }
    case LeaveNotify: {
      // While a button is held the pointer stays the frame's (the implicit grab); it leaves
      // when the grab ends, with a second Leave that has no buttons.
      const XCrossingEvent& c = event.xcrossing;
      if (c.detail != NotifyInferior && buttonsFromState(c.state) == 0)
        callback_->platformOnMouseExited(CPoint(c.x, c.y), modifiersFromState(c.state));
      break;
    }
    case KeyPress: {
      char text[32];
      KeySym keysym = NoSymbol;
      XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
      CKeyEvent key;
      if (translateKey(keysym, event.xkey.state, key)) callback_->platformOnKeyDown(key);
      break;
    }
    case FocusOut:
      // Focus moving into a child of ours, or the pointer-follows-focus notices, are no loss.
      if (event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer)
        callback_->platformOnFocusLost();
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window_) windowGone_ = true;
      break;
    default: break;
  }
}

}  // namespace

std::unique_ptr<IPlatformFrame> createPlatformFrame(void* parent, const CRect& size, IPlatformFrameCallback* callback) {
  const auto parentWindow = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));
  const int width = size.getWidth();
  const int height = size.getHeight();
  // X window sizes are 16-bit.
  if (parentWindow == 0 || callback == nullptr || width <= 0 || height <= 0 || width > 32767 || height > 32767)
    return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  auto frame = std::make_unique<X11Frame>(display, parentWindow, width, height, callback);
  if (!frame->open()) return nullptr;  // the destructor frees what was made and closes the display
  return frame;
}
