#include <dlfcn.h>

#include "tools/testhost/library.h"

namespace stellix::testing {

SharedLibrary::SharedLibrary(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? why : "unknown reason";
  }
}

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

}  // namespace stellix::testing
