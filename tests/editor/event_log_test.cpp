#include "tools/editorhost/event_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace stellix::editorhost {
namespace {

namespace fs = std::filesystem;

class EditorHostLog : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own, so that runs in several build trees at once do not meet.
    dir_ = fs::temp_directory_path() / ("stellix-editorhost-log-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  fs::path dir_;
};

TEST_F(EditorHostLog, LinesAndExactValues) {
  EventLog log;
  std::string error;
  const fs::path path = dir_ / "events.log";
  ASSERT_TRUE(log.open(path.string(), error)) << error;
  log.begin(3);
  log.automate(3, 0.1f);
  log.automate(3, 1.0f / 3.0f);
  log.automate(17, 0.0f);
  log.end(3);
  // Each line is in the file at once, before the log is closed.
  const auto got = lines(path);
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0], "1 begin 3");
  EXPECT_EQ(got[3], "4 automate 17 0");
  EXPECT_EQ(got[4], "5 end 3");
  // The value text reads back as the same float.
  for (int i : {1, 2}) {
    std::istringstream in(got[static_cast<std::size_t>(i)]);
    int n = 0, index = 0;
    std::string kind;
    float value = 0.0f;
    in >> n >> kind >> index >> value;
    EXPECT_EQ(value, i == 1 ? 0.1f : 1.0f / 3.0f) << got[static_cast<std::size_t>(i)];
  }
  EXPECT_EQ(log.events(), 5u);
}

TEST_F(EditorHostLog, ConcurrentWritersKeepLinesWholeAndNumbered) {
  EventLog log;
  std::string error;
  const fs::path path = dir_ / "events.log";
  ASSERT_TRUE(log.open(path.string(), error)) << error;
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < kEach; ++i) log.automate(t, 0.5f);
    });
  }
  for (auto& thread : threads) thread.join();
  const auto got = lines(path);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(kThreads * kEach));
  for (std::size_t i = 0; i < got.size(); ++i) {
    std::istringstream in(got[i]);
    std::size_t n = 0;
    std::string kind;
    int index = -1;
    float value = 0.0f;
    in >> n >> kind >> index >> value;
    ASSERT_EQ(n, i + 1) << got[i];
    ASSERT_EQ(kind, "automate") << got[i];
    ASSERT_TRUE(index >= 0 && index < kThreads && value == 0.5f) << got[i];
  }
}

TEST_F(EditorHostLog, WithoutFileEventsAreCounted) {
  EventLog log;
  std::string error;
  EXPECT_FALSE(log.open((dir_ / "missing" / "events.log").string(), error));
  EXPECT_NE(error.find("cannot write the log"), std::string::npos) << error;
  log.begin(0);
  log.end(0);
  EXPECT_EQ(log.events(), 2u);
}

}  // namespace
}  // namespace stellix::editorhost
