// stellix-render: masters audio files offline through the plug-in, as a VST 2.4 host, and
// reports loudness and peaks before and after.
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/parameters.h"
#include "tools/render/demo_material.h"
#include "tools/render/report.h"

using namespace stellix;
using namespace stellix::render;

namespace {

constexpr const char* kUsage = R"(Usage:
  stellix-render [options] INPUT OUTPUT
  stellix-render [options] INPUT... --out-dir DIR
  stellix-render [options] --demo OUTPUT
  stellix-render --list-programs | --list-params [options]

Masters audio files (WAV, AIFF, FLAC, Ogg; mono or stereo) through the Korvan Stellix
plug-in and prints, for every file, sample peak, true peak, integrated loudness and
loudness range before and after, and the latency it compensated.

Plug-in settings (applied in this order):
  --bank FILE.kvb          load a bank file of the plug-in; program 0 becomes current
  --program NAME|INDEX     select a program ("CD Master 1", or its number)
  --preset FILE.kvp        load a preset file of the plug-in into the current program
  --set NAME=VALUE         set a parameter as its display reads (repeatable):
                           Drive=+6dB  Release=200ms  Transient=40%  Leveller=off
                           Quantize=on  NoiseShape="type C"  Bits=16
Output:
  --out-dir DIR            write every INPUT into DIR under its own name
  --format wav16|wav24|float   output format (default: the input's; --demo: wav24)
  --force                  overwrite existing output files
  --keep-latency           keep the plug-in's delay at the start (output longer by it)
Processing:
  --block N                frames per processing call (default 512)
  --float                  single-precision processing (default: double)
  -j, --jobs N             files rendered in parallel (default: number of cores)
  --plugin PATH            plug-in library (default: the one built beside this program)
Other:
  --demo OUTPUT            render the built-in demo material (no input file needed)
  --list-programs          list the plug-in's programs
  --list-params            list the parameters, their values after the settings above
                           and the values --set accepts
  --quiet                  no progress bar
  -h, --help               this text

Output files appear only once complete; on any error nothing is left behind and the
exit status is 1 (2 for usage errors).
)";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CommandLine {
  std::vector<std::string> inputs;
  std::string outDir, demoOutput, pluginPath;
  bool demo = false, listPrograms = false, listParams = false, quiet = false, help = false;
  bool formatGiven = false;
  int jobs = 0;
  RenderOptions options;
};

int parseCount(const std::string& option, const std::string& text, int lo, int hi) {
  std::size_t used = 0;
  int n = 0;
  try {
    n = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || n < lo || n > hi)
    throw UsageError(option + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) +
                     ", got '" + text + "'");
  return n;
}

CommandLine parse(int argc, char** argv) {
  CommandLine cl;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string inlineValue;
    bool hasInline = false;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      inlineValue = arg.substr(arg.find('=') + 1);
      arg = arg.substr(0, arg.find('='));
      hasInline = true;
    }
    auto value = [&]() -> std::string {
      if (hasInline) return inlineValue;
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "-h" || arg == "--help") {
      cl.help = true;
    } else if (arg == "--demo") {
      cl.demo = true;
      cl.demoOutput = value();
    } else if (arg == "--list-programs") {
      cl.listPrograms = true;
    } else if (arg == "--list-params") {
      cl.listParams = true;
    } else if (arg == "--program") {
      cl.options.settings.program = value();
      if (cl.options.settings.program.empty()) throw UsageError("--program needs a name or number");
    } else if (arg == "--preset") {
      cl.options.settings.presetPath = value();
    } else if (arg == "--bank") {
      cl.options.settings.bankPath = value();
    } else if (arg == "--set") {
      try {
        cl.options.settings.parameters.push_back(parseSetting(value()));
      } catch (const UsageError&) {
        throw;
      } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
      }
    } else if (arg == "--out-dir") {
      cl.outDir = value();
    } else if (arg == "--format") {
      const std::string f = value();
      if (f == "wav16") cl.options.format = OutputFormat::Wav16;
      else if (f == "wav24") cl.options.format = OutputFormat::Wav24;
      else if (f == "float") cl.options.format = OutputFormat::Float;
      else throw UsageError("--format takes wav16, wav24 or float, got '" + f + "'");
      cl.formatGiven = true;
    } else if (arg == "--force") {
      cl.options.overwrite = true;
    } else if (arg == "--keep-latency") {
      cl.options.keepLatency = true;
    } else if (arg == "--block") {
      cl.options.blockSize = parseCount("--block", value(), 1, 65536);
    } else if (arg == "--float") {
      cl.options.singlePrecision = true;
    } else if (arg == "-j" || arg == "--jobs") {
      cl.jobs = parseCount(arg, value(), 1, 1024);
    } else if (arg.rfind("-j", 0) == 0 && arg.size() > 2) {
      cl.jobs = parseCount("-j", arg.substr(2), 1, 1024);
    } else if (arg == "--plugin") {
      cl.pluginPath = value();
    } else if (arg == "--quiet" || arg == "-q") {
      cl.quiet = true;
    } else if (arg == "--") {
      cl.inputs.insert(cl.inputs.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError("unknown option " + arg);
    } else {
      cl.inputs.push_back(arg);
    }
  }
  return cl;
}

std::string folderOfExecutable() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<std::size_t>(n));
  return path.substr(0, path.find_last_of('/'));
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The plug-in installed beside the program, else the one of the build tree it belongs to
// (build/tools/render/stellix-render -> build/KorvanStellix.so).
std::string defaultPluginPath() {
  const std::string dir = folderOfExecutable();
  for (const std::string& candidate : {dir + "/KorvanStellix.so", dir + "/../../KorvanStellix.so"})
    if (isFile(candidate)) return candidate;
  throw std::runtime_error("no KorvanStellix.so beside " + dir + "; name the plug-in with --plugin PATH");
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name of an input's output inside --out-dir: its own name, or with .wav for --format.
std::string outputName(const std::string& input, bool formatGiven) {
  std::string name = baseName(input);
  if (formatGiven) {
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    name += ".wav";
  }
  return name;
}

std::vector<Job> makeJobs(const CommandLine& cl) {
  std::vector<Job> jobs;
  if (cl.demo) {
    if (!cl.inputs.empty()) throw UsageError("--demo takes no input files");
    jobs.push_back({"", cl.demoOutput});
    return jobs;
  }
  if (cl.inputs.empty()) throw UsageError("no input file (see --help)");
  if (cl.outDir.empty()) {
    if (cl.inputs.size() != 2) throw UsageError("give INPUT OUTPUT, or several inputs with --out-dir DIR");
    jobs.push_back({cl.inputs[0], cl.inputs[1]});
    return jobs;
  }
  std::set<std::string> names;
  for (const std::string& input : cl.inputs) {
    const std::string name = outputName(input, cl.formatGiven);
    if (!names.insert(name).second) throw UsageError("two inputs would both be written to " + name + " in " + cl.outDir);
    jobs.push_back({input, cl.outDir + "/" + name});
  }
  return jobs;
}

// Reads the preset and bank files named on the command line.
void readStateFiles(PluginInstance& probe, PluginSettings& settings) {
  const std::int32_t id = probe.effect().uniqueID;
  if (!settings.bankPath.empty()) {
    settings.bank = readStateFile(settings.bankPath, id);
    if (!settings.bank->bank) throw std::runtime_error(settings.bankPath + ": a preset, not a bank (use --preset)");
  }
  if (!settings.presetPath.empty()) {
    settings.preset = readStateFile(settings.presetPath, id);
    if (settings.preset->bank) throw std::runtime_error(settings.presetPath + ": a bank, not a preset (use --bank)");
  }
}

void listPrograms(PluginInstance& probe) {
  const std::vector<std::string> names = programNames(probe);
  for (std::size_t i = 0; i < names.size(); ++i) std::printf("%3zu  %s\n", i, names[i].c_str());
}

void listParams(PluginInstance& probe) {
  std::printf("%-14s %-14s %s\n", "name", "value", "accepted values");
  for (int i : settableParameters()) {
    std::string value = probe.parameterDisplay(i);
    const std::string label = probe.parameterLabel(i);
    if (!label.empty()) value += " " + label;
    std::printf("%-14s %-14s %s\n", kParams[i].name, value.c_str(), acceptedTexts(i).c_str());
  }
}

Progress gProgress;

void onSignal(int) { gProgress.stop.store(true); }

int run(int argc, char** argv) {
  CommandLine cl = parse(argc, argv);
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const bool listing = cl.listPrograms || cl.listParams;
  std::vector<Job> jobs;
  if (!listing) jobs = makeJobs(cl);

  const PluginLibrary library(cl.pluginPath.empty() ? defaultPluginPath() : cl.pluginPath);
  {
    // One instance checks the settings before any file is touched.
    PluginInstance probe(library, 2);
    readStateFiles(probe, cl.options.settings);
    applySettings(probe, cl.options.settings);
    if (cl.listPrograms) listPrograms(probe);
    if (cl.listParams) listParams(probe);
  }
  if (listing) return 0;

  std::int64_t totalFrames = 0;
  const bool showProgress = !cl.quiet && isatty(STDERR_FILENO);
  if (showProgress) {
    for (const Job& job : jobs) {
      try {
        totalFrames += job.input.empty() ? DemoMaterial::kFrames : openSource(job)->frames();
      } catch (const std::exception&) {
        // reported when the job runs
      }
    }
  }

  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sa.sa_flags = SA_RESETHAND;  // a second interrupt ends the program at once
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);

  const int workers = std::min<int>(static_cast<int>(jobs.size()),
                                    cl.jobs > 0 ? cl.jobs : std::max(1u, std::thread::hardware_concurrency()));
  std::atomic<std::size_t> next{0};
  std::atomic<int> failures{0};
  {
    Console console(showProgress, gProgress, totalFrames, static_cast<int>(jobs.size()));
    auto work = [&] {
      for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();) {
        const Job& job = jobs[i];
        try {
          console.out(formatReport(render::render(library, job, cl.options, gProgress)));
        } catch (const std::exception& e) {
          ++failures;
          console.error("stellix-render: " + (job.input.empty() ? std::string("--demo") : job.input) + ": " + e.what() +
                        "\n");
        }
        console.fileDone();
      }
    };
    std::vector<std::thread> pool;
    for (int w = 1; w < workers; ++w) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
  }
  if (gProgress.stop.load()) return 130;
  return failures.load() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "stellix-render: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "stellix-render: %s\n", e.what());
    return 1;
  }
}
