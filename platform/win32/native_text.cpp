// ANSI code page and UTF-8 meet through UTF-16.
#include "platform/native_text.h"

#include <windows.h>

namespace stellix {

namespace {

std::wstring wideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string narrowTo(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string utf8FromNative(std::string_view text) { return narrowTo(CP_UTF8, wideFrom(CP_ACP, text)); }
std::string nativeFromUtf8(std::string_view text) { return narrowTo(CP_ACP, wideFrom(CP_UTF8, text)); }

}  // namespace stellix
