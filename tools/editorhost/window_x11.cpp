// The host window on X11, on a display connection of its own (the plug-in opens its own).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "tools/editorhost/host_window.h"

namespace stellix::editorhost {
namespace {

// X errors of our own requests are caught while a trap is set instead of ending the process.
int gTrappedError = 0;
int trapError(Display*, XErrorEvent* event) {
  gTrappedError = event->error_code;
  return 0;
}

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    gTrappedError = 0;
    previous_ = XSetErrorHandler(trapError);
  }
  ~ErrorTrap() { XSetErrorHandler(previous_); }
  // Waits for the server's answers to what was sent since the trap was set.
  int error() {
    XSync(display_, False);
    return gTrappedError;
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

// Bit position and width of a channel mask, for reading pixels of any true-colour layout.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask) {
    if (!mask) return;
    while (!(mask & 1ul)) {
      mask >>= 1;
      ++shift;
    }
    while (mask & 1ul) {
      mask >>= 1;
      ++bits;
    }
  }
  std::uint32_t eightBits(unsigned long pixel) const {
    if (bits == 0) return 0;
    const unsigned long v = (pixel >> shift) & ((1ul << bits) - 1ul);
    return bits >= 8 ? static_cast<std::uint32_t>(v >> (bits - 8))
                     : static_cast<std::uint32_t>(v * 255ul / ((1ul << bits) - 1ul));
  }
};

void collectWindows(Display* display, Window window, std::vector<Window>& out) {
  out.push_back(window);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) collectWindows(display, children[i], out);
  if (children) XFree(children);
}

class X11Window final : public HostWindow {
 public:
  X11Window(Display* display, int width, int height, const char* title)
      : display_(display), width_(width), height_(height) {
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                  BlackPixel(display_, screen));
    XSelectInput(display_, window_, StructureNotifyMask | ExposureMask);
    XStoreName(display_, window_, title);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
    XClassHint classHint{const_cast<char*>("stellix-editorhost"), const_cast<char*>("StellixEditorHost")};
    XSetClassHint(display_, window_, &classHint);
    wmDelete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &wmDelete_, 1);
    setSizeHints();
    XSync(display_, False);
  }

  ~X11Window() override {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }

  void* handle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

  bool show(std::string& error) override {
    XMapRaised(display_, window_);
    XFlush(display_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      XWindowAttributes attributes;
      pump();
      if (XGetWindowAttributes(display_, window_, &attributes) && attributes.map_state == IsViewable) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    error = "the window was not mapped within 5 s";
    return false;
  }

  void resize(int width, int height) override {
    width_ = width;
    height_ = height;
    setSizeHints();
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
  }

  bool pump() override {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == wmDelete_) closed_ = true;
    }
    return !closed_;
  }

  bool capture(int width, int height, PixelBuffer& out, std::string& error) override {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window_, &attributes)) {
      error = "cannot read the window's attributes";
      return false;
    }
    if (attributes.map_state != IsViewable) {
      error = "the window is not viewable";
      return false;
    }
    width = std::min(width, attributes.width);
    height = std::min(height, attributes.height);
    if (width <= 0 || height <= 0) {
      error = "nothing to capture";
      return false;
    }
    ErrorTrap trap(display_);
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    const int code = trap.error();
    if (!image || code != 0) {
      if (image) XDestroyImage(image);
      error = "XGetImage failed (X error " + std::to_string(code) + ")";
      return false;
    }
    const Channel red(image->red_mask), green(image->green_mask), blue(image->blue_mask);
    out = PixelBuffer(width, height);
    for (int y = 0; y < height; ++y) {
      std::uint32_t* row = out.row(y);
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        row[x] = 0xFF000000u | red.eightBits(p) << 16 | green.eightBits(p) << 8 | blue.eightBits(p);
      }
    }
    XDestroyImage(image);
    return true;
  }

  std::vector<ResourceCount> resources() override {
    std::vector<ResourceCount> counts;
    long fds = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      ++fds;
    }
    counts.push_back({"fds", fds});
    std::vector<Window> windows;
    collectWindows(display_, DefaultRootWindow(display_), windows);
    // A window's id carries its client's number above the low 21 bits (the server's default
    // split): the distinct numbers are the clients owning windows; 0 is the server.
    std::set<unsigned long> clients;
    for (Window w : windows) {
      if (const unsigned long client = static_cast<unsigned long>(w) >> 21) clients.insert(client);
    }
    counts.push_back({"x-windows", static_cast<long>(windows.size())});
    counts.push_back({"x-clients", static_cast<long>(clients.size())});
    return counts;
  }

 private:
  void setSizeHints() {
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PSize | PMinSize | PMaxSize;
    hints->width = hints->min_width = hints->max_width = width_;
    hints->height = hints->min_height = hints->max_height = height_;
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
  }

  Display* display_;
  Window window_ = 0;
  Atom wmDelete_ = 0;
  int width_;
  int height_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<HostWindow> createHostWindow(int width, int height, const char* title, std::string& error) {
  // Before any other Xlib call of the process: plug-ins may use Xlib from more than one thread.
  XInitThreads();
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    error = "no display: DISPLAY is not set";
    return nullptr;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    error = std::string("cannot open display ") + name;
    return nullptr;
  }
  return std::make_unique<X11Window>(display, width, height, title);
}

}  // namespace stellix::editorhost
