// Feeds the plug-in in real time from a thread of its own: one block every blockSize /
// sampleRate seconds, paced by the steady clock, as a host's audio callback would.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "tools/editorhost/signal_source.h"
#include "vst2/aeffect.h"

namespace stellix::editorhost {

class AudioThread {
 public:
  AudioThread(AEffect* effect, SignalSource source, int blockSize, double sampleRate);
  ~AudioThread();
  AudioThread(const AudioThread&) = delete;
  AudioThread& operator=(const AudioThread&) = delete;

  void start();
  // Returns after the block in progress has finished.
  void stop();
  std::uint64_t blocks() const { return blocks_.load(); }

 private:
  void run();

  AEffect* effect_;
  SignalSource source_;
  int blockSize_;
  double sampleRate_;
  std::vector<std::vector<float>> inputs_, outputs_;
  std::vector<float*> inputPointers_, outputPointers_;
  std::atomic<bool> running_{false};
  std::atomic<std::uint64_t> blocks_{0};
  std::thread thread_;
};

}  // namespace stellix::editorhost
