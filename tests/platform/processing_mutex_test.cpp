#include "platform/processing_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace stellix {
namespace {

TEST(ProcessingMutex, IsRecursiveForTheOwner) {
  ProcessingMutex m;
  ASSERT_TRUE(m.lock());
  ASSERT_TRUE(m.lock(1000));
  m.unlock();
  m.unlock();
}

TEST(ProcessingMutex, BoundedWaitGivesUpWhileAnotherThreadHoldsIt) {
  ProcessingMutex m;
  std::atomic<bool> held{false}, release{false};
  std::thread owner([&] {
    m.lock();
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m.unlock();
  });
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(m.lock(50));
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(45));
  release = true;
  owner.join();
  EXPECT_TRUE(m.lock(50));
  m.unlock();
}

}  // namespace
}  // namespace stellix
