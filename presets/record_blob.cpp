#include "presets/record_blob.h"

#include <cstring>

namespace stellix::blob {

namespace {

// Value record payload: index, 0, 0, value, 0.
constexpr std::size_t kValueIndexOffset = 0;
constexpr std::size_t kValueOffset = 12;

void putInt(std::vector<std::uint8_t>& out, std::size_t& at, std::int32_t v) {
  std::memcpy(out.data() + at, &v, 4);
  at += 4;
}

void putRecordHead(std::vector<std::uint8_t>& out, std::size_t& at, std::int32_t type, std::int32_t payload,
                   std::int32_t program) {
  putInt(out, at, type);
  putInt(out, at, payload);
  putInt(out, at, program);
}

// Values leave the plug-in within 0..1, so that every reader accepts what was written.
float storableValue(float v) { return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f; }

std::size_t programRecordBytes(const SkipMask& skipped, int& valueRecords) {
  valueRecords = 0;
  for (bool s : skipped) valueRecords += s ? 0 : 1;
  return kRecordHeadBytes + kNamePayloadBytes +
         static_cast<std::size_t>(valueRecords) * (kRecordHeadBytes + kValuePayloadBytes);
}

void putProgram(std::vector<std::uint8_t>& out, std::size_t& at, const ProgramRecord& p, std::int32_t programField,
                const SkipMask& skipped) {
  putRecordHead(out, at, kNameRecord, kNamePayloadBytes, programField);
  std::memcpy(out.data() + at, p.name, kProgramNameBytes);  // the rest of the payload stays zero
  at += kNamePayloadBytes;
  for (int i = 0; i < kNumParams; ++i) {
    if (skipped[i]) continue;
    putRecordHead(out, at, kValueRecord, kValuePayloadBytes, programField);
    const std::size_t payload = at;
    putInt(out, at, i);
    const float v = storableValue(p.values[i]);
    std::memcpy(out.data() + payload + kValueOffset, &v, 4);
    at = payload + kValuePayloadBytes;
  }
}

std::vector<std::uint8_t> startBlob(std::size_t recordBytes, std::uint8_t type, std::int32_t uniqueId,
                                    std::int32_t recordCount, std::int32_t currentProgram, std::size_t& at) {
  std::vector<std::uint8_t> out(kHeaderBytes + recordBytes, 0);
  at = 0;
  putInt(out, at, uniqueId);
  out[at++] = type;
  putInt(out, at, kFormatVersion);
  putInt(out, at, kNumParams);
  putInt(out, at, recordCount);
  putInt(out, at, currentProgram);
  putInt(out, at, static_cast<std::int32_t>(recordBytes));
  at = kHeaderBytes;  // the reserved fields stay zero
  return out;
}

}  // namespace

std::uint32_t byteSwap(std::uint32_t v) noexcept {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

std::int32_t loadInt(const std::uint8_t* p, bool reverse) noexcept {
  std::uint32_t u;
  std::memcpy(&u, p, 4);
  if (reverse) u = byteSwap(u);
  return static_cast<std::int32_t>(u);
}

float loadFloat(const std::uint8_t* p, bool reverse) noexcept {
  const std::uint32_t u = static_cast<std::uint32_t>(loadInt(p, reverse));
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

ByteOrder byteOrderOf(const std::uint8_t* p, std::int32_t uniqueId) noexcept {
  const std::int32_t id = loadInt(p, false);
  if (id == uniqueId) return ByteOrder::Native;
  if (static_cast<std::uint32_t>(id) == byteSwap(static_cast<std::uint32_t>(uniqueId))) return ByteOrder::Reversed;
  return ByteOrder::Foreign;
}

void putChunkHead(std::uint8_t* out, std::int32_t uniqueId) noexcept {
  const std::int32_t head[2] = {kChunkTag, uniqueId};
  std::memcpy(out, head, kChunkHeadBytes);
}

bool legacyEntries(std::size_t bytes, std::size_t count, LegacyEntries& out) noexcept {
  if (count == 0) return false;
  const std::size_t entry = bytes / count;
  if (entry < kLegacyNameBytes) return false;
  out.values = (entry - kLegacyNameBytes) / 4;
  out.stride = kLegacyNameBytes + 4 * out.values;
  return true;
}

Header readHeader(const std::uint8_t* p, bool reverse) noexcept {
  Header h;
  p += kIdAndTypeBytes;
  h.formatVersion = loadInt(p, reverse);
  h.paramCount = loadInt(p + 4, reverse);
  h.recordCount = loadInt(p + 8, reverse);
  h.currentProgram = loadInt(p + 12, reverse);
  h.recordBytes = loadInt(p + 16, reverse);
  for (int i = 0; i < 4; ++i) h.reserved[i] = loadInt(p + 20 + 4 * i, reverse);
  return h;
}

std::vector<std::uint8_t> writeBank(const ProgramRecord* bank, int currentProgram, std::int32_t uniqueId,
                                    const SkipMask& skipped) {
  BankSkipMasks each;
  each.fill(skipped);
  return writeBank(bank, currentProgram, uniqueId, each);
}

std::vector<std::uint8_t> writeBank(const ProgramRecord* bank, int currentProgram, std::int32_t uniqueId,
                                    const BankSkipMasks& skipped) {
  std::size_t bytes = 0;
  std::int32_t records = 0;
  for (const SkipMask& s : skipped) {
    int values = 0;
    bytes += programRecordBytes(s, values);
    records += 1 + values;
  }
  std::size_t at = 0;
  auto out = startBlob(bytes, kBankType, uniqueId, records, currentProgram, at);
  for (int i = 0; i < kNumPrograms; ++i) putProgram(out, at, bank[i], i, skipped[i]);
  return out;
}

std::vector<std::uint8_t> writePreset(const ProgramRecord& program, std::int32_t uniqueId, const SkipMask& skipped) {
  int values = 0;
  const std::size_t bytes = programRecordBytes(skipped, values);
  std::size_t at = 0;
  auto out = startBlob(bytes, kPresetType, uniqueId, 1 + values, 0, at);
  putProgram(out, at, program, 0, skipped);
  return out;
}

bool RecordReader::next(Record& r) noexcept {
  if (left_ < kRecordHeadBytes) return false;
  const std::int32_t length = loadInt(p_ + 4, reverse_);
  if (length < 0 || static_cast<std::size_t>(length) > left_ - kRecordHeadBytes) return false;
  r.type = loadInt(p_, reverse_);
  r.program = loadInt(p_ + 8, reverse_);
  r.payload = p_ + kRecordHeadBytes;
  r.payloadBytes = static_cast<std::size_t>(length);
  p_ += kRecordHeadBytes + r.payloadBytes;
  left_ -= kRecordHeadBytes + r.payloadBytes;
  return true;
}

bool recordValue(const Record& r, bool reverse, std::int32_t& index, float& value) noexcept {
  if (r.payloadBytes < kValueOffset + 4) return false;
  index = loadInt(r.payload + kValueIndexOffset, reverse);
  value = loadFloat(r.payload + kValueOffset, reverse);
  return true;
}

}  // namespace stellix::blob
