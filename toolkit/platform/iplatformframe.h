// The one interface between the toolkit and a window system. CFrame owns an IPlatformFrame
// while its window is open; the platform reports the user's input through the
// IPlatformFrameCallback that CFrame implements, always on the UI thread (X11: inside
// pumpEvents, called from the frame's idle; Win32: inside the window procedure).
//
// Implementations: x11/ (Xlib), win32/ (user32 and gdi32), headless/ (no window, for tests).
// Everything here is called on the host's UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/cbuttonstate.h"
#include "toolkit/ccolor.h"
#include "toolkit/cfont.h"
#include "toolkit/crect.h"
#include "toolkit/pixelbuffer.h"

class IPlatformFrameCallback {
 public:
  virtual ~IPlatformFrameCallback() = default;
  // The pixels to show; kept current by the frame (every view drawn into it).
  virtual const PixelBuffer& platformFramebuffer() = 0;
  // Pointer events in frame coordinates. buttons holds the pressed buttons and modifiers,
  // and kDoubleClick on the second press of a double click.
  virtual void platformOnMouseDown(const CPoint& where, const CButtonState& buttons) = 0;
  virtual void platformOnMouseUp(const CPoint& where, const CButtonState& buttons) = 0;
  virtual void platformOnMouseMoved(const CPoint& where, const CButtonState& buttons) = 0;
  // The pointer left the window.
  virtual void platformOnMouseExited(const CPoint& where, const CButtonState& buttons) = 0;
  // distance: +1 per notch away from the user (up), -1 toward.
  virtual void platformOnWheel(const CPoint& where, float distance, const CButtonState& buttons) = 0;
  // Keys while the window has the keyboard focus; answers whether a view used it.
  virtual bool platformOnKeyDown(const CKeyEvent& key) = 0;
  // The window lost the keyboard focus (an inline text edit commits).
  virtual void platformOnFocusLost() = 0;
  // Periodic call from the platform's own timer (Win32), so that the window refreshes in
  // hosts that seldom send idle: the frame redraws what is dirty and runs its timers.
  virtual void platformOnTimer() = 0;
};

// A native single-line text box over a view (Win32: a child EDIT window). Destroying the
// object removes the box.
class IPlatformTextEdit {
 public:
  virtual ~IPlatformTextEdit() = default;
  virtual std::string getText() const = 0;
};

class IPlatformTextEditCallback {
 public:
  virtual ~IPlatformTextEditCallback() = default;
  // Every change of the text while typing (UTF-8).
  virtual void platformTextChanged(const std::string& utf8) = 0;
  // Enter, Tab (with or without Shift) or loss of focus.
  virtual void platformTextCommit(const std::string& utf8) = 0;
  // Escape.
  virtual void platformTextCancel() = 0;
};

struct TextEditParams {
  CRect rect;                 // in frame coordinates, where the box goes
  std::string text;           // UTF-8, whole text selected at the start
  CFontDesc font;             // face and pixel size
  CColor fontColor;
  CHoriTxtAlign align = kCenterText;
  int maxChars = 255;
  // The pixels under the box (the frame's drawing of rect), shown behind the text.
  PixelBuffer background;
};

struct OptionMenuRequest {
  std::vector<std::string> titles;  // UTF-8; "-" is a separator
  int current = -1;                 // checked entry, -1 for none
  int entriesPerColumn = 0;         // a column break every N entries (0: one column)
  CPoint where;                     // top-left of the menu, in frame coordinates
};

class IPlatformFrame {
 public:
  virtual ~IPlatformFrame() = default;

  // The frame's pixels in rect changed: show them (X11 at once with XPutImage, Win32 on the
  // next WM_PAINT).
  virtual void invalidRect(const CRect& rect) = 0;
  // Handles every pending window-system event without waiting (X11); nothing on Win32, whose
  // events arrive through the host's message loop.
  virtual void pumpEvents() = 0;
  // While a button is held, keep the pointer's events even outside the window.
  virtual void setMouseCapture(bool capture) = 0;
  // Takes the keyboard focus into the window (while a text edit is open) and gives it back.
  virtual void takeKeyboardFocus() = 0;
  virtual void releaseKeyboardFocus() = 0;
  // The native window: HWND on Windows, the X11 window id cast to a pointer on Linux.
  virtual void* getNativeHandle() const = 0;

  // Native facilities; null or false where the platform has none, and the toolkit then
  // draws its own inside the frame.
  virtual std::unique_ptr<IPlatformTextEdit> createTextEdit(const TextEditParams& params,
                                                            IPlatformTextEditCallback* callback) = 0;
  // Shows a menu and waits for the choice (Win32 TrackPopupMenu). chosen gets the entry's
  // index, or -1 when the menu was dismissed. Answers false when there is no native menu.
  virtual bool popupOptionMenu(const OptionMenuRequest& request, int& chosen) = 0;
};

// The window system's frame: a child window of parent (HWND, or X11 window id cast to a
// pointer) of size.getWidth() x size.getHeight(). Null when it cannot be made (no display,
// invalid parent).
std::unique_ptr<IPlatformFrame> createPlatformFrame(void* parent, const CRect& size, IPlatformFrameCallback* callback);

// Modal facilities that belong to no frame. parent is the native window to be modal to, or
// null.
struct FileSelectorRequest {
  bool save = false;
  std::string title;             // UTF-8
  std::string initialDirectory;  // UTF-8; empty: the platform's choice
  std::string defaultName;       // UTF-8 file name proposed
  std::string typeDescription;   // "Korvan Preset"
  std::string extension;         // "kvp", without the dot; empty: any file
};
// Runs the dialog; answers true and the chosen path (UTF-8) on a choice, false when cancelled
// or when no dialog can be shown (Linux: neither zenity nor kdialog found).
bool runFileSelector(const FileSelectorRequest& request, void* parent, std::string& chosenPath);
// A message box with an OK button; waits until it is closed.
void showMessageBox(void* parent, const std::string& title, const std::string& text);
// Opens a document with the user's associated application (ShellExecuteW "open",
// xdg-open). Answers false when nothing could be started.
bool openDocument(const std::string& path);
// How opening a document for a window went. Linux: xdg-open is started detached and says
// nothing about associations, so a start is Opened and a failure to start is Failed.
enum class OpenDocumentResult { Opened, NoAssociation, Failed };
// Opens a document as openDocument does, shown normally (SW_SHOW) and with parent (the native
// window, or null) owning whatever the shell shows. An empty path is Failed.
OpenDocumentResult openDocumentFor(void* parent, const std::string& path);
