// The plug-in's saved state as the host sees it: the chunk (a format tag, the unique ID and
// a bank record blob) and the preset (.kvp) and bank (.kvb) files holding a record blob.
// Reads every layout the plug-in reads (current and legacy, either byte order) and writes
// chunks in the current layout and native byte order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stellix::render {

constexpr int kStateParams = 26;
constexpr int kStatePrograms = 27;
constexpr int kStateNameBytes = 24;

struct ProgramState {
  std::array<char, kStateNameBytes> name{};                    // not necessarily terminated
  std::array<std::optional<float>, kStateParams> values;     // absent: the plug-in's default
  std::string nameText() const;
};

struct StateBlob {
  bool bank = false;  // a bank (27 programs) or a preset (one program)
  int current = 0;    // the current program of a bank
  std::vector<ProgramState> programs;
};

// Reads a record blob; throws std::runtime_error with the reason when it is not one of
// the plug-in's blobs, is cut short or holds a value outside 0..1.
StateBlob parseBlob(const std::uint8_t* data, std::size_t size, std::int32_t uniqueId);
// Reads the chunk the plug-in hands out (current layout only).
StateBlob parseChunk(const std::vector<std::uint8_t>& chunk, std::int32_t uniqueId);
// Reads a .kvp or .kvb file; the reason names the file.
StateBlob readStateFile(const std::string& path, std::int32_t uniqueId);
// A chunk in the current layout carrying bank (27 programs) with its current program.
std::vector<std::uint8_t> makeBankChunk(const StateBlob& bank, std::int32_t uniqueId);

}  // namespace stellix::render
