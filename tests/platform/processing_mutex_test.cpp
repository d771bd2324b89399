#include "platform/processing_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace stellix {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Holds the mutex on a thread of its own until release() (or the end of the scope).
class OtherOwner {
 public:
  explicit OtherOwner(ProcessingMutex& m) {
    thread_ = std::thread([this, &m] {
      m.lock();
      held_ = true;
      while (!release_) std::this_thread::sleep_for(milliseconds(1));
      m.unlock();
    });
    while (!held_) std::this_thread::sleep_for(milliseconds(1));
  }
  ~OtherOwner() { release(); }
  void release() {
    release_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Releases from yet another thread after a delay, while the caller is waiting.
  std::thread releaseAfter(milliseconds delay) {
    return std::thread([this, delay] {
      std::this_thread::sleep_for(delay);
      release_ = true;
    });
  }

 private:
  std::atomic<bool> held_{false}, release_{false};
  std::thread thread_;
};

TEST(ProcessingMutex, IsRecursiveForTheOwner) {
  ProcessingMutex m;
  ASSERT_TRUE(m.lock());
  ASSERT_TRUE(m.lock(1000));
  m.unlock();
  m.unlock();
}

TEST(ProcessingMutex, ReentryWithABoundIsImmediateAndKeepsOthersOutUntilTheLastUnlock) {
  ProcessingMutex m;
  ASSERT_TRUE(m.lock());
  for (const std::uint32_t bound : {0u, 1u, 1000u, 999999u}) {
    const auto t0 = Clock::now();
    EXPECT_TRUE(m.lock(bound)) << bound;
    EXPECT_LT(Clock::now() - t0, milliseconds(500)) << "the owner must not wait for itself, bound " << bound;
  }
  auto otherTakes = [&m] {
    bool took = false;
    std::thread([&] {
      took = m.lock(0);
      if (took) m.unlock();
    }).join();
    return took;
  };
  for (int held = 5; held > 1; --held) {
    m.unlock();
    EXPECT_FALSE(otherTakes()) << "still held " << held - 1 << " times";
  }
  m.unlock();
  EXPECT_TRUE(otherTakes());
}

TEST(ProcessingMutex, BoundedWaitGivesUpWhileAnotherThreadHoldsIt) {
  ProcessingMutex m;
  OtherOwner owner(m);
  const auto t0 = Clock::now();
  EXPECT_FALSE(m.lock(0));
  EXPECT_FALSE(m.lock(50));
  EXPECT_GE(Clock::now() - t0, milliseconds(45));
  owner.release();
  EXPECT_TRUE(m.lock(50));
  m.unlock();
}

TEST(ProcessingMutex, AWaiterGetsTheMutexWhenItIsReleasedDuringTheWait) {
  struct Case {
    std::uint32_t bound;
    const char* what;
  };
  const Case cases[] = {
      {ProcessingMutex::kInfinite, "no bound"},
      {999, "a bound whose sub-second part carries into the seconds of the deadline"},
      {2000, "a bound of whole seconds"},
  };
  for (const Case& c : cases) {
    ProcessingMutex m;
    OtherOwner owner(m);
    const auto t0 = Clock::now();
    std::thread releaser = owner.releaseAfter(milliseconds(100));
    EXPECT_TRUE(m.lock(c.bound)) << c.what;
    const auto waited = Clock::now() - t0;
    releaser.join();
    EXPECT_GE(waited, milliseconds(90)) << c.what;
    m.unlock();
  }
}

// Under ThreadSanitizer this also checks that every kind of lock orders the accesses it guards.
TEST(ProcessingMutex, GuardsDataAcrossThreadsWithAndWithoutBound) {
  ProcessingMutex m;
  long counter = 0;  // deliberately not atomic: only the mutex orders the accesses
  constexpr int kRounds = 2000;
  auto work = [&](std::uint32_t bound) {
    for (int i = 0; i < kRounds; ++i) {
      ProcessingLock outer(m, bound);
      ASSERT_TRUE(outer.owns());
      ProcessingLock inner(m, 0);
      ASSERT_TRUE(inner.owns());
      ++counter;
    }
  };
  std::thread a(work, ProcessingMutex::kInfinite), b(work, 10000u), c(work, 10000u);
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(counter, 3 * kRounds);
}

}  // namespace
}  // namespace stellix
