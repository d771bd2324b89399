// The host chunk: the whole bank behind an 8-byte head, and the older raw layout.
#include <gtest/gtest.h>

#include "tests/presets/preset_test_support.h"
#include "tools/testhost/testhost.h"

namespace stellix::testing {
namespace {

class ChunkTest : public PresetTest {
 protected:
  Bytes chunk() {
    void* data = nullptr;
    const VstInt32 size = plugin->getChunk(&data, false);
    const auto* p = static_cast<const std::uint8_t*>(data);
    return size > 0 && p ? Bytes(p, p + size) : Bytes();
  }
  VstInt32 setChunk(Bytes b) { return plugin->setChunk(b.data(), static_cast<VstInt32>(b.size()), false); }

  // A bank that differs from the factory one in names, values and the current program.
  void editBank() {
    plugin->selectProgram(3);
    plugin->setParameter(kDrive, 0.9f);
    plugin->renameCurrentProgram("Edited three");
    plugin->selectProgram(26);
    plugin->setParameter(kRelease, 0.125f);
    plugin->selectProgram(5);
  }
};

TEST_F(ChunkTest, HeadAndHeaderRightAfterConstruction) {
  const Bytes c = chunk();
  ASSERT_EQ(c.size(), 27049u);
  EXPECT_EQ(readInt(c, 0), 0x02000000);
  EXPECT_EQ(readInt(c, 4), plugin->getUniqueId());
  EXPECT_EQ(readInt(c, 8), readInt(c, 4));
  EXPECT_EQ(c[12], 0x38);
  EXPECT_EQ(readInt(c, 8 + 5), 0x01050100);
  EXPECT_EQ(readInt(c, 8 + 9), 26);
  EXPECT_EQ(readInt(c, 8 + 13), 729);
  EXPECT_EQ(readInt(c, 8 + 17), 0);
  EXPECT_EQ(readInt(c, 8 + 21), 27000);
}

TEST_F(ChunkTest, RoundTripInEitherByteOrderRestoresBankAndCurrentProgram) {
  editBank();
  const Bank saved = bankOf(*plugin);
  const Bytes native = chunk();
  Bytes reversed = native;
  swap4(reversed, 0);
  swap4(reversed, 4);
  reverseBlob(reversed, 8);
  for (const Bytes* c : {&native, static_cast<const Bytes*>(&reversed)}) {
    plugin->selectProgram(9);
    plugin->setParameter(kDrive, 0.1f);
    EXPECT_EQ(setChunk(*c), 0);
    EXPECT_TRUE(sameBank(bankOf(*plugin), saved));
    EXPECT_EQ(plugin->getCurrentProgramIndex(), 5);
    EXPECT_FLOAT_EQ(plugin->getParameter(kDrive), saved[5].values[kDrive]) << "the current program is applied";
  }
}

TEST_F(ChunkTest, LegacyChunkLoadsRawEntriesAndSelectsItsProgram) {
  Bank source = factoryBank();
  std::swap(source[0], source[17]);
  source[3].values[kTransient] = 0.625f;
  for (const auto& [current, expected] : {std::pair{3, 3}, std::pair{40, 0}, std::pair{-1, 0}}) {
    for (bool reversed : {false, true}) {
      Bytes c(32 + sizeof source, 0);
      writeInt(c, 0, 0x01000000);
      writeInt(c, 4, plugin->getUniqueId());
      writeInt(c, 8, 27);
      writeInt(c, 12, current);
      std::memcpy(c.data() + 32, source.data(), sizeof source);
      if (reversed) {
        for (std::size_t at : {0, 4, 8, 12, 16, 20, 24, 28}) swap4(c, at);
        for (int i = 0; i < kNumPrograms; ++i)
          for (int j = 0; j < kNumParams; ++j) swap4(c, 32 + 128 * i + 24 + 4 * j);
      }
      ASSERT_EQ(c.size(), 3488u);
      plugin->selectProgram(12);
      plugin->setParameter(kDrive, 0.0f);
      EXPECT_EQ(setChunk(c), 0);
      EXPECT_TRUE(sameBank(bankOf(*plugin), source)) << "current " << current << (reversed ? ", reversed" : "");
      EXPECT_EQ(plugin->getCurrentProgramIndex(), expected);
    }
  }
}

TEST_F(ChunkTest, LegacyChunkWithFewerValuesKeepsTheDefaultsForTheRest) {
  // 27 entries of a name and 10 values each: the other values come from the default program.
  Bytes c(32 + 27 * 64, 0);
  writeInt(c, 0, 0x01000000);
  writeInt(c, 4, plugin->getUniqueId());
  writeInt(c, 8, 27);
  std::memcpy(c.data() + 32 + 64 * 4, "Short", 5);
  writeFloat(c, 32 + 64 * 4 + 24, 0.25f);
  EXPECT_EQ(setChunk(c), 0);
  const ProgramRecord& p = plugin->bank()[4];
  EXPECT_EQ(nameOf(p), "Short");
  EXPECT_EQ(p.values[kOutput], 0.25f);
  EXPECT_EQ(p.values[kScale], 0.0f) << "value 9 is the last one in the chunk";
  EXPECT_EQ(p.values[kBits], plugin->defaultProgram().values[kBits]);
}

TEST_F(ChunkTest, RefusedChunksChangeNothing) {
  editBank();
  const Bank before = bankOf(*plugin);
  const Bytes good = chunk();
  auto patched = [&](std::size_t at, std::int32_t v) {
    Bytes c = good;
    writeInt(c, at, v);
    return c;
  };
  Bytes invalidValue = good;  // tenth value record of program 0 holds 1.5
  writeFloat(invalidValue, 8 + 41 + 168 + 9 * 32 + 12 + 12, 1.5f);
  Bytes nanValue = good;
  writeInt(nanValue, 8 + 41 + 5 * 1000 + 168 + 12 + 12, 0x7FC00000);
  Bytes legacyHead(32, 0);
  writeInt(legacyHead, 0, 0x01000000);
  writeInt(legacyHead, 4, plugin->getUniqueId());
  Bytes legacyNegative = legacyHead;
  writeInt(legacyNegative, 8, -27);
  legacyNegative.resize(32 + 3456);
  Bytes legacyShortEntries = legacyHead;  // one program of 20 bytes: shorter than a name
  legacyShortEntries.resize(52);
  writeInt(legacyShortEntries, 8, 1);
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {
      {"seven bytes", Bytes(good.begin(), good.begin() + 7)},
      {"another product", patched(4, 0x41424344)},
      {"unknown format tag", patched(0, 0x03000000)},
      {"header cut short", Bytes(good.begin(), good.begin() + 48)},
      {"negative record count", patched(8 + 13, -1)},
      {"a value of 1.5", invalidValue},
      {"a value that is not a number", nanValue},
      {"legacy, no programs", legacyHead},
      {"legacy, negative program count", legacyNegative},
      {"legacy, entries shorter than a name", legacyShortEntries},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(setChunk(c.data), -1) << c.what;
    EXPECT_TRUE(sameBank(bankOf(*plugin), before)) << c.what;
    EXPECT_EQ(plugin->getCurrentProgramIndex(), 5) << c.what;
  }
  EXPECT_EQ(plugin->setChunk(nullptr, 27049, false), -1);
}

TEST_F(ChunkTest, ZeroRecordsSelectTheNamedProgramAndACutRecordIsNotRead) {
  Bytes c = chunk();
  writeInt(c, 8 + 13, 0);
  writeInt(c, 8 + 17, 12);
  EXPECT_EQ(setChunk(c), 0);
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 12);
  EXPECT_TRUE(sameBank(bankOf(*plugin), factoryBank()));

  // The last value record lacks its final byte: every record before it still loads.
  plugin->selectProgram(26);
  plugin->setParameter(kDummy3, 0.5f);
  Bytes cut = chunk();
  plugin->setParameter(kDummy3, 0.75f);
  cut.pop_back();
  EXPECT_EQ(setChunk(cut), 0);
  EXPECT_EQ(plugin->bank()[26].values[kDummy3], 0.5f);
  EXPECT_EQ(plugin->bank()[26].values[kLayoutVersion], plugin->defaultProgram().values[kLayoutVersion]);
}

TEST(ChunkThroughTheHost, OpcodesCarryTheBankAndTheEditorIsAnnounced) {
  TempConfigHome home;
  TestHost a, b;
  ASSERT_NE(a.open(), nullptr) << a.error();
  ASSERT_NE(b.open(), nullptr) << b.error();
  EXPECT_NE(a.effect()->flags & effFlagsHasEditor, 0) << "the window is offered";
  a.setParameter(kDrive, 0.875f);
  void* data = nullptr;
  const VstIntPtr size = a.dispatch(effGetChunk, 0, 0, &data);
  ASSERT_EQ(size, 27049);
  Bytes copy(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  EXPECT_EQ(b.dispatch(effSetChunk, 1, size, copy.data()), 0) << "the preset flag is not looked at";
  EXPECT_EQ(b.getParameter(kDrive), 0.875f);
  EXPECT_EQ(b.dispatch(effSetChunk, 0, 4, copy.data()), -1);
}

}  // namespace
}  // namespace stellix::testing
