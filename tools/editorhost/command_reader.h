// Lines of stdin, read by a thread of its own so that the window's loop never waits for them.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace stellix::editorhost {

class CommandReader {
 public:
  // Starts reading. The thread is detached: it may be blocked in a read when the program ends.
  CommandReader();

  // The next complete line, if one has arrived.
  std::optional<std::string> next();
  // True once stdin has ended and every line has been taken.
  bool finished();

 private:
  struct Shared {
    std::mutex mutex;
    std::deque<std::string> lines;
    bool ended = false;
  };
  std::shared_ptr<Shared> shared_;
};

}  // namespace stellix::editorhost
