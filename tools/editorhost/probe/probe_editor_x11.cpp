// The probe's editor on X11: a child window on a display connection of its own, events handled
// in idle, as plug-ins on Linux usually do.
#include <X11/Xlib.h>

#include <atomic>
#include <cstdint>

#include "tools/editorhost/probe/probe_editor.h"

namespace probe {
namespace {

class X11Editor final : public Editor {
 public:
  explicit X11Editor(EditorOwner& owner) : owner_(owner) {}
  ~X11Editor() override { close(); }

  bool open(void* parent) override {
    if (display_) return false;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    const auto parentWindow = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));
    window_ = XCreateSimpleWindow(display_, parentWindow, 0, 0, kWidth, kHeight, 0, 0, kBottom);
    XSelectInput(display_, window_, ExposureMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XMapWindow(display_, window_);
    XSync(display_, False);
    return true;
  }

  void close() override {
    if (!display_) return;
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
    display_ = nullptr;
  }

  void idle() override {
    if (!display_) return;
    bool draw = dirty_.exchange(false);
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      switch (event.type) {
        case Expose: draw = true; break;
        case ButtonPress:
          if (event.xbutton.button == Button1) {
            dragging_ = true;
            owner_.beginEdit0();
          }
          break;
        case MotionNotify:
          if (dragging_) {
            owner_.automate0(valueAt(event.xmotion.x));
            draw = true;
          }
          break;
        case ButtonRelease:
          if (event.xbutton.button == Button1 && dragging_) {
            dragging_ = false;
            owner_.endEdit0();
          }
          break;
        default: break;
      }
    }
    if (draw) paint();
  }

  // The window's background (kBottom) fills what lies beyond the pattern.
  void resize(int width, int height) override {
    if (!display_) return;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
  }

  void changed() override { dirty_ = true; }

 private:
  void fill(std::uint32_t colour, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    XSetForeground(display_, gc_, colour);
    XFillRectangle(display_, window_, gc_, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  }

  void paint() {
    const int half = kHeight / 2;
    const int bar = barWidth(owner_.value0());
    fill(kTopLeft, 0, 0, kWidth / 2, half);
    fill(kTopRight, kWidth / 2, 0, kWidth - kWidth / 2, half);
    fill(kBar, 0, half, bar, kHeight - half);
    fill(kBottom, bar, half, kWidth - bar, kHeight - half);
    XFlush(display_);
  }

  EditorOwner& owner_;
  Display* display_ = nullptr;
  Window window_ = 0;
  GC gc_ = nullptr;
  bool dragging_ = false;
  std::atomic<bool> dirty_{false};
};

}  // namespace

Editor* createEditor(EditorOwner& owner) { return new X11Editor(owner); }

}  // namespace probe
