// The plug-in with its window, driven from three sides at once as a busy host does: audio on
// one thread, another host thread setting or reading parameters, and the UI thread opening
// and closing the window, idling (meters, redraws) and clicking, dragging and typing into it.
// Everything the window shares with the other threads must be atomic or a request honoured
// on the UI thread; the ThreadSanitizer build checks that.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "host/parameters.h"
#include "host/plugin.h"
#include "platform/tick.h"
#include "tests/support/temp_config.h"
#include "toolkit/cframe.h"
#include "toolkit/platform/headless/headless_frame.h"
#include "vst2/aeffguieditor.h"

namespace stellix {
namespace {

std::atomic<int> automated{0};
std::atomic<int> editsBegun{0};
std::atomic<int> editsEnded{0};

VstIntPtr VST_CALL countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterAutomate: ++automated; break;
    case audioMasterBeginEdit: ++editsBegun; break;
    case audioMasterEndEdit: ++editsEnded; break;
    default: break;
  }
  return 0;
}

// What the second host thread does, once per round. Programs, their names, chunks and the
// sample rate belong to the host's user-interface thread (the bank has no lock), so only
// parameters come from here.
using HostActivity = std::function<void(AEffect*, int round)>;

void sweepParameters(AEffect* e, int round) {
  for (int i = 0; i < kParamCount; ++i) {
    e->setParameter(e, i, static_cast<float>((round * 7 + i * 3) % 11) / 10.0f);
    char text[64];
    e->dispatcher(e, effGetParamDisplay, i, 0, text, 0.0f);
  }
}

// The host's user-interface thread also reads what the editor shows, as hosts do for their
// own parameter lists.
void readParameters(AEffect* e, int) {
  for (int i = 0; i < kParamCount; ++i) {
    char text[64];
    e->getParameter(e, i);
    e->dispatcher(e, effGetParamDisplay, i, 0, text, 0.0f);
  }
}

// The user's gestures on the open window, in window pixels, one per idle in turn.
using Gesture = std::function<void(HeadlessFrame&)>;

const std::vector<Gesture>& gestures() {
  static const std::vector<Gesture> list = {
      [](HeadlessFrame& f) { f.drag(CPoint(80, 376), CPoint(80, 336)); },  // Drive knob up
      [](HeadlessFrame& f) { f.click(CPoint(262, 417)); },                 // Power
      [](HeadlessFrame& f) { f.click(CPoint(428, 90)); },                  // Bits: middle strip wraps
      [](HeadlessFrame& f) { f.click(CPoint(113, 131)); },                 // TransShape "C-soft"
      [](HeadlessFrame& f) { f.click(CPoint(47, 131)); },                  // TransShape "A-hard"
      [](HeadlessFrame& f) { f.click(CPoint(177, 200)); },                 // input meter: resets all
      [](HeadlessFrame& f) { f.click(CPoint(125, 380), kRButton); },       // PostMeter: save preferences
      [](HeadlessFrame& f) { f.click(CPoint(240, 340)); },                 // meter mode: Scale up
      [](HeadlessFrame& f) { f.wheel(CPoint(445, 377), 1.0f); },           // Output knob, one notch
      [](HeadlessFrame& f) { f.click(CPoint(362, 453)); },                 // rocker: next program
      [](HeadlessFrame& f) {                                               // rename the program
        f.click(CPoint(256, 454));
        f.type("Stress");
        f.key(VirtualKey::Return);
      },
      [](HeadlessFrame& f) { f.click(CPoint(262, 385)); },  // information screen opens
      [](HeadlessFrame& f) { f.click(CPoint(262, 385)); },  // and closes
  };
  return list;
}

struct Case {
  const char* what;
  HostActivity activity;
};

TEST(EditorStress, WindowOpensClosesAndDrawsWhileAudioAndTheHostRun) {
  const Case cases[] = {
      {"host automation sweeps every parameter", sweepParameters},
      {"the host reads every parameter and its text", readParameters},
  };
  // The editor's idle refreshes the meters and redraws at most every 40 ms of the tick.
  constexpr std::uint32_t kPastMeterRefreshMs = 41;
  constexpr int kWindowSessions = 5, kIdlesPerSession = 10, kMinimumRounds = 40, kMinimumBlocks = 40;
  int dummyParent = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempConfigHome home;
    HeadlessPlatformScope platforms;
    automated = editsBegun = editsEnded = 0;
    Plugin plugin(countingHost);
    AEffect* effect = plugin.getAeffect();
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    ASSERT_NE(effect->flags & effFlagsHasEditor, 0);

    std::atomic<bool> uiDone{false};
    std::atomic<int> rounds{0}, blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
      std::vector<float> in(256), outL(256), outR(256);
      for (int i = 0; i < 256; ++i) in[static_cast<std::size_t>(i)] = std::sin(0.07f * static_cast<float>(i));
      while (!uiDone || blocks < kMinimumBlocks) {
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, ins, outs, 256);
        for (int i = 0; i < 256; ++i)
          if (!std::isfinite(outL[static_cast<std::size_t>(i)]) || !std::isfinite(outR[static_cast<std::size_t>(i)]))
            finite = false;
        ++blocks;
        std::this_thread::yield();
      }
    });
    std::thread host([&] {
      while (!uiDone || rounds < kMinimumRounds) {
        c.activity(effect, rounds);
        ++rounds;
        std::this_thread::yield();
      }
    });

    // The UI thread: the window opened and closed, idled on a tick that passes the meters'
    // 40 ms each time, so that every idle feeds the meters and redraws, and used between idles.
    auto* editor = static_cast<AEffGUIEditor*>(plugin.getEditor());
    std::size_t next = 0;
    for (int session = 0; session < kWindowSessions; ++session) {
      ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, &dummyParent, 0.0f), 1);
      ASSERT_NE(editor->getFrame(), nullptr);
      std::optional<HeadlessFrame> window(std::in_place, *editor->getFrame());
      window->setTicks(tickCountMs());
      for (int i = 0; i < kIdlesPerSession; ++i) {
        window->advance(kPastMeterRefreshMs);
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
        gestures()[next++ % gestures().size()](*window);
      }
      window.reset();
      effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
      EXPECT_EQ(editor->getFrame(), nullptr);
    }
    uiDone = true;
    host.join();
    audio.join();

    EXPECT_TRUE(finite);
    // The user's gestures reached the host, each edit closed.
    EXPECT_GT(automated.load(), 0);
    EXPECT_EQ(editsBegun.load(), editsEnded.load());
    for (int i = 0; i < kParamCount; ++i) {
      const float v = plugin.getParameter(i);
      EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << "parameter " << i << " is " << v;
    }
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  }
}

}  // namespace
}  // namespace stellix
