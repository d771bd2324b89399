// The Win32 frame: a child window of the host's window that shows the toolkit's framebuffer
// and turns window messages into the frame callback's events.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/platform/iplatformframe.h"

class Win32TextEdit;

class Win32Frame final : public IPlatformFrame {
 public:
  // Null when the window cannot be made (no parent window, no window class).
  static std::unique_ptr<Win32Frame> create(HWND parent, const CRect& size, IPlatformFrameCallback* callback);
  ~Win32Frame() override;
  Win32Frame(const Win32Frame&) = delete;
  Win32Frame& operator=(const Win32Frame&) = delete;

  void invalidRect(const CRect& rect) override;
  void pumpEvents() override {}
  void setMouseCapture(bool capture) override;
  void takeKeyboardFocus() override;
  void releaseKeyboardFocus() override;
  void* getNativeHandle() const override { return hwnd_; }
  std::unique_ptr<IPlatformTextEdit> createTextEdit(const TextEditParams& params,
                                                    IPlatformTextEditCallback* callback) override;
  bool popupOptionMenu(const OptionMenuRequest& request, int& chosen) override;

  HWND window() const { return hwnd_; }
  // A text edit of this frame went away (its destructor).
  void forgetTextEdit(Win32TextEdit* edit);

  // The window class of the frames of this module; its name holds the module's handle, so
  // that two copies of the plug-in loaded in one process do not share it.
  static std::wstring windowClassName();
  // How often the frame calls platformOnTimer, in milliseconds.
  static constexpr UINT kTimerMilliseconds = 30;

 private:
  explicit Win32Frame(IPlatformFrameCallback* callback) : callback_(callback) {}
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  void mouseButton(UINT message, WPARAM wParam, LPARAM lParam);
  // Asks for WM_MOUSELEAVE when the pointer leaves the window (once per request).
  void trackLeave();
  void character(wchar_t unit);

  IPlatformFrameCallback* callback_;
  HWND hwnd_ = nullptr;
  bool closing_ = false;
  bool trackingLeave_ = false;
  CPoint lastPointer_;
  wchar_t pendingHighSurrogate_ = 0;
  HWND focusBefore_ = nullptr;
  std::vector<Win32TextEdit*> textEdits_;
};
