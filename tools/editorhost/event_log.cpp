#include "tools/editorhost/event_log.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace stellix::editorhost {

EventLog::~EventLog() {
  if (file_) std::fclose(file_);
}

bool EventLog::open(const std::string& path, std::string& error) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) {
    error = "cannot write the log " + path + ": " + std::strerror(errno);
    return false;
  }
  if (file_) std::fclose(file_);
  file_ = f;
  return true;
}

void EventLog::automate(int index, float value) { write("automate", index, &value); }
void EventLog::begin(int index) { write("begin", index, nullptr); }
void EventLog::end(int index) { write("end", index, nullptr); }
// The index keeps every line in the "<n> <kind> <index>" shape readers expect.
void EventLog::display() { write("display", 0, nullptr); }

std::uint64_t EventLog::events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

void EventLog::write(const char* kind, int index, const float* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint64_t n = ++events_;
  if (!file_) return;
  // %.9g gives the float back exactly when read.
  if (value) {
    std::fprintf(file_, "%" PRIu64 " %s %d %.9g\n", n, kind, index, static_cast<double>(*value));
  } else {
    std::fprintf(file_, "%" PRIu64 " %s %d\n", n, kind, index);
  }
  std::fflush(file_);
}

}  // namespace stellix::editorhost
