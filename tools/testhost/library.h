// A loaded shared library and its exported functions: dlopen on Linux, LoadLibraryW on
// Windows. The test hosts reach the plug-in only through this.
#pragma once

#include <string>

namespace stellix::testing {

class SharedLibrary {
 public:
  // path is UTF-8 text.
  explicit SharedLibrary(const std::string& path);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // Why loading failed, or empty.
  const std::string& error() const { return error_; }
  // The address of an exported function; null when there is none.
  void* symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace stellix::testing
