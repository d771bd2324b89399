#include "toolkit/platform/win32/win32textedit.h"

#include <algorithm>
#include <cstring>

#include "toolkit/platform/win32/widetext.h"
#include "toolkit/platform/win32/win32frame.h"

namespace {

DWORD alignmentStyle(CHoriTxtAlign align) {
  switch (align) {
    case kLeftText: return ES_LEFT;
    case kRightText: return ES_RIGHT;
    default: return ES_CENTER;
  }
}

// The pixels as a DIB section (0xAARRGGBB is B, G, R, A in memory, a 32-bit DIB's order).
HBITMAP bitmapOf(const PixelBuffer& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0 ||
      pixels.pixels.size() < static_cast<std::size_t>(pixels.width) * pixels.height) {
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  std::memcpy(bits, pixels.pixels.data(), static_cast<std::size_t>(pixels.width) * pixels.height * 4);
  GdiFlush();
  return bitmap;
}

// Messages after which the EDIT may have drawn only part of its text: with the text drawn
// transparently over the background, the whole box is drawn again.
bool changesDrawing(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_MOUSEMOVE: return (wParam & MK_LBUTTON) != 0;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_SETFOCUS:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_SETSEL:
    case EM_REPLACESEL: return true;
    default: return false;
  }
}

}  // namespace

std::unique_ptr<Win32TextEdit> Win32TextEdit::create(Win32Frame& frame, const TextEditParams& params,
                                                     IPlatformTextEditCallback* callback) {
  const HWND parent = frame.window();
  if (!parent || !callback) return nullptr;
  std::unique_ptr<Win32TextEdit> self(new Win32TextEdit(frame, callback));
  const CRect& rect = params.rect;
  self->edit_ =
      CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | ES_AUTOHSCROLL | alignmentStyle(params.align), rect.left,
                      rect.top, std::max(0, rect.getWidth()), std::max(0, rect.getHeight()), parent, nullptr,
                      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (!self->edit_) return nullptr;
  const HWND edit = self->edit_;
  SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self.get()));
  self->editClassProc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));

  const std::wstring face = wideFromUtf8(params.font.getName());
  self->font_ =
      CreateFontW(-params.font.getSize(), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face.c_str());
  if (self->font_) SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(self->font_), FALSE);
  self->textColour_ = RGB(params.fontColor.red, params.fontColor.green, params.fontColor.blue);
  self->background_ = bitmapOf(params.background);
  if (self->background_) self->backgroundBrush_ = CreatePatternBrush(self->background_);

  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  if (params.maxChars > 0) SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(params.maxChars), 0);
  SetWindowTextW(edit, wideFromUtf8(params.text).c_str());
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  self->notifying_ = true;
  return self;
}

Win32TextEdit::~Win32TextEdit() {
  destroyWindow();
  if (frame_) frame_->forgetTextEdit(this);
  if (font_) DeleteObject(font_);
  if (backgroundBrush_) DeleteObject(backgroundBrush_);
  if (background_) DeleteObject(background_);
}

void Win32TextEdit::detach() {
  destroyWindow();
  frame_ = nullptr;
}

void Win32TextEdit::destroyWindow() {
  notifying_ = false;
  if (!edit_) return;
  const HWND edit = edit_;
  edit_ = nullptr;
  // The EDIT gets its own procedure back first, so that nothing it does while going away
  // (losing the focus) reaches this object.
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editClassProc_));
  SetWindowLongPtrW(edit, GWLP_USERDATA, 0);
  if (GetFocus() == edit && frame_ && frame_->window()) SetFocus(frame_->window());
  DestroyWindow(edit);
}

std::string Win32TextEdit::getText() const {
  if (!edit_) return {};
  const int length = GetWindowTextLengthW(edit_);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit_, text.data(), length + 1)));
  return utf8FromWide(text);
}

LRESULT Win32TextEdit::colours(HDC dc) const {
  SetTextColor(dc, textColour_);
  SetBkMode(dc, TRANSPARENT);
  if (!backgroundBrush_) return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  // The pattern's first pixel at the box's top-left corner, where the field's pixels begin.
  SetBrushOrgEx(dc, 0, 0, nullptr);
  return reinterpret_cast<LRESULT>(backgroundBrush_);
}

void Win32TextEdit::changed() {
  if (!notifying_) return;
  InvalidateRect(edit_, nullptr, TRUE);
  callback_->platformTextChanged(getText());
}

void Win32TextEdit::finish(bool commit) {
  if (!notifying_) return;
  notifying_ = false;
  // The callback may destroy this object: nothing of it is used afterwards.
  IPlatformTextEditCallback* callback = callback_;
  if (commit) {
    callback->platformTextCommit(getText());
  } else {
    callback->platformTextCancel();
  }
}

LRESULT CALLBACK Win32TextEdit::editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32TextEdit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->handle(hwnd, message, wParam, lParam);
}

LRESULT Win32TextEdit::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC classProc = editClassProc_;
  switch (message) {
    case WM_GETDLGCODE:
      // Return, Tab and Escape come to the box even when the host's window is a dialog.
      return CallWindowProcW(classProc, hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_TAB) {
        finish(true);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        finish(false);
        return 0;
      }
      break;
    case WM_CHAR:
      // The characters of those keys: the EDIT would only beep at them.
      if (wParam == L'\r' || wParam == L'\n' || wParam == L'\t' || wParam == 0x1B) return 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = CallWindowProcW(classProc, hwnd, message, wParam, lParam);
      finish(true);
      return result;
    }
    case WM_NCDESTROY:
      // Destroyed with the frame's window before this object: it forgets the window.
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc));
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      edit_ = nullptr;
      notifying_ = false;
      return CallWindowProcW(classProc, hwnd, message, wParam, lParam);
    default: break;
  }
  const LRESULT result = CallWindowProcW(classProc, hwnd, message, wParam, lParam);
  if (changesDrawing(message, wParam)) InvalidateRect(hwnd, nullptr, TRUE);
  return result;
}
