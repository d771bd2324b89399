#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "tools/testhost/testhost.h"

namespace {

std::string run(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  std::array<char, 512> buf;
  while (fgets(buf.data(), buf.size(), p)) out += buf.data();
  pclose(p);
  return out;
}

TEST(Exports, OnlyTheTwoEntryNamesAreExported) {
  const std::string out = run("nm -D --defined-only '" + stellix::testing::defaultPluginPath() + "'");
  std::set<std::string> names;
  std::istringstream lines(out);
  std::string addr, type, name;
  while (lines >> addr >> type >> name) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"})) << out;
}

}  // namespace
