// The record blob: the serialized form of a preset (one program) or a bank (27 programs),
// shared by the host chunk, the preset and bank files and the stored programs.
//
// A 41-byte header (unique ID, type byte, nine int32 fields) is followed by tagged records,
// each a 12-byte head (type, payload length, program) and its payload. Everything is written
// in the writer's byte order; readers find the order from the unique ID.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "presets/program.h"

namespace stellix::blob {

// Type bytes at offset 4.
constexpr std::uint8_t kBankType = 0x38;          // '8'
constexpr std::uint8_t kPresetType = 0x22;        // '"'
constexpr std::uint8_t kLegacyBankType = 0x37;    // '7': raw entries, read only
constexpr std::uint8_t kLegacyPresetType = 0x21;  // '!': raw entry, read only

constexpr std::int32_t kFormatVersion = 0x01050100;
constexpr std::size_t kIdAndTypeBytes = 5;
constexpr std::size_t kHeaderBytes = 41;
constexpr std::size_t kRecordHeadBytes = 12;
constexpr std::int32_t kNameRecord = 0;
constexpr std::int32_t kValueRecord = 1;
constexpr std::int32_t kNamePayloadBytes = 156;
constexpr std::int32_t kValuePayloadBytes = 20;
// A legacy entry: a name and then float values.
constexpr std::size_t kLegacyNameBytes = kProgramNameBytes;

// Host chunks: an 8-byte head (format tag, unique ID) and then a bank blob; the legacy chunk
// carries a 32-byte head and raw program entries.
constexpr std::int32_t kChunkTag = 0x02000000;
constexpr std::int32_t kLegacyChunkTag = 0x01000000;
constexpr std::size_t kChunkHeadBytes = 8;
constexpr std::size_t kLegacyChunkHeadBytes = 32;
// Writes the head of a current chunk (kChunkHeadBytes, native order) at out.
void putChunkHead(std::uint8_t* out, std::int32_t uniqueId) noexcept;

std::uint32_t byteSwap(std::uint32_t v) noexcept;
// Reads an int32 or float32 at p (any alignment), byte-reversed when reverse is set.
std::int32_t loadInt(const std::uint8_t* p, bool reverse) noexcept;
float loadFloat(const std::uint8_t* p, bool reverse) noexcept;

enum class ByteOrder { Native, Reversed, Foreign };
// The byte order of data whose unique-ID field is at p.
ByteOrder byteOrderOf(const std::uint8_t* p, std::int32_t uniqueId) noexcept;

struct LegacyEntries {
  std::size_t values;  // float values in each entry
  std::size_t stride;  // bytes from one entry to the next
};
// How count legacy entries share bytes: equal parts, each holding a name and as many whole
// values as fit. False when count is 0 or a part is shorter than a name.
bool legacyEntries(std::size_t bytes, std::size_t count, LegacyEntries& out) noexcept;
// Value j of the legacy entry at entry.
inline float legacyValue(const std::uint8_t* entry, std::size_t j, bool reverse) noexcept {
  return loadFloat(entry + kLegacyNameBytes + 4 * j, reverse);
}

// A value the readers accept: a number from 0.0 to 1.0.
inline bool isValidValue(float v) noexcept { return v >= 0.0f && v <= 1.0f; }

struct Header {
  std::int32_t formatVersion = 0;
  std::int32_t paramCount = 0;
  std::int32_t recordCount = 0;
  std::int32_t currentProgram = 0;
  std::int32_t recordBytes = 0;
  std::int32_t reserved[4] = {};
};
// The nine int32 fields of the header at p (kHeaderBytes long), put into native order.
Header readHeader(const std::uint8_t* p, bool reverse) noexcept;

using SkipMask = std::array<bool, kNumParams>;

// The bank blob of 27 programs (the program field of each record is the program's index).
std::vector<std::uint8_t> writeBank(const ProgramRecord* bank, int currentProgram, std::int32_t uniqueId,
                                    const SkipMask& skipped);
// The same with the values left out chosen program by program.
using BankSkipMasks = std::array<SkipMask, kNumPrograms>;
std::vector<std::uint8_t> writeBank(const ProgramRecord* bank, int currentProgram, std::int32_t uniqueId,
                                    const BankSkipMasks& skipped);
// The preset blob of one program (program fields and current program 0).
std::vector<std::uint8_t> writePreset(const ProgramRecord& program, std::int32_t uniqueId, const SkipMask& skipped);

struct Record {
  std::int32_t type;
  std::int32_t program;
  const std::uint8_t* payload;
  std::size_t payloadBytes;
};

// Walks the records of size bytes. A record whose head or payload does not lie wholly
// inside the data ends the walk.
class RecordReader {
 public:
  RecordReader(const std::uint8_t* data, std::size_t size, bool reverse) noexcept
      : p_(data), left_(data ? size : 0), reverse_(reverse) {}
  bool next(Record& r) noexcept;
  // Bytes not yet walked. After next() fails: fewer than kRecordHeadBytes when the data ends
  // inside a record head, otherwise a head whose payload runs past the end.
  std::size_t remaining() const noexcept { return left_; }

 private:
  const std::uint8_t* p_;
  std::size_t left_;
  bool reverse_;
};

// The name of a name record (24 bytes, not necessarily terminated); null when the payload
// is too short to hold it.
inline const char* recordName(const Record& r) noexcept {
  return r.payloadBytes >= kProgramNameBytes ? reinterpret_cast<const char*>(r.payload) : nullptr;
}
// The parameter index and value of a value record; false when the payload is too short.
bool recordValue(const Record& r, bool reverse, std::int32_t& index, float& value) noexcept;

}  // namespace stellix::blob
