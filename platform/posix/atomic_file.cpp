#include "platform/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>

namespace stellix {

namespace {

std::atomic<unsigned> gTempCounter{0};

bool writeAll(int fd, const unsigned char* p, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Opens a new file beside path under a name nobody else uses; -1 when that fails.
int createTemporary(const std::string& path, std::string& tempPath) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::random_device rd;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".tmp-%ld-%u-%08x", static_cast<long>(::getpid()), gTempCounter.fetch_add(1),
                  static_cast<unsigned>(rd()));
    tempPath = folder + "." + base + suffix;
    // The mode is cut by the umask, as for any new file of the user's.
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void syncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size) noexcept {
  try {
    if (path.empty() || (size > 0 && !data)) return false;
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0) return false;
    bool ok = writeAll(fd, static_cast<const unsigned char*>(data), size);
    // Flush before the rename: after a power cut the name must not point at missing data.
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok) {
      ::unlink(tempPath.c_str());
      return false;
    }
    syncFolderOf(path);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace stellix
