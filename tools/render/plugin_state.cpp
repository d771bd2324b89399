#include "tools/render/plugin_state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace stellix::render {
namespace {

constexpr std::uint8_t kBankType = 0x38;
constexpr std::uint8_t kPresetType = 0x22;
constexpr std::uint8_t kLegacyBankType = 0x37;
constexpr std::uint8_t kLegacyPresetType = 0x21;
constexpr std::int32_t kFormatVersion = 0x01050100;
constexpr std::int32_t kChunkTag = 0x02000000;
constexpr std::size_t kHeaderBytes = 41;
constexpr std::size_t kRecordHeadBytes = 12;
constexpr std::int32_t kNameRecord = 0, kValueRecord = 1;
constexpr std::int32_t kNamePayload = 156, kValuePayload = 20;
// Larger than any file of the plug-in's own (a bank is 27041 bytes).
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::uint32_t swapped(std::uint32_t x) { return __builtin_bswap32(x); }

// Reads the 32-bit fields of data in its byte order.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size, bool reversed) : data_(data), size_(size), reversed_(reversed) {}
  bool has(std::size_t offset, std::size_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
  std::uint32_t u32(std::size_t offset) const {
    std::uint32_t x;
    std::memcpy(&x, data_ + offset, 4);
    return reversed_ ? swapped(x) : x;
  }
  std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
  float f32(std::size_t offset) const {
    const std::uint32_t x = u32(offset);
    float f;
    std::memcpy(&f, &x, 4);
    return f;
  }
  const std::uint8_t* at(std::size_t offset) const { return data_ + offset; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  bool reversed_;
};

float checkedValue(float v, int param, int program) {
  if (!(v >= 0.0f && v <= 1.0f)) {
    throw std::runtime_error("value " + std::to_string(v) + " of parameter " + std::to_string(param) +
                             " in program " + std::to_string(program) + " lies outside 0..1");
  }
  return v;
}

void readCurrentLayout(const Reader& r, StateBlob& blob) {
  if (!r.has(0, kHeaderBytes)) throw std::runtime_error("cut short in its header");
  const std::int32_t count = r.i32(13);
  if (count < 0) throw std::runtime_error("negative record count");
  blob.current = blob.bank ? r.i32(17) : 0;
  if (blob.current < 0 || blob.current >= kStatePrograms) blob.current = 0;
  std::size_t at = kHeaderBytes;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!r.has(at, kRecordHeadBytes)) throw std::runtime_error("cut short after " + std::to_string(i) + " records");
    const std::int32_t type = r.i32(at), length = r.i32(at + 4), program = r.i32(at + 8);
    const std::size_t payload = at + kRecordHeadBytes;
    if (length < 0 || !r.has(payload, static_cast<std::size_t>(length)))
      throw std::runtime_error("record " + std::to_string(i) + " runs past the end");
    at = payload + static_cast<std::size_t>(length);
    const int p = blob.bank ? program : 0;
    if (p < 0 || p >= kStatePrograms) continue;  // the plug-in skips such records too
    ProgramState& target = blob.programs[p];
    if (type == kNameRecord && length >= kStateNameBytes) {
      std::memcpy(target.name.data(), r.at(payload), kStateNameBytes);
      target.values = {};  // a name record starts the program afresh
    } else if (type == kValueRecord && length >= 16) {
      const std::int32_t index = r.i32(payload);
      if (index < 0 || index >= kStateParams) continue;
      target.values[index] = checkedValue(r.f32(payload + 12), index, p);
    }
  }
}

void readLegacyLayout(const Reader& r, std::size_t size, StateBlob& blob) {
  const std::size_t programs = blob.bank ? kStatePrograms : 1;
  const std::size_t entry = blob.bank ? (size - 5) / kStatePrograms : size - 5;
  if (entry < static_cast<std::size_t>(kStateNameBytes)) throw std::runtime_error("cut short");
  const std::size_t n = std::min<std::size_t>((entry - kStateNameBytes) / 4, kStateParams);
  const std::size_t stride = kStateNameBytes + 4 * ((entry - kStateNameBytes) / 4);
  for (std::size_t p = 0; p < programs; ++p) {
    const std::size_t base = 5 + p * stride;
    ProgramState& target = blob.programs[p];
    std::memcpy(target.name.data(), r.at(base), kStateNameBytes);
    for (std::size_t j = 0; j < n; ++j)
      target.values[j] = checkedValue(r.f32(base + kStateNameBytes + 4 * j), static_cast<int>(j), static_cast<int>(p));
  }
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t x) {
  const std::size_t at = out.size();
  out.resize(at + 4);
  std::memcpy(out.data() + at, &x, 4);
}
void putI32(std::vector<std::uint8_t>& out, std::int32_t x) { put32(out, static_cast<std::uint32_t>(x)); }
void putF32(std::vector<std::uint8_t>& out, float f) {
  std::uint32_t x;
  std::memcpy(&x, &f, 4);
  put32(out, x);
}

}  // namespace

std::string ProgramState::nameText() const { return std::string(name.data(), strnlen(name.data(), name.size())); }

StateBlob parseBlob(const std::uint8_t* data, std::size_t size, std::int32_t uniqueId) {
  if (!data || size < 5) throw std::runtime_error("too short to hold a preset or bank");
  std::uint32_t id;
  std::memcpy(&id, data, 4);
  const auto expected = static_cast<std::uint32_t>(uniqueId);
  if (id != expected && id != swapped(expected)) throw std::runtime_error("not a preset or bank of this plug-in");
  const Reader r(data, size, id != expected);
  StateBlob blob;
  const std::uint8_t type = data[4];
  blob.bank = type == kBankType || type == kLegacyBankType;
  blob.programs.resize(blob.bank ? kStatePrograms : 1);
  switch (type) {
    case kBankType:
    case kPresetType:
      readCurrentLayout(r, blob);
      break;
    case kLegacyBankType:
    case kLegacyPresetType:
      readLegacyLayout(r, size, blob);
      break;
    default:
      throw std::runtime_error("unknown record type " + std::to_string(type));
  }
  return blob;
}

StateBlob parseChunk(const std::vector<std::uint8_t>& chunk, std::int32_t uniqueId) {
  if (chunk.size() < 8) throw std::runtime_error("the plug-in's chunk is too short");
  std::int32_t tag;
  std::memcpy(&tag, chunk.data(), 4);
  if (tag != kChunkTag) throw std::runtime_error("the plug-in's chunk has an unknown format");
  StateBlob blob = parseBlob(chunk.data() + 8, chunk.size() - 8, uniqueId);
  if (!blob.bank) throw std::runtime_error("the plug-in's chunk holds no bank");
  return blob;
}

StateBlob readStateFile(const std::string& path, std::int32_t uniqueId) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open: " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  bytes.reserve(32768);
  char c;
  while (in.get(c)) {
    if (bytes.size() >= kMaxFileBytes) throw std::runtime_error(path + ": too large for a preset or bank file");
    bytes.push_back(static_cast<std::uint8_t>(c));
  }
  if (in.bad()) throw std::runtime_error(path + ": read error");
  try {
    return parseBlob(bytes.data(), bytes.size(), uniqueId);
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

std::vector<std::uint8_t> makeBankChunk(const StateBlob& bank, std::int32_t uniqueId) {
  std::vector<std::uint8_t> records;
  std::int32_t count = 0;
  for (int p = 0; p < static_cast<int>(bank.programs.size()) && p < kStatePrograms; ++p) {
    const ProgramState& program = bank.programs[p];
    putI32(records, kNameRecord);
    putI32(records, kNamePayload);
    putI32(records, p);
    records.insert(records.end(), program.name.begin(), program.name.end());
    records.insert(records.end(), kNamePayload - kStateNameBytes, 0);
    ++count;
    for (int i = 0; i < kStateParams; ++i) {
      if (!program.values[i]) continue;
      putI32(records, kValueRecord);
      putI32(records, kValuePayload);
      putI32(records, p);
      putI32(records, i);
      putI32(records, 0);
      putI32(records, 0);
      putF32(records, *program.values[i]);
      putI32(records, 0);
      ++count;
    }
  }
  std::vector<std::uint8_t> chunk;
  chunk.reserve(8 + kHeaderBytes + records.size());
  putI32(chunk, kChunkTag);
  putI32(chunk, uniqueId);
  putI32(chunk, uniqueId);
  chunk.push_back(kBankType);
  putI32(chunk, kFormatVersion);
  putI32(chunk, kStateParams);
  putI32(chunk, count);
  putI32(chunk, bank.current);
  putI32(chunk, static_cast<std::int32_t>(records.size()));
  for (int i = 0; i < 4; ++i) putI32(chunk, 0);
  chunk.insert(chunk.end(), records.begin(), records.end());
  return chunk;
}

}  // namespace stellix::render
