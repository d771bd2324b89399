// The processing mutex as an unnamed kernel mutex: recursive for its owning thread.
#include "platform/processing_mutex.h"

#include <windows.h>

#include <new>

namespace stellix {

static_assert(ProcessingMutex::kInfinite == INFINITE);

struct ProcessingMutex::Impl {
  HANDLE handle;
};

ProcessingMutex::ProcessingMutex() : impl_(std::make_unique<Impl>()) {
  impl_->handle = CreateMutexA(nullptr, FALSE, nullptr);
  if (!impl_->handle) throw std::bad_alloc();  // out of kernel objects: no effect can be made
}

ProcessingMutex::~ProcessingMutex() { CloseHandle(impl_->handle); }

bool ProcessingMutex::lock(std::uint32_t timeoutMs) noexcept {
  // An abandoned mutex (its owner thread ended while holding it) is handed over owned; the
  // caller must release it like any other, or it would stay locked for good.
  const DWORD r = WaitForSingleObject(impl_->handle, timeoutMs);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void ProcessingMutex::unlock() noexcept { ReleaseMutex(impl_->handle); }

}  // namespace stellix
