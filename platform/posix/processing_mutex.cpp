#include "platform/processing_mutex.h"

#include <chrono>
#include <mutex>

namespace stellix {

struct ProcessingMutex::Impl {
  std::recursive_timed_mutex m;
};

ProcessingMutex::ProcessingMutex() : impl_(std::make_unique<Impl>()) {}
ProcessingMutex::~ProcessingMutex() = default;

bool ProcessingMutex::lock(std::uint32_t timeoutMs) noexcept {
  if (timeoutMs == kInfinite) {
    impl_->m.lock();
    return true;
  }
  return impl_->m.try_lock_for(std::chrono::milliseconds(timeoutMs));
}

void ProcessingMutex::unlock() noexcept { impl_->m.unlock(); }

}  // namespace stellix
