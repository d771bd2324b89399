#include "tools/editorhost/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stellix::editorhost {
namespace {

TEST(EditorHostOptions, AcceptedCommandLines) {
  Options o;
  std::string error;
  ASSERT_TRUE(parseOptions({"p.so"}, o, error)) << error;
  EXPECT_EQ(o.plugin, "p.so");
  EXPECT_EQ(o.signal, SignalKind::kSine);
  EXPECT_EQ(o.levelDb, -6.0);
  EXPECT_EQ(o.cycles, 0);
  EXPECT_TRUE(o.screenshotPath.empty());
  EXPECT_EQ(o.automateIndex, -1);

  o = Options{};
  ASSERT_TRUE(parseOptions({"--signal", "sweep", "--level=-20.5", "p.so", "--cycles=3", "--cycle-idles", "0",
                            "--idle-ms", "5", "--log", "a b.log", "--automate", "8"},
                           o, error))
      << error;
  EXPECT_EQ(o.plugin, "p.so");
  EXPECT_EQ(o.signal, SignalKind::kSweep);
  EXPECT_EQ(o.levelDb, -20.5);
  EXPECT_EQ(o.cycles, 3);
  EXPECT_EQ(o.cycleIdles, 0);
  EXPECT_EQ(o.idleMs, 5);
  EXPECT_EQ(o.logPath, "a b.log");
  EXPECT_EQ(o.automateIndex, 8);

  // Help wins over everything, even a missing plug-in.
  o = Options{};
  ASSERT_TRUE(parseOptions({"--level", "-1", "--help"}, o, error));
  EXPECT_TRUE(o.help);
}

TEST(EditorHostOptions, RejectedCommandLines) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "no plug-in library given"},
      {{"a.so", "b.so"}, "more than one plug-in given: b.so"},
      {{"p.so", "--level"}, "--level needs a value"},
      {{"p.so", "--level", "0.5"}, "bad value for --level: '0.5'"},
      {{"p.so", "--level", "nan"}, "bad value for --level: 'nan'"},
      {{"p.so", "--level", "-6dB"}, "bad value for --level: '-6dB'"},
      {{"p.so", "--signal", "Sine"}, "bad value for --signal: 'Sine'"},
      {{"p.so", "--idle-ms", "0"}, "bad value for --idle-ms: '0'"},
      {{"p.so", "--cycles", "0"}, "bad value for --cycles: '0'"},
      {{"p.so", "--cycles", "99999999999"}, "bad value for --cycles: '99999999999'"},
      {{"p.so", "--after", "-1"}, "bad value for --after: '-1'"},
      {{"p.so", "--log="}, "bad value for --log: ''"},
      {{"p.so", "--automate", "-1"}, "bad value for --automate: '-1'"},
      {{"p.so", "--screenshot", "a.png", "--cycles", "2"}, "--cycles and --screenshot cannot be combined"},
      {{"p.so", "--frobnicate", "1"}, "unknown option --frobnicate"},
  };
  for (const auto& c : cases) {
    Options o;
    std::string error;
    EXPECT_FALSE(parseOptions(c.args, o, error)) << c.message;
    EXPECT_EQ(error, c.message);
  }
}

TEST(EditorHostCommands, Lines) {
  const struct {
    const char* line;
    ParseResult result;
    Command::Kind kind;
    std::string text;
    int number;
    float value;
  } cases[] = {
      {"", ParseResult::kEmpty, Command::kQuit, "", 0, 0.0f},
      {" \t\r", ParseResult::kEmpty, Command::kQuit, "", 0, 0.0f},
      {"quit\r", ParseResult::kCommand, Command::kQuit, "", 0, 0.0f},
      {"open", ParseResult::kCommand, Command::kOpen, "", 0, 0.0f},
      {"  close  ", ParseResult::kCommand, Command::kClose, "", 0, 0.0f},
      {"idle 3", ParseResult::kCommand, Command::kIdle, "", 3, 0.0f},
      {"wait\t0", ParseResult::kCommand, Command::kWait, "", 0, 0.0f},
      {"param 25 1", ParseResult::kCommand, Command::kParam, "", 25, 1.0f},
      {"param 0 0.125", ParseResult::kCommand, Command::kParam, "", 0, 0.125f},
      // Paths keep their inner spaces; the line's ends are trimmed.
      {"screenshot /tmp/a b.png \r", ParseResult::kCommand, Command::kScreenshot, "/tmp/a b.png", 0, 0.0f},
      {"echo  done  now ", ParseResult::kCommand, Command::kEcho, "done  now", 0, 0.0f},
      {"echo", ParseResult::kCommand, Command::kEcho, "", 0, 0.0f},
      {"get 7", ParseResult::kCommand, Command::kGet, "", 7, 0.0f},
      {"program", ParseResult::kCommand, Command::kProgram, "", 0, 0.0f},
      {"program-name", ParseResult::kCommand, Command::kProgramName, "", 0, 0.0f},
      {"get", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"get 0.5", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"program 3", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"quit now", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"QUIT", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"idle", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"idle 0", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"idle 2 3", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"wait -5", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"param 1", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"param -1 0.5", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"param 1 1.0001", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"param 1 inf", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"screenshot", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
      {"screenshots a.png", ParseResult::kError, Command::kQuit, "", 0, 0.0f},
  };
  for (const auto& c : cases) {
    Command command;
    std::string error;
    const ParseResult result = parseCommand(c.line, command, error);
    EXPECT_EQ(result, c.result) << '"' << c.line << "\" " << error;
    if (result == ParseResult::kError) {
      EXPECT_FALSE(error.empty()) << c.line;
    } else if (result == ParseResult::kCommand) {
      EXPECT_EQ(command.kind, c.kind) << c.line;
      EXPECT_EQ(command.text, c.text) << c.line;
      EXPECT_EQ(command.number, c.number) << c.line;
      EXPECT_EQ(command.value, c.value) << c.line;
    }
  }
}

}  // namespace
}  // namespace stellix::editorhost
