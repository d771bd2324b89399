// Failures of the renderer program: a clear message naming the file and the cause, a
// non-zero exit status, and no output (not even a partial one) left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/render/support.h"

namespace stellix::render::testing {
namespace {

Audio tone(int channels, std::size_t frames) {
  return makeAudio(channels, frames, [](std::size_t i, int) { return 0.25 * std::sin(i * 0.05); });
}

TEST(RenderErrors, BadInputsAndOutputsLeaveNothingBehind) {
  struct Case {
    const char* what;
    std::string input, output;
    std::vector<const char*> messages;  // all must appear on stderr
  };
  TempDir dir;
  writeAudio(dir / "good.wav", tone(2, 5000));
  std::ofstream(dir / "notes.wav") << "these are words, not samples\n";
  writeAudio(dir / "six.wav", tone(6, 5000));
  fs::create_directory(dir.path() / "out");
  fs::create_directory(dir.path() / "locked");
  chmod((dir / "locked").c_str(), 0555);
  // The superuser writes into any folder the permissions forbid; /proc takes no new files.
  const std::string locked = geteuid() == 0 ? "/proc" : dir / "locked";

  const Case cases[] = {
      {"missing", dir / "missing.wav", dir / "out/a.wav", {"missing.wav", "No such file"}},
      {"not audio", dir / "notes.wav", dir / "out/b.wav", {"notes.wav", "not an audio file"}},
      {"6 channels", dir / "six.wav", dir / "out/c.wav", {"six.wav", "6 channels"}},
      {"locked folder", dir / "good.wav", locked + "/stellix-out.wav", {"stellix-out.wav", "cannot create"}},
      {"missing folder", dir / "good.wav", dir / "nowhere/d.wav", {"nowhere", "does not exist"}},
  };
  for (const Case& c : cases) {
    const RunResult r = runRender(dir, {c.input, c.output});
    EXPECT_EQ(r.status, 1) << c.what;
    for (const char* m : c.messages) EXPECT_NE(r.err.find(m), std::string::npos) << c.what << ": " << r.err;
    EXPECT_FALSE(fs::exists(c.output)) << c.what;
  }
  EXPECT_TRUE(dir.entries("out").empty());
  EXPECT_TRUE(dir.entries("locked").empty());
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"good.wav", "locked", "notes.wav", "out", "six.wav"}));
}

TEST(RenderErrors, AnExistingOutputIsKeptUnlessForced) {
  TempDir dir;
  writeAudio(dir / "in.wav", tone(2, 5000));
  std::ofstream(dir / "out.wav") << "precious";
  const RunResult refused = runRender(dir, {dir / "in.wav", dir / "out.wav"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
  EXPECT_EQ(fileBytes(dir / "out.wav"), "precious");
  const RunResult forced = runRender(dir, {dir / "in.wav", dir / "out.wav", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(readAudio(dir / "out.wav").frames(), 5000u);
}

TEST(RenderErrors, OneBadFileInABatchFailsAloneButFailsTheRun) {
  TempDir dir;
  writeAudio(dir / "a.wav", tone(2, 5000));
  writeAudio(dir / "c.wav", tone(1, 5000));
  fs::create_directory(dir.path() / "out");
  const RunResult r = runRender(dir, {dir / "a.wav", dir / "b.wav", dir / "c.wav", "--out-dir", dir / "out", "-j", "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("b.wav"), std::string::npos) << r.err;
  EXPECT_EQ(dir.entries("out"), (std::vector<std::string>{"a.wav", "c.wav"}));
}

TEST(RenderErrors, SettingsAreCheckedBeforeAnyFileIsTouched) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--set", "Warmth=11"}, "valid names: Output, Drive"},
      {{"--set", "Drive=+30dB"}, "-24.00 to +24.00 dB"},
      {{"--set", "NoiseShape=type Z"}, "type A, type B"},
      {{"--program", "Radio Smash"}, "\"CD Master 1\""},
      {{"--format", "mp3"}, "wav16, wav24 or float"},
  };
  TempDir dir;
  writeAudio(dir / "in.wav", tone(2, 5000));
  for (const Case& c : cases) {
    std::vector<std::string> args = {dir / "in.wav", dir / "out.wav"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = runRender(dir, args);
    EXPECT_NE(r.status, 0) << c.args[1];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "out.wav")) << c.args[1];
  }
}

}  // namespace
}  // namespace stellix::render::testing
