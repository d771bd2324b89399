// The processing mutex: an unnamed recursive lock with an optional wait bound.
#pragma once

#include <cstdint>
#include <memory>

namespace stellix {

class ProcessingMutex {
 public:
  static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

  ProcessingMutex();
  ~ProcessingMutex();
  ProcessingMutex(const ProcessingMutex&) = delete;
  ProcessingMutex& operator=(const ProcessingMutex&) = delete;

  // Waits at most timeoutMs milliseconds (kInfinite: no bound). Re-entrant for the owner.
  // Returns false when the bound ran out; the mutex is then not held.
  bool lock(std::uint32_t timeoutMs = kInfinite) noexcept;
  void unlock() noexcept;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Holds the mutex for a scope; owns() tells whether it was acquired within the bound.
class ProcessingLock {
 public:
  ProcessingLock(ProcessingMutex& m, std::uint32_t timeoutMs = ProcessingMutex::kInfinite) noexcept
      : m_(m), owns_(m.lock(timeoutMs)) {}
  ~ProcessingLock() {
    if (owns_) m_.unlock();
  }
  ProcessingLock(const ProcessingLock&) = delete;
  ProcessingLock& operator=(const ProcessingLock&) = delete;
  bool owns() const noexcept { return owns_; }

 private:
  ProcessingMutex& m_;
  bool owns_;
};

}  // namespace stellix
