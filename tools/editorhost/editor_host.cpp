#include "tools/editorhost/editor_host.h"

#include <cstdio>
#include <cstring>
#include <thread>

#include "tools/editorhost/command_reader.h"

namespace stellix::editorhost {
namespace {

// Host callbacks answered here beyond the test host's own.
constexpr VstInt32 kMasterSizeWindow = 15;
constexpr VstInt32 kMasterGetSampleRate = 16;
constexpr VstInt32 kMasterGetBlockSize = 17;
constexpr VstInt32 kMasterCanDo = 37;

void answer(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void complain(const std::string& message) { std::fprintf(stderr, "stellix-editorhost: %s\n", message.c_str()); }

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

}  // namespace

EditorHost::EditorHost(Options options) : options_(std::move(options)) {}

EditorHost::~EditorHost() { shutdown(); }

int EditorHost::run() {
  std::string error;
  if (!start(error)) {
    complain(error);
    shutdown();
    return 1;
  }
  int status = 0;
  if (options_.cycles > 0) {
    status = runCycles();
  } else if (!options_.screenshotPath.empty()) {
    status = runScreenshot();
  } else {
    status = runCommands();
  }
  shutdown();
  return status;
}

bool EditorHost::start(std::string& error) {
  if (!options_.logPath.empty() && !log_.open(options_.logPath, error)) return false;

  host_ = std::make_unique<testing::TestHost>(options_.plugin);
  if (!host_->loaded()) {
    error = "cannot load " + options_.plugin + ": " + host_->error();
    return false;
  }
  host_->recordCalls = false;
  host_->onCall = [this](const testing::HostCall& call) {
    switch (call.opcode) {
      case audioMasterAutomate: log_.automate(call.index, call.opt); break;
      case audioMasterBeginEdit: log_.begin(call.index); break;
      case audioMasterEndEdit: log_.end(call.index); break;
      case audioMasterUpdateDisplay: log_.display(); break;
      default: break;
    }
  };
  host_->onAnswer = [this](const testing::HostCall& call, void* ptr, VstIntPtr* result) {
    switch (call.opcode) {
      case kMasterSizeWindow:
        if (call.index <= 0 || call.value <= 0 || call.index > 0xFFFF || call.value > 0xFFFF) return false;
        requestedSize_ = static_cast<std::uint32_t>(call.index) << 16 | static_cast<std::uint32_t>(call.value);
        *result = 1;
        return true;
      case kMasterGetSampleRate: *result = static_cast<VstIntPtr>(kSampleRate); return true;
      case kMasterGetBlockSize: *result = kBlockSize; return true;
      case kMasterCanDo:
        *result = ptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0 ? 1 : 0;
        return true;
      default: return false;
    }
  };

  AEffect* effect = host_->open("VSTPluginMain");
  if (!effect && host_->error().rfind("no entry", 0) == 0) effect = host_->open("main");
  if (!effect) {
    error = host_->error().rfind("no entry", 0) == 0 ? "no VST 2.4 entry (VSTPluginMain or main) in " + options_.plugin
                                                     : "the plug-in's entry returned no effect";
    return false;
  }
  if (effect->magic != kEffectMagic) {
    error = "the plug-in's entry returned a record without the effect magic";
    return false;
  }
  if (!(effect->flags & effFlagsHasEditor)) {
    error = "the plug-in has no editor (effFlagsHasEditor is not set)";
    return false;
  }
  host_->dispatch(effOpen);
  host_->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kSampleRate));
  host_->dispatch(effSetBlockSize, 0, kBlockSize);
  host_->dispatch(effMainsChanged, 0, 1);
  resumed_ = true;

  // Some editors know their size only once open: then the window starts at a guess and is
  // resized after effEditOpen.
  if (!editorSize(width_, height_)) {
    width_ = 400;
    height_ = 300;
  }
  window_ = createHostWindow(width_, height_, "stellix-editorhost", error);
  if (!window_) return false;

  audio_ = std::make_unique<AudioThread>(effect, SignalSource(options_.signal, options_.levelDb, kSampleRate),
                                         kBlockSize, kSampleRate);
  audio_->start();
  audioStart_ = Clock::now();
  if (options_.automateIndex >= 0) {
    if (options_.automateIndex >= effect->numParams) {
      error = "no parameter " + std::to_string(options_.automateIndex) + " to automate (the plug-in has " +
              std::to_string(effect->numParams) + ")";
      return false;
    }
    automation_ = std::make_unique<AutomationThread>(effect, options_.automateIndex);
    automation_->start();
  }
  return true;
}

void EditorHost::shutdown() {
  std::string ignored;
  if (editorOpen_) closeEditor(ignored);
  if (automation_) automation_->stop();
  automation_.reset();
  if (audio_) audio_->stop();
  audio_.reset();
  if (host_ && host_->effect()) {
    if (resumed_) host_->dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
    host_->close();
  }
  window_.reset();
  host_.reset();
}

bool EditorHost::editorSize(int& width, int& height) {
  ERect* rect = nullptr;
  host_->dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect) return false;
  const int w = rect->right - rect->left;
  const int h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0) return false;
  width = w;
  height = h;
  return true;
}

bool EditorHost::openEditor(std::string& error) {
  if (editorOpen_) {
    error = "the editor is open already";
    return false;
  }
  if (!host_->dispatch(effEditOpen, 0, 0, window_->handle())) {
    error = "effEditOpen answered 0";
    return false;
  }
  editorOpen_ = true;
  if (int w = 0, h = 0; editorSize(w, h) && (w != width_ || h != height_)) {
    width_ = w;
    height_ = h;
    window_->resize(w, h);
  }
  nextIdle_ = Clock::now();
  return true;
}

bool EditorHost::closeEditor(std::string& error) {
  if (!editorOpen_) {
    error = "the editor is not open";
    return false;
  }
  host_->dispatch(effEditClose);
  editorOpen_ = false;
  return true;
}

bool EditorHost::tick() {
  const bool alive = window_->pump();
  if (const std::uint32_t size = requestedSize_.exchange(0)) {
    width_ = static_cast<int>(size >> 16);
    height_ = static_cast<int>(size & 0xFFFF);
    window_->resize(width_, height_);
  }
  const auto now = Clock::now();
  if (editorOpen_ && now >= nextIdle_) {
    host_->dispatch(effEditIdle);
    nextIdle_ += std::chrono::milliseconds(options_.idleMs);
    if (nextIdle_ < now) nextIdle_ = now + std::chrono::milliseconds(options_.idleMs);
  }
  return alive;
}

bool EditorHost::serviceFor(int ms) {
  const auto until = Clock::now() + std::chrono::milliseconds(ms);
  do {
    if (!tick()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (Clock::now() < until);
  return true;
}

bool EditorHost::screenshot(const std::string& path, std::string& result) {
  PixelBuffer pixels;
  if (!window_->capture(width_, height_, pixels, result)) return false;
  if (!writePng(pixels, path.c_str())) {
    result = "cannot write " + path;
    return false;
  }
  result = path + " " + sizeText(pixels.width, pixels.height);
  return true;
}

bool EditorHost::execute(const Command& command, bool& quit) {
  std::string detail;
  bool ok = true;
  switch (command.kind) {
    case Command::kScreenshot:
      ok = screenshot(command.text, detail);
      if (ok) detail = "screenshot " + detail;
      break;
    case Command::kOpen:
      ok = openEditor(detail);
      if (ok) detail = "open " + sizeText(width_, height_);
      break;
    case Command::kClose:
      ok = closeEditor(detail);
      if (ok) detail = "close";
      break;
    case Command::kIdle:
      if (!editorOpen_) {
        ok = false;
        detail = "the editor is not open";
        break;
      }
      for (int i = 0; i < command.number; ++i) {
        window_->pump();
        host_->dispatch(effEditIdle);
      }
      detail = "idle " + std::to_string(command.number);
      break;
    case Command::kParam:
      if (command.number >= host_->effect()->numParams) {
        ok = false;
        detail = "no parameter " + std::to_string(command.number) + " (the plug-in has " +
                 std::to_string(host_->effect()->numParams) + ")";
        break;
      }
      host_->setParameter(command.number, command.value);
      detail = "param " + std::to_string(command.number) + " " + std::to_string(host_->getParameter(command.number));
      break;
    case Command::kGet:
      if (command.number >= host_->effect()->numParams) {
        ok = false;
        detail = "no parameter " + std::to_string(command.number);
        break;
      }
      {
        // %.9g gives the float back exactly when read.
        char value[32];
        std::snprintf(value, sizeof value, "%.9g", static_cast<double>(host_->getParameter(command.number)));
        detail = "get " + std::to_string(command.number) + " " + value;
      }
      break;
    case Command::kProgram: detail = "program " + std::to_string(host_->dispatch(effGetProgram)); break;
    case Command::kProgramName: detail = "program-name " + host_->text(effGetProgramName); break;
    case Command::kEcho: answer(command.text); return true;
    case Command::kWait: break;  // the loop waits
    case Command::kQuit: {
      // The audio thread's count tells a driver that it ran in real time.
      quit = true;
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - audioStart_).count();
      detail = "quit " + std::to_string(audio_->blocks()) + " audio blocks in " + std::to_string(ms) + " ms";
      if (automation_) detail += ", " + std::to_string(automation_->changes()) + " automated changes";
      break;
    }
  }
  answer(ok ? "ok " + detail : "error " + detail);
  return ok;
}

int EditorHost::runCommands() {
  std::string error;
  if (!openEditor(error) || !window_->show(error)) {
    complain(error);
    return 1;
  }
  answer("ok ready " + sizeText(width_, height_));
  CommandReader reader;
  bool quit = false;
  Clock::time_point waitUntil{};
  int waitMs = 0;
  while (!quit) {
    if (!tick()) {
      complain("the window was closed");
      return 0;
    }
    if (waitMs > 0 || waitUntil != Clock::time_point{}) {
      if (Clock::now() < waitUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      answer("ok wait " + std::to_string(waitMs));
      waitUntil = {};
      waitMs = 0;
    }
    std::optional<std::string> line = reader.next();
    if (!line) {
      // The end of stdin ends the session, so a driver that dies leaves no host behind.
      if (reader.finished()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    Command command;
    switch (parseCommand(*line, command, error)) {
      case ParseResult::kEmpty: break;
      case ParseResult::kError: answer("error " + error); break;
      case ParseResult::kCommand:
        if (command.kind == Command::kWait) {
          waitMs = command.number;
          waitUntil = Clock::now() + std::chrono::milliseconds(command.number);
        } else {
          execute(command, quit);
        }
        break;
    }
  }
  return 0;
}

int EditorHost::runScreenshot() {
  std::string error;
  if (!openEditor(error) || !window_->show(error)) {
    complain(error);
    return 1;
  }
  if (!serviceFor(options_.afterMs)) {
    complain("the window was closed");
    return 1;
  }
  std::string result;
  if (!screenshot(options_.screenshotPath, result)) {
    complain(result);
    return 1;
  }
  answer("ok screenshot " + result);
  return 0;
}

int EditorHost::runCycles() {
  std::string error;
  if (!window_->show(error) || !serviceFor(options_.idleMs)) {
    complain(error.empty() ? "the window was closed" : error);
    return 1;
  }
  const std::vector<ResourceCount> before = window_->resources();
  std::vector<ResourceCount> first;
  int done = 0;
  for (; done < options_.cycles; ++done) {
    if (!openEditor(error)) {
      complain("cycle " + std::to_string(done + 1) + ": " + error);
      break;
    }
    for (int i = 0; i < options_.cycleIdles; ++i) {
      window_->pump();
      host_->dispatch(effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(options_.idleMs));
    }
    closeEditor(error);
    window_->pump();
    if (done == 0) first = window_->resources();
  }
  const std::vector<ResourceCount> after = window_->resources();
  answer("cycles " + std::to_string(done));
  if (automation_) answer("automated " + std::to_string(automation_->changes()));
  for (std::size_t i = 0; i < before.size(); ++i) {
    const long firstValue = i < first.size() ? first[i].value : before[i].value;
    answer(before[i].name + " before=" + std::to_string(before[i].value) + " first=" + std::to_string(firstValue) +
           " after=" + std::to_string(after[i].value));
  }
  return done == options_.cycles ? 0 : 1;
}

}  // namespace stellix::editorhost
