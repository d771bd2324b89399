// The log of the plug-in's callbacks that tests check: one line per event, numbered in the
// order the events arrived, flushed at once so that a reader sees it while the host runs.
//   <n> automate <index> <value>
//   <n> begin <index>
//   <n> end <index>
//   <n> display 0       (the plug-in asked the host to re-read its names and texts)
// Callbacks may arrive on any thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace stellix::editorhost {

class EventLog {
 public:
  EventLog() = default;
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // Creates (truncates) the file. Without a file the events are only counted.
  bool open(const std::string& path, std::string& error);

  void automate(int index, float value);
  void begin(int index);
  void end(int index);
  void display();

  std::uint64_t events() const;

 private:
  void write(const char* kind, int index, const float* value);

  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::uint64_t events_ = 0;
};

}  // namespace stellix::editorhost
