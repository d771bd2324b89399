#include "toolkit/cvstguitimer.h"

#include <algorithm>
#include <utility>

#include "toolkit/cframe.h"

CVSTGUITimer::CVSTGUITimer(CFrame* frame, Callback callback, std::uint32_t fireTimeMs, bool doStart)
    : frame_(frame), callback_(std::move(callback)), fireTime_(fireTimeMs) {
  if (frame_) frame_->timers_.push_back(this);
  if (doStart) start();
}

CVSTGUITimer::~CVSTGUITimer() {
  if (!frame_) return;
  auto& timers = frame_->timers_;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void CVSTGUITimer::start() {
  if (!frame_) return;
  lastFire_ = frame_->getTicks();
  running_ = true;
}

void CVSTGUITimer::stop() { running_ = false; }

void CVSTGUITimer::fireIfDue(std::uint32_t now) {
  // Unsigned difference: right across the wrap of the 32-bit tick.
  if (!running_ || now - lastFire_ < fireTime_) return;
  lastFire_ = now;
  if (callback_) callback_(this);
}
