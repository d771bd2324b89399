// The probe's editor on Win32: a child window painted in WM_PAINT, the drag under mouse capture.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "tools/editorhost/probe/probe_editor.h"

namespace probe {
namespace {

constexpr wchar_t kClassName[] = L"StellixEditorHostProbe";

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

COLORREF colourRef(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

class Win32Editor final : public Editor {
 public:
  explicit Win32Editor(EditorOwner& owner) : owner_(owner) {}
  ~Win32Editor() override {
    close();
    if (registered_) UnregisterClassW(kClassName, thisModule());
  }

  bool open(void* parent) override {
    if (hwnd_) return false;
    if (!registered_) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Win32Editor::proc;
      wc.hInstance = thisModule();
      wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      wc.lpszClassName = kClassName;
      registered_ = RegisterClassW(&wc) != 0;
      if (!registered_) return false;
    }
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, static_cast<HWND>(parent),
                            nullptr, thisModule(), this);
    return hwnd_ != nullptr;
  }

  void close() override {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }

  void idle() override {
    if (hwnd_ && dirty_.exchange(false)) InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void resize(int width, int height) override {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void changed() override { dirty_ = true; }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Editor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const int x = static_cast<short>(LOWORD(lParam));
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_ERASEBKGND: return 1;
      case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        self->dragging_ = true;
        self->owner_.beginEdit0();
        return 0;
      case WM_MOUSEMOVE:
        if (self->dragging_) {
          self->owner_.automate0(valueAt(x));
          InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
      case WM_LBUTTONUP:
        if (self->dragging_) {
          self->dragging_ = false;
          ReleaseCapture();
          self->owner_.endEdit0();
        }
        return 0;
      case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
      default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  void fill(HDC dc, std::uint32_t colour, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    HBRUSH brush = CreateSolidBrush(colourRef(colour));
    RECT r{x, y, x + w, y + h};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }

  void paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    fill(dc, kBottom, kWidth, 0, client.right - kWidth, client.bottom);
    fill(dc, kBottom, 0, kHeight, kWidth, client.bottom - kHeight);
    const int half = kHeight / 2;
    const int bar = barWidth(owner_.value0());
    fill(dc, kTopLeft, 0, 0, kWidth / 2, half);
    fill(dc, kTopRight, kWidth / 2, 0, kWidth - kWidth / 2, half);
    fill(dc, kBar, 0, half, bar, kHeight - half);
    fill(dc, kBottom, bar, half, kWidth - bar, kHeight - half);
  }

  EditorOwner& owner_;
  HWND hwnd_ = nullptr;
  bool registered_ = false;
  bool dragging_ = false;
  std::atomic<bool> dirty_{false};
};

}  // namespace

Editor* createEditor(EditorOwner& owner) { return new Win32Editor(owner); }

}  // namespace probe
