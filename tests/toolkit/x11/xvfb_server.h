// A private Xvfb for one test: it picks a free display number itself (-displayfd), so that
// tests can run side by side, and dies with the test process.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer() { stop(); }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Starts a server with one 1024x768 screen of depth bits; false when Xvfb is missing or
  // did not come up within a few seconds.
  bool start(int depth = 24);
  void stop();
  // ":N"
  const std::string& displayName() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};
