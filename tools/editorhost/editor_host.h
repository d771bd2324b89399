// stellix-editorhost: loads a VST 2.4 plug-in, opens its editor in a window of its own, feeds
// it audio in real time and lets scripts drive it (commands on stdin, answers on stdout).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/editorhost/audio_thread.h"
#include "tools/editorhost/automation_thread.h"
#include "tools/editorhost/event_log.h"
#include "tools/editorhost/host_window.h"
#include "tools/editorhost/options.h"
#include "tools/testhost/testhost.h"

namespace stellix::editorhost {

class EditorHost {
 public:
  explicit EditorHost(Options options);
  ~EditorHost();
  EditorHost(const EditorHost&) = delete;
  EditorHost& operator=(const EditorHost&) = delete;

  // Runs the mode the options ask for; answers the process's exit status.
  int run();

  static constexpr double kSampleRate = 44100.0;
  static constexpr int kBlockSize = 512;

 private:
  using Clock = std::chrono::steady_clock;

  bool start(std::string& error);
  void shutdown();
  bool editorSize(int& width, int& height);
  bool openEditor(std::string& error);
  bool closeEditor(std::string& error);
  // One pass of the loop: the window's events, a requested resize, the editor's idle when due.
  // False once the user closed the window.
  bool tick();
  // Keeps the loop running for ms milliseconds.
  bool serviceFor(int ms);
  bool screenshot(const std::string& path, std::string& answer);
  bool execute(const Command& command, bool& quit);
  int runCommands();
  int runCycles();
  int runScreenshot();

  Options options_;
  std::unique_ptr<testing::TestHost> host_;
  EventLog log_;
  std::unique_ptr<HostWindow> window_;
  std::unique_ptr<AudioThread> audio_;
  std::unique_ptr<AutomationThread> automation_;
  bool resumed_ = false;
  bool editorOpen_ = false;
  int width_ = 0;
  int height_ = 0;
  Clock::time_point nextIdle_;
  Clock::time_point audioStart_;
  // A size the editor asked for through the host callback, applied by the loop.
  // Width in the high 16 bits, height in the low; 0 when none is pending.
  std::atomic<std::uint32_t> requestedSize_{0};
};

}  // namespace stellix::editorhost
