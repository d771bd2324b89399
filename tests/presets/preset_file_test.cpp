// Preset and bank files: saving, loading in either byte order, the older raw layouts, and
// what a failed write leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/presets/preset_test_support.h"

namespace stellix::testing {
namespace {

class PresetFileTest : public PresetTest {
 protected:
  Bytes fileBytes(const std::string& p) {
    const std::string s = fileContents(p);
    return Bytes(s.begin(), s.end());
  }
  void putFile(const std::string& p, const Bytes& b) { writeFileContents(p, std::string(b.begin(), b.end())); }
};

TEST_F(PresetFileTest, PresetFromProgram7ReplacesProgram2) {
  plugin->selectProgram(7);
  ASSERT_TRUE(editor().savePresetFile(path("seven.kvp")));
  const Bytes file = fileBytes(path("seven.kvp"));
  ASSERT_EQ(file.size(), 1041u);
  EXPECT_EQ(file[4], 0x22);
  EXPECT_EQ(readInt(file, 13), 27);
  EXPECT_EQ(readInt(file, 21), 1000);
  for (std::size_t at = 41; at < file.size(); at += readInt(file, at + 4) + 12)
    EXPECT_EQ(readInt(file, at + 8), 0) << "program field at " << at;

  const Bank before = bankOf(*plugin);
  plugin->selectProgram(2);
  EXPECT_TRUE(editor().loadPresetFile(path("seven.kvp"), false));
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 2);
  EXPECT_TRUE(sameRecord(plugin->bank()[2], before[7]));
  EXPECT_TRUE(sameRecord(plugin->bank()[7], before[7]));
  EXPECT_FLOAT_EQ(plugin->getParameter(kDrive), before[7].values[kDrive]) << "the loaded program is applied";
}

TEST_F(PresetFileTest, AnInvalidValueUndoesThePresetLoad) {
  plugin->selectProgram(7);
  ASSERT_TRUE(editor().savePresetFile(path("bad.kvp")));
  Bytes file = fileBytes(path("bad.kvp"));
  writeFloat(file, 41 + 168 + 9 * 32 + 12 + 12, 1.5f);  // the tenth value record
  putFile(path("bad.kvp"), file);
  plugin->selectProgram(2);
  const Bank before = bankOf(*plugin);
  EXPECT_FALSE(editor().loadPresetFile(path("bad.kvp"), false));
  EXPECT_TRUE(sameBank(bankOf(*plugin), before));
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 2);
}

TEST_F(PresetFileTest, BankFileEndsOnProgram0ButTheSameBankAsAChunkEndsOnItsProgram) {
  plugin->selectProgram(12);
  ASSERT_TRUE(editor().saveBankFile(path("twelve.kvb")));
  const Bytes file = fileBytes(path("twelve.kvb"));
  ASSERT_EQ(file.size(), 27041u);
  EXPECT_EQ(readInt(file, 17), 12);

  plugin->selectProgram(3);
  EXPECT_TRUE(editor().loadBankFile(path("twelve.kvb"), false));
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 0);

  Bytes chunk(8, 0);
  writeInt(chunk, 0, 0x02000000);
  writeInt(chunk, 4, plugin->getUniqueId());
  chunk.insert(chunk.end(), file.begin(), file.end());
  EXPECT_EQ(plugin->setChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), false), 0);
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 12);
}

TEST_F(PresetFileTest, ZeroRecordsResetTheCurrentProgramToTheDefault) {
  plugin->selectProgram(21);
  const Bytes blob = editor().writePreset();
  Bytes empty(blob.begin(), blob.begin() + 41);
  writeInt(empty, 13, 0);
  writeInt(empty, 21, 0);
  plugin->selectProgram(4);
  EXPECT_TRUE(editor().loadPresetData(empty.data(), empty.size(), false));
  EXPECT_TRUE(sameRecord(plugin->bank()[4], plugin->defaultProgram()));
  EXPECT_EQ(plugin->getParameter(kDrive), plugin->defaultProgram().values[kDrive]);
}

// Every layout, written in either byte order, loads the same programs with the plain loaders.
TEST_F(PresetFileTest, EveryLayoutLoadsInEitherByteOrder) {
  Bank source = factoryBank();
  std::swap(source[0], source[23]);
  source[1].values[kRelease] = 0.3125f;
  const std::int32_t id = plugin->getUniqueId();
  for (bool reversed : {false, true}) {
    std::memcpy(plugin->bank(), source.data(), sizeof source);
    plugin->selectProgram(1);
    Bytes preset = editor().writePreset(), bank = editor().writeBank();
    if (reversed) {
      reverseBlob(preset, 0);
      reverseBlob(bank, 0);
    }
    const struct {
      const char* what;
      Bytes data;
      bool isBank;
    } cases[] = {
        {"preset", preset, false},
        {"bank", bank, true},
        {"legacy preset", legacyBlob(id, 0x21, &source[1], 1, reversed), false},
        {"legacy bank", legacyBlob(id, 0x37, source.data(), kNumPrograms, reversed), true},
    };
    for (const auto& c : cases) {
      const std::string file = path("layout");
      putFile(file, c.data);
      std::memcpy(plugin->bank(), factoryBank().data(), sizeof source);
      plugin->selectProgram(1);
      const std::string what = std::string(c.what) + (reversed ? ", reversed" : "");
      EXPECT_TRUE(c.isBank ? editor().loadBankFile(file, false) : editor().loadPresetFile(file, false)) << what;
      if (c.isBank) {
        EXPECT_TRUE(sameBank(bankOf(*plugin), source)) << what;
      } else {
        EXPECT_TRUE(sameRecord(plugin->bank()[1], source[1])) << what;
        EXPECT_TRUE(sameRecord(plugin->bank()[0], factoryBank()[0])) << what;
      }
    }
  }
}

TEST_F(PresetFileTest, EndianReversedLoadOfAReversedLegacyPresetTakesTheBytesAsTheyAre) {
  ProgramRecord p = factoryBank()[7];  // link 0.33: its bytes reversed are a negative number
  const Bytes file = legacyBlob(plugin->getUniqueId(), 0x21, &p, 1, true);
  putFile(path("old.kvp"), file);
  plugin->selectProgram(2);
  const Bank before = bankOf(*plugin);
  EXPECT_FALSE(editor().loadPresetFile(path("old.kvp"), true));
  EXPECT_TRUE(sameBank(bankOf(*plugin), before));
  EXPECT_TRUE(editor().loadPresetFile(path("old.kvp"), false));
  EXPECT_TRUE(sameRecord(plugin->bank()[2], p));
}

TEST_F(PresetFileTest, FilesThatAreNotOursLoadNothing) {
  const std::int32_t id = plugin->getUniqueId();
  Bytes idOnly(4);
  writeInt(idOnly, 0, id);
  Bytes unknownType = idOnly;
  unknownType.push_back('Q');
  unknownType.resize(2000);
  Bytes foreign(1041, 0);
  writeInt(foreign, 0, 0x11223344);
  foreign[4] = 0x22;
  Bytes headerCut = editor().writePreset();
  headerCut.resize(40);
  Bytes legacyNoName = idOnly;  // '!' and 20 bytes: shorter than a name
  legacyNoName.push_back(0x21);
  legacyNoName.resize(25);
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {{"empty", {}},
               {"four bytes", idOnly},
               {"unknown type", unknownType},
               {"another product", foreign},
               {"header cut short", headerCut},
               {"legacy without a name", legacyNoName}};
  plugin->selectProgram(6);
  const Bank before = bankOf(*plugin);
  for (const auto& c : cases) {
    putFile(path("x.kvp"), c.data);
    EXPECT_FALSE(editor().loadPresetFile(path("x.kvp"), false)) << c.what;
    EXPECT_FALSE(editor().loadPresetFile(path("x.kvp"), true)) << c.what;
    EXPECT_TRUE(sameBank(bankOf(*plugin), before)) << c.what;
    EXPECT_EQ(plugin->getCurrentProgramIndex(), 6) << c.what;
  }
  EXPECT_FALSE(editor().loadPresetFile(path("missing.kvp"), false));

  // A bank file of ours with a type the loader does not know still ends on program 0.
  putFile(path("x.kvb"), unknownType);
  EXPECT_FALSE(editor().loadBankFile(path("x.kvb"), false));
  EXPECT_TRUE(sameBank(bankOf(*plugin), before));
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 0);
}

TEST_F(PresetFileTest, ReadOnlyFilesLoad) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  plugin->selectProgram(7);
  ASSERT_TRUE(editor().savePresetFile(path("locked.kvp")));
  ::chmod(path("locked.kvp").c_str(), 0444);
  plugin->selectProgram(2);
  EXPECT_TRUE(editor().loadPresetFile(path("locked.kvp"), false));
  EXPECT_EQ(nameOf(plugin->bank()[2]), "Loudness 3");
}

TEST_F(PresetFileTest, AFailedWriteKeepsThePreviousFile) {
  ASSERT_TRUE(editor().saveBankFile(path("keep.kvb")));
  const std::string previous = fileContents(path("keep.kvb"));
  plugin->selectProgram(9);
  plugin->renameCurrentProgram("Changed");
  ASSERT_TRUE(editor().saveBankFile(path("changed.kvb")));
  // No file can grow beyond 10000 bytes in the child: the bank write breaks off.
  const int status = runWithFileSizeLimit(10000, [&] { return editor().saveBankFile(path("keep.kvb")) ? 1 : 0; });
  EXPECT_EQ(status, 0) << "the save must report its failure";
  EXPECT_EQ(fileContents(path("keep.kvb")), previous);
  EXPECT_EQ(countHiddenFiles(home.root()), 0) << "the temporary file is removed";
}

TEST_F(PresetFileTest, ThePathBecomesTheRememberedLocation) {
  std::filesystem::create_directories(home.root() / "sub");
  editor().savePresetFile(path("sub/mine.kvp"));
  EXPECT_EQ(editor().folder(), (home.root() / "sub").string() + "/");
  EXPECT_EQ(editor().presetFileName(), "mine.kvp");
  editor().loadBankFile(path("missing.kvb"), false);
  EXPECT_EQ(editor().folder(), home.root().string() + "/") << "also when nothing could be read";
  EXPECT_EQ(editor().bankFileName(), "missing.kvb");
  EXPECT_EQ(editor().presetFileName(), "mine.kvp");

  // Long locations are cut in the memory, but the file written is the one asked for.
  const std::string d(100, 'd');
  const std::string longFolder = path((d + "/" + d + "/" + d).c_str());
  std::filesystem::create_directories(longFolder);
  EXPECT_TRUE(editor().savePresetFile(longFolder + "/mine.kvp"));
  EXPECT_TRUE(std::filesystem::exists(longFolder + "/mine.kvp"));
  EXPECT_EQ(editor().folder(), (longFolder + "/").substr(0, 256));
  const std::string longName(300, 'n');
  editor().loadBankFile(path(longName.c_str()), false);
  EXPECT_EQ(editor().bankFileName(), longName.substr(0, 256));
}

}  // namespace
}  // namespace stellix::testing
