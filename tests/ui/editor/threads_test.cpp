// Parameter changes and latencies arrive on the host's threads while the UI thread opens,
// draws and closes the window: they must never reach a control of a window that is going or
// gone (the AddressSanitizer and ThreadSanitizer builds check the sharing).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/parameters.h"
#include "tests/ui/editor/editor_fixture.h"
#include "ui/cmyknob.h"

using namespace editor_test;

namespace {

TEST(EditorThreads, ChangesFromAnotherThreadWhileTheWindowOpensDrawsAndCloses) {
  EditorFixture f(false);
  std::atomic<bool> stop{false};
  std::atomic<int> sent{0};
  std::thread automation([&] {
    float v = 0.0f;
    while (!stop.load()) {
      for (int index = -1; index <= stellix::kParamCount; ++index) f.editor->parameterChanged(index, v);
      f.editor->setLatency(159 + (sent.load() & 3) * 128);
      v = v > 0.95f ? 0.0f : v + 0.037f;
      sent.fetch_add(1);
    }
  });
  std::uint32_t t = 1000;
  for (int round = 0; round < 8; ++round) {
    f.open();
    for (int i = 0; i < 4; ++i) {
      t += 40;
      f.idleAt(t);
    }
    f.close();
  }
  // At least one sweep ran, whatever the scheduling.
  while (sent.load() == 0) std::this_thread::yield();
  stop.store(true);
  automation.join();

  // The window still follows the effect afterwards.
  f.open();
  f.editor->parameterChanged(stellix::kDrive, 0.75f);
  EXPECT_EQ(f.c().drive->getValue(), 0.75f);
}

}  // namespace
