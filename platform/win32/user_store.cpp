// The per-user store as the registry under HKEY_CURRENT_USER. Binary values are REG_BINARY,
// strings REG_SZ (UTF-16 with terminator, converted from and to the ANSI code page), numbers
// REG_DWORD. Each key is opened with only the access its use needs.
#include "platform/user_store.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace stellix {

struct UserStoreKey::Impl {
  HKEY key = nullptr;
};

namespace {

constexpr std::size_t kMaxKeyPathChars = 255;
// Strings are short; a longer value under their name is not ours.
constexpr DWORD kMaxStringBytes = 64 * 1024;

std::wstring widen(std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

bool isValueName(const char* name) { return name && name[0] != '\0'; }

// A value's kind and size in bytes, or false when it does not exist.
bool queryValue(HKEY key, const std::wstring& name, DWORD& type, DWORD& size) {
  return RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool setValue(HKEY key, const char* name, DWORD type, const void* data, std::size_t size) {
  if (!isValueName(name) || size > 0xFFFFFFFFu || (size > 0 && !data)) return false;
  return RegSetValueExW(key, widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) ==
         ERROR_SUCCESS;
}

}  // namespace

UserStoreKey::UserStoreKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

UserStoreKey::~UserStoreKey() { RegCloseKey(impl_->key); }

std::unique_ptr<UserStoreKey> UserStoreKey::open(std::string_view keyPath, Access access) {
  const std::wstring path = widen(keyPath);
  if (path.empty() || path.size() > kMaxKeyPathChars || path.find(L'\0') != std::wstring::npos) return nullptr;
  HKEY key = nullptr;
  LSTATUS status = ERROR_INVALID_PARAMETER;
  switch (access) {
    case Access::Read: status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key); break;
    case Access::DeleteValues: status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key); break;
    case Access::Write:
      status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                               &key, nullptr);
      break;
  }
  if (status != ERROR_SUCCESS) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->key = key;
  return std::unique_ptr<UserStoreKey>(new UserStoreKey(std::move(impl)));
}

std::optional<std::size_t> UserStoreKey::valueSize(const char* name) const {
  if (!isValueName(name)) return std::nullopt;
  DWORD type = 0, size = 0;
  if (!queryValue(impl_->key, widen(name), type, size)) return std::nullopt;
  return size;
}

std::optional<std::size_t> UserStoreKey::readBinary(const char* name, void* data, std::size_t capacity) const {
  if (!isValueName(name) || (capacity > 0 && !data)) return std::nullopt;
  if (capacity == 0) {
    // Without a buffer the registry answers the size instead of reading.
    const auto size = valueSize(name);
    return size == std::size_t{0} ? size : std::nullopt;
  }
  DWORD size = capacity > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(capacity);
  // A value grown beyond capacity since its size was asked answers ERROR_MORE_DATA.
  if (RegQueryValueExW(impl_->key, widen(name).c_str(), nullptr, nullptr, static_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return size;
}

std::optional<std::string> UserStoreKey::readString(const char* name) const {
  if (!isValueName(name)) return std::nullopt;
  const std::wstring wideName = widen(name);
  DWORD type = 0, size = 0;
  if (!queryValue(impl_->key, wideName, type, size) || (type != REG_SZ && type != REG_EXPAND_SZ) ||
      size > kMaxStringBytes)
    return std::nullopt;
  // One extra character keeps the text terminated when the stored value has no terminator.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  if (RegQueryValueExW(impl_->key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  return narrow(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), got / sizeof(wchar_t))));
}

std::optional<std::uint32_t> UserStoreKey::readUInt32(const char* name) const {
  if (!isValueName(name)) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(impl_->key, widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return value;
}

bool UserStoreKey::writeBinary(const char* name, const void* data, std::size_t size) {
  return setValue(impl_->key, name, REG_BINARY, data, size);
}

bool UserStoreKey::writeString(const char* name, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  const std::wstring wide = widen(text);
  if (!text.empty() && wide.empty()) return false;  // not text in the ANSI code page
  return setValue(impl_->key, name, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool UserStoreKey::writeUInt32(const char* name, std::uint32_t value) {
  const DWORD v = value;
  return setValue(impl_->key, name, REG_DWORD, &v, sizeof v);
}

bool UserStoreKey::deleteValue(const char* name) {
  if (!isValueName(name)) return false;
  const LSTATUS status = RegDeleteValueW(impl_->key, widen(name).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace stellix
