// The top-level window the editor is opened in: X11 on Linux (window_x11.cpp), Win32 on
// Windows (window_win32.cpp). Used from the thread that created it only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/pixelbuffer.h"

namespace stellix::editorhost {

struct ResourceCount {
  std::string name;
  long value = 0;
};

class HostWindow {
 public:
  virtual ~HostWindow() = default;

  // What effEditOpen receives: the X11 window id or the HWND.
  virtual void* handle() const = 0;
  // Maps the window and waits until it is shown, so that its pixels can be read.
  virtual bool show(std::string& error) = 0;
  // A new fixed client size.
  virtual void resize(int width, int height) = 0;
  // Handles the window's pending events without waiting. False once the user closed it.
  virtual bool pump() = 0;
  // The pixels of the client area from its top-left corner, width x height clipped to it; these
  // include the editor's child windows.
  virtual bool capture(int width, int height, PixelBuffer& out, std::string& error) = 0;
  // Counts of the process's window-system resources, for leak checks across editor cycles.
  virtual std::vector<ResourceCount> resources() = 0;
};

// A window of the given client size titled title; null with a reason in error.
std::unique_ptr<HostWindow> createHostWindow(int width, int height, const char* title, std::string& error);

}  // namespace stellix::editorhost
