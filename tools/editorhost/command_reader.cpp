#include "tools/editorhost/command_reader.h"

#include <iostream>
#include <thread>

namespace stellix::editorhost {

CommandReader::CommandReader() : shared_(std::make_shared<Shared>()) {
  // The thread shares ownership of the queue, so the reader may go away before it.
  std::thread([shared = shared_] {
    std::string line;
    while (std::getline(std::cin, line)) {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->lines.push_back(line);
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->ended = true;
  }).detach();
}

std::optional<std::string> CommandReader::next() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (shared_->lines.empty()) return std::nullopt;
  std::string line = std::move(shared_->lines.front());
  shared_->lines.pop_front();
  return line;
}

bool CommandReader::finished() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->ended && shared_->lines.empty();
}

}  // namespace stellix::editorhost
