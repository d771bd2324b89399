// Processing and closing from two threads, as a host's audio and user-interface threads do.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "tools/testhost/testhost.h"

namespace stellix::testing {
namespace {

using namespace std::chrono_literals;

TEST(Lifecycle, ClosingWaitsForARunningProcessCall) {
  TestHost host;
  ASSERT_NE(host.open(), nullptr);
  std::atomic<bool> inside{false};
  host.onCall = [&](const HostCall& c) {
    // The pin query comes from inside the processing call: stall there for a while.
    if (c.opcode == audioMasterPinConnected && !inside.exchange(true)) std::this_thread::sleep_for(300ms);
  };
  std::vector<float> in(4096, 0.25f), out(4096);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  std::thread audio([&] { host.process(ins, outs, 4096); });
  while (!inside) std::this_thread::sleep_for(1ms);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(host.close(), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, 200ms) << "close returned while processing was running";
  audio.join();
}

TEST(Lifecycle, ZeroFramesWriteNothing) {
  TestHost host;
  ASSERT_NE(host.open(), nullptr);
  double in[4] = {0.5, 0.5, 0.5, 0.5}, out[4] = {7, 7, 7, 7};
  double* ins[2] = {in, in};
  double* outs[2] = {out, out};
  host.process(ins, outs, 0);
  host.process(ins, outs, -5);
  for (double v : out) EXPECT_EQ(v, 7.0);
}

}  // namespace
}  // namespace stellix::testing
