#include "tools/render/plugin_state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "presets/record_blob.h"

namespace stellix::render {
namespace {

static_assert(kStateParams == kNumParams && kStatePrograms == kNumPrograms && kStateNameBytes == kProgramNameBytes);

// Larger than any file of the plug-in's own (a bank is 27041 bytes).
constexpr std::size_t kMaxFileBytes = 1 << 20;

float checkedValue(float v, int param, int program) {
  if (!blob::isValidValue(v)) {
    throw std::runtime_error("value " + std::to_string(v) + " of parameter " + std::to_string(param) +
                             " in program " + std::to_string(program) + " lies outside 0..1");
  }
  return v;
}

// Stricter than the plug-in, which stops quietly at a record that does not fit: such data
// is refused, naming where it ends.
void readCurrentLayout(const std::uint8_t* data, std::size_t size, bool reverse, StateBlob& state) {
  if (size < blob::kHeaderBytes) throw std::runtime_error("cut short in its header");
  const blob::Header header = blob::readHeader(data, reverse);
  if (header.recordCount < 0) throw std::runtime_error("negative record count");
  state.current = state.bank ? header.currentProgram : 0;
  if (state.current < 0 || state.current >= kStatePrograms) state.current = 0;
  blob::RecordReader reader(data + blob::kHeaderBytes, size - blob::kHeaderBytes, reverse);
  blob::Record r;
  for (std::int32_t i = 0; i < header.recordCount; ++i) {
    if (!reader.next(r)) {
      if (reader.remaining() < blob::kRecordHeadBytes)
        throw std::runtime_error("cut short after " + std::to_string(i) + " records");
      throw std::runtime_error("record " + std::to_string(i) + " runs past the end");
    }
    const int p = state.bank ? r.program : 0;
    if (p < 0 || p >= kStatePrograms) continue;  // the plug-in skips such records too
    ProgramState& target = state.programs[p];
    std::int32_t index;
    float value;
    if (r.type == blob::kNameRecord) {
      const char* name = blob::recordName(r);
      if (!name) continue;
      std::memcpy(target.name.data(), name, kStateNameBytes);
      target.values = {};  // a name record starts the program afresh
    } else if (r.type == blob::kValueRecord && blob::recordValue(r, reverse, index, value)) {
      if (index < 0 || index >= kStateParams) continue;
      target.values[index] = checkedValue(value, index, p);
    }
  }
}

void readLegacyLayout(const std::uint8_t* data, std::size_t size, bool reverse, StateBlob& state) {
  const std::uint8_t* entries = data + blob::kIdAndTypeBytes;
  blob::LegacyEntries layout;
  if (!blob::legacyEntries(size - blob::kIdAndTypeBytes, state.programs.size(), layout))
    throw std::runtime_error("cut short");
  const std::size_t used = std::min<std::size_t>(layout.values, kStateParams);
  for (std::size_t p = 0; p < state.programs.size(); ++p) {
    const std::uint8_t* entry = entries + p * layout.stride;
    ProgramState& target = state.programs[p];
    std::memcpy(target.name.data(), entry, kStateNameBytes);
    for (std::size_t j = 0; j < used; ++j)
      target.values[j] = checkedValue(blob::legacyValue(entry, j, reverse), static_cast<int>(j), static_cast<int>(p));
  }
}

}  // namespace

std::string ProgramState::nameText() const { return std::string(name.data(), strnlen(name.data(), name.size())); }

StateBlob parseBlob(const std::uint8_t* data, std::size_t size, std::int32_t uniqueId) {
  if (!data || size < blob::kIdAndTypeBytes) throw std::runtime_error("too short to hold a preset or bank");
  const blob::ByteOrder order = blob::byteOrderOf(data, uniqueId);
  if (order == blob::ByteOrder::Foreign) throw std::runtime_error("not a preset or bank of this plug-in");
  const bool reverse = order == blob::ByteOrder::Reversed;
  StateBlob state;
  const std::uint8_t type = data[4];
  state.bank = type == blob::kBankType || type == blob::kLegacyBankType;
  state.programs.resize(state.bank ? kStatePrograms : 1);
  switch (type) {
    case blob::kBankType:
    case blob::kPresetType:
      readCurrentLayout(data, size, reverse, state);
      break;
    case blob::kLegacyBankType:
    case blob::kLegacyPresetType:
      readLegacyLayout(data, size, reverse, state);
      break;
    default:
      throw std::runtime_error("unknown record type " + std::to_string(type));
  }
  return state;
}

StateBlob parseChunk(const std::vector<std::uint8_t>& chunk, std::int32_t uniqueId) {
  if (chunk.size() < blob::kChunkHeadBytes) throw std::runtime_error("the plug-in's chunk is too short");
  if (blob::loadInt(chunk.data(), false) != blob::kChunkTag)
    throw std::runtime_error("the plug-in's chunk has an unknown format");
  StateBlob state = parseBlob(chunk.data() + blob::kChunkHeadBytes, chunk.size() - blob::kChunkHeadBytes, uniqueId);
  if (!state.bank) throw std::runtime_error("the plug-in's chunk holds no bank");
  return state;
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
  if (bank.programs.size() != static_cast<std::size_t>(kStatePrograms))
    throw std::invalid_argument("a bank chunk carries " + std::to_string(kStatePrograms) + " programs");
  // Absent values are left out of the records, so the plug-in keeps its defaults for them.
  ProgramRecord programs[kNumPrograms];
  blob::BankSkipMasks absent;
  for (int p = 0; p < kNumPrograms; ++p) {
    const ProgramState& from = bank.programs[p];
    std::memcpy(programs[p].name, from.name.data(), kProgramNameBytes);
    for (int i = 0; i < kNumParams; ++i) {
      absent[p][i] = !from.values[i];
      programs[p].values[i] = from.values[i].value_or(0.0f);
    }
  }
  const std::vector<std::uint8_t> records = blob::writeBank(programs, bank.current, uniqueId, absent);
  std::vector<std::uint8_t> chunk(blob::kChunkHeadBytes + records.size());
  blob::putChunkHead(chunk.data(), uniqueId);
  std::memcpy(chunk.data() + blob::kChunkHeadBytes, records.data(), records.size());
  return chunk;
}

}  // namespace stellix::render
