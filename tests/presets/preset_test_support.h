// Shared pieces of the preset-system tests: an effect with its own empty per-user store, bank
// snapshots and blob surgery.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin.h"
#include "presets/record_blob.h"
#include "tests/support/temp_config.h"

namespace stellix::testing {

inline VstIntPtr VST_CALL quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

using Bank = std::array<ProgramRecord, kNumPrograms>;
using Bytes = std::vector<std::uint8_t>;

inline Bank bankOf(Plugin& p) {
  Bank b;
  std::memcpy(b.data(), p.bank(), sizeof b);
  return b;
}

inline bool sameRecord(const ProgramRecord& a, const ProgramRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline bool sameBank(const Bank& a, const Bank& b) { return std::memcmp(a.data(), b.data(), sizeof a) == 0; }

inline std::string nameOf(const ProgramRecord& p) { return std::string(p.name, strnlen(p.name, sizeof p.name)); }

inline Bank factoryBank() {
  Bank b{};
  fillFactoryBank(b.data());
  return b;
}

inline std::int32_t readInt(const Bytes& b, std::size_t at) {
  std::int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
inline void writeInt(Bytes& b, std::size_t at, std::int32_t v) { std::memcpy(b.data() + at, &v, 4); }
inline void writeFloat(Bytes& b, std::size_t at, float v) { std::memcpy(b.data() + at, &v, 4); }
inline void swap4(Bytes& b, std::size_t at) {
  std::swap(b[at], b[at + 3]);
  std::swap(b[at + 1], b[at + 2]);
}

// Byte-reverses every number of the record blob at offset at: the unique ID, the nine header
// fields and every record field, but not names and the type byte.
inline void reverseBlob(Bytes& b, std::size_t at) {
  swap4(b, at);
  for (int i = 0; i < 9; ++i) swap4(b, at + 5 + 4 * i);
  for (std::size_t p = at + blob::kHeaderBytes; p + blob::kRecordHeadBytes <= b.size();) {
    const std::int32_t type = readInt(b, p), length = readInt(b, p + 4);
    for (int i = 0; i < 3; ++i) swap4(b, p + 4 * i);
    if (type == blob::kValueRecord)
      for (int i = 0; i < 5; ++i) swap4(b, p + 12 + 4 * i);
    p += blob::kRecordHeadBytes + static_cast<std::size_t>(length);
  }
}

// A legacy preset (type '!') or legacy bank (type '7') of raw entries, in either byte order.
inline Bytes legacyBlob(std::int32_t uniqueId, std::uint8_t type, const ProgramRecord* programs, int count,
                        bool reversed) {
  Bytes b(5 + static_cast<std::size_t>(count) * sizeof(ProgramRecord));
  writeInt(b, 0, uniqueId);
  b[4] = type;
  std::memcpy(b.data() + 5, programs, static_cast<std::size_t>(count) * sizeof(ProgramRecord));
  if (reversed) {
    swap4(b, 0);
    for (int i = 0; i < count; ++i)
      for (int j = 0; j < kNumParams; ++j) swap4(b, 5 + i * sizeof(ProgramRecord) + 24 + 4 * j);
  }
  return b;
}

// Each test gets its own empty per-user store, made before the effect reads it.
class PresetTest : public ::testing::Test {
 protected:
  PresetTest() : plugin(std::make_unique<Plugin>(quietHost)) {}
  std::unique_ptr<Plugin> newInstance() { return std::make_unique<Plugin>(quietHost); }
  CPresetSystemEditor& editor() { return plugin->presetSystemEditor(); }
  std::string path(const char* name) const { return (home.root() / name).string(); }

  TempConfigHome home;
  std::unique_ptr<Plugin> plugin;
};

}  // namespace stellix::testing
