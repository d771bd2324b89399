// Test helpers: a private per-user store for one test, and running code in a child process
// whose writes fail beyond a file size.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

namespace stellix::testing {

// Points XDG_CONFIG_HOME at a fresh empty folder for the lifetime of the object.
class TempConfigHome {
 public:
  TempConfigHome() {
    char pattern[] = "/tmp/stellix-store-XXXXXX";
    root_ = ::mkdtemp(pattern);
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) previous_ = old;
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  ~TempConfigHome() {
    if (previous_)
      ::setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The folder of the plug-in's key.
  std::filesystem::path keyFolder() const { return root_ / "Korvan" / "Korvanstellix"; }

 private:
  std::filesystem::path root_;
  std::optional<std::string> previous_;
};

inline std::string fileContents(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFileContents(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

// Runs fn in a child process in which no file can grow beyond limitBytes (a write past it
// fails as on a full disk); answers the child's exit status, or -1 when it did not exit.
inline int runWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& fn) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{limitBytes, limitBytes};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    ::_exit(fn());
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Files in folder whose names start with a dot (the writers' temporary files).
inline int countHiddenFiles(const std::filesystem::path& folder) {
  int n = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.path().filename().string()[0] == '.') ++n;
  return n;
}

}  // namespace stellix::testing
