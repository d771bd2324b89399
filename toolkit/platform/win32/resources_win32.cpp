// The embedded images on Windows: RCDATA resources of the module that holds this code (the
// plug-in DLL, or the program when it is linked into one), bound to their ids by
// resources/korvan_stellix.rc.
#include <windows.h>

#include "toolkit/resources.h"

namespace {

// Any object of this module gives its handle; the host's executable would not hold the images.
const char kModuleAnchor = 0;

HMODULE thisModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module)) {
    return nullptr;
  }
  return module;
}

}  // namespace

ResourceBytes findImageResource(int id) {
  // Resource ids are 16-bit; a larger number would be truncated into another image's id.
  if (id <= 0 || id > 0xFFFF) return {};
  HMODULE module = thisModule();
  if (!module) return {};
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return {};
  const DWORD size = SizeofResource(module, info);
  HGLOBAL loaded = LoadResource(module, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return {};
  return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}
