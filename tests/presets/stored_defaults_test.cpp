// The per-user store: default bank and preset applied by every new instance, the two
// memories, the remembered locations and the metering preferences.
#include <gtest/gtest.h>

#include "tests/presets/preset_test_support.h"

namespace stellix::testing {
namespace {

using StoredDefaultsTest = PresetTest;

TEST_F(StoredDefaultsTest, EmptyStoreGivesTheFactoryBankAndNoLocations) {
  EXPECT_TRUE(sameBank(bankOf(*plugin), factoryBank()));
  EXPECT_EQ(plugin->getCurrentProgramIndex(), 0);
  EXPECT_EQ(editor().folder(), "");
  EXPECT_EQ(editor().presetFileName(), "");
  EXPECT_EQ(editor().bankFileName(), "");
}

TEST_F(StoredDefaultsTest, DefaultPresetBecomesProgram0OfEveryNewInstance) {
  plugin->selectProgram(21);
  ASSERT_TRUE(editor().storeDefaultPreset());
  const ProgramRecord loudLove = plugin->bank()[21];
  ASSERT_EQ(nameOf(loudLove), "Loud Love");
  for (int instance = 0; instance < 2; ++instance) {
    auto other = newInstance();
    EXPECT_EQ(other->getCurrentProgramIndex(), 0);
    EXPECT_TRUE(sameRecord(other->bank()[0], loudLove));
    EXPECT_FLOAT_EQ(other->getParameter(kLink), loudLove.values[kLink]) << "and it is applied";
    for (int i = 1; i < kNumPrograms; ++i) EXPECT_TRUE(sameRecord(other->bank()[i], factoryBank()[i])) << i;
  }
}

TEST_F(StoredDefaultsTest, DefaultBankComesFirstThenTheDefaultPreset) {
  for (int i = 0; i < kNumPrograms; ++i) {
    plugin->selectProgram(i);
    plugin->setParameter(kTransient, 0.01f * static_cast<float>(i));
  }
  plugin->selectProgram(13);
  ASSERT_TRUE(editor().storeDefaultBank());
  const Bank storedBank = bankOf(*plugin);
  plugin->selectProgram(21);
  ASSERT_TRUE(editor().storeDefaultPreset());

  auto other = newInstance();
  EXPECT_TRUE(sameRecord(other->bank()[0], storedBank[21]));
  for (int i = 1; i < kNumPrograms; ++i) EXPECT_TRUE(sameRecord(other->bank()[i], storedBank[i])) << i;
  EXPECT_EQ(other->getCurrentProgramIndex(), 0);

  // Cleared, the defaults are gone for the next instance.
  editor().clearDefaultBank();
  editor().clearDefaultPreset();
  EXPECT_TRUE(sameBank(bankOf(*newInstance()), factoryBank()));
}

TEST_F(StoredDefaultsTest, ClearingAMissingDefaultChangesNothing) {
  editor().clearDefaultPreset();
  EXPECT_FALSE(std::filesystem::exists(home.keyFolder())) << "clearing does not create the key";
  editor().storeMemoA();
  editor().clearDefaultPreset();
  editor().clearDefaultBank();
  EXPECT_TRUE(std::filesystem::exists(home.keyFolder() / "MemoA"));
  EXPECT_TRUE(sameBank(bankOf(*plugin), factoryBank()));
}

TEST_F(StoredDefaultsTest, MemoryACarriesAProgramToAnotherInstance) {
  plugin->selectProgram(21);
  plugin->setParameter(kDrive, 0.8125f);
  ASSERT_TRUE(editor().storeMemoA());
  const ProgramRecord stored = plugin->bank()[21];

  auto other = newInstance();
  other->selectProgram(4);
  EXPECT_TRUE(other->presetSystemEditor().recallMemoA());
  EXPECT_TRUE(sameRecord(other->bank()[4], stored));
  EXPECT_EQ(other->getParameter(kDrive), 0.8125f);
  EXPECT_FALSE(other->presetSystemEditor().recallMemoB()) << "memory B was never stored";
}

TEST_F(StoredDefaultsTest, ShortOrForeignMemoryBIsIgnored) {
  ASSERT_TRUE(editor().storeMemoB());
  const std::string valid = fileContents(home.keyFolder() / "MemoB");
  std::string foreign = valid;
  foreign.replace(0, 4, "ABCD");
  plugin->selectProgram(8);
  const Bank before = bankOf(*plugin);
  for (const std::string& value : {valid.substr(0, 4), foreign, std::string()}) {
    writeFileContents(home.keyFolder() / "MemoB", value);
    EXPECT_FALSE(editor().recallMemoB()) << value.size() << " bytes";
    EXPECT_TRUE(sameBank(bankOf(*plugin), before));
  }
}

TEST_F(StoredDefaultsTest, StoredBlobsInReversedOrderOrOlderLayoutsLoad) {
  Bank source = factoryBank();
  std::swap(source[0], source[19]);
  const std::int32_t id = plugin->getUniqueId();
  std::memcpy(plugin->bank(), source.data(), sizeof source);
  Bytes bank = editor().writeBank();
  reverseBlob(bank, 0);
  const Bytes legacyPreset = legacyBlob(id, 0x21, &source[10], 1, true);
  writeFileContents(home.keyFolder() / "DefaultBank", std::string(bank.begin(), bank.end()));
  writeFileContents(home.keyFolder() / "DefaultPreset", std::string(legacyPreset.begin(), legacyPreset.end()));
  auto other = newInstance();
  EXPECT_TRUE(sameRecord(other->bank()[0], source[10]));
  for (int i = 1; i < kNumPrograms; ++i) EXPECT_TRUE(sameRecord(other->bank()[i], source[i])) << i;
}

TEST_F(StoredDefaultsTest, LocationsOutliveTheInstance) {
  std::filesystem::create_directories(home.root() / "presets");
  editor().savePresetFile(path("presets/a.kvp"));
  editor().saveBankFile(path("presets/b.kvb"));
  plugin.reset();  // writes the locations
  EXPECT_EQ(fileContents(home.keyFolder() / "CurrPreset"), "a.kvp");

  auto other = newInstance();
  EXPECT_EQ(other->presetSystemEditor().folder(), path("presets/"));
  EXPECT_EQ(other->presetSystemEditor().presetFileName(), "a.kvp");
  EXPECT_EQ(other->presetSystemEditor().bankFileName(), "b.kvb");

  writeFileContents(home.keyFolder() / "CurrDir", std::string(300, 'x'));
  EXPECT_EQ(newInstance()->presetSystemEditor().folder(), std::string(256, 'x'));
}

TEST_F(StoredDefaultsTest, MeteringPreferencesAreAppliedAtConstruction) {
  const struct {
    const char* value;
    const char* number;
    int parameter;
    const char* display;
  } cases[] = {
      {"Metering_Scale", "7", kScale, "K-20"},  // beyond the last step: the last step
      {"Metering_Type", "1", kMeterType, "k-system"},
      {"Metering_AttShow", "3", kAttShow, "12"},
      {"Metering_Post", "garbage", kPostMeter, "pre meter"},  // unreadable: not applied
  };
  for (const auto& c : cases) writeFileContents(home.keyFolder() / "PREFS" / c.value, c.number);
  auto other = newInstance();
  char text[64];
  for (const auto& c : cases) {
    other->getParameterDisplay(c.parameter, text);
    EXPECT_STREQ(text, c.display) << c.value;
  }
  // They are written into program 0 as valid values, so its chunk loads again.
  EXPECT_GE(other->bank()[0].values[kScale], 0.0f);
  EXPECT_LE(other->bank()[0].values[kScale], 1.0f);
  void* data = nullptr;
  const VstInt32 size = other->getChunk(&data, false);
  EXPECT_EQ(other->setChunk(data, size, false), 0);
}

}  // namespace
}  // namespace stellix::testing
