// The host window on Win32: a fixed-size top-level window whose client area is the editor's.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "tools/editorhost/host_window.h"

namespace stellix::editorhost {
namespace {

constexpr wchar_t kClassName[] = L"StellixEditorHost";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // The loop sees the flag and ends the session; the window is destroyed with the host.
    if (auto* closed = reinterpret_cast<bool*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) *closed = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerClass() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
  }();
  return registered;
}

// The outer size of a window whose client area is width x height.
SIZE outerSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, kStyle, FALSE, 0);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

std::wstring widen(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}

class Win32Window final : public HostWindow {
 public:
  explicit Win32Window(HWND hwnd) : hwnd_(hwnd) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&closed_));
  }
  ~Win32Window() override {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }

  void* handle() const override { return hwnd_; }

  bool show(std::string& error) override {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    for (int i = 0; i < 500 && !IsWindowVisible(hwnd_); ++i) {
      pump();
      Sleep(10);
    }
    if (!IsWindowVisible(hwnd_)) {
      error = "the window did not become visible";
      return false;
    }
    pump();
    return true;
  }

  void resize(int width, int height) override {
    const SIZE outer = outerSize(width, height);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  bool pump() override {
    // Every window of this thread, the editor's included.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        closed_ = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return !closed_;
  }

  bool capture(int width, int height, PixelBuffer& out, std::string& error) override {
    RECT client;
    GetClientRect(hwnd_, &client);
    width = std::min<int>(width, client.right - client.left);
    height = std::min<int>(height, client.bottom - client.top);
    if (width <= 0 || height <= 0) {
      error = "nothing to capture";
      return false;
    }
    // Repaint pending regions first, so that the pixels are current.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd_);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && dib && bits) {
      HGDIOBJ old = SelectObject(memory, dib);
      // Clipping applies to drawing, not to the source of a blit: reading through the window's DC
      // gives the children's pixels too.
      ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
      GdiFlush();
      SelectObject(memory, old);
    }
    if (ok) {
      out = PixelBuffer(width, height);
      const auto* src = static_cast<const std::uint32_t*>(bits);
      for (int y = 0; y < height; ++y) {
        std::uint32_t* row = out.row(y);
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | (src[y * width + x] & 0x00FFFFFFu);
      }
    } else {
      error = "BitBlt of the window failed (error " + std::to_string(GetLastError()) + ")";
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    ReleaseDC(hwnd_, screen);
    return ok;
  }

  std::vector<ResourceCount> resources() override {
    HANDLE process = GetCurrentProcess();
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    return {{"gdi-objects", static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS))},
            {"user-objects", static_cast<long>(GetGuiResources(process, GR_USEROBJECTS))},
            {"handles", static_cast<long>(handles)}};
  }

 private:
  HWND hwnd_;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<HostWindow> createHostWindow(int width, int height, const char* title, std::string& error) {
  if (!registerClass()) {
    error = "RegisterClassW failed (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  const SIZE outer = outerSize(width, height);
  HWND hwnd = CreateWindowExW(0, kClassName, widen(title).c_str(), kStyle, 0, 0, outer.cx, outer.cy, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) {
    error = "CreateWindowExW failed (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  return std::make_unique<Win32Window>(hwnd);
}

}  // namespace stellix::editorhost
