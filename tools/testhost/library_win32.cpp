#include <windows.h>

#include <vector>

#include "tools/testhost/library.h"

namespace stellix::testing {

SharedLibrary::SharedLibrary(const std::string& path) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), n);
  handle_ = LoadLibraryW(wide.data());
  if (!handle_) error_ = "LoadLibraryW failed with error " + std::to_string(GetLastError()) + " for " + path;
}

SharedLibrary::~SharedLibrary() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* SharedLibrary::symbol(const char* name) const {
  // Function and data pointers have the same size on every Windows target.
  return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

}  // namespace stellix::testing
