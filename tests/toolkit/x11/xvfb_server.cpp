#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

bool XvfbServer::start(int depth) {
  stop();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return false;
  const std::string fd = std::to_string(pipeFds[1]);
  const std::string screen = "1024x768x" + std::to_string(depth);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    ::close(pipeFds[0]);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return false;
  }
  pid_ = pid;
  // The server writes its display number and a newline once it accepts connections.
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{pipeFds[0], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char c;
    const ssize_t n = ::read(pipeFds[0], &c, 1);
    if (n <= 0) break;  // the server ended, or exec failed
    if (c == '\n') break;
    number += c;
  }
  ::close(pipeFds[0]);
  if (number.empty()) {
    stop();
    return false;
  }
  name_ = ":" + number;
  return true;
}

void XvfbServer::stop() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status;
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  name_.clear();
}
