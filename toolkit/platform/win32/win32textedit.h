// The inline text box of a CTextEdit: a child EDIT window of the frame's window, drawn over
// the pixels of the field it edits.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/platform/iplatformframe.h"

class Win32Frame;

class Win32TextEdit final : public IPlatformTextEdit {
 public:
  // Null when the EDIT window cannot be made.
  static std::unique_ptr<Win32TextEdit> create(Win32Frame& frame, const TextEditParams& params,
                                               IPlatformTextEditCallback* callback);
  // Destroys the EDIT window, its font and its background. Safe from inside the callback's
  // commit or cancel.
  ~Win32TextEdit() override;
  Win32TextEdit(const Win32TextEdit&) = delete;
  Win32TextEdit& operator=(const Win32TextEdit&) = delete;

  std::string getText() const override;

  HWND window() const { return edit_; }
  // The frame's window procedure passes on the EDIT's notifications: WM_CTLCOLOREDIT (the
  // answer is the background brush) and EN_CHANGE.
  LRESULT colours(HDC dc) const;
  void changed();
  // The frame is being destroyed: the EDIT window goes now, the object stays inert.
  void detach();

 private:
  Win32TextEdit(Win32Frame& frame, IPlatformTextEditCallback* callback) : frame_(&frame), callback_(callback) {}
  static LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void finish(bool commit);
  void destroyWindow();

  Win32Frame* frame_;
  IPlatformTextEditCallback* callback_;
  HWND edit_ = nullptr;
  WNDPROC editClassProc_ = nullptr;  // the EDIT's own window procedure, which ours wraps
  HFONT font_ = nullptr;
  HBITMAP background_ = nullptr;
  HBRUSH backgroundBrush_ = nullptr;
  COLORREF textColour_ = 0;
  // Notifications are sent between the end of the set-up and the first commit or cancel.
  bool notifying_ = false;
};
