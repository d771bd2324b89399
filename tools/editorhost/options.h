// Command line and stdin commands of stellix-editorhost, parsed without touching the plug-in,
// so that every mistake is reported before anything is loaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stellix::editorhost {

enum class SignalKind { kSine, kPink, kSilence, kSweep };

struct Options {
  std::string plugin;
  std::string logPath;
  SignalKind signal = SignalKind::kSine;
  double levelDb = -6.0;
  int idleMs = 20;
  // Open/close cycles to run, then quit; 0 runs the command loop instead.
  int cycles = 0;
  // Idle calls the editor gets while open in each cycle.
  int cycleIdles = 5;
  // Screenshot to take after afterMs of idling, then quit; empty runs the command loop.
  std::string screenshotPath;
  int afterMs = 500;
  // A parameter a thread of its own sweeps up and down through setParameter while the host
  // runs, as host automation would; -1 for none.
  int automateIndex = -1;
  bool help = false;
};

// args excludes the program name. Answers false with a one-line reason in error.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
std::string usageText();

struct Command {
  enum Kind { kScreenshot, kOpen, kClose, kIdle, kParam, kWait, kEcho, kQuit, kGet, kProgram, kProgramName };
  Kind kind = kQuit;
  std::string text;  // screenshot path, echo text
  int number = 0;    // idle count, wait milliseconds, parameter index (param, get)
  float value = 0.0f;
};

enum class ParseResult { kCommand, kEmpty, kError };

// One line of stdin (a trailing CR is ignored). Blank lines are kEmpty and get no answer.
ParseResult parseCommand(std::string_view line, Command& command, std::string& error);

}  // namespace stellix::editorhost
