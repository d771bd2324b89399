// The effect driven as hosts drive it: audio on one thread while other threads change
// parameters, select programs, read the meters or change the sample rate. Whatever they share
// must be atomic or guarded by the processing mutex; the ThreadSanitizer build checks that.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/plugin.h"
#include "tests/support/temp_config.h"

namespace stellix {
namespace {

VstIntPtr VST_CALL quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// One host thread's work, repeated for a number of rounds.
using Activity = std::function<void(Plugin&, int round)>;

void sweepParameters(Plugin& p, int round) {
  for (int i = 0; i < kParamCount; ++i) {
    p.setParameter(i, static_cast<float>((round * 7 + i * 3) % 11) / 10.0f);
    char text[64];
    p.getParameterDisplay(i, text);
  }
}

void selectPrograms(Plugin& p, int round) { p.selectProgram(round % 27); }

void readMeters(Plugin& p, int) {
  float m[10];
  p.getMeterSnapshot(m);
}

void changeRate(Plugin& p, int round) {
  static constexpr float kRates[] = {44100.0f, 96000.0f, 192000.0f, 48000.0f};
  p.suspend();
  p.setSampleRate(kRates[round % 4]);
  p.resume();
}

struct Case {
  const char* what;
  std::vector<Activity> others;  // each on a thread of its own beside the audio thread
};

TEST(PluginThreads, AudioRunsWhileOtherThreadsDriveTheEffect) {
  const Case cases[] = {
      {"the user interface sweeps every parameter and reads its text", {sweepParameters}},
      {"programs are selected", {selectPrograms}},
      {"the editor reads the meters", {readMeters}},
      {"the sample rate changes between suspend and resume", {changeRate}},
  };
  // Both sides go on until each has done its share, so that they overlap for a while.
  constexpr int kRounds = 40, kBlocks = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempConfigHome home;
    Plugin plugin(quietHost);
    plugin.resume();
    std::atomic<int> running{static_cast<int>(c.others.size())};
    bool finite = true;
    std::atomic<int> blocks{0};
    std::thread audio([&] {
      std::vector<float> inF(256), outL(256), outR(256);
      std::vector<double> inD(256), outDL(256), outDR(256);
      for (int i = 0; i < 256; ++i) inD[i] = inF[i] = 0.9f * std::sin(0.05f * static_cast<float>(i));
      while (running > 0 || blocks < kBlocks) {
        if (blocks % 2 == 0) {
          float* ins[2] = {inF.data(), inF.data()};
          float* outs[2] = {outL.data(), outR.data()};
          plugin.processReplacing(ins, outs, 256);
          for (int i = 0; i < 256; ++i) finite = finite && std::isfinite(outL[i]) && std::isfinite(outR[i]);
        } else {
          double* ins[2] = {inD.data(), inD.data()};
          double* outs[2] = {outDL.data(), outDR.data()};
          plugin.processDoubleReplacing(ins, outs, 256);
          for (int i = 0; i < 256; ++i) finite = finite && std::isfinite(outDL[i]) && std::isfinite(outDR[i]);
        }
        ++blocks;
      }
    });
    std::vector<std::thread> others;
    for (const Activity& a : c.others)
      others.emplace_back([&, a] {
        for (int r = 0; r < kRounds || blocks < kBlocks; ++r) a(plugin, r);
        --running;
      });
    for (std::thread& t : others) t.join();
    audio.join();
    EXPECT_TRUE(finite) << "after " << blocks << " blocks";
  }
}

}  // namespace
}  // namespace stellix
