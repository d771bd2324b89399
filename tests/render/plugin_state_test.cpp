// Reading the plug-in's preset and bank blobs on the host side and writing bank chunks.
#include "tools/render/plugin_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "vst2/aeffect.h"

namespace stellix::render {
namespace {

const std::int32_t kId = fourCharConst("KrSt");

struct BlobWriter {
  std::vector<std::uint8_t> bytes;
  bool reversed = false;
  void i32(std::uint32_t x) {
    if (reversed) x = __builtin_bswap32(x);
    const std::size_t at = bytes.size();
    bytes.resize(at + 4);
    std::memcpy(bytes.data() + at, &x, 4);
  }
  void f32(float f) {
    std::uint32_t x;
    std::memcpy(&x, &f, 4);
    i32(x);
  }
  void name(const char* n, std::size_t bytesOfField) {
    const std::size_t at = bytes.size();
    bytes.resize(at + bytesOfField, 0);
    std::memcpy(bytes.data() + at, n, std::strlen(n));
  }
};

// A preset blob with a name record and one value record per (index, value).
std::vector<std::uint8_t> preset(const std::vector<std::pair<int, float>>& values, bool reversed = false) {
  BlobWriter w;
  w.reversed = reversed;
  w.i32(static_cast<std::uint32_t>(kId));
  w.bytes.push_back(0x22);
  for (std::uint32_t x : {0x01050100u, 26u, 1u + static_cast<std::uint32_t>(values.size()), 0u,
                          168u + 32u * static_cast<std::uint32_t>(values.size()), 0u, 0u, 0u, 0u})
    w.i32(x);
  w.i32(0), w.i32(156), w.i32(0);
  w.name("Warm", 156);
  for (const auto& [index, v] : values) {
    w.i32(1), w.i32(20), w.i32(0), w.i32(static_cast<std::uint32_t>(index)), w.i32(0), w.i32(0);
    w.f32(v);
    w.i32(0);
  }
  return w.bytes;
}

// A legacy blob of type (0x21 preset, 0x37 bank): per program the name "Warm" and 26 values,
// value i of program p being valueOf(p, i).
std::vector<std::uint8_t> legacy(std::uint8_t type, int programs, float (*valueOf)(int, int), bool reversed = false) {
  BlobWriter w;
  w.reversed = reversed;
  w.i32(static_cast<std::uint32_t>(kId));
  w.bytes.push_back(type);
  for (int p = 0; p < programs; ++p) {
    w.name("Warm", 24);
    for (int i = 0; i < 26; ++i) w.f32(valueOf(p, i));
  }
  return w.bytes;
}

float warmValue(int, int i) { return i == 1 ? 0.75f : (i == 8 ? 1.0f : 0.0f); }
float bankValue(int p, int i) { return static_cast<float>((p + i) % 10) / 10.0f; }

TEST(PluginState, ReadsPresetsInEitherByteOrderAndTheLegacyLayout) {
  const std::vector<std::uint8_t> blobs[] = {preset({{1, 0.75f}, {8, 1.0f}}), preset({{1, 0.75f}, {8, 1.0f}}, true),
                                             legacy(0x21, 1, warmValue), legacy(0x21, 1, warmValue, true)};
  for (const auto& bytes : blobs) {
    const StateBlob b = parseBlob(bytes.data(), bytes.size(), kId);
    EXPECT_FALSE(b.bank);
    ASSERT_EQ(b.programs.size(), 1u);
    EXPECT_EQ(b.programs[0].nameText(), "Warm");
    EXPECT_EQ(b.programs[0].values[1], 0.75f);
    EXPECT_EQ(b.programs[0].values[8], 1.0f);
  }
}

TEST(PluginState, ReadsLegacyBanksInEitherByteOrder) {
  for (bool reversed : {false, true}) {
    const std::vector<std::uint8_t> bytes = legacy(0x37, kStatePrograms, bankValue, reversed);
    const StateBlob b = parseBlob(bytes.data(), bytes.size(), kId);
    EXPECT_TRUE(b.bank);
    EXPECT_EQ(b.current, 0);
    ASSERT_EQ(b.programs.size(), static_cast<std::size_t>(kStatePrograms));
    for (int p = 0; p < kStatePrograms; ++p) {
      EXPECT_EQ(b.programs[p].nameText(), "Warm") << p;
      for (int i = 0; i < kStateParams; ++i) EXPECT_EQ(b.programs[p].values[i], bankValue(p, i)) << p << " " << i;
    }
  }
}

TEST(PluginState, RefusesWhatThePluginWouldNotLoad) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* message;
  };
  std::vector<std::uint8_t> cut = preset({{1, 0.5f}});
  cut.resize(cut.size() - 10);
  std::vector<std::uint8_t> foreign = preset({});
  foreign[0] ^= 0x55;
  std::vector<std::uint8_t> unknownType = preset({});
  unknownType[4] = 0x40;
  std::vector<std::uint8_t> cutInHead = preset({{1, 0.5f}});
  cutInHead.resize(41 + 168 + 5);
  std::vector<std::uint8_t> shortLegacy = legacy(0x21, 1, warmValue);
  shortLegacy.resize(5 + 20);
  std::vector<std::uint8_t> cutInHeader = preset({});
  cutInHeader.resize(30);
  const Case cases[] = {
      {"value above 1", preset({{1, 1.5f}}), "outside 0..1"},
      {"value not a number", preset({{3, std::nanf("")}}), "outside 0..1"},
      {"record cut short", cut, "record 1 runs past the end"},
      {"record head cut short", cutInHead, "cut short after 1 records"},
      {"legacy entry shorter than a name", shortLegacy, "cut short"},
      {"header cut short", cutInHeader, "cut short in its header"},
      {"another plug-in's data", foreign, "not a preset or bank of this plug-in"},
      {"unknown type", unknownType, "unknown record type"},
      {"too short", std::vector<std::uint8_t>(4, 0), "too short"},
  };
  for (const Case& c : cases) {
    try {
      parseBlob(c.bytes.data(), c.bytes.size(), kId);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
    }
  }
}

TEST(PluginState, BankChunksReadBackAsWritten) {
  StateBlob bank;
  bank.bank = true;
  bank.current = 12;
  bank.programs.resize(kStatePrograms);
  for (int p = 0; p < kStatePrograms; ++p) {
    std::snprintf(bank.programs[p].name.data(), kStateNameBytes, "Program %d", p);
    for (int i = 0; i < kStateParams; ++i) bank.programs[p].values[i] = static_cast<float>((p + i) % 10) / 10.0f;
  }
  bank.programs[5].name.fill('x');  // a name may fill all 24 bytes
  bank.programs[7].values[3].reset();  // left out: the plug-in's default
  const std::vector<std::uint8_t> chunk = makeBankChunk(bank, kId);
  const StateBlob back = parseChunk(chunk, kId);
  EXPECT_EQ(back.current, 12);
  for (int p = 0; p < kStatePrograms; ++p) {
    EXPECT_EQ(back.programs[p].name, bank.programs[p].name) << p;
    EXPECT_EQ(back.programs[p].values, bank.programs[p].values) << p;
  }
  EXPECT_EQ(back.programs[5].nameText().size(), 24u);
}

}  // namespace
}  // namespace stellix::render
