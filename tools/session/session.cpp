// A scripted session against the plug-in library, the same on Linux and on Windows:
//
//   stellix-session run <plug-in library> <output folder>
//     drives the plug-in through its entry and effect record (entry, record fields, opcodes,
//     parameters, programs, chunk round trip, rendering of fixed test signals at three rates
//     in both precisions, stored defaults applied by new instances), checks what has a fixed
//     answer and writes everything else to the output folder: transcript.txt (texts and
//     numbers), *.chunk (chunk bytes), *.raw (rendered audio) and manifest.txt.
//
//   stellix-session compare <folder A> <folder B>
//     compares two such folders: texts and chunks must be byte-identical; audio must be
//     bit-identical, except that renders with Quantize off may differ by less than 1e-12.
//
// Both exit non-zero when a check fails.
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/user_store.h"
#include "presets/program.h"
#include "presets/record_blob.h"
#include "presets/store_names.h"
#include "tools/session/signals.h"
#include "tools/testhost/testhost.h"

namespace {

using stellix::testing::TestHost;
namespace fs = std::filesystem;

int gFailures = 0;

void check(bool ok, const std::string& what) {
  if (ok) return;
  ++gFailures;
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
}

std::string format(const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

std::uint32_t floatBits(float v) {
  std::uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

float stepCentre(int step, int steps) {
  return static_cast<float>(step) / static_cast<float>(steps) + 0.5f / static_cast<float>(steps);
}

void writeFile(const fs::path& path, const void* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  check(out.good(), "writing " + path.string());
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Session {
 public:
  Session(std::string plugin, fs::path out) : plugin_(std::move(plugin)), out_(std::move(out)) {}

  void run() {
    fs::create_directories(out_);
    if (TestHost probe(plugin_); !probe.loaded()) {
      check(false, "loading " + plugin_ + ": " + probe.error());
      return;
    }
    clearStore();
    entry();
    recordAndOpcodes();
    latency();
    parameters();
    programs();
    chunks();
    render();
    storedDefaults();
    mathFunctions();
    writeFile(out_ / "transcript.txt", transcript_.data(), transcript_.size());
    manifest_ += "text transcript.txt\n";
    writeFile(out_ / "manifest.txt", manifest_.data(), manifest_.size());
  }

 private:
  // A fresh instance; every section starts from one so that sections do not interact.
  std::unique_ptr<TestHost> open() {
    auto host = std::make_unique<TestHost>(plugin_);
    check(host->loaded(), "loading " + plugin_ + ": " + host->error());
    if (host->loaded()) check(host->open() != nullptr, "VSTPluginMain answers an effect");
    return host;
  }

  void line(const std::string& text) { transcript_ += text + "\n"; }

  std::vector<std::uint8_t> chunk(TestHost& host) {
    void* data = nullptr;
    const VstIntPtr size = host.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* p = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(p, p + size);
  }

  void saveChunk(const char* name, const std::vector<std::uint8_t>& bytes) {
    writeFile(out_ / name, bytes.data(), bytes.size());
    manifest_ += format("bytes %s\n", name);
  }

  void entry() {
    TestHost refusing(plugin_);
    refusing.versionAnswer = 0;
    check(refusing.open() == nullptr, "no effect for a host answering 0 to the version question");
    TestHost legacy(plugin_);
    AEffect* e = legacy.open("main");
    check(e != nullptr && e->magic == kEffectMagic, "the entry under the name main answers an effect");
    check(legacy.close() == 1, "effClose answers 1");
  }

  void recordAndOpcodes() {
    auto host = open();
    const AEffect* e = host->effect();
    if (!e) return;
    check(e->magic == fourCharConst("VstP"), "magic");
    check(e->numPrograms == 1 && e->numParams == 26, "one program, 26 parameters");
    check(e->numInputs == 2 && e->numOutputs == 2, "two inputs and outputs");
    // Bit 0 (has editor) comes with the editor window.
    check((e->flags & ~1) == 0x1030, format("flags 0x%x", e->flags));
    line(format("flags 0x%x", e->flags));
    check(e->initialDelay == 159, "initial delay 159");
    check(e->uniqueID == fourCharConst("KrSt") && e->version == 1, "unique ID and version");
    check(e->ioRatio == 1.0f && e->object != nullptr, "ioRatio and object");

    struct Case {
      VstInt32 opcode;
      VstInt32 index;
      VstIntPtr value;
      const char* text;
      VstIntPtr expected;
    };
    static constexpr Case kCases[] = {
        {effIdentify, 0, 0, nullptr, 1316373862},
        {effGetPlugCategory, 0, 0, nullptr, 4},
        {effGetVstVersion, 0, 0, nullptr, 2400},
        {effGetVendorVersion, 0, 0, nullptr, 1510},
        {effGetTailSize, 0, 0, nullptr, 0},
        {effCanDo, 0, 0, "bypass", 0},
        {effCanDo, 0, 0, "receiveVstTimeInfo", 0},
        {effSetBypass, 0, 1, nullptr, 0},
        {effCanBeAutomated, 3, 0, nullptr, 1},
        {effString2Parameter, 0, 0, "1.0", 0},
        {effSetTotalSampleToProcess, 0, 12345, nullptr, 12345},
        {effGetProgram, 0, 0, nullptr, 0},
        {effSetProgram, 0, 5, nullptr, 0},
        {effMainsChanged, 0, 1, nullptr, 0},
        {effMainsChanged, 0, 0, nullptr, 0},
    };
    for (const Case& c : kCases) {
      char text[64] = {};
      if (c.text) std::snprintf(text, sizeof text, "%s", c.text);
      const VstIntPtr got = host->dispatch(c.opcode, c.index, c.value, c.text ? text : nullptr);
      check(got == c.expected, format("opcode %d answers %" PRIdPTR ", expected %" PRIdPTR, c.opcode,
                                      static_cast<std::intptr_t>(got), static_cast<std::intptr_t>(c.expected)));
    }
    for (VstInt32 opcode : {effGetEffectName, effGetVendorString, effGetProductString}) {
      char text[256];
      std::memset(text, '#', sizeof text);
      text[sizeof text - 1] = '\0';
      const VstIntPtr answer = host->dispatch(opcode, 0, 0, text);
      line(format("opcode %d: %d \"%s\"", opcode, static_cast<int>(answer), text));
      if (opcode == effGetEffectName) check(std::strcmp(text, "Korvan Stellix") == 0, "effect name");
      if (opcode == effGetProductString) check(std::strcmp(text, "Full band precision limiter") == 0, "product");
    }
  }

  void latency() {
    auto host = open();
    if (!host->effect()) return;
    static constexpr struct {
      float rate;
      VstInt32 delay;
    } kRates[] = {{44100, 159},  {48000, 159},  {88200, 287}, {96000, 287},
                  {176400, 543}, {192000, 543}, {4000, 159},  {250000, 159}};
    for (const auto& r : kRates) {
      host->dispatch(effSetSampleRate, 0, 0, nullptr, r.rate);
      check(host->effect()->initialDelay == r.delay,
            format("initial delay at %.0f Hz is %d, expected %d", r.rate, host->effect()->initialDelay, r.delay));
    }
  }

  // Names, labels, display texts and values read back, for every index and a set of values.
  void parameters() {
    static constexpr float kValues[] = {0.0f, 0.001f, 0.1f,  0.2f, 0.25f,  1.0f / 3.0f, 0.5f,
                                        0.6f, 0.7f,   0.75f, 0.9f, 0.999f, 1.0f};
    for (VstInt32 index = 0; index < 28; ++index) {
      auto host = open();
      if (!host->effect()) return;
      line(format("param %d name \"%s\" label \"%s\" initial %08x \"%s\"", index, host->paramName(index).c_str(),
                  host->paramLabel(index).c_str(), floatBits(host->getParameter(index)),
                  host->paramDisplay(index).c_str()));
      for (float v : kValues) {
        host->setParameter(index, v);
        line(format("  set %.9g -> %08x \"%s\"", v, floatBits(host->getParameter(index)),
                    host->paramDisplay(index).c_str()));
      }
      VstParameterProperties p{};
      const VstIntPtr answer = host->dispatch(effGetParameterProperties, index, 0, &p);
      line(format("  properties %d: %08x %08x %08x \"%s\" flags %d int %d..%d step %d/%d \"%s\" %d %d %d \"%s\"",
                  static_cast<int>(answer), floatBits(p.stepFloat), floatBits(p.smallStepFloat),
                  floatBits(p.largeStepFloat), p.label, p.flags, p.minInteger, p.maxInteger, p.stepInteger,
                  p.largeStepInteger, p.shortLabel, p.displayIndex, p.category, p.numParametersInCategory,
                  p.categoryLabel));
    }
  }

  void programs() {
    auto host = open();
    if (!host->effect()) return;
    for (VstInt32 i = 0; i < 28; ++i) {
      char name[256] = {};
      const VstIntPtr answer = host->dispatch(effGetProgramNameIndexed, i, -1, name);
      line(format("program %d: %d \"%s\"", i, static_cast<int>(answer), name));
    }
    char name[32] = "Loud Love";
    host->dispatch(effSetProgramName, 0, 0, name);
    check(host->text(effGetProgramName) == "Loud Love", "program name set by the host reads back");
    check(host->dispatch(effGetProgram) == 0, "effGetProgram answers 0");
  }

  // A program edited through the host: name and parameter values.
  static void editProgram(TestHost& host) {
    char name[32] = "Loud Love";
    host.dispatch(effSetProgramName, 0, 0, name);
    static constexpr struct {
      VstInt32 index;
      float value;
    } kEdits[] = {{0, 0.95f}, {1, 0.8f},  {2, 0.3f},  {3, 0.42f},  {4, 0.5f},   {5, 0.6f},   {6, 0.75f},
                  {8, 0.75f}, {10, 0.5f}, {11, 0.5f}, {13, 0.85f}, {16, 0.75f}, {17, 0.75f}, {22, 0.123f}};
    for (const auto& e : kEdits) host.setParameter(e.index, e.value);
  }

  std::vector<std::uint8_t> factoryChunk_, editedChunk_;

  void chunks() {
    auto host = open();
    if (!host->effect()) return;
    factoryChunk_ = chunk(*host);
    check(factoryChunk_.size() == 27049, format("chunk of %zu bytes, expected 27049", factoryChunk_.size()));
    saveChunk("factory.chunk", factoryChunk_);
    editProgram(*host);
    editedChunk_ = chunk(*host);
    saveChunk("edited.chunk", editedChunk_);
    check(editedChunk_ != factoryChunk_, "editing the program changes the chunk");

    auto second = open();
    if (!second->effect()) return;
    std::vector<std::uint8_t> copy = editedChunk_;
    second->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data());
    check(chunk(*second) == editedChunk_, "a chunk set into a new instance reads back byte for byte");
    check(second->text(effGetProgramName) == "Loud Love", "the chunk carries the program name");
    for (VstInt32 i = 0; i < 26; ++i)
      check(second->getParameter(i) == host->getParameter(i), format("parameter %d restored from the chunk", i));
  }

  // Renders every test signal through fresh instances for each rate, precision and setting.
  void render() {
    struct Setting {
      const char* name;
      std::vector<std::pair<VstInt32, float>> values;
    };
    const Setting kSettings[] = {
        {"default", {}},
        // Loud, fast, reconstructing peaks, levelled; no requantizing.
        {"loud",
         {{1, 0.85f}, {2, 0.7f}, {3, 0.25f}, {4, 0.5f}, {6, 0.75f}, {7, 0.75f}, {13, 0.8f}, {15, 0.75f}, {16, 0.25f}}},
        // Requantized to 16 bits with noise shaping and Autoblack.
        {"requant", {{1, 0.6f}, {10, 0.5f}, {11, stepCentre(3, 7)}, {16, 0.75f}, {17, 0.75f}}},
        // Calibration noise on both channels instead of the limiter.
        {"calibrate", {{12, stepCentre(2, 4)}, {16, 0.25f}}},
    };
    static constexpr double kRates[] = {44100.0, 96000.0, 192000.0};
    for (double rate : kRates) {
      for (const Setting& setting : kSettings) {
        for (const auto& signal : stellix::session::testSignals()) {
          renderOne<float>(rate, setting.name, setting.values, signal);
          renderOne<double>(rate, setting.name, setting.values, signal);
        }
      }
    }
  }

  template <typename T>
  void renderOne(double rate, const char* setting, const std::vector<std::pair<VstInt32, float>>& values,
                 const stellix::session::Signal& signal) {
    auto host = open();
    if (!host->effect()) return;
    host->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    host->dispatch(effSetBlockSize, 0, stellix::session::kMaxBlock);
    for (const auto& [index, v] : values) host->setParameter(index, v);
    host->dispatch(effMainsChanged, 0, 1);
    const bool quantize = host->getParameter(16) >= 0.5f;

    const std::size_t frames = stellix::session::signalFrames(rate);
    std::vector<T> in[2], out[2];
    for (int ch = 0; ch < 2; ++ch) {
      in[ch].resize(frames);
      out[ch].assign(frames, T(0));
    }
    for (std::size_t i = 0; i < frames; ++i) {
      const auto [l, r] = signal.sample(i, rate);
      in[0][i] = static_cast<T>(l);
      in[1][i] = static_cast<T>(r);
    }
    std::size_t done = 0;
    for (std::size_t block = 0; done < frames; ++block) {
      const std::size_t n = std::min(stellix::session::blockSize(block), frames - done);
      T* inputs[2] = {in[0].data() + done, in[1].data() + done};
      T* outputs[2] = {out[0].data() + done, out[1].data() + done};
      host->process(inputs, outputs, static_cast<VstInt32>(n));
      done += n;
    }

    const char* precision = sizeof(T) == 4 ? "f32" : "f64";
    const std::string name = format("%.0f-%s-%s-%s.raw", rate, setting, signal.name, precision);
    std::vector<T> interleaved(2 * frames);
    bool bounded = true;
    for (std::size_t i = 0; i < frames; ++i) {
      for (int ch = 0; ch < 2; ++ch) {
        const T v = out[ch][i];
        bounded = bounded && std::isfinite(v) && v >= T(-1) && v <= T(1);
        interleaved[2 * i + static_cast<std::size_t>(ch)] = v;
      }
    }
    check(bounded, name + ": every output sample lies within -1.0 ... +1.0");
    writeFile(out_ / name, interleaved.data(), interleaved.size() * sizeof(T));
    manifest_ += format("%s %s q%d\n", precision, name.c_str(), quantize ? 1 : 0);
  }

  // Starts the store empty of everything the session writes.
  void clearStore() {
    using stellix::UserStoreKey;
    namespace store = stellix::store;
    if (auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::DeleteValues)) {
      for (const char* name : {store::kDefaultBank, store::kDefaultPreset, store::kMemoA, store::kMemoB})
        key->deleteValue(name);
    }
    if (auto key = UserStoreKey::open(store::kPrefsKey, UserStoreKey::Access::DeleteValues)) {
      for (const auto& pref : store::kMeteringPreferences) key->deleteValue(pref.name);
    }
  }

  // Metering preferences and stored defaults, applied by instances created after them. The
  // values stay in the store for the caller to inspect.
  void storedDefaults() {
    using stellix::UserStoreKey;
    namespace store = stellix::store;
    {
      auto host = open();
      if (!host->effect()) return;
      check(chunk(*host) == factoryChunk_, "with an empty store a new instance holds the factory bank");
    }

    // Metering preferences, one of them beyond its step count (that selects the last step).
    static constexpr struct {
      const char* name;
      std::uint32_t step;
      VstInt32 parameter;
      int steps;
    } kPrefs[] = {{"Metering_Scale", 2, 9, 3},    {"Metering_Type", 1, 18, 2},  {"Metering_Zoom", 1, 19, 2},
                  {"Metering_AttShow", 9, 20, 8}, {"Metering_Recon", 1, 14, 2}, {"Metering_Post", 0, 21, 2}};
    {
      auto key = UserStoreKey::open(store::kPrefsKey, UserStoreKey::Access::Write);
      for (const auto& p : kPrefs) check(key && key->writeUInt32(p.name, p.step), "storing a metering preference");
    }
    {
      auto host = open();
      if (!host->effect()) return;
      for (const auto& p : kPrefs) {
        const int step = p.step < static_cast<std::uint32_t>(p.steps) ? static_cast<int>(p.step) : p.steps - 1;
        check(floatBits(host->getParameter(p.parameter)) == floatBits(stepCentre(step, p.steps)),
              format("%s %u sets parameter %d to the centre of step %d", p.name, p.step, p.parameter, step));
      }
    }

    // A default bank: the edited bank as a bank file holds it (the chunk without its head).
    if (editedChunk_.size() > stellix::blob::kChunkHeadBytes) {
      auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Write);
      check(key && key->writeBinary(store::kDefaultBank, editedChunk_.data() + stellix::blob::kChunkHeadBytes,
                                    editedChunk_.size() - stellix::blob::kChunkHeadBytes),
            "storing a default bank");
    }
    {
      auto host = open();
      if (!host->effect()) return;
      check(chunk(*host) == editedChunk_, "a new instance applies the stored default bank");
    }

    // Then a default preset: it replaces program 0 of the stored bank.
    stellix::ProgramRecord preset{};
    stellix::setRecordName(preset, "Preset Pal");
    for (int i = 0; i < stellix::kNumParams; ++i) preset.values[i] = static_cast<float>(i % 8) / 8.0f + 0.0625f;
    preset.values[12] = 0.125f;  // Calibrate off
    preset.values[25] = 0.025f;  // the current layout
    const auto presetBlob = stellix::blob::writePreset(preset, fourCharConst("KrSt"), stellix::blob::SkipMask{});
    {
      auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Write);
      check(key && key->writeBinary(store::kDefaultPreset, presetBlob.data(), presetBlob.size()),
            "storing a default preset");
    }
    auto host = open();
    if (!host->effect()) return;
    check(host->text(effGetProgramName) == "Preset Pal", "a new instance applies the stored default preset");
    for (int i = 0; i < 25; ++i) {
      if (i == 12) continue;
      check(floatBits(host->getParameter(i)) == floatBits(preset.values[i]),
            format("parameter %d comes from the stored default preset", i));
    }
    const auto withPreset = chunk(*host);
    check(withPreset.size() == editedChunk_.size(), "chunk size with a stored default preset");
    line(format("chunk with stored default bank and preset: %zu bytes", withPreset.size()));
    saveChunk("stored-defaults.chunk", withPreset);

    auto key = UserStoreKey::open(store::kKey, UserStoreKey::Access::Read);
    check(key != nullptr, "the store key exists");
    if (!key) return;
    check(key->valueSize(store::kDefaultBank) == editedChunk_.size() - stellix::blob::kChunkHeadBytes &&
              key->valueSize(store::kDefaultPreset) == presetBlob.size(),
          "stored blob sizes");
    // Written by each instance as it closes.
    for (const char* location : {store::kCurrDir, store::kCurrBank, store::kCurrPreset}) {
      const auto text = key->readString(location);
      line(format("store %s %s \"%s\"", location, text ? "present" : "missing", text ? text->c_str() : ""));
    }
  }

  // The C runtime's math functions the plug-in calls, over the arguments the engine and the
  // parameter texts use. They are not checked here: compare reports where two runtimes differ.
  void mathFunctions() {
    struct Function {
      const char* name;
      double (*f)(double);
      double from, to, step;
    };
    static const Function kFunctions[] = {
        {"exp", [](double x) { return std::exp(x); }, -0.25, 0.0, 1.0 / 65536.0},
        {"exp2", [](double x) { return std::exp2(x); }, -4.0, 4.0, 1.0 / 4096.0},
        {"pow", [](double x) { return std::pow(x, 0.82030212); }, 0.0, 1.0, 1.0 / 16384.0},
        {"pow-0.01", [](double x) { return std::pow(0.01, 1000.0 / (x * 600.0)); }, 5000.0, 200000.0, 25.0},
        {"log10", [](double x) { return std::log10(x); }, 1.0, 1000.0, 1.0 / 64.0},
        {"sin", [](double x) { return std::sin(x); }, -4.0, 4.0, 1.0 / 4096.0},
    };
    for (const Function& fn : kFunctions) {
      std::vector<double> results;
      for (double x = fn.from; x <= fn.to; x += fn.step) results.push_back(fn.f(x));
      const std::string name = std::string("math-") + fn.name + ".bin";
      writeFile(out_ / name, results.data(), results.size() * sizeof(double));
      manifest_ += "math " + name + "\n";
    }
  }

  std::string plugin_;
  fs::path out_;
  std::string transcript_;
  std::string manifest_;
};

// --- compare ---------------------------------------------------------------------------

struct AudioDifference {
  std::size_t samples = 0;
  std::size_t differing = 0;
  double largest = 0.0;
};

template <typename T>
AudioDifference compareAudio(const std::string& a, const std::string& b) {
  AudioDifference d;
  d.samples = a.size() / sizeof(T);
  for (std::size_t i = 0; i < d.samples; ++i) {
    T x, y;
    std::memcpy(&x, a.data() + i * sizeof(T), sizeof(T));
    std::memcpy(&y, b.data() + i * sizeof(T), sizeof(T));
    if (std::memcmp(&x, &y, sizeof(T)) == 0) continue;
    ++d.differing;
    const double diff = std::fabs(static_cast<double>(x) - static_cast<double>(y));
    d.largest = std::isnan(diff) || diff > d.largest ? (std::isnan(diff) ? INFINITY : diff) : d.largest;
  }
  return d;
}

// Reports how often and by how many units in the last place two runtimes' results differ.
void compareMath(const std::string& name, const std::string& a, const std::string& b) {
  check(a.size() == b.size() && !a.empty(), name + " has the same length");
  if (a.size() != b.size()) return;
  std::size_t differing = 0;
  std::int64_t largest = 0;
  for (std::size_t i = 0; i + sizeof(double) <= a.size(); i += sizeof(double)) {
    std::int64_t x, y;
    std::memcpy(&x, a.data() + i, sizeof x);
    std::memcpy(&y, b.data() + i, sizeof y);
    if (x == y) continue;
    ++differing;
    largest = std::max(largest, x > y ? x - y : y - x);
  }
  std::printf("%s: %zu of %zu results differ between the runtimes (largest %" PRId64 " ulp)\n", name.c_str(), differing,
              a.size() / sizeof(double), largest);
}

int compare(const fs::path& a, const fs::path& b) {
  const std::string manifest = readFile(a / "manifest.txt");
  check(!manifest.empty(), "manifest in " + a.string());
  check(manifest == readFile(b / "manifest.txt"), "both sessions wrote the same files");
  std::istringstream lines(manifest);
  std::string kind, name, flag;
  int files = 0, identicalAudio = 0, audioFiles = 0;
  double largestOff = 0.0;
  std::size_t differingSamples = 0;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    fields >> kind >> name >> flag;
    const std::string x = readFile(a / name), y = readFile(b / name);
    ++files;
    if (kind == "text" || kind == "bytes") {
      check(!x.empty() && x == y, name + " is byte-identical");
      continue;
    }
    if (kind == "math") {
      compareMath(name, x, y);
      continue;
    }
    ++audioFiles;
    check(!x.empty() && x.size() == y.size(), name + " has the same length");
    if (x.size() != y.size()) continue;
    const AudioDifference d = kind == "f32" ? compareAudio<float>(x, y) : compareAudio<double>(x, y);
    if (d.differing == 0) {
      ++identicalAudio;
      continue;
    }
    differingSamples += d.differing;
    std::printf("%s: %zu of %zu samples differ, largest difference %.3g\n", name.c_str(), d.differing, d.samples,
                d.largest);
    if (flag == "q0") {
      largestOff = std::max(largestOff, d.largest);
      check(d.largest < 1e-12, name + ": difference below 1e-12");
    } else {
      check(false, name + ": requantized output is bit-identical");
    }
  }
  std::printf("compared %d files: %d of %d renders bit-identical, %zu samples differ, largest difference %.3g\n", files,
              identicalAudio, audioFiles, differingSamples, largestOff);
  return gFailures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 4 && mode == "run") {
    Session(argv[2], argv[3]).run();
  } else if (argc == 4 && mode == "compare") {
    compare(argv[2], argv[3]);
  } else {
    std::fprintf(stderr, "usage: %s run <plug-in> <output folder> | compare <folder> <folder>\n", argv[0]);
    return 2;
  }
  if (gFailures) std::fprintf(stderr, "%d check(s) failed\n", gFailures);
  return gFailures == 0 ? 0 : 1;
}
