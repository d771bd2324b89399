// Text of a render report and the terminal progress bar.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "tools/render/render.h"

namespace stellix::render {

std::string formatReport(const RenderReport& report);

// Everything the program prints goes through one console, so that reports from parallel
// jobs never interleave with each other or with the progress bar.
class Console {
 public:
  // A bar is drawn on stderr only when it is a terminal and show is set.
  Console(bool showProgress, const Progress& progress, std::int64_t totalFrames, int files);
  ~Console();
  void out(const std::string& text);
  void error(const std::string& text);
  void fileDone();

 private:
  void draw();
  void clearBar();

  const Progress& progress_;
  std::int64_t total_;
  int files_;
  int done_ = 0;
  bool bar_ = false;
  bool drawn_ = false;
  std::mutex mutex_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace stellix::render
