// The per-user store: named values under a key that outlives every instance and every run
// of the host. A key is named by a path of components separated by backslashes, for example
// "SOFTWARE\\Korvan\\Korvanstellix" or "SOFTWARE\\Korvan\\Korvanstellix\\PREFS".
//
// Three kinds of value: binary (bytes as they are), string (narrow text in the encoding the
// platform's file functions take) and 32-bit number. Every operation fails quietly: a missing
// key or value is an empty answer, a failed write is a false answer. Writes replace a value
// whole, so that a reader (another instance included) sees the old value or the new one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace stellix {

class UserStoreKey {
 public:
  enum class Access {
    Read,          // query values; the key must exist
    DeleteValues,  // delete values; the key must exist
    Write,         // write values; the key is created when missing
  };

  // Opens (or, for Write, creates) the key; null when that fails. The key closes when the
  // object is destroyed.
  static std::unique_ptr<UserStoreKey> open(std::string_view keyPath, Access access);

  ~UserStoreKey();
  UserStoreKey(const UserStoreKey&) = delete;
  UserStoreKey& operator=(const UserStoreKey&) = delete;

  // Size in bytes of a binary value; empty when the value is missing.
  std::optional<std::size_t> valueSize(const char* name) const;
  // Reads a binary value into data; the number of bytes read, or empty when the value is
  // missing or no longer fits into capacity bytes.
  std::optional<std::size_t> readBinary(const char* name, void* data, std::size_t capacity) const;
  // A string value; empty when missing.
  std::optional<std::string> readString(const char* name) const;
  // A 32-bit number; empty when missing or not a number.
  std::optional<std::uint32_t> readUInt32(const char* name) const;

  bool writeBinary(const char* name, const void* data, std::size_t size);
  bool writeString(const char* name, std::string_view text);
  bool writeUInt32(const char* name, std::uint32_t value);
  // Deletes a value; a value that does not exist counts as deleted.
  bool deleteValue(const char* name);

  struct Impl;

 private:
  explicit UserStoreKey(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace stellix
