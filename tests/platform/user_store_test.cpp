#include "platform/user_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/temp_config.h"

namespace stellix {
namespace {

using testing::fileContents;
using testing::TempConfigHome;
using testing::writeFileContents;
using Access = UserStoreKey::Access;

constexpr const char* kKey = "SOFTWARE\\Korvan\\Korvanstellix";
constexpr const char* kPrefs = "SOFTWARE\\Korvan\\Korvanstellix\\PREFS";

TEST(UserStore, ValuesAreFilesInTheDocumentedLayout) {
  TempConfigHome home;
  const unsigned char blob[] = {'K', 'r', 0, 0xFF, '\n'};
  {
    auto key = UserStoreKey::open(kKey, Access::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->writeBinary("DefaultBank", blob, sizeof blob));
    EXPECT_TRUE(key->writeString("CurrDir", "/home/ü/presets/"));
    auto prefs = UserStoreKey::open(kPrefs, Access::Write);
    ASSERT_NE(prefs, nullptr);
    EXPECT_TRUE(prefs->writeUInt32("Metering_Scale", 7));
  }
  EXPECT_EQ(fileContents(home.keyFolder() / "DefaultBank"), std::string("Kr\0\xFF\n", 5));
  EXPECT_EQ(fileContents(home.keyFolder() / "CurrDir"), "/home/ü/presets/");
  EXPECT_EQ(fileContents(home.keyFolder() / "PREFS" / "Metering_Scale"), "7");

  auto key = UserStoreKey::open(kKey, Access::Read);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->valueSize("DefaultBank"), 5u);
  unsigned char back[8] = {};
  EXPECT_EQ(key->readBinary("DefaultBank", back, sizeof back), 5u);
  EXPECT_EQ(std::memcmp(back, blob, 5), 0);
  EXPECT_EQ(key->readBinary("DefaultBank", back, 4), std::nullopt) << "a value that does not fit is not read";
  EXPECT_EQ(key->readString("CurrDir"), "/home/ü/presets/");
  EXPECT_EQ(UserStoreKey::open(kPrefs, Access::Read)->readUInt32("Metering_Scale"), 7u);
}

TEST(UserStore, MissingKeysAndValuesAnswerNothing) {
  TempConfigHome home;
  EXPECT_EQ(UserStoreKey::open(kKey, Access::Read), nullptr);
  EXPECT_EQ(UserStoreKey::open(kKey, Access::DeleteValues), nullptr);
  EXPECT_FALSE(std::filesystem::exists(home.keyFolder())) << "reading must not create the key";

  ASSERT_NE(UserStoreKey::open(kKey, Access::Write), nullptr);
  auto key = UserStoreKey::open(kKey, Access::DeleteValues);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->valueSize("MemoA"), std::nullopt);
  EXPECT_EQ(key->readString("CurrBank"), std::nullopt);
  EXPECT_EQ(key->readUInt32("Metering_Type"), std::nullopt);
  EXPECT_TRUE(key->deleteValue("MemoA")) << "deleting a missing value is no error";
}

TEST(UserStore, DeleteRemovesTheValue) {
  TempConfigHome home;
  UserStoreKey::open(kKey, Access::Write)->writeString("CurrPreset", "a.kvp");
  EXPECT_TRUE(UserStoreKey::open(kKey, Access::DeleteValues)->deleteValue("CurrPreset"));
  EXPECT_EQ(UserStoreKey::open(kKey, Access::Read)->readString("CurrPreset"), std::nullopt);
}

TEST(UserStore, FallsBackToHomeConfigWhenXdgIsUnsetOrRelative) {
  TempConfigHome home;
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.root().c_str(), 1);
  for (const char* xdg : {static_cast<const char*>(nullptr), "relative/dir"}) {
    if (xdg)
      ::setenv("XDG_CONFIG_HOME", xdg, 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    ASSERT_NE(UserStoreKey::open(kKey, Access::Write), nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(home.root() / ".config" / "Korvan" / "Korvanstellix"));
  }
  ::setenv("HOME", oldHome.c_str(), 1);
}

TEST(UserStore, NumbersAreDecimalText) {
  TempConfigHome home;
  ASSERT_NE(UserStoreKey::open(kPrefs, Access::Write), nullptr);
  const struct {
    const char* text;
    std::optional<std::uint32_t> value;
  } cases[] = {
      {"3", 3u},
      {" 12\n", 12u},
      {"4294967295", 4294967295u},
      {"4294967296", std::nullopt},
      {"-1", std::nullopt},
      {"", std::nullopt},
      {"2x", std::nullopt},
      {"0x10", std::nullopt},
  };
  for (const auto& c : cases) {
    writeFileContents(home.keyFolder() / "PREFS" / "Metering_Zoom", c.text);
    EXPECT_EQ(UserStoreKey::open(kPrefs, Access::Read)->readUInt32("Metering_Zoom"), c.value) << '"' << c.text << '"';
  }
}

TEST(UserStore, NamesCannotLeaveTheKeyFolder) {
  TempConfigHome home;
  EXPECT_EQ(UserStoreKey::open("SOFTWARE\\Korvan\\..\\x", Access::Write), nullptr);
  EXPECT_EQ(UserStoreKey::open("SOFTWARE\\Korvan\\a/b", Access::Write), nullptr);
  auto key = UserStoreKey::open(kKey, Access::Write);
  EXPECT_FALSE(key->writeString("../CurrDir", "x"));
  EXPECT_FALSE(key->writeString(".hidden", "x"));
}

TEST(UserStore, AFailedWriteKeepsThePreviousValue) {
  TempConfigHome home;
  std::vector<unsigned char> previous(2000, 0x11), next(100000, 0x22);
  ASSERT_TRUE(UserStoreKey::open(kKey, Access::Write)->writeBinary("DefaultBank", previous.data(), previous.size()));
  // The child can write no file longer than 50000 bytes: the write stops half-way.
  const int status = testing::runWithFileSizeLimit(50000, [&] {
    return UserStoreKey::open(kKey, Access::Write)->writeBinary("DefaultBank", next.data(), next.size()) ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "the write must report its failure";
  EXPECT_EQ(fileContents(home.keyFolder() / "DefaultBank"), std::string(previous.begin(), previous.end()));
  EXPECT_EQ(testing::countHiddenFiles(home.keyFolder()), 0) << "the temporary file is removed";
}

TEST(AtomicFile, ReplacesAWholeFileAndRefusesAFolderThatIsMissing) {
  TempConfigHome home;
  const auto path = home.root() / "bank.kvb";
  writeFileContents(path, "old contents");
  ASSERT_TRUE(writeFileAtomically(path.string(), "new", 3));
  EXPECT_EQ(fileContents(path), "new");
  EXPECT_FALSE(writeFileAtomically((home.root() / "missing" / "x.kvp").string(), "new", 3));
}

}  // namespace
}  // namespace stellix
