#include "tools/editorhost/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace stellix::editorhost {
namespace {

bool parseInt(const std::string& text, int low, int high, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  out = static_cast<int>(v);
  return true;
}

bool parseReal(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

std::string usageText() {
  return "usage: stellix-editorhost <plug-in library> [options]\n"
         "  --log <path>            write automate/begin/end callbacks to <path>, one numbered line each\n"
         "  --signal <kind>         sine (997 Hz, default), pink, silence or sweep (20 Hz-20 kHz in 10 s)\n"
         "  --level <dB>            peak level of sine and sweep, RMS of pink is that sine's (default -6)\n"
         "  --idle-ms <ms>          editor idle interval (default 20)\n"
         "  --cycles <n>            open and close the editor n times, report resource counts, quit\n"
         "  --cycle-idles <n>       idle calls while open in each cycle (default 5)\n"
         "  --screenshot <path>     open, idle for --after ms, write the editor's pixels as PNG, quit\n"
         "  --after <ms>            (default 500)\n"
         "  --automate <index>      sweep that parameter up and down from a thread of its own (host automation)\n"
         "Without --cycles or --screenshot, commands are read from stdin, one a line:\n"
         "  screenshot <path> | open | close | idle <n> | param <index> <value> | wait <ms> | echo <text> | quit\n"
         "  get <index>             the parameter's value\n"
         "  program | program-name  the current program's index, its name\n";
}

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (!options.plugin.empty()) {
        error = "more than one plug-in given: " + arg;
        return false;
      }
      options.plugin = arg;
      continue;
    }
    // Every option takes a value, as "--name value" or "--name=value".
    std::string value;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = arg + " needs a value";
      return false;
    }
    bool ok = true;
    if (arg == "--log") {
      ok = !value.empty();
      options.logPath = value;
    } else if (arg == "--signal") {
      if (value == "sine") {
        options.signal = SignalKind::kSine;
      } else if (value == "pink") {
        options.signal = SignalKind::kPink;
      } else if (value == "silence") {
        options.signal = SignalKind::kSilence;
      } else if (value == "sweep") {
        options.signal = SignalKind::kSweep;
      } else {
        ok = false;
      }
    } else if (arg == "--level") {
      ok = parseReal(value, options.levelDb) && options.levelDb <= 0.0;
    } else if (arg == "--idle-ms") {
      ok = parseInt(value, 1, 10000, options.idleMs);
    } else if (arg == "--cycles") {
      ok = parseInt(value, 1, 1000000, options.cycles);
    } else if (arg == "--cycle-idles") {
      ok = parseInt(value, 0, 100000, options.cycleIdles);
    } else if (arg == "--screenshot") {
      ok = !value.empty();
      options.screenshotPath = value;
    } else if (arg == "--after") {
      ok = parseInt(value, 0, 3600000, options.afterMs);
    } else if (arg == "--automate") {
      ok = parseInt(value, 0, 1 << 20, options.automateIndex);
    } else {
      error = "unknown option " + arg;
      return false;
    }
    if (!ok) {
      error = "bad value for " + arg + ": '" + value + "'";
      return false;
    }
  }
  if (options.plugin.empty()) {
    error = "no plug-in library given";
    return false;
  }
  if (options.cycles > 0 && !options.screenshotPath.empty()) {
    error = "--cycles and --screenshot cannot be combined";
    return false;
  }
  return true;
}

ParseResult parseCommand(std::string_view line, Command& command, std::string& error) {
  line = trim(line);
  if (line.empty()) return ParseResult::kEmpty;
  const auto space = line.find_first_of(" \t");
  const std::string_view name = line.substr(0, space);
  const std::string_view rest = space == std::string_view::npos ? std::string_view{} : trim(line.substr(space));

  // Splits rest into whitespace-separated words.
  std::vector<std::string> words;
  for (std::size_t p = 0; p < rest.size();) {
    const auto start = rest.find_first_not_of(" \t", p);
    if (start == std::string_view::npos) break;
    const auto stop = rest.find_first_of(" \t", start);
    words.emplace_back(rest.substr(start, stop == std::string_view::npos ? rest.npos : stop - start));
    p = stop == std::string_view::npos ? rest.size() : stop;
  }
  auto fail = [&](const std::string& why) {
    error = std::string(name) + ": " + why;
    return ParseResult::kError;
  };
  auto noArguments = [&](Command::Kind kind) {
    if (!words.empty()) return fail("takes no argument");
    command = Command{};
    command.kind = kind;
    return ParseResult::kCommand;
  };

  command = Command{};
  if (name == "screenshot") {
    // The path is the rest of the line, so it may contain spaces.
    if (rest.empty()) return fail("needs a path");
    command.kind = Command::kScreenshot;
    command.text = std::string(rest);
    return ParseResult::kCommand;
  }
  if (name == "echo") {
    command.kind = Command::kEcho;
    command.text = std::string(rest);
    return ParseResult::kCommand;
  }
  if (name == "open") return noArguments(Command::kOpen);
  if (name == "close") return noArguments(Command::kClose);
  if (name == "quit") return noArguments(Command::kQuit);
  if (name == "program") return noArguments(Command::kProgram);
  if (name == "program-name") return noArguments(Command::kProgramName);
  if (name == "get") {
    if (words.size() != 1 || !parseInt(words[0], 0, 1 << 20, command.number)) return fail("needs an index");
    command.kind = Command::kGet;
    return ParseResult::kCommand;
  }
  if (name == "idle" || name == "wait") {
    const bool idle = name == "idle";
    if (words.size() != 1 || !parseInt(words[0], idle ? 1 : 0, idle ? 100000 : 3600000, command.number)) {
      return fail(idle ? "needs a count from 1 to 100000" : "needs milliseconds from 0 to 3600000");
    }
    command.kind = idle ? Command::kIdle : Command::kWait;
    return ParseResult::kCommand;
  }
  if (name == "param") {
    double v = 0.0;
    if (words.size() != 2 || !parseInt(words[0], 0, 1 << 20, command.number) || !parseReal(words[1], v) || v < 0.0 ||
        v > 1.0) {
      return fail("needs an index and a value from 0 to 1");
    }
    command.kind = Command::kParam;
    command.value = static_cast<float>(v);
    return ParseResult::kCommand;
  }
  error = "unknown command '" + std::string(name) + "'";
  return ParseResult::kError;
}

}  // namespace stellix::editorhost
