#include "tools/editorhost/automation_thread.h"

#include <chrono>

namespace stellix::editorhost {

AutomationThread::AutomationThread(AEffect* effect, int index) : effect_(effect), index_(index) {}

AutomationThread::~AutomationThread() { stop(); }

void AutomationThread::start() {
  if (running_.exchange(true)) return;
  thread_ = std::thread([this] { run(); });
}

void AutomationThread::stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

void AutomationThread::run() {
  // A triangle: steps 0..kStepsPerSweep go up, the next kStepsPerSweep come down.
  for (int step = 0; running_; step = (step + 1) % (2 * kStepsPerSweep)) {
    const int position = step <= kStepsPerSweep ? step : 2 * kStepsPerSweep - step;
    effect_->setParameter(effect_, index_, static_cast<float>(position) / static_cast<float>(kStepsPerSweep));
    ++changes_;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs));
  }
}

}  // namespace stellix::editorhost
