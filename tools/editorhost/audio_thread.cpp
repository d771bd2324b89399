#include "tools/editorhost/audio_thread.h"

#include <algorithm>
#include <chrono>

namespace stellix::editorhost {

AudioThread::AudioThread(AEffect* effect, SignalSource source, int blockSize, double sampleRate)
    : effect_(effect), source_(source), blockSize_(blockSize), sampleRate_(sampleRate) {
  const auto block = static_cast<std::size_t>(blockSize);
  inputs_.assign(static_cast<std::size_t>(std::max(effect->numInputs, 0)), std::vector<float>(block));
  outputs_.assign(static_cast<std::size_t>(std::max(effect->numOutputs, 0)), std::vector<float>(block));
  for (auto& channel : inputs_) inputPointers_.push_back(channel.data());
  for (auto& channel : outputs_) outputPointers_.push_back(channel.data());
}

AudioThread::~AudioThread() { stop(); }

void AudioThread::start() {
  if (running_.exchange(true)) return;
  thread_ = std::thread([this] { run(); });
}

void AudioThread::stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

void AudioThread::run() {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(blockSize_) / sampleRate_));
  auto due = Clock::now();
  std::vector<float> mono(static_cast<std::size_t>(blockSize_));
  const bool replacing = (effect_->flags & effFlagsCanReplacing) && effect_->processReplacing;
  while (running_) {
    source_.fill(mono.data(), blockSize_);
    for (auto& channel : inputs_) std::copy(mono.begin(), mono.end(), channel.begin());
    if (replacing) {
      effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), blockSize_);
    } else if (effect_->process) {
      // The old call adds to the outputs.
      for (auto& channel : outputs_) std::fill(channel.begin(), channel.end(), 0.0f);
      effect_->process(effect_, inputPointers_.data(), outputPointers_.data(), blockSize_);
    }
    ++blocks_;
    due += period;
    const auto now = Clock::now();
    // After a stall (debugger, sanitizer, loaded machine) carry on from now instead of catching up
    // with a burst of blocks.
    if (now > due + 4 * period) due = now;
    std::this_thread::sleep_until(due);
  }
}

}  // namespace stellix::editorhost
