// Host automation from a thread of its own: one parameter swept up and down through the
// effect's setParameter, a step every couple of milliseconds, as a host playing back an
// automation lane does while the user works in the editor.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "vst2/aeffect.h"

namespace stellix::editorhost {

class AutomationThread {
 public:
  AutomationThread(AEffect* effect, int index);
  ~AutomationThread();
  AutomationThread(const AutomationThread&) = delete;
  AutomationThread& operator=(const AutomationThread&) = delete;

  void start();
  // Returns after the change in progress has finished.
  void stop();
  std::uint64_t changes() const { return changes_.load(); }

  // A sweep takes this many changes from 0 to 1 and as many back.
  static constexpr int kStepsPerSweep = 100;
  static constexpr int kPeriodMs = 2;

 private:
  void run();

  AEffect* effect_;
  int index_;
  std::atomic<bool> running_{false};
  std::atomic<std::uint64_t> changes_{0};
  std::thread thread_;
};

}  // namespace stellix::editorhost
