// The processing mutex as a recursive pthread mutex. The bounded wait uses
// pthread_mutex_timedlock rather than std::recursive_timed_mutex, whose libstdc++ wait
// (pthread_mutex_clocklock) ThreadSanitizer does not see: every bounded lock would then look
// like no lock at all and hide real races among false ones.
#include "platform/processing_mutex.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <system_error>

namespace stellix {

struct ProcessingMutex::Impl {
  pthread_mutex_t m;
};

ProcessingMutex::ProcessingMutex() : impl_(std::make_unique<Impl>()) {
  pthread_mutexattr_t attr;
  int r = pthread_mutexattr_init(&attr);
  if (r == 0) {
    r = pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    if (r == 0) r = pthread_mutex_init(&impl_->m, &attr);
    pthread_mutexattr_destroy(&attr);
  }
  if (r != 0) throw std::system_error(r, std::generic_category(), "processing mutex");
}

ProcessingMutex::~ProcessingMutex() { pthread_mutex_destroy(&impl_->m); }

// Not a robust mutex: a thread that ends while holding it leaves it held, so no lock reports
// EOWNERDEAD. The only failure besides the bound running out is EAGAIN, when the owner's
// re-entry count would overflow; the lock is then not taken either.
bool ProcessingMutex::lock(std::uint32_t timeoutMs) noexcept {
  if (timeoutMs == kInfinite) return pthread_mutex_lock(&impl_->m) == 0;

  // A free mutex, or the owner's re-entry, needs no clock.
  const int r = pthread_mutex_trylock(&impl_->m);
  if (r != EBUSY) return r == 0;
  if (timeoutMs == 0) return false;

  // The wait ends at an absolute time on the wall clock, the only clock timedlock takes. The
  // deadline is computed once: if the wall clock is set while waiting, the wait ends that much
  // earlier or later.
  timespec deadline;
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
  deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_nsec -= 1000000000L;
    ++deadline.tv_sec;
  }
  int w;
  do {
    w = pthread_mutex_timedlock(&impl_->m, &deadline);
  } while (w == EINTR);  // not allowed by POSIX, but harmless to retry against the same deadline
  return w == 0;
}

void ProcessingMutex::unlock() noexcept { pthread_mutex_unlock(&impl_->m); }

}  // namespace stellix
