#include "toolkit/platform/x11/helperprocess.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

extern char** environ;

namespace x11platform {

namespace {

std::mutex gSearchPathMutex;
std::string gSearchPath;

// NUL-terminated pointers into argv, made before any fork: the child may not allocate.
std::vector<char*> pointersOf(const std::vector<std::string>& argv) {
  std::vector<char*> p;
  p.reserve(argv.size() + 1);
  for (const std::string& a : argv) p.push_back(const_cast<char*>(a.c_str()));
  p.push_back(nullptr);
  return p;
}

// Waits for pid. observed is false when a host that ignores SIGCHLD had it reaped already.
int waitForExit(pid_t pid, bool& observed) {
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  observed = r == pid;
  if (!observed || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Signals ignored by the host would stay ignored across exec; the helper gets defaults.
void setDefaultSignals(posix_spawnattr_t& attr) {
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

constexpr std::size_t kMaxOutput = 1 << 20;

// Closes the descriptors from 3 on except keep; async-signal-safe.
void closeAllBut(int keep) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  const unsigned k = static_cast<unsigned>(keep);
  bool closed = true;
  if (k > 3) closed = ::close_range(3, k - 1, 0) == 0;
  if (closed && ::close_range(k < 3 ? 3 : k + 1, ~0u, 0) == 0) return;
#endif
  for (int fd = 3; fd < 4096; ++fd)
    if (fd != keep) ::close(fd);
}

}  // namespace

void setHelperSearchPath(const std::string& folders) {
  std::lock_guard<std::mutex> lock(gSearchPathMutex);
  gSearchPath = folders;
}

std::string findHelper(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  std::string folders;
  {
    std::lock_guard<std::mutex> lock(gSearchPathMutex);
    folders = gSearchPath;
  }
  if (folders.empty()) {
    const char* path = std::getenv("PATH");
    folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  }
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    // An empty entry would mean the current folder, which is the host's business: skipped.
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

HelperResult runHelper(const std::vector<std::string>& argv) {
  HelperResult result;
  if (argv.empty()) return result;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // The host's other descriptors (audio devices, sockets) are none of the helper's business.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  setDefaultSignals(attr);

  std::vector<char*> args = pointersOf(argv);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    return result;
  }
  result.started = true;

  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(out[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (result.output.size() < kMaxOutput) result.output.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  result.exitCode = waitForExit(pid, result.exitObserved);
  return result;
}

bool startDetachedHelper(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args = pointersOf(argv);
  // The program reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;

  const pid_t middle = ::fork();
  if (middle == 0) {
    // Only async-signal-safe calls from here on: the host may have other threads.
    const pid_t program = ::fork();
    if (program == 0) {
      ::setsid();  // its own session: it outlives the host's terminal and process group
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int s = 1; s < NSIG; ++s) ::signal(s, SIG_DFL);
      const int null = ::open("/dev/null", O_RDWR);
      if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO) ::close(null);
      }
      // Every other descriptor but the report pipe closes; the host's devices and sockets
      // are none of the program's business.
      closeAllBut(report[1]);
      ::execve(args[0], args.data(), environ);
      const int error = errno;
      (void)!::write(report[1], &error, sizeof error);
      ::_exit(127);
    }
    ::_exit(program < 0 ? 1 : 0);
  }
  ::close(report[1]);
  if (middle < 0) {
    ::close(report[0]);
    return false;
  }
  // The intermediate process ends at once: the program is then nobody's child but init's.
  bool observed = false;
  const int middleCode = waitForExit(middle, observed);
  const bool forked = middleCode == 0 || !observed;
  int error = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return forked && n == 0;
}

}  // namespace x11platform
