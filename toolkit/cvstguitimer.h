// A periodic callback on the UI thread, fired from its frame's idle (and the platform's timer)
// once at least the fire time has passed since the last call. It never blocks and never
// catches up: after a long pause it fires once.
#pragma once

#include <cstdint>
#include <functional>

class CFrame;

class CVSTGUITimer {
 public:
  using Callback = std::function<void(CVSTGUITimer*)>;

  // fireTimeMs of 0 fires on every idle.
  CVSTGUITimer(CFrame* frame, Callback callback, std::uint32_t fireTimeMs, bool doStart = true);
  ~CVSTGUITimer();
  CVSTGUITimer(const CVSTGUITimer&) = delete;
  CVSTGUITimer& operator=(const CVSTGUITimer&) = delete;

  // Starts counting the fire time from now; a running timer starts over.
  void start();
  void stop();
  bool isRunning() const { return running_; }
  void setFireTime(std::uint32_t ms) { fireTime_ = ms; }
  std::uint32_t getFireTime() const { return fireTime_; }
  // Null once the frame is gone; the timer then never fires.
  CFrame* getFrame() const { return frame_; }

 private:
  friend class CFrame;
  void fireIfDue(std::uint32_t now);

  CFrame* frame_;
  Callback callback_;
  std::uint32_t fireTime_;
  std::uint32_t lastFire_ = 0;
  bool running_ = false;
};
